#include "library/folderscanner.h"

#include <QDebug>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QThread>

#include <algorithm>

#include <sys/stat.h>

#include "library/cardgrouping.h"
#include "library/medialistview.h"

namespace {

// Names compared as people read them: runs of digits by their value (clip2 before clip10),
// the rest without regard to case, the exact text only to break a tie.
int compareNames(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            // Without leading zeros the longer run is the larger number.
            QStringView da = QStringView(a).mid(i, ei - i), db = QStringView(b).mid(j, ej - j);
            while (da.size() > 1 && da.front() == u'0')
                da = da.mid(1);
            while (db.size() > 1 && db.front() == u'0')
                db = db.mid(1);
            if (da.size() != db.size())
                return da.size() < db.size() ? -1 : 1;
            if (const int c = da.compare(db))
                return c;
            i = ei;
            j = ej;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return a.compare(b);
}

void collectFolder(const QString &dir, const std::atomic<bool> *cancel, QStringList *out)
{
    QStringList found;
    // Hidden entries are skipped by the filter (no QDir::Hidden); links to folders are not
    // followed, so a loop of links cannot trap the walk.
    QDirIterator it(dir, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        if (cancel && cancel->load())
            break;
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir() || info.fileName().startsWith(QLatin1Char('.')))
            continue;
        if (MediaListView::isAcceptedMediaPath(path))
            found.append(path);
    }
    // Folder by folder, so one folder's recordings stay together whatever the names beside it.
    auto parts = [&dir](const QString &path) { return path.mid(dir.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts); };
    std::stable_sort(found.begin(), found.end(), [&](const QString &a, const QString &b) {
        const QStringList pa = parts(a), pb = parts(b);
        for (qsizetype i = 0; i < pa.size() && i < pb.size(); ++i)
            if (const int c = compareNames(pa.at(i), pb.at(i)))
                return c < 0;
        return pa.size() < pb.size();
    });
    out->append(found);
}

} // namespace

FolderScanner::FolderScanner(QObject *parent)
    : QObject(parent), m_cancel(std::make_shared<std::atomic<bool>>(false))
{
}

FolderScanner::~FolderScanner()
{
    // A walk under way ends at its next entry; its answer goes nowhere.
    m_cancel->store(true);
    for (QThread *t : std::as_const(m_threads)) {
        t->wait();
        delete t;
    }
}

bool FolderScanner::isNotAFile(const QString &path)
{
    // stat, not open: opening a FIFO would wait for a writer.
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false; // missing: the player says so when it is chosen
    return !S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode) && !S_ISDIR(st.st_mode);
}

bool FolderScanner::containsFolder(const QStringList &paths)
{
    return std::any_of(paths.begin(), paths.end(), [](const QString &p) { return QFileInfo(p).isDir(); });
}

QStringList FolderScanner::collect(const QStringList &paths, const std::atomic<bool> *cancel)
{
    QStringList out;
    for (const QString &path : paths) {
        if (cancel && cancel->load())
            break;
        const QFileInfo info(path);
        if (info.isDir())
            collectFolder(info.absoluteFilePath(), cancel, &out);
        else if (MediaListView::isAcceptedMediaPath(path) && !isNotAFile(path))
            out.append(path);
    }
    return out;
}

void FolderScanner::scan(const QStringList &paths)
{
    // Each walk waits for the one before it, so answers come in the order asked.
    QThread *previous = m_threads.isEmpty() ? nullptr : m_threads.last();
    std::shared_ptr<std::atomic<bool>> cancel = m_cancel;
    QPointer<FolderScanner> self(this);
    QThread *thread = QThread::create([self, paths, cancel, previous] {
        if (previous)
            previous->wait();
        const QStringList found = collect(paths, cancel.get());
        if (cancel->load())
            return;
        const QList<MFileModel> records = CardGrouping::records(found);
        if (cancel->load())
            return;
        qDebug() << "folder scan:" << found.size() << "recordings," << records.size() << "moments";
        QMetaObject::invokeMethod(
            self.data(),
            [self, records] {
                if (self)
                    emit self->scanned(records);
            },
            Qt::QueuedConnection);
    });
    ++m_running;
    m_threads.append(thread);
    connect(thread, &QThread::finished, this, [this] {
        --m_running;
        // Threads are let go once none may still wait on another.
        if (m_running == 0) {
            for (QThread *t : std::as_const(m_threads))
                t->deleteLater();
            m_threads.clear();
        }
    });
    thread->start();
}
