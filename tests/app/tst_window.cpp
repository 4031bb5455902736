#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QSettings>
#include <QSignalSpy>
#include <QUrl>
#include <QLoggingCategory>
#include <QtTest>

#include "app/appdelegate.h"
#include "app/clipexport.h"
#include "app/clipmarks.h"
#include "app/timelinefeed.h"
#include "app/incidenttools.h"
#include "core/extension.h"
#include "app/mainmenu.h"
#include "app/playbackactions.h"
#include "app/playbackcommands.h"
#include "app/videoonlymode.h"
#include "playback/channelset.h"
#include "playback/mediaplayview.h"
#include "playback/playcontrolview.h"
#include "core/notificationhub.h"
#include "app/ovraplayvc.h"
#include "app/ovrawindowplaycontroller.h"
#include "core/preferences.h"
#include "instruments/timelineview.h"
#include "library/medialistview.h"
#include "playback/playbackcontroller.h"
#include "support/sceneview.h"
#include "support/testsettings.h"
#include "app/titlestrip.h"
#include "app/windowbutton.h"

class TestWindow : public QObject {
    Q_OBJECT
    TestSettings settings;

    static QList<WindowButton *> buttons(TitleStrip *s)
    {
        return {s->closeButton(), s->miniaturizeButton(), s->zoomButton()};
    }

private slots:
    void init() { TestSettings::clear(); }

    void windowHasItsMinimumSizeAndTitle()
    {
        OvraWindowPlayController c(OvraWindowPlayController::createWindow());
        QWidget *w = c.window();
        QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(w->minimumSize(), QSize(1080, 660));
        QCOMPARE(w->size(), QSize(1080, 660));
        QCOMPARE(w->windowTitle(), QStringLiteral("Trava Player"));
        QCOMPARE(w->palette().color(QPalette::Window), QColor(240, 240, 240));
        w->resize(800, 500);
        QVERIFY(w->width() >= 1080 && w->height() >= 660);
        // The main view fills the window and follows it.
        w->resize(1300, 800);
        QCOMPARE(c.playerVC()->geometry(), QRect(0, 0, 1300, 800));
        QCOMPARE(c.playerVC()->parentWidget(), w);
    }

    void titleStripSitsAlongTheTopEdge()
    {
        OvraWindowPlayController c(OvraWindowPlayController::createWindow());
        QWidget *w = c.window();
        w->resize(1200, 1500);
        TitleStrip *strip = c.titleStrip();
        // y-up: a 1500-high window puts the 50-high strip at 1450.
        QCOMPARE(Extension::y(strip), 1450);
        QCOMPARE(Extension::height(strip), 50);
        QCOMPARE(strip->geometry(), QRect(0, 0, 1200, 50));
        for (WindowButton *b : buttons(strip)) {
            QCOMPARE(b->height(), 16);
            QCOMPARE(Extension::y(b), 17);
        }
        c.updateTitleBarOfWindow(w, true);
        for (WindowButton *b : buttons(strip))
            QCOMPARE(Extension::y(b), 3);
        c.updateTitleBarOfWindow(w, false);
        for (WindowButton *b : buttons(strip))
            QCOMPARE(Extension::y(b), 17);
        // Buttons at the right end, inside the window, in the order minimise, zoom, close.
        QVERIFY(strip->miniaturizeButton()->x() < strip->zoomButton()->x());
        QVERIFY(strip->zoomButton()->x() < strip->closeButton()->x());
        QVERIFY(strip->closeButton()->geometry().right() < w->width());
        QVERIFY(strip->closeButton()->x() > w->width() - 60);
    }

    void titleShowsOnlyInFullScreen()
    {
        OvraWindowPlayController c(OvraWindowPlayController::createWindow());
        QVERIFY(!c.titleStrip()->isTitleVisible());
        c.windowDidEnterFullScreen();
        QVERIFY(c.titleStrip()->isTitleVisible());
        QCOMPARE(c.titleStrip()->titleLabel()->text(), QStringLiteral("Trava Player"));
        for (WindowButton *b : buttons(c.titleStrip()))
            QCOMPARE(Extension::y(b), 3);
        // A resize while in full screen lays the buttons out for windowed mode.
        c.windowDidResize();
        for (WindowButton *b : buttons(c.titleStrip()))
            QCOMPARE(Extension::y(b), 17);
        c.windowDidExitFullScreen();
        QVERIFY(!c.titleStrip()->isTitleVisible());
    }

