#pragma once
// The program's one HTTP need: fetch a URL into a local file, bypassing every cache,
// giving up after 2 s without data, and report once on the GUI thread.
#include <QString>
#include <functional>

class QNetworkAccessManager;

class HttpManager {
public:
    // status: the HTTP status (0 when none arrived); storedPath: the written file, empty on
    // failure; error: empty on success. A failed download leaves no file behind.
    using Completion = std::function<void(int status, const QString &storedPath, const QString &error)>;
    using Progress = std::function<void(qint64 received, qint64 total)>;

    static constexpr int kTimeoutMs = 2000;
    static constexpr qint64 kDefaultMaxSize = 4 * 1024 * 1024;

    // Must be called on the GUI thread; the completion runs there too.
    static void download(const QString &url, const QString &localPath, const Progress &progress,
                         const Completion &completion, qint64 maxSize = kDefaultMaxSize);

    static QNetworkAccessManager *manager();
};
