#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>
#include <QtTest>

#include "library/folderscanner.h"
#include "library/kindfilter.h"
#include "library/medialistmodel.h"
#include "library/medialistview.h"
#include "core/mlanguagemanager.h"
#include "core/notificationhub.h"
#include "core/preferences.h"
#include "support/testsettings.h"

#include <sys/stat.h>

namespace {
struct Recorder : MediaPlayerDelegate {
    QStringList selected;
    QList<QPair<QString, bool>> deleted;
    QList<QStringList> fileLists;
    void mediaPlayerDidSelectModel(QObject *, const MFileModel &m) override { selected << m.fLocalPath; }
    void mediaPlayerDidDeleteModelIsSelect(QObject *, const MFileModel &m, bool isSelect) override
    {
        deleted.append({m.fLocalPath, isSelect});
    }
    void mediaPlayerReadFileList(QObject *, const QStringList &paths) override { fileLists << paths; }
};

QVariantMap item(const QString &path)
{
    return MFileModel::fromPath(path).toDictionary();
}

QStringList paths(const MediaListView &v)
{
    QStringList out;
    for (const MFileModel &m : v.dataArray())
        out << m.fLocalPath;
    return out;
}
} // namespace

class TestMediaListView : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Recorder m_rec;
    QStringList m_alerts;
    std::unique_ptr<MediaListView> m_view;

    std::unique_ptr<MediaListView> makeView()
    {
        auto v = std::make_unique<MediaListView>(nullptr, MediaListStore(m_dir.filePath("mediaList")));
        v->setDelegate(&m_rec);
        v->setAlertHandler([this](const QString &, const QString &text, const QStringList &) {
            m_alerts << text;
            return 1000;
        });
        return v;
    }

    // Adds paths (already reversed as the callers do) and waits for the deferred selection.
    void add(const QStringList &reversed)
    {
        QList<QVariantMap> items;
        for (const QString &p : reversed)
            items << item(p);
        const int before = int(m_rec.selected.size());
        m_view->loadMediaData(items);
        QTRY_COMPARE(m_rec.selected.size(), before + 1);
    }

    // add(), then the list shown at a size for three rows; true once its window is up (and
    // active, for keys that must reach it).
    bool showList(const QStringList &reversed, bool active = false)
    {
        add(reversed);
        if (QTest::currentTestFailed())
            return false;
        m_view->resize(300, 200);
        m_view->show();
        return active ? QTest::qWaitForWindowActive(m_view.get()) : QTest::qWaitForWindowExposed(m_view.get());
    }

