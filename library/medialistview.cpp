#include "library/medialistview.h"
#include "core/logging.h"

#include <QAction>
#include <QDebug>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPalette>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QHash>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include "library/folderscanner.h"
#include "library/medialistcolumns.h"
#include "library/medialistmodel.h"
#include "library/medialistlook.h"
#include "library/cardgrouping.h"
#include "library/kindfilter.h"
#include "core/mlanguagemanager.h"
#include "core/mtool.h"
#include "core/notificationhub.h"
#include "core/preferences.h"

namespace {
constexpr int kSelectDelayMs = 100;
const QColor kBorderColor(197, 197, 197);

} // namespace

MediaListView::MediaListView(QWidget *parent, MediaListStore store)
    : QWidget(parent),
      m_alert([this](const QString &t, const QString &c, const QStringList &b) {
          return MTool::showAlert(t, c, b, window());
      }), m_store(std::move(store))
{
    setObjectName(QStringLiteral("listTableView"));
    m_model = new MediaListModel(this);

    m_table = new QTableView(this);
    m_table->setModel(m_model);
    m_table->setObjectName(QStringLiteral("nameColume"));
    m_table->setItemDelegate(new NameDelegate(m_table));
    m_table->setFrameShape(QFrame::NoFrame);
    // A click gives the list the focus (for Delete); the playback keys stay the window's.
    m_table->setFocusPolicy(Qt::ClickFocus);
    m_table->setAlternatingRowColors(true);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    new MediaListColumns(m_table, m_model);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    applyDarkLook(m_table);
    m_table->viewport()->installEventFilter(this);
    m_table->viewport()->setAcceptDrops(true);
    setAcceptDrops(true);
    installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);  // room for the grey border
    m_kindFilter = new KindFilter(m_table, m_model, this);
    layout->addWidget(m_kindFilter);
    layout->addWidget(m_table);

    auto *remove = new QAction(this);
    remove->setObjectName(QStringLiteral("deleteRowAction"));
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(remove, &QAction::triggered, this, [this] { removeRow(rowForDelete()); });
    addAction(remove);

    m_scanner = new FolderScanner(this);
    connect(m_scanner, &FolderScanner::scanned, this, &MediaListView::addRecords);

    m_menu = new QMenu(this);
    connect(m_table, &QTableView::customContextMenuRequested, this, [this](const QPoint &pos) {
        const int row = m_table->indexAt(pos).row();
        menuWillOpen(m_menu, row);
        if (!m_menu->isEmpty())
            m_menu->popup(m_table->viewport()->mapToGlobal(pos));
    });
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        doubleClick(index.isValid() ? index.row() : -1);
    });

    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), this,
                                              [this](const QVariant &) { setStringValue(); });
    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kPlayFile), this,
                                              [this](const QVariant &object) { loadMoreVideoInfo(object); });

    setStringValue();
    QList<MFileModel> saved = m_store.load();
    CardGrouping::keepKnownWords(saved);
    m_model->setRecords(saved);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &MediaListView::spanHeaders);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &MediaListView::spanHeaders);
    connect(m_model, &QAbstractItemModel::modelReset, this, &MediaListView::spanHeaders);
}

MediaListView::~MediaListView() = default;

const QList<MFileModel> &MediaListView::dataArray() const
{
    return m_model->records();
}

int MediaListView::highlightedRow() const
{
    return m_model->highlightedRow();
}

void MediaListView::setStringValue()
{
    m_model->setColumnTitle(MLanguageManager::localized("File.name"));
    if (m_kindFilter)
        m_kindFilter->retitle();
}

bool MediaListView::isAcceptedMediaPath(const QString &path) { return MTool::isRecordingPath(path); }

QStringList MediaListView::acceptedPaths(const QMimeData *mime)
{
    QStringList paths;
    if (!mime)
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (MTool::isRecordingPath(path) || QFileInfo(path).isDir())
            paths.append(path);
    }
    return paths;
}

bool MediaListView::canAcceptDrag(const QMimeData *mime) const
{
    return !acceptedPaths(mime).isEmpty();
}

void MediaListView::dropFiles(const QMimeData *mime)
{
    const QStringList paths = acceptedPaths(mime);
    if (m_delegate)
        m_delegate->mediaPlayerReadFileList(this, paths);
}

