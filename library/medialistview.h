#pragma once
// The panel that lists the opened recordings and decides which one plays: recordings
// enter through "kPlayFile", drops and loadMediaData(); previous/next/automatic next
// and removal move the current record; the receiver is told through
// MediaPlayerDelegate. The list is kept across runs in "mediaList".
#include <QList>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>
#include <functional>

#include "core/mediaplayerdelegate.h"
#include "library/medialiststore.h"
#include "core/mfilemodel.h"
#include "core/mtool.h"

class FolderScanner;
class KindFilter;
class MediaListModel;
class QMenu;
class QTableView;
class QMimeData;

class MediaListView : public QWidget {
    Q_OBJECT
public:
    using AlertHandler = MTool::AlertHandler;

    // Reads the stored list (without playing anything) from store's file.
    explicit MediaListView(QWidget *parent = nullptr, MediaListStore store = MediaListStore());
    ~MediaListView() override;

    void setDelegate(MediaPlayerDelegate *delegate) { m_delegate = delegate; }
    MediaPlayerDelegate *delegate() const { return m_delegate; }
    // Replaces the platform alert, for tests and embedding.
    void setAlertHandler(AlertHandler handler) { m_alert = std::move(handler); }

    const QList<MFileModel> &dataArray() const;
    int curIndex() const { return m_curIndex; }
    int highlightedRow() const;
    QTableView *tableView() const { return m_table; }
    MediaListModel *model() const { return m_model; }
    KindFilter *kindFilter() const { return m_kindFilter; }
    const MediaListStore &store() const { return m_store; }

    // Adds records ({"fName", "fLocalPath"}) at the top, skipping listed paths, makes one
    // current and selects it for playback 0.1 s later.
    void loadMediaData(const QList<QVariantMap> &items);
    // Handler of "kPlayFile": the object is a list of file URLs (or of paths).
    void loadMoreVideoInfo(const QVariant &object);
    // Adds recordings in the order offered (names with an accepted ending that are not a
    // FIFO or device; the others are left out); a folder stands for the recordings inside it,
    // found off the GUI thread (they are added once found; isScanning() says until when), and
    // so are more than kInlineFiles files.
    void addRecordings(const QStringList &paths);
    static constexpr qsizetype kInlineFiles = 64;
    bool isScanning() const;
    // Makes the listed recording at path current and highlights it, without playing it
    // (the list as the last run left it). False when it is not listed.
    bool restoreCurrent(const QString &path);
    // The row Delete removes while the list has the focus: the row last clicked, else the
    // current one; -1 on an empty list.
    int rowForDelete() const;
    bool isFileModelExit(const MFileModel &model) const;
    int getIndexWithModel(const MFileModel &model) const;
    void selectModelToPlay(const MFileModel &model);
    void preVideoAction();
    void nextVideoAction();
    void autoplayNext();
    // The table's double action on row (-1: nothing under the pointer).
    void doubleClick(int row);
    // Removes the clicked row (the row the context menu or double click was for).
    void deleteMedia();
    // Fills the context menu for the row under the pointer (-1: none).
    void menuWillOpen(QMenu *menu, int clickedRow);
    int clickedRow() const { return m_clickedRow; }

    // A camera's recordings as their own section below the others, under a header row that
    // names it (MFileModel::source, sourceHeader); rows replaces the section listed before.
    // The current recording stays current when it is still listed.
    void setSource(const MFileModel &header, const QList<MFileModel> &rows);
    // Removes the section (its header's Delete does too) and says so with sourceRemoved.
    void removeSource(const QString &source);
    // The row of the record at path now stands for record (a camera's file downloaded).
    void replaceRecord(const QString &path, const MFileModel &record);
    // Adds items to the context menu of a row after the list's own.
    void setMenuExtension(std::function<void(QMenu *, int row)> extend) { m_menuExtension = std::move(extend); }
    // A strip under the table (a camera's downloads), owned by the list from then on.
    void addFooter(QWidget *footer);
    // A row of a camera not downloaded yet: played by streaming it.
    static bool isRemote(const MFileModel &record);

    // Re-titles the column in the current language.
    void setStringValue();

    // The case-sensitive ending test of drops (folders are taken as well).
    static bool isAcceptedMediaPath(const QString &path);
    static QStringList acceptedPaths(const QMimeData *mime);
    // Drop plumbing, reachable without a real drag for tests.
    bool canAcceptDrag(const QMimeData *mime) const;
    void dropFiles(const QMimeData *mime);

signals:
    void sourceRemoved(const QString &source);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void alert(const QString &textKey);
    void persist();
    void removeRow(int row);
    void selectAfterDelay(const MFileModel &model);
    void addInOfferedOrder(const QStringList &paths);
    void addRecords(const QList<MFileModel> &records);
    // The first row from row on (step +1) or back (-1) that is a recording; -1 for none.
    int playableRow(int row, int step) const;
    QList<MFileModel> keptRecords() const;
    QList<MFileModel> sourceRecords() const;
    void spanHeaders();
    std::function<void(QMenu *, int)> m_menuExtension;

    MediaPlayerDelegate *m_delegate = nullptr;
    AlertHandler m_alert;
    MediaListModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    KindFilter *m_kindFilter = nullptr;
    QMenu *m_menu = nullptr;
    MediaListStore m_store;
    FolderScanner *m_scanner = nullptr;
    int m_curIndex = 0;
    int m_clickedRow = -1;
};
