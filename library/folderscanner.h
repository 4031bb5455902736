#pragma once
// Turns what the user offered (recordings and folders of them) into the list of recordings to
// add: a folder stands for every recording inside it, however deep, in name order. A camera's
// card holds thousands of files, so the walk, and the reading of what it found as a card
// (moments, channels, kinds; movie headers for names without a time), runs on a thread of its
// own and the records come back to the GUI thread.
#include <QList>
#include <QObject>
#include <QStringList>

#include "core/mfilemodel.h"

#include <atomic>
#include <memory>

class QThread;

class FolderScanner : public QObject {
    Q_OBJECT
public:
    explicit FolderScanner(QObject *parent = nullptr);
    ~FolderScanner() override;

    // The walk itself, on the calling thread: files in the order given (kept when their name
    // has an accepted ending and they are not a FIFO, socket or device), each folder replaced by its recordings sorted by path with
    // numbers compared as numbers. Hidden files and folders (".Trash", "._clip.MP4") are
    // left out, symbolic links to folders are not followed, unreadable folders are skipped.
    // Stops early, with what it has, once *cancel turns true.
    static QStringList collect(const QStringList &paths, const std::atomic<bool> *cancel = nullptr);
    // True when path exists and is neither a regular file, a block device (a card's image)
    // nor a folder: a FIFO, socket or character device, which would block whoever reads it.
    static bool isNotAFile(const QString &path);
    // True when some path is a folder (the caller then wants scan() rather than the paths).
    static bool containsFolder(const QStringList &paths);

    // Starts collect() and CardGrouping::records() on a worker thread; scanned() follows on
    // this object's thread. Scans run one after the other in the order asked; each gets its
    // own answer.
    void scan(const QStringList &paths);
    bool isScanning() const { return m_running > 0; }

signals:
    void scanned(const QList<MFileModel> &records);

private:
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QList<QThread *> m_threads;
    int m_running = 0;
};
