#include "evidence/stagedfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
// What the process's umask leaves of rw-rw-rw-: a temporary file is made private, and the
// package should end up as readable as any other file the user writes.
mode_t newFileMode()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        while (!status.atEnd()) {
            const QByteArray line = status.readLine();
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(0666 & ~mask);
            }
        }
    }
    return 0644;
}
} // namespace

StagedFiles::StagedFiles(QString folder) : m_folder(std::move(folder)) {}

StagedFiles::~StagedFiles() { discard(); }

bool StagedFiles::stage(const QString &name, const QByteArray &bytes, QString *error)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) {
        if (error)
            *error = QStringLiteral("not a file name: %1").arg(name);
        return false;
    }
    // Hidden while unfinished, and named after the file so that a leftover explains itself.
    QTemporaryFile file(QDir(m_folder).filePath(QLatin1Char('.') + name + QStringLiteral(".XXXXXX.part")));
    file.setAutoRemove(true);
    if (!file.open()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir(m_folder).filePath(name), file.errorString());
        return false;
    }
    if (::fchmod(file.handle(), newFileMode()) != 0 || file.write(bytes) != bytes.size() || !file.flush()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir(m_folder).filePath(name), file.errorString());
        return false;
    }
    // The data on disk before the name points at it: a crash leaves the old file or the new one.
    if (::fsync(file.handle()) != 0) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir(m_folder).filePath(name), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    file.close();
    file.setAutoRemove(false);
    m_entries.append({file.fileName(), QDir(m_folder).filePath(name)});
    return true;
}

bool StagedFiles::commit(QString *error)
{
    QStringList done;
    for (const Entry &e : std::as_const(m_entries)) {
        if (std::rename(QFile::encodeName(e.temp).constData(), QFile::encodeName(e.final).constData()) != 0) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(e.final, QString::fromLocal8Bit(std::strerror(errno)));
            for (const QString &path : std::as_const(done))
                QFile::remove(path);
            discard();
            return false;
        }
        done << e.final;
    }
    m_entries.clear();
    return true;
}

void StagedFiles::discard()
{
    for (const Entry &e : std::as_const(m_entries))
        QFile::remove(e.temp);
    m_entries.clear();
}

QStringList StagedFiles::finalPaths() const
{
    QStringList out;
    for (const Entry &e : m_entries)
        out << e.final;
    return out;
}
