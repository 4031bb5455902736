#pragma once
// The source recordings hashed on a thread of their own while their clip is being cut, so an
// evidence package waits for the longer of the two rather than for their sum. The digests go
// to EvidenceInput::knownHashes; a file that could not be read is simply not among them, and
// the package tries it again and says why.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <thread>
#include <utility>

class SourceHashes {
public:
    // Starts hashing at once. cancelled is asked between slices, on the hashing thread.
    explicit SourceHashes(QStringList paths, std::function<bool()> cancelled = {});
    ~SourceHashes(); // stops early and waits
    SourceHashes(const SourceHashes &) = delete;
    SourceHashes &operator=(const SourceHashes &) = delete;

    // Waits for the thread and hands over what it hashed (path -> lower-case hex).
    QHash<QString, QByteArray> take();

private:
    void run(const QStringList &paths, const std::function<bool()> &cancelled);

    std::atomic<bool> m_stop{false};
    QHash<QString, QByteArray> m_hashes;
    std::thread m_thread;
};