private slots:
    void initTestCase()
    {
        isolateSettings();
        QSettings().setValue(kSelectLanguage, "en");
    }

    void init()
    {
        QFile::remove(m_dir.filePath("mediaList"));
        m_rec = Recorder();
        m_alerts.clear();
        m_view = makeView();
    }

    void addingFollowsOrderAndDuplicateRules()
    {
        // The callers reverse the offered order: offering A, B hands over [B, A].
        m_view->loadMediaData({item("/v/B.mp4"), item("/v/A.mp4")});
        QCOMPARE(paths(*m_view), (QStringList{"/v/A.mp4", "/v/B.mp4"}));
        QCOMPARE(m_view->curIndex(), 0);
        QVERIFY(m_rec.selected.isEmpty());  // selection is deferred by 0.1 s
        QTRY_COMPARE(m_rec.selected, QStringList{"/v/A.mp4"});
        QCOMPARE(m_view->highlightedRow(), 0);

        // With [X] listed, adding [A, X, B] (offered order) gives [A, B, X], X current.
        init();
        add({"/v/X.mp4"});
        add({"/v/B.mp4", "/v/X.mp4", "/v/A.mp4"});
        QCOMPARE(paths(*m_view), (QStringList{"/v/A.mp4", "/v/B.mp4", "/v/X.mp4"}));
        QCOMPARE(m_view->curIndex(), 2);
        QCOMPARE(m_rec.selected.last(), QString("/v/X.mp4"));
        QCOMPARE(m_view->highlightedRow(), 2);

        // Adding a listed record alone leaves the list and plays it again.
        add({"/v/B.mp4"});
        QCOMPARE(m_view->dataArray().size(), 3);
        QCOMPARE(m_view->curIndex(), 1);
        QCOMPARE(m_rec.selected.last(), QString("/v/B.mp4"));

        // Paths are compared exactly: a different case is another recording.
        add({"/v/b.mp4"});
        QCOMPARE(m_view->dataArray().size(), 4);
        QCOMPARE(m_view->curIndex(), 0);
    }

    // Many files at once into a long list: one linear pass, same rules as one by one.
    void addingManyKeepsTheRules()
    {
        QList<QVariantMap> first;
        for (int i = 0; i < 20000; ++i)
            first.prepend(item("/v/" + QString::number(i) + ".mp4"));
        m_view->loadMediaData(first);
        QCOMPARE(m_view->dataArray().size(), 20000);
        QCOMPARE(m_view->dataArray().first().fLocalPath, QString("/v/0.mp4"));
        QList<QVariantMap> second;
        for (int i = 10000; i < 30000; ++i)
            second.prepend(item("/v/" + QString::number(i) + ".mp4"));
        second.prepend(item("/v/new.mp4")); // offered last: a duplicate within the batch
        second.append(item("/v/new.mp4"));  // offered first
        m_view->loadMediaData(second);
        QCOMPARE(m_view->dataArray().size(), 30001);
        // As if inserted one by one at the top, in the order handed over.
        QCOMPARE(m_view->dataArray().first().fLocalPath, QString("/v/20000.mp4"));
        QCOMPARE(m_view->dataArray().at(10000).fLocalPath, QString("/v/new.mp4"));
        QCOMPARE(m_view->dataArray().at(10001).fLocalPath, QString("/v/0.mp4"));
        // The first offered file that was already listed becomes current.
        QCOMPARE(m_view->curIndex(), 10000);
        QTRY_COMPARE(m_rec.selected.size(), 2);
    }

    // A name written with markup is shown as written: in the cell and in the tip.
    void markupInANameIsPlainText()
    {
        const QString name = QStringLiteral("<img src=\"&#47;dev&#47;zero\">drive.mp4");
        add({"/v/" + name});
        auto *model = qobject_cast<MediaListModel *>(m_view->findChild<QTableView *>()->model());
        QVERIFY(model);
        QCOMPARE(model->data(model->index(0, 0), Qt::DisplayRole).toString(), name);
        const QString tip = model->data(model->index(0, 0), Qt::ToolTipRole).toString();
        QVERIFY(!tip.contains("<img"));
        QTextDocument doc;
        doc.setHtml(tip);
        QCOMPARE(doc.toPlainText(), name);
        m_view->resize(200, 200);
        m_view->grab(); // draws the row; nothing loads /dev/zero
    }

    void navigationAndItsAlerts()
    {
        m_view->preVideoAction();
        m_view->nextVideoAction();
        m_view->autoplayNext();
        QVERIFY(m_alerts.isEmpty());  // empty list: nothing at all
        QVERIFY(m_rec.selected.isEmpty());

        add({"/v/C.mp4", "/v/B.mp4", "/v/A.mp4"});
        m_view->preVideoAction();
        QCOMPARE(m_alerts, QStringList{MLanguageManager::DPLocalizedString("the.First.one")});
        m_view->nextVideoAction();
        QCOMPARE(m_rec.selected.last(), QString("/v/B.mp4"));
        QCOMPARE(m_view->highlightedRow(), 1);
        m_view->autoplayNext();
        QCOMPARE(m_rec.selected.last(), QString("/v/C.mp4"));
        const int selections = int(m_rec.selected.size());
        m_view->autoplayNext();  // silent at the end
        QCOMPARE(m_rec.selected.size(), selections);
        QCOMPARE(m_alerts.size(), 1);
        m_view->nextVideoAction();
        QCOMPARE(m_alerts.last(), MLanguageManager::DPLocalizedString("the.Last.one"));
        QCOMPARE(m_view->curIndex(), 2);
        m_view->preVideoAction();
        QCOMPARE(m_rec.selected.last(), QString("/v/B.mp4"));
    }

    void removalReAimsCurrentIndex()
    {
        add({"/v/D.mp4", "/v/C.mp4", "/v/B.mp4", "/v/A.mp4"});
        m_view->nextVideoAction();
        m_view->nextVideoAction();  // C current
        QCOMPARE(m_view->curIndex(), 2);

        // A row above the current one: the current record stays current.
        m_view->menuWillOpen(nullptr, 0);
        m_view->deleteMedia();
        QCOMPARE(m_rec.deleted.last(), qMakePair(QString("/v/A.mp4"), false));
        QCOMPARE(m_view->curIndex(), 1);
        QCOMPARE(m_view->dataArray().at(m_view->curIndex()).fLocalPath, QString("/v/C.mp4"));
        QCOMPARE(m_view->highlightedRow(), 1);

        // A row below: nothing moves.
        m_view->menuWillOpen(nullptr, 2);
        m_view->deleteMedia();
        QCOMPARE(m_rec.deleted.last(), qMakePair(QString("/v/D.mp4"), false));
        QCOMPARE(m_view->curIndex(), 1);

        // The current record itself, at the end: the index stays inside the list.
        m_view->menuWillOpen(nullptr, 1);
        m_view->deleteMedia();
        QCOMPARE(m_rec.deleted.last(), qMakePair(QString("/v/C.mp4"), true));
        QCOMPARE(m_view->curIndex(), 0);
        QCOMPARE(m_view->highlightedRow(), -1);
        m_view->nextVideoAction();
        QCOMPARE(m_alerts.last(), MLanguageManager::DPLocalizedString("the.Last.one"));

        m_view->menuWillOpen(nullptr, 0);
        m_view->deleteMedia();
        QVERIFY(m_view->dataArray().isEmpty());
        m_view->nextVideoAction();
        m_view->autoplayNext();
        QCOMPARE(m_alerts.size(), 1);
    }

    void recordRemovedBeforeItsDelayedSelectionNeverStarts()
    {
        m_rec.selected.clear();
        m_view->loadMediaData({MFileModel::fromPath("/v/A.mp4").toDictionary()});
        m_view->menuWillOpen(nullptr, 0);
        m_view->deleteMedia();  // within the 0.1 s before it would be selected
        QTest::qWait(250);
        QVERIFY(m_rec.selected.isEmpty());
    }

    void contextMenuOffersDeleteOnlyOnARow()
    {
        add({"/v/A.mp4"});
        QMenu menu;
        m_view->menuWillOpen(&menu, -1);
        QVERIFY(menu.actions().isEmpty());
        m_view->menuWillOpen(&menu, 0);
        QCOMPARE(menu.actions().size(), 1);
        QCOMPARE(menu.actions().first()->text(), MLanguageManager::DPLocalizedString("Delete"));
        menu.actions().first()->trigger();
        QVERIFY(m_view->dataArray().isEmpty());
        QCOMPARE(m_rec.deleted.size(), 1);
    }

    void doubleClickPlaysOrRemovesMissingFile()
    {
        const QString real = m_dir.filePath("real.mp4");
        QFile f(real);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.close();
        add({"/nowhere/gone.mp4", real});
        m_view->doubleClick(5);  // below the last row
        m_view->doubleClick(-1);
        QCOMPARE(m_rec.selected.size(), 1);

        m_view->doubleClick(1);
        QCOMPARE(m_alerts, QStringList{MLanguageManager::DPLocalizedString("Cannot.find.the.file.under.the.path")});
        QCOMPARE(paths(*m_view), QStringList{real});
        QCOMPARE(m_rec.deleted.last(), qMakePair(QString("/nowhere/gone.mp4"), true));

        m_view->doubleClick(0);
        QCOMPARE(m_rec.selected.last(), real);
        QCOMPARE(m_view->highlightedRow(), 0);
    }

    void dropsAreFilteredBySuffix()
    {
        QCOMPARE(MTool::isRecordingPath("/a/x.MP4"), true);
        QCOMPARE(MTool::isRecordingPath("/a/x.TS"), true);
        QCOMPARE(MTool::isRecordingPath("/a/x.Mp4"), false);
        QCOMPARE(MTool::isRecordingPath("/a/x.avi"), false);
        QCOMPARE(MTool::isRecordingPath("/a/x.m4v"), false);

        QMimeData refused;
        refused.setUrls({QUrl::fromLocalFile("/a/x.avi"), QUrl::fromLocalFile("/a/dir")});
        QVERIFY(!m_view->canAcceptDrag(&refused));
        m_view->dropFiles(&refused);
        QCOMPARE(m_rec.fileLists.last(), QStringList());  // reported, empty

        QMimeData mixed;
        mixed.setUrls({QUrl::fromLocalFile("/a/1.avi"), QUrl::fromLocalFile("/a/2.mp4"),
                       QUrl("https://example.org/3.mp4"), QUrl::fromLocalFile("/a/4.mov")});
        QVERIFY(m_view->canAcceptDrag(&mixed));
        m_view->dropFiles(&mixed);
        QCOMPARE(m_rec.fileLists.last(), (QStringList{"/a/2.mp4", "/a/4.mov"}));
        QVERIFY(m_view->dataArray().isEmpty());  // the controller adds them, not the list
    }

    void realDragEventsReachTheFilter()
    {
        QWidget *target = m_view->tableView()->viewport();
        QMimeData refused;
        refused.setUrls({QUrl::fromLocalFile("/a/x.avi")});
        QDragEnterEvent no(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &refused, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &no);
        QVERIFY(!no.isAccepted());

        QMimeData mixed;
        mixed.setUrls({QUrl::fromLocalFile("/a/x.avi"), QUrl::fromLocalFile("/a/y.TS")});
        QDragEnterEvent yes(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &mixed, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &yes);
        QVERIFY(yes.isAccepted());
        QCOMPARE(yes.dropAction(), Qt::CopyAction);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &mixed, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QCOMPARE(m_rec.fileLists.last(), QStringList{"/a/y.TS"});
    }

    void playFileNotificationAddsInOfferedOrder()
    {
        NotificationHub::defaultCenter()->post(
            kPlayFile, QVariant::fromValue(QList<QUrl>{QUrl::fromLocalFile("/v/1.mp4"), QUrl::fromLocalFile("/v/2.ts")}));
        QCOMPARE(paths(*m_view), (QStringList{"/v/1.mp4", "/v/2.ts"}));
        QTRY_COMPARE(m_rec.selected, QStringList{"/v/1.mp4"});
        QCOMPARE(m_view->dataArray().first().fName, QString("1.mp4"));
    }

    // The command line and the Open dialog follow the rule of a drop: "notes.avi" and
    // "x.Mp4" are not listed. A FIFO named like a recording is refused as unreadable: its
    // reader would wait for a writer forever.
    void offeredFilesFollowTheDropRule()
    {
        const QString fifo = m_dir.filePath("pipe.mp4");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        NotificationHub::defaultCenter()->post(
            kPlayFile, QVariant::fromValue(QList<QUrl>{QUrl::fromLocalFile("/v/notes.avi"), QUrl::fromLocalFile("/v/x.Mp4"),
                                                       QUrl::fromLocalFile(fifo), QUrl::fromLocalFile("/v/3.MOV")}));
        QCOMPARE(paths(*m_view), QStringList{"/v/3.MOV"});
        QCOMPARE(m_alerts, QStringList{MLanguageManager::DPLocalizedString("Cannot.find.the.file.under.the.path")});
        QTRY_COMPARE(m_rec.selected, QStringList{"/v/3.MOV"});
        m_view->addRecordings({"/v/only.avi"});
        QCOMPARE(paths(*m_view), QStringList{"/v/3.MOV"});
        QVERIFY(FolderScanner::isNotAFile(fifo));
        QVERIFY(!FolderScanner::isNotAFile(m_dir.filePath("missing.mp4")));
        QVERIFY(!FolderScanner::isNotAFile(m_dir.path()));
        QFile::remove(fifo);
    }

    void clicksNeverSelectAndRetitlingKeepsRows()
    {
        QVERIFY(showList({"/v/B.mp4", "/v/A.mp4"}));
        QTableView *table = m_view->tableView();
        const QRect r = table->visualRect(m_view->model()->index(1, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, r.center());
        QVERIFY(!table->selectionModel()->hasSelection());
        QCOMPARE(m_view->highlightedRow(), 0);

        QCOMPARE(m_view->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 MLanguageManager::DPLocalizedString("File.name"));
        MLanguageManager::setNewLanguage(3);
        QCOMPARE(m_view->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 MLanguageManager::DPLocalizedString("File.name"));
        QCOMPARE(m_view->dataArray().size(), 2);
        QCOMPARE(m_view->highlightedRow(), 0);
        MLanguageManager::setNewLanguage(0);
    }

    void rowsAreDarkWithLightTextAndAClearCurrentRow()
    {
        QVERIFY(showList({"/v/C.mp4", "/v/B.mp4", "/v/A.mp4"}));
        QTableView *table = m_view->tableView();
        QCOMPARE(m_view->highlightedRow(), 0);
        const QImage shot = table->viewport()->grab().toImage();
        auto rowBackground = [&](int row) {
            const QRect r = table->visualRect(m_view->model()->index(row, 0));
            return shot.pixelColor(r.right() - 2, r.center().y());
        };
        auto brightestIn = [&](int row) {
            const QRect r = table->visualRect(m_view->model()->index(row, 0));
            int best = 0;
            for (int x = r.left(); x < r.left() + r.width() / 2; ++x)
                best = qMax(best, shot.pixelColor(x, r.center().y()).lightness());
            return best;
        };
        const QColor plain = rowBackground(1), alternate = rowBackground(2), current = rowBackground(0);
        QVERIFY2(plain.lightness() < 70 && alternate.lightness() < 70, qPrintable(plain.name() + alternate.name()));
        QVERIFY2(plain != alternate, "alternate rows should be told apart");
        QVERIFY2(qAbs(plain.lightness() - alternate.lightness()) < 25, "the second shade should stay subtle");
        const int contrast = qAbs(current.red() - plain.red()) + qAbs(current.green() - plain.green())
                             + qAbs(current.blue() - plain.blue());
        QVERIFY2(contrast > 120, qPrintable(current.name()));
        QVERIFY2(brightestIn(1) > 180, "file names should be light on the dark rows");
        // Empty space below the rows is as dark as the rows, not a white sheet.
        QVERIFY(shot.pixelColor(shot.width() / 2, shot.height() - 3).lightness() < 70);
        // The header matches: a dark strip with light text.
        const QImage header = table->horizontalHeader()->grab().toImage();
        QVERIFY(header.pixelColor(header.width() - 3, header.height() / 2).lightness() < 90);
        // The grey border around the list stays.
        const QImage whole = m_view->grab().toImage();
        QCOMPARE(whole.pixelColor(0, whole.height() / 2), QColor(197, 197, 197));
    }

    void listSurvivesARestartWithoutPlaying()
    {
        add({"/v/B.mp4", "/v/A.mp4"});
        m_view->menuWillOpen(nullptr, 1);
        m_view->deleteMedia();
        add({"/v/C.mov"});
        m_view.reset();

        Recorder fresh;
        MediaListView again(nullptr, MediaListStore(m_dir.filePath("mediaList")));
        again.setDelegate(&fresh);
        QCOMPARE(paths(again), (QStringList{"/v/C.mov", "/v/A.mp4"}));
        QTest::qWait(200);
        QVERIFY(fresh.selected.isEmpty());
        QCOMPARE(again.highlightedRow(), -1);
    }

    void foldersAreWalkedInNameOrder()
    {
        // A camera card: front and rear folders, numbers that only sort right as numbers, case
        // that does not count, a folder name that begins another one, and what must be left
        // out (hidden files, other endings, a loop of links, a link to a folder off the card).
        QTemporaryDir card, elsewhere;
        const QDir root(card.path());
        for (const char *f : {"Movie/clip10.MP4", "Movie/clip2.MP4", "MovieRO/e.mp4", "Event/B.ts", "Event/a.ts",
                              "Parking/.hidden.mp4", "Parking/._b.MP4", "Parking/notes.txt", "Parking/c.Mp4",
                              ".Trash/d.mp4", "z.mov"}) {
            QVERIFY(root.mkpath(QFileInfo(root.filePath(f)).path()));
            QFile file(root.filePath(f));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFile far(QDir(elsewhere.path()).filePath("far.mp4"));
        QVERIFY(far.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(card.path(), root.filePath("Movie/loop")));
        QVERIFY(QFile::link(elsewhere.path(), root.filePath("Event/elsewhere")));
        const QStringList expected{root.filePath("Event/a.ts"), root.filePath("Event/B.ts"),
                                   root.filePath("Movie/clip2.MP4"), root.filePath("Movie/clip10.MP4"),
                                   root.filePath("MovieRO/e.mp4"), root.filePath("z.mov")};

        // A real drop of the folder on the list: accepted, handed on as the folder itself.
        QWidget *target = m_view->tableView()->viewport();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(card.path())});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QCOMPARE(m_rec.fileLists.last(), QStringList{card.path()});

        // Adding it walks it off the GUI thread; the recordings come in name order, the
        // first becomes current.
        m_view->addRecordings(m_rec.fileLists.last());
        QVERIFY(m_view->isScanning());
        QVERIFY(m_view->dataArray().isEmpty());
        QTRY_COMPARE(paths(*m_view), expected);
        QTRY_COMPARE(m_rec.selected, QStringList{expected.first()});

        // The same folder again (now through "kPlayFile", as Open Folder and the command line
        // send it) adds nothing twice; a file given beside it keeps its place.
        NotificationHub::defaultCenter()->post(
            kPlayFile, QVariant::fromValue(QList<QUrl>{QUrl::fromLocalFile("/v/z.mp4"), QUrl::fromLocalFile(card.path())}));
        QTRY_COMPARE(paths(*m_view).size(), expected.size() + 1);
        QCOMPARE(paths(*m_view).first(), QString("/v/z.mp4"));
        QCOMPARE(FolderScanner::collect({card.path() + "/Parking", card.path() + "/missing"}), QStringList());
    }

    void aCardIsListedOneRowPerMomentWithChannelsAndKinds()
    {
        QTemporaryDir card;
        const QDir root(card.path());
        for (const char *f : {"Movie/2026_0514_091500_0001F.MP4", "Movie/2026_0514_091501_0001R.MP4",
                              "Movie/2026_0514_091600_0002F.MP4", "RO/2026_0514_091700_0003EF.MP4",
                              "RO/2026_0514_091700_0003ER.MP4", "Parking/2026_0514_092000_0004PR.MP4"}) {
            QVERIFY(root.mkpath(QFileInfo(root.filePath(f)).path()));
            QFile file(root.filePath(f));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        m_view->addRecordings({card.path()});
        QTRY_COMPARE(m_view->dataArray().size(), 4);
        const QList<MFileModel> rows = m_view->dataArray();
        // In the order recorded (RO/ between Movie/ and Parking/), each moment once: its front
        // file, the rear beside it.
        QCOMPARE(rows.at(0).fLocalPath, root.filePath("Movie/2026_0514_091500_0001F.MP4"));
        QCOMPARE(rows.at(0).channel, QString("front"));
        QCOMPARE(rows.at(0).kind, QString("normal"));
        QCOMPARE(rows.at(0).otherChannels.size(), 1);
        QCOMPARE(rows.at(0).otherChannels.at(0).channel, QString("rear"));
        QCOMPARE(rows.at(0).otherChannels.at(0).fLocalPath, root.filePath("Movie/2026_0514_091501_0001R.MP4"));
        QVERIFY(rows.at(1).otherChannels.isEmpty());
        QCOMPARE(rows.at(3).kind, QString("parking"));
        QCOMPARE(rows.at(3).channel, QString("rear"));
        QCOMPARE(rows.at(2).kind, QString("locked"));
        MediaListModel *model = m_view->model();
        QCOMPARE(model->data(model->index(0, MediaListModel::ChannelsColumn), Qt::DisplayRole).toString(), QString("F R"));
        QCOMPARE(model->data(model->index(3, MediaListModel::ChannelsColumn), Qt::DisplayRole).toString(), QString("R"));
        // The kind as its initial, the word in the tip, whatever the language.
        const QString locked = model->data(model->index(2, MediaListModel::KindColumn), Qt::ToolTipRole).toString();
        QCOMPARE(locked, MediaListModel::kindWord("locked"));
        QVERIFY(!locked.isEmpty());
        QCOMPARE(model->data(model->index(2, MediaListModel::KindColumn), Qt::DisplayRole).toString(), locked.left(1));
        QCOMPARE(model->data(model->index(2, MediaListModel::KindColumn), Qt::ForegroundRole).value<QColor>(),
                 MediaListModel::kindColor("locked"));
        QVERIFY(model->data(model->index(1, MediaListModel::EventsColumn), Qt::DisplayRole).toString().isEmpty());
        model->setEventCount(rows.at(1).fLocalPath, 3);
        QCOMPARE(model->data(model->index(1, MediaListModel::EventsColumn), Qt::DisplayRole).toString(), QString("3"));
        QCOMPARE(model->eventCount(1), 3);

        // The short columns show here, where rows fill them; lone files leave the width to names.
        QTableView *table = m_view->tableView();
        QTRY_VERIFY(!table->isColumnHidden(MediaListModel::EventsColumn));
        QVERIFY(!table->isColumnHidden(MediaListModel::ChannelsColumn));
        QVERIFY(!table->isColumnHidden(MediaListModel::KindColumn));
        model->setRecords({MFileModel("a.mp4", "/v/a.mp4"), MFileModel("b.mp4", "/v/b.mp4")});
        model->setEventCount("/v/a.mp4", 0);
        QTRY_VERIFY(table->isColumnHidden(MediaListModel::ChannelsColumn));
        QVERIFY(table->isColumnHidden(MediaListModel::KindColumn));
        QVERIFY(table->isColumnHidden(MediaListModel::EventsColumn));
        model->setEventCount("/v/b.mp4", 2);
        QTRY_VERIFY(!table->isColumnHidden(MediaListModel::EventsColumn));
        QVERIFY(table->isColumnHidden(MediaListModel::KindColumn));
        model->setRecords(rows);
        QTRY_VERIFY(!table->isColumnHidden(MediaListModel::KindColumn));
        QVERIFY(!table->isColumnHidden(MediaListModel::ChannelsColumn));

        // The filter by kind hides the other rows and brings them back.
        m_view->kindFilter()->chooseKind("locked");
        QCOMPARE(m_view->tableView()->isRowHidden(0), true);
        QCOMPARE(m_view->tableView()->isRowHidden(2), false);
        m_view->kindFilter()->chooseKind("");
        QCOMPARE(m_view->tableView()->isRowHidden(0), false);

        // Its front file offered alone later finds its moment listed: nothing added, nothing lost.
        m_view->addRecordings({root.filePath("Movie/2026_0514_091500_0001F.MP4")});
        QTRY_COMPARE(m_rec.selected.size(), 2);
        QCOMPARE(m_view->dataArray().size(), 4);
        QCOMPARE(m_view->dataArray().at(0).otherChannels.size(), 1);
    }

    void aFolderOfThousandsIsListedWithoutBlocking()
    {
        QTemporaryDir card;
        const QDir root(card.path());
        QVERIFY(root.mkpath("DCIM/Movie"));
        for (int i = 0; i < 5000; ++i) {
            QFile f(root.filePath(QStringLiteral("DCIM/Movie/%1_F.MP4").arg(i, 5, 10, QLatin1Char('0'))));
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (i == 17)
                f.write("not a recording at all"); // one bad file among them
        }
        m_view->addRecordings({card.path()});
        // The call returns at once; the walk goes on elsewhere.
        QVERIFY(m_view->isScanning());
        QTRY_COMPARE_WITH_TIMEOUT(m_view->dataArray().size(), 5000, 30000);
        QCOMPARE(m_view->dataArray().first().fName, QString("00000_F.MP4"));
        QCOMPARE(m_view->dataArray().last().fName, QString("04999_F.MP4"));
        QTRY_COMPARE(m_rec.selected.size(), 1);
    }

    // A card's selection dropped as files: read as a card off the GUI thread, like a folder,
    // and its moments come back after a restart with their channels and kinds.
    void manyFilesAreReadAsACardOffTheWindowsThread()
    {
        QTemporaryDir card;
        const QDir root(card.path());
        QVERIFY(root.mkpath("RO"));
        QStringList files;
        const int moments = int(MediaListView::kInlineFiles); // two files each
        for (int k = 0; k < moments; ++k)
            for (const char *channel : {"F", "R"}) {
                files << root.filePath(QStringLiteral("RO/2026_0514_%1_%2E%3.MP4")
                                           .arg(QTime(9, 15).addSecs(k * 60).toString(QStringLiteral("HHmmss")))
                                           .arg(k + 1, 4, 10, QLatin1Char('0'))
                                           .arg(QLatin1String(channel)));
                QFile f(files.last());
                QVERIFY(f.open(QIODevice::WriteOnly));
            }
        m_view->addRecordings(files);
        QVERIFY(m_view->isScanning());
        QTRY_COMPARE(m_view->dataArray().size(), moments);
        const MFileModel first = m_view->dataArray().first();
        QCOMPARE(first.kind, QString("locked"));
        QCOMPARE(first.otherChannels.size(), 1);
        QCOMPARE(first.otherChannels.first().channel, QString("rear"));

        MediaListView again(nullptr, MediaListStore(m_dir.filePath("mediaList")));
        QCOMPARE(again.dataArray().size(), moments);
        const MFileModel back = again.dataArray().first();
        QCOMPARE(back.fLocalPath, first.fLocalPath);
        QCOMPARE(back.kind, QString("locked"));
        QCOMPARE(back.channel, QString("front"));
        QCOMPARE(back.otherChannels.size(), 1);
        QCOMPARE(back.otherChannels.first().fLocalPath, first.otherChannels.first().fLocalPath);
        MediaListModel *model = again.model();
        QCOMPARE(model->data(model->index(0, MediaListModel::ChannelsColumn), Qt::DisplayRole).toString(), QString("F R"));
    }

    void lastCurrentRowComesBackHighlightedNotPlaying()
    {
        add({"/v/C.mp4", "/v/B.mp4", "/v/A.mp4"});
        m_view->nextVideoAction();
        QCOMPARE(Preferences::lastRecording(), QString("/v/B.mp4"));
        m_view.reset();

        Recorder fresh;
        MediaListView again(nullptr, MediaListStore(m_dir.filePath("mediaList")));
        again.setDelegate(&fresh);
        QVERIFY(again.restoreCurrent(Preferences::lastRecording()));
        QCOMPARE(again.curIndex(), 1);
        QCOMPARE(again.highlightedRow(), 1);
        QVERIFY(!again.restoreCurrent("/v/gone.mp4"));
        QCOMPARE(again.curIndex(), 1);
        QTest::qWait(200);
        QVERIFY(fresh.selected.isEmpty());
    }

    void deleteKeyRemovesTheClickedRowWhileTheListHasFocus()
    {
        QVERIFY(showList({"/v/C.mp4", "/v/B.mp4", "/v/A.mp4"}, true));
        QTableView *table = m_view->tableView();
        // Without the focus the key does nothing.
        QTest::keyClick(m_view.get(), Qt::Key_Delete);
        QCOMPARE(m_view->dataArray().size(), 3);
        const QRect r = table->visualRect(m_view->model()->index(2, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, r.center());
        QVERIFY(table->hasFocus());
        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(paths(*m_view), (QStringList{"/v/A.mp4", "/v/B.mp4"}));
        QCOMPARE(m_rec.deleted.last(), qMakePair(QString("/v/C.mp4"), false));
        // Then the current row (row 0, A) goes: the player is told to stop.
        table->setCurrentIndex(QModelIndex());
        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(paths(*m_view), QStringList{"/v/B.mp4"});
        QCOMPARE(m_rec.deleted.last(), qMakePair(QString("/v/A.mp4"), true));
    }

    void defaultStoreLivesInTheDataDirectory()
    {
        MediaListStore store;
        QCOMPARE(store.path(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/mediaList");
    }

    void cleanupTestCase() { m_view.reset(); }
};

QTEST_MAIN(TestMediaListView)
#include "test_medialistview.moc"
