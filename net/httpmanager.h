#pragma once
// The program's one HTTP need: fetch a small document into memory, bypassing every
// cache, and report once on the GUI thread. A request ends at the first of: the answer
// is in, 2 s pass without data, the overall deadline passes, or the body outgrows its
// cap. Nothing is ever written to disk, so no file in a shared folder can be aimed at.
#include <QByteArray>
#include <QString>
#include <functional>

class QNetworkAccessManager;

class HttpManager {
public:
    // status: the HTTP status (0 when none arrived); body: the whole answer, empty on
    // failure; error: empty on success.
    using Completion = std::function<void(int status, const QByteArray &body, const QString &error)>;

    static constexpr int kTimeoutMs = 2000;
    static constexpr int kDefaultDeadlineMs = 10000;
    static constexpr qint64 kDefaultMaxSize = 1024 * 1024;

    // Must be called on the GUI thread; the completion runs there too.
    static void fetch(const QString &url, const Completion &completion, qint64 maxSize = kDefaultMaxSize,
                      int deadlineMs = kDefaultDeadlineMs);

    static QNetworkAccessManager *manager();
};
