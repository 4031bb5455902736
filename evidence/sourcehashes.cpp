#include "evidence/sourcehashes.h"

#include <QFile>
#include <system_error>

#include "clip/filehash.h"

SourceHashes::SourceHashes(QStringList paths, std::function<bool()> cancelled)
{
    // Without a thread to be had nothing is taken early; the package then reads every file.
    try {
        m_thread = std::thread(&SourceHashes::run, this, std::move(paths), std::move(cancelled));
    } catch (const std::system_error &) {
    }
}

void SourceHashes::run(const QStringList &paths, const std::function<bool()> &cancelled)
{
    clip::HashWatch watch;
    watch.cancelled = [this, &cancelled] { return m_stop.load() || (cancelled && cancelled()); };
    for (const QString &path : paths) {
        if (m_hashes.contains(path))
            continue;
        const std::string hex = clip::sha256OfFile(QFile::encodeName(path).toStdString(), watch);
        if (watch.cancelled())
            return;
        if (!hex.empty())
            m_hashes.insert(path, QByteArray::fromStdString(hex));
    }
}

SourceHashes::~SourceHashes()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

QHash<QString, QByteArray> SourceHashes::take()
{
    if (m_thread.joinable())
        m_thread.join();
    return std::exchange(m_hashes, {});
}
