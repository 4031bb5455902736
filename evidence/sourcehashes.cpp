#include "evidence/sourcehashes.h"

#include <QFile>

#include "clip/filehash.h"

SourceHashes::SourceHashes(QStringList paths, std::function<bool()> cancelled)
{
    m_thread = std::thread([this, paths = std::move(paths), cancelled = std::move(cancelled)] {
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
    });
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