    void stripTakesTheMouseOnlyOnItsControls()
    {
        OvraWindowPlayController c(OvraWindowPlayController::createWindow());
        TitleStrip *strip = c.titleStrip();
        const QRegion mask = strip->mask();
        QVERIFY(mask.contains(strip->closeButton()->geometry().center()));
        // The settings button of the main view lies under the strip and stays clickable.
        QWidget *gear = sceneView<QToolButton>(c.playerVC(), "settingButton");
        const QPoint gearInStrip = strip->mapFrom(c.window(), gear->mapTo(c.window(), gear->rect().center()));
        QVERIFY(!mask.contains(gearInStrip));
        QVERIFY(!gear->geometry().isEmpty());
        QVERIFY(gear->mapTo(c.window(), QPoint(gear->width(), 0)).x() < strip->miniaturizeButton()->x());
    }

    void closeButtonAndWindowCloseQuit()
    {
        OvraWindowPlayController c(OvraWindowPlayController::createWindow());
        QSignalSpy quit(&c, &OvraWindowPlayController::quitRequested);
        c.titleStrip()->closeButton()->click();
        QCOMPARE(quit.count(), 1);

        OvraWindowPlayController c2(OvraWindowPlayController::createWindow());
        QSignalSpy quit2(&c2, &OvraWindowPlayController::quitRequested);
        QVERIFY(!c2.window()->close()); // refused: quitting instead
        QCOMPARE(quit2.count(), 1);
        QVERIFY(c2.window()->isVisible());
    }

    void minimisedWindowComesBack()
    {
        OvraWindowPlayController c(OvraWindowPlayController::createWindow());
        AppDelegate d;
        c.window()->showMinimized();
        c.bringToFront();
        QVERIFY(!c.window()->isMinimized());
        QVERIFY(c.window()->isVisible());
        QVERIFY(d.applicationShouldHandleReopen(true));
    }

    void launchStoresUnitAndOpensStartFiles()
    {
        QList<QUrl> posted;
        QObject receiver;
        NotificationHub::defaultCenter()->observe(QString::fromLatin1(kPlayFile), &receiver,
                                                  [&posted](const QVariant &o) { posted = o.value<QList<QUrl>>(); });
        AppDelegate d;
        // The start-up lines reach the log under the default rules (debug chatter off).
        QLoggingCategory::setFilterRules(QStringLiteral("trava.*.debug=false"));
        QTest::ignoreMessage(QtInfoMsg, "applicationDidFinishLaunching");
        QTest::ignoreMessage(QtInfoMsg, "mmp");
        d.applicationDidFinishLaunching({QStringLiteral("/x/a.mp4"), QStringLiteral("/x/b c.MOV")});
        QCOMPARE(QSettings().value(kSpeedUnitType).toString(), QStringLiteral("KMH"));
        QVERIFY(d.windowVC());
        QCOMPARE(d.windowVC()->titleStrip()->menuBar(), d.mainMenu()->menuBar());
        // The tools' items are handed to the File menu: Export Track... and Export Clip... after
        // Close, then Load Track... with its targets, and Connect to Camera... last.
        const QList<QAction *> file = d.mainMenu()->fileMenu()->actions();
        QCOMPARE(file.size(), 10);
        QVERIFY(file.at(3)->isSeparator());
        QCOMPARE(file.at(4), d.windowVC()->playerVC()->incidentTools()->exportAction());
        auto *clips = d.windowVC()->findChild<ClipExport *>(QStringLiteral("clipExport"));
        QVERIFY(clips);
        QCOMPARE(file.at(5), clips->exportAction());
        QVERIFY(file.at(6)->menu());
        QCOMPARE(file.at(6)->menu()->actions().size(), 2);
        QCOMPARE(file.at(7)->objectName(), QStringLiteral("preferLoadedTrackAction"));
        QCOMPARE(file.at(8)->objectName(), QStringLiteral("unloadTrackAction"));
        QCOMPARE(file.at(9)->objectName(), QStringLiteral("connectCameraAction"));
        QVERIFY(file.at(9)->text().endsWith(QString::fromUtf8("…"))); // it asks before it connects
        // The clip's marks and the track nudge are in the Playback menu, the nudge last.
        const QList<QAction *> playback = d.mainMenu()->playbackMenu()->actions();
        QVERIFY(playback.contains(clips->clearMarksAction()));
        QCOMPARE(playback.last()->shortcut(), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Right));
        // Posted once the event loop runs, not during start-up.
        QVERIFY(posted.isEmpty());
        QTRY_COMPARE(posted.size(), 2);
        QCOMPARE(posted.at(0), QUrl::fromLocalFile(QStringLiteral("/x/a.mp4")));
        QCOMPARE(posted.at(1).toLocalFile(), QStringLiteral("/x/b c.MOV"));