bool MediaListView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table->viewport() || watched == this) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *e = static_cast<QDropEvent *>(event);
            if (canAcceptDrag(e->mimeData())) {
                e->setDropAction(Qt::CopyAction);
                e->accept();
            } else {
                e->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto *e = static_cast<QDropEvent *>(event);
            dropFiles(e->mimeData());
            e->setDropAction(Qt::CopyAction);
            e->accept();
            return true;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MediaListView::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter p(this);
    p.setPen(kBorderColor);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MediaListView::loadMoreVideoInfo(const QVariant &object)
{
    QStringList paths;
    if (object.canConvert<QList<QUrl>>()) {
        for (const QUrl &url : object.value<QList<QUrl>>())
            if (url.isLocalFile())
                paths.append(url.toLocalFile());
    }
    if (paths.isEmpty() && object.canConvert<QStringList>())
        paths = object.toStringList();
    addRecordings(paths);
}

void MediaListView::addRecordings(const QStringList &paths)
{
    // Named files follow the rule of a drop (accepted endings only; a FIFO named like a
    // recording is unreadable); only folders need the walk on a thread.
    const bool special = std::any_of(paths.begin(), paths.end(),
                                     [](const QString &p) { return isAcceptedMediaPath(p) && FolderScanner::isNotAFile(p); });
    // Many files (a card's selection dropped) are read as a card on the scanner's thread too:
    // names without a time mean a movie header each.
    if (FolderScanner::containsFolder(paths) || paths.size() > kInlineFiles)
        m_scanner->scan(paths);
    else
        addInOfferedOrder(FolderScanner::collect(paths));
    if (special)
        alert(QStringLiteral("Cannot.find.the.file.under.the.path"));
}

bool MediaListView::isScanning() const { return m_scanner->isScanning(); }

void MediaListView::addInOfferedOrder(const QStringList &paths)
{
    // The channels of one moment of a camera's card become one record.
    addRecords(CardGrouping::records(paths));
}

void MediaListView::addRecords(const QList<MFileModel> &records)
{
    QList<QVariantMap> items;
    items.reserve(records.size());
    for (const MFileModel &record : records)
        items.prepend(record.toDictionary());
    if (!items.isEmpty())
        loadMediaData(items);
}

bool MediaListView::restoreCurrent(const QString &path)
{
    const int row = path.isEmpty() ? -1 : getIndexWithModel(MFileModel::fromPath(path));
    if (row < 0)
        return false;
    m_curIndex = row;
    m_model->setHighlightedRow(row);
    m_table->scrollTo(m_model->index(row, 0), QAbstractItemView::PositionAtCenter);
    return true;
}

int MediaListView::rowForDelete() const
{
    const int n = int(m_model->records().size());
    if (n == 0)
        return -1;
    const QModelIndex current = m_table->currentIndex();
    if (current.isValid() && current.row() < n)
        return current.row();
    return qBound(0, m_curIndex, n - 1);
}

bool MediaListView::isFileModelExit(const MFileModel &model) const
{
    return getIndexWithModel(model) >= 0;
}

int MediaListView::getIndexWithModel(const MFileModel &model) const
{
    const auto &records = m_model->records();
    for (int i = 0; i < records.size(); ++i)
        if (records.at(i).fLocalPath == model.fLocalPath)
            return i;
    return -1;
}

void MediaListView::loadMediaData(const QList<QVariantMap> &items)
{
    // One pass with a hash of the listed paths: adding thousands of files to a list of
    // thousands stays linear. Each new record goes on top, as if inserted one by one.
    const QList<MFileModel> &listed = m_model->records();
    QHash<QString, qsizetype> listedAt;
    listedAt.reserve(listed.size());
    for (qsizetype i = 0; i < listed.size(); ++i)
        listedAt.insert(listed.at(i).fLocalPath, i);
    QList<MFileModel> added; // in the order offered; shown reversed
    QHash<QString, qsizetype> addedAt;
    std::optional<QString> found;
    for (const QVariantMap &dict : items) {
        const MFileModel m = MFileModel::initWithDictionary(dict);
        if (m.fLocalPath.isEmpty())
            continue;  // nothing to play or to identify it by
        if (listedAt.contains(m.fLocalPath) || addedAt.contains(m.fLocalPath)) {
            found = m.fLocalPath;
            // Read again as part of its card; one of its files offered alone keeps the moment.
            const auto at = listedAt.constFind(m.fLocalPath);
            if (at != listedAt.cend() && (!m.otherChannels.isEmpty() || listed.at(*at).kind.isEmpty()))
                m_model->updateCard(int(*at), m);
        } else {
            addedAt.insert(m.fLocalPath, added.size());
            added.append(m);
        }
    }
    std::reverse(added.begin(), added.end());
    m_model->prependRecords(added);
    if (m_model->records().isEmpty())
        return;
    m_curIndex = 0;
    if (found) {
        const auto a = addedAt.constFind(*found);
        m_curIndex = a != addedAt.cend() ? int(added.size() - 1 - *a) : int(added.size() + listedAt.value(*found));
    }
    if (!added.isEmpty())
        persist();
    selectAfterDelay(m_model->records().at(m_curIndex));
}

void MediaListView::selectAfterDelay(const MFileModel &model)
{
    QTimer::singleShot(kSelectDelayMs, this, [this, model] {
        // Removed within the delay: a recording that left the list never starts.
        if (getIndexWithModel(model) >= 0)
            selectModelToPlay(model);
    });
}

void MediaListView::selectModelToPlay(const MFileModel &model)
{
    if (model.sourceHeader)
        return;
    // The next start highlights it again.
    Preferences::setLastRecording(model.fLocalPath);
    if (m_delegate)
        m_delegate->mediaPlayerDidSelectModel(this, model);
    if (m_curIndex >= 0 && m_curIndex < m_model->records().size()) {
        m_model->setHighlightedRow(m_curIndex);
        m_table->scrollTo(m_model->index(m_curIndex, 0));
    }
}

void MediaListView::alert(const QString &textKey)
{
    if (m_alert)
        m_alert(MLanguageManager::localized("Prompt"),
                MLanguageManager::DPLocalizedString(textKey),
                {MLanguageManager::localized("OK")});
}

void MediaListView::preVideoAction()
{
    const int n = int(m_model->records().size());
    if (n == 0)
        return;
    m_curIndex = qMin(m_curIndex, n - 1);
    // A camera's header row is no recording: the step goes over it.
    if (const int row = playableRow(m_curIndex - 1, -1); row >= 0) {
        m_curIndex = row;
        selectModelToPlay(m_model->records().at(m_curIndex));
    } else {
        alert(QStringLiteral("the.First.one"));
    }
}

void MediaListView::nextVideoAction()
{
    const int n = int(m_model->records().size());
    if (n == 0)
        return;
    m_curIndex = qMin(m_curIndex, n - 1);
    if (const int row = playableRow(m_curIndex + 1, 1); row >= 0) {
        m_curIndex = row;
        selectModelToPlay(m_model->records().at(m_curIndex));
    } else {
        alert(QStringLiteral("the.Last.one"));
    }
}

void MediaListView::autoplayNext()
{
    const int row = playableRow(m_curIndex + 1, 1);
    if (row < 0)
        return;
    m_curIndex = row;
    selectModelToPlay(m_model->records().at(m_curIndex));
}

void MediaListView::doubleClick(int row)
{
    if (row < 0 || row >= m_model->records().size())
        return;
    const MFileModel m = m_model->records().at(row);
    if (m.sourceHeader)
        return; // names the camera; nothing to play
    m_curIndex = row;
    m_clickedRow = row;
    if (isRemote(m)) {
        selectModelToPlay(m); // streamed from the camera
        return;
    }
    QFile file(m.fLocalPath);
    if (QFileInfo(m.fLocalPath).isFile() && file.open(QIODevice::ReadOnly)) {
        file.close();
        selectModelToPlay(m);
        return;
    }
    alert(QStringLiteral("Cannot.find.the.file.under.the.path"));
    removeRow(row);
}

void MediaListView::menuWillOpen(QMenu *menu, int clickedRow)
{
    m_clickedRow = clickedRow;
    if (!menu)
        return;
    menu->clear();
    if (clickedRow < 0 || clickedRow >= m_model->records().size())
        return;
    QAction *action = menu->addAction(MLanguageManager::localized("Delete"));
    connect(action, &QAction::triggered, this, &MediaListView::deleteMedia);
    if (m_menuExtension)
        m_menuExtension(menu, clickedRow);
}

void MediaListView::deleteMedia()
{
    removeRow(m_clickedRow);
}

void MediaListView::removeRow(int row)
{
    if (row < 0 || row >= m_model->records().size())
        return;
    const MFileModel m = m_model->records().at(row);
    if (m.sourceHeader) {
        removeSource(m.source); // the camera's header takes its rows with it
        return;
    }
    const bool isSelect = row == m_curIndex;
    m_model->removeRecord(row);
    // Keep curIndex on the same record when it survives; when the current record itself
    // goes, stay at its position (now the record that followed it), within the list.
    const int n = int(m_model->records().size());
    if (row < m_curIndex)
        --m_curIndex;
    m_curIndex = n == 0 ? 0 : qBound(0, m_curIndex, n - 1);
    m_clickedRow = -1;
    persist();
    if (m_delegate)
        m_delegate->mediaPlayerDidDeleteModelIsSelect(this, m, isSelect);
}

void MediaListView::persist()
{
    // A camera's rows are not kept: the camera is gone by the next run.
    QList<MFileModel> merged;
    const QList<MFileModel> kept = keptRecords();
    if (!m_store.save(kept, &merged)) {
        qCWarning(lcList) << "media list not saved to" << m_store.path();
        return;
    }
    if (merged.size() == kept.size() && merged == kept)
        return;
    merged += sourceRecords();
    // Another player changed the list meanwhile: show what was written, keeping the
    // current and the highlighted recording where they are in the new order.
    const auto pathAt = [this](int row) {
        return row >= 0 && row < m_model->records().size() ? m_model->records().at(row).fLocalPath : QString();
    };
    const QString current = pathAt(m_curIndex);
    const QString highlighted = pathAt(m_model->highlightedRow());
    int newCurrent = -1, newHighlighted = -1;
    for (int i = 0; i < merged.size(); ++i) {
        if (merged.at(i).fLocalPath == current)
            newCurrent = i;
        if (merged.at(i).fLocalPath == highlighted)
            newHighlighted = i;
    }
    m_model->setRecords(merged);
    m_model->setHighlightedRow(highlighted.isEmpty() ? -1 : newHighlighted);
    m_curIndex = newCurrent >= 0 ? newCurrent : qBound(0, m_curIndex, qMax(0, int(merged.size()) - 1));
}
