#include <QLabel>
#include <QMenuBar>
#include <QToolButton>
#include <QSignalSpy>
#include <QUrl>
#include <QtTest>

#include "app/appdelegate.h"
#include "core/extension.h"
#include "app/mainmenu.h"
#include "core/notificationhub.h"
#include "app/ovraplayvc.h"
#include "app/ovrawindowplaycontroller.h"
#include "core/preferences.h"
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
        QWidget *gear = c.playerVC()->settingButton;
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
        d.applicationDidFinishLaunching({QStringLiteral("/x/a.mp4"), QStringLiteral("/x/b c.MOV")});
        QCOMPARE(QSettings().value(kSpeedUnitType).toString(), QStringLiteral("KMH"));
        QVERIFY(d.windowVC());
        QCOMPARE(d.windowVC()->titleStrip()->menuBar(), d.mainMenu()->menuBar());
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