        // A second start without files posts nothing but raises the window.
        posted.clear();
        d.windowVC()->window()->showMinimized();
        d.openFiles({});
        QVERIFY(!d.windowVC()->window()->isMinimized());
        QVERIFY(posted.isEmpty());
    }

    // The timeline under the picture shows the clip's marks as the slider does, and shades a
    // recording the card's rules set apart by its kind; another recording on display drops both.
    void timelineShowsMarksAndKindOfTheRecording()
    {
        AppDelegate d;
        d.applicationDidFinishLaunching({});
        OvraPlayVC *vc = d.windowVC()->playerVC();
        auto *clips = d.windowVC()->findChild<ClipExport *>(QStringLiteral("clipExport"));
        TimelineView *timeline = vc->timeline();
        auto *feed = timeline->findChild<TimelineFeed *>(QStringLiteral("timelineFeed"));
        QVERIFY(clips && feed);
        const QString locked = QStringLiteral("/card/RO/2026_0514_091500_0001F.MP4");
        vc->mediaList()->loadMediaData({{{QStringLiteral("fName"), QStringLiteral("a.MP4")},
                                         {QStringLiteral("fLocalPath"), locked},
                                         {QStringLiteral("kind"), QStringLiteral("locked")}}});
        feed->refresh();
        emit vc->player()->controller()->timeChanged(1.0, 60.0);
        const TimelineModel &model = timeline->model();
        QCOMPARE(model.spans.size(), 1);
        QCOMPARE(model.spans.first().kind, QStringLiteral("locked"));
        QCOMPARE(model.spans.first().from, 0.0);
        QCOMPARE(model.spans.first().to, 60.0);
        clips->marks()->setIn(locked, 12.5);
        QCOMPARE(model.clipIn, std::optional<double>(12.5));
        QVERIFY(!model.clipOut);
        clips->marks()->setOut(locked, 40.0);
        QCOMPARE(model.clipOut, std::optional<double>(40.0));
        clips->clearMarks();
        QVERIFY(!model.clipIn && !model.clipOut);
        clips->marks()->setIn(locked, 5.0);

        const QString normal = QStringLiteral("/card/Movie/2026_0514_091600_0002F.MP4");
        vc->mediaList()->loadMediaData({{{QStringLiteral("fName"), QStringLiteral("b.MP4")},
                                         {QStringLiteral("fLocalPath"), normal},
                                         {QStringLiteral("kind"), QStringLiteral("normal")}}});
        feed->refresh();
        emit vc->player()->controller()->timeChanged(1.0, 60.0);
        QVERIFY(model.spans.isEmpty());
        QVERIFY(!model.clipIn && !model.clipOut);
    }

    void menusAndWindowGoDownInEitherOrder()
    {
        auto *controller = new OvraWindowPlayController(OvraWindowPlayController::createWindow());
        auto *menu = new MainMenu(controller->window());
        controller->titleStrip()->setMenuBar(menu->menuBar());
        QPointer<QMenuBar> bar = menu->menuBar();
        delete controller; // takes the bar down with the window
        QVERIFY(bar.isNull());
        delete menu;       // must not delete it again

        auto *controller2 = new OvraWindowPlayController(OvraWindowPlayController::createWindow());
        auto *menu2 = new MainMenu(controller2->window());
        controller2->titleStrip()->setMenuBar(menu2->menuBar());
        delete menu2;
        QVERIFY(!controller2->titleStrip()->findChild<QMenuBar *>());
        delete controller2;
    }

    void keysBelongToTheWindowFromTheFirstSecond()
    {
        AppDelegate d;
        d.applicationDidFinishLaunching();
        QWidget *w = d.windowVC()->window();
        QVERIFY(QTest::qWaitForWindowActive(w));
        OvraPlayVC *vc = d.windowVC()->playerVC();
        vc->setAlertHandler([](const QString &, const QString &, const QStringList &) { return 1000; });
        PlaybackActions *keys = d.mainMenu()->playbackActions();
        QSignalSpy playPause(keys, &PlaybackActions::playPauseRequested);
        QSignalSpy seek(keys, &PlaybackActions::seekRequested);
        QSignalSpy volume(keys, &PlaybackActions::volumeStepRequested);
        QSignalSpy previous(keys, &PlaybackActions::previousRequested);
        QSignalSpy next(keys, &PlaybackActions::nextRequested);
        QSignalSpy speed(keys, &PlaybackActions::speedStepRequested);
        // The desktop's language picks the first one (a German desktop starts in German).
        const int language = sceneView<QComboBox>(vc, "languageBox")->currentIndex();

        // Whatever has the focus: the gear button, the language box, nothing in particular.
        for (QWidget *focus : {static_cast<QWidget *>(sceneView<QToolButton>(vc, "settingButton")), static_cast<QWidget *>(sceneView<QComboBox>(vc, "languageBox")), w}) {
            focus->setFocus();
            QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : w;
            const qsizetype before = playPause.size();
            QTest::keyClick(target, Qt::Key_Space);
            QCOMPARE(playPause.size(), before + 1);
            QVERIFY2(!vc->isSetShow(), "Space opened the settings panel");
            QTest::keyClick(target, Qt::Key_Left);
            QTest::keyClick(target, Qt::Key_Right);
            QTest::keyClick(target, Qt::Key_Right, Qt::ShiftModifier);
            QTest::keyClick(target, Qt::Key_Left, Qt::ShiftModifier);
            QCOMPARE(seek.size(), 4);
            QCOMPARE(seek.at(0).at(0).toDouble(), -5.0);
            QCOMPARE(seek.at(1).at(0).toDouble(), 5.0);
            QCOMPARE(seek.at(2).at(0).toDouble(), 30.0);
            QCOMPARE(seek.at(3).at(0).toDouble(), -30.0);
            seek.clear();
            QTest::keyClick(target, Qt::Key_Up);
            QTest::keyClick(target, Qt::Key_Down);
            QCOMPARE(volume.size(), 2);
            QCOMPARE(volume.at(0).at(0).toInt(), 1);
            QCOMPARE(volume.at(1).at(0).toInt(), -1);
            volume.clear();
            QTest::keyClick(target, Qt::Key_PageUp);
            QTest::keyClick(target, Qt::Key_PageDown);
            QCOMPARE(previous.size(), 1);
            QCOMPARE(next.size(), 1);
            previous.clear();
            next.clear();
            QTest::keyClick(target, Qt::Key_BracketRight);
            QTest::keyClick(target, Qt::Key_Backspace);
            QCOMPARE(speed.size(), 2);
            speed.clear();
        }
        // The language box kept its choice: the arrows never reached it.
        QCOMPARE(sceneView<QComboBox>(vc, "languageBox")->currentIndex(), language);

        // Inside an open combo box list the keys are the list's.
        sceneView<QComboBox>(vc, "languageBox")->setFocus();
        sceneView<QComboBox>(vc, "languageBox")->showPopup();
        QWidget *popup = QApplication::activePopupWidget();
        QVERIFY(popup);
        QTest::keyClick(popup->focusWidget() ? popup->focusWidget() : popup, Qt::Key_Down);
        QTest::keyClick(popup->focusWidget() ? popup->focusWidget() : popup, Qt::Key_Right);
        QCOMPARE(volume.size(), 0);
        QCOMPARE(seek.size(), 0);
        sceneView<QComboBox>(vc, "languageBox")->hidePopup();

        // F and F11 toggle the dashboard's full screen, Escape leaves it.
        QTest::keyClick(w, Qt::Key_F);
        QTRY_VERIFY(w->isFullScreen());
        QTest::keyClick(w, Qt::Key_Escape);
        QTRY_VERIFY(!w->isFullScreen());
        QTest::keyClick(w, Qt::Key_F11);
        QTRY_VERIFY(w->isFullScreen());
        QTest::keyClick(w, Qt::Key_F11);
        QTRY_VERIFY(!w->isFullScreen());
        // The menu shows the Playback items beside File.
        QCOMPARE(d.mainMenu()->menuBar()->actions().at(2)->menu(), d.mainMenu()->playbackMenu());
    }

    // The Playback menu carries the channels' Layout and Channel offset items; the layout
    // chosen there is the player's and is kept; the bar's layout button shows only while
    // more than one channel plays.
    void channelItemsInThePlaybackMenu()
    {
        AppDelegate d;
        d.applicationDidFinishLaunching();
        QMenu *playback = d.mainMenu()->playbackMenu();
        auto *layout = playback->findChild<QMenu *>(QStringLiteral("channelLayoutMenu"));
        auto *offsets = playback->findChild<QMenu *>(QStringLiteral("channelOffsetMenu"));
        QVERIFY(layout && offsets);
        QVERIFY(playback->actions().contains(layout->menuAction()));
        QVERIFY(playback->actions().contains(offsets->menuAction()));
        QCOMPARE(layout->actions().size(), 3);
        MediaPlayView *player = d.windowVC()->playerVC()->player();
        auto *grid = layout->findChild<QAction *>(QStringLiteral("gridAction"), Qt::FindDirectChildrenOnly);
        if (!grid)
            for (QAction *a : layout->actions())
                if (a->objectName() == QLatin1String("gridAction"))
                    grid = a;
        QVERIFY(grid);
        grid->trigger();
        QCOMPARE(player->channels()->mode(), ChannelLayout::Mode::Grid);
        QVERIFY(grid->isChecked());
        QCOMPARE(QSettings().value(QStringLiteral("kChannelLayout")).toString(), QStringLiteral("grid"));
        auto *button = player->controlView()->findChild<QToolButton *>(QStringLiteral("channelLayoutBtn"));
        QVERIFY(button);
        QVERIFY(button->isHidden()); // one channel
        button->click();
        QCOMPARE(player->channels()->mode(), ChannelLayout::Mode::PictureInPicture);
        emit offsets->aboutToShow();
        QCOMPARE(offsets->actions().size(), 1);
        QVERIFY(!offsets->actions().at(0)->isEnabled());
    }

    void doubleClickShowsTheVideoAloneAndComesBack()
    {
        AppDelegate d;
        d.applicationDidFinishLaunching();
        QWidget *w = d.windowVC()->window();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        MediaPlayView *player = d.windowVC()->playerVC()->player();
        QWidget *home = player->parentWidget();
        VideoOnlyMode *alone = d.playbackCommands()->videoOnly();

        QTest::mouseDClick(player, Qt::LeftButton, {}, player->rect().center());
        QVERIFY(alone->isActive());
        QTRY_VERIFY(w->isFullScreen());
        QCOMPARE(player->parentWidget(), w);
        QTRY_COMPARE(player->geometry(), w->rect());
        QVERIFY(alone->readoutLabel()->isVisible());
        QVERIFY(alone->readoutLabel()->text().contains(QStringLiteral("00:00:00")));

        // Another double click puts it back in its panel, windowed.
        QTest::mouseDClick(player, Qt::LeftButton, {}, player->rect().center());
        QVERIFY(!alone->isActive());
        QCOMPARE(player->parentWidget(), home);
        QTRY_VERIFY(!w->isFullScreen());

        // Escape returns too; F11 from the video alone keeps the dashboard full screen.
        QTest::mouseDClick(player, Qt::LeftButton, {}, player->rect().center());
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(!alone->isActive());
        QTRY_VERIFY(!w->isFullScreen());
        QTest::mouseDClick(player, Qt::LeftButton, {}, player->rect().center());
        QTest::keyClick(w, Qt::Key_F11);
        QVERIFY(!alone->isActive());
        QCOMPARE(player->parentWidget(), home);
        QTRY_VERIFY(w->isFullScreen());
        QTest::keyClick(w, Qt::Key_Escape);
        QTRY_VERIFY(!w->isFullScreen());
    }

    void placeAndSizeComeBackAtTheNextStart()
    {
        {
            AppDelegate d;
            d.applicationDidFinishLaunching();
            d.windowVC()->window()->setGeometry(40, 30, 1150, 700);
            d.windowVC()->saveWindowPlace();
        }
        AppDelegate again;
        again.applicationDidFinishLaunching();
        QCOMPARE(again.windowVC()->window()->geometry(), QRect(40, 30, 1150, 700));
        QVERIFY(!again.windowVC()->playerVC()->isSetShow());

        // A place on no screen any more is not used: the window is centred instead.
        Preferences::setWindowGeometry(QRect(-5000, -5000, 1100, 700));
        AppDelegate third;
        third.applicationDidFinishLaunching();
        QVERIFY(third.windowVC()->window()->geometry().intersects(QGuiApplication::primaryScreen()->availableGeometry()));
    }

    void storedUnitSurvivesLaunch()
    {
        Preferences::setSpeedUnitType(QStringLiteral("MPH"));
        AppDelegate d;
        d.applicationDidFinishLaunching();
        QCOMPARE(QSettings().value(kSpeedUnitType).toString(), QStringLiteral("MPH"));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
