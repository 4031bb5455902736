#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include "app/colorpanel.h"
#include "core/logging.h"
#include "core/mfilemodel.h"
#include "core/mlanguagemanager.h"
#include "app/ovraplayvc.h"
#include "app/ovrawindowplaycontroller.h"
#include "core/preferences.h"
#include "app/restingpanel.h"
#include "instruments/timelineview.h"
#include "playback/mediaplayview.h"
#include "playback/playcontrolview.h"
#include "widgets/mcustomslider.h"
#include "widgets/vcustomslider.h"
#include "app/settingspanel.h"
#include "support/sceneview.h"
#include "support/testsettings.h"

class TestMainView : public QObject {
    Q_OBJECT
    TestSettings settings;

    static QStringList items(QComboBox *box)
    {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }

private slots:
    void initTestCase() { applyDefaultLogRules(); } // quiet, as the player starts

    // One category per subsystem, each under the name a user turns it on by.
    void logCategoriesAreNamedBySubsystem_data()
    {
        QTest::addColumn<const void *>("category");
        QTest::addColumn<QString>("name");
        QTest::newRow("playback") << static_cast<const void *>(&lcPlayback()) << "trava.playback";
        QTest::newRow("map") << static_cast<const void *>(&lcMap()) << "trava.map";
        QTest::newRow("list") << static_cast<const void *>(&lcList()) << "trava.list";
        QTest::newRow("sync") << static_cast<const void *>(&lcSync()) << "trava.sync";
        QTest::newRow("net") << static_cast<const void *>(&lcNet()) << "trava.net";
        QTest::newRow("service") << static_cast<const void *>(&lcService()) << "trava.service";
        QTest::newRow("app") << static_cast<const void *>(&lcApp()) << "trava.app";
    }
    void logCategoriesAreNamedBySubsystem()
    {
        QFETCH(const void *, category);
        QFETCH(QString, name);
        const auto *c = static_cast<const QLoggingCategory *>(category);
        QCOMPARE(QString::fromLatin1(c->categoryName()), name);
        // Whatever was on before (Qt's own default is debug on), the player's rule turns the
        // debug lines off and leaves warnings on.
        QLoggingCategory::setFilterRules(QStringLiteral("trava.*.debug=true"));
        QVERIFY(c->isDebugEnabled());
        applyDefaultLogRules();
        QVERIFY(!c->isDebugEnabled());
        QVERIFY(c->isWarningEnabled());
        // A user who set QT_LOGGING_RULES keeps what was asked for.
        QLoggingCategory::setFilterRules(QStringLiteral("trava.*.debug=true"));
        qputenv("QT_LOGGING_RULES", "trava.*.debug=true");
        applyDefaultLogRules();
        qunsetenv("QT_LOGGING_RULES");
        QVERIFY(c->isDebugEnabled());
        applyDefaultLogRules();
        QVERIFY(!c->isDebugEnabled());
    }

    void init()
    {
        TestSettings::clearInEnglish();
        QCoreApplication::setApplicationVersion(QStringLiteral("1.2.3"));
    }

    void everyViewIsPresentAndNamed()
    {
        OvraPlayVC vc;
        const QList<QPair<QWidget *, const char *>> views{
            {sceneView<QLabel>(vc, "titleLabel"), "titleLabel"}, {sceneView<QLabel>(vc, "baseSettingLabel"), "baseSettingLabel"},
            {sceneView<QLabel>(vc, "softServerLabel"), "softServerLabel"}, {sceneView<QLabel>(vc, "aboutLabel"), "aboutLabel"},
            {sceneView<QLabel>(vc, "languageLabel"), "languageLabel"}, {sceneView<QLabel>(vc, "speedUnitLabel"), "speedUnitLabel"},
            {sceneView<QPushButton>(vc, "viewUpgradeButton"), "viewUpgradeButton"}, {sceneView<QLabel>(vc, "companyNameLabel"), "companyNameLabel"},
            {sceneView<QLabel>(vc, "companyUrlLabel"), "companyUrlLabel"}, {sceneView<QLabel>(vc, "supportUrlLabel"), "supportUrlLabel"},
            {sceneView<ColorPanel>(vc, "titleBarView"), "titleBarView"}, {sceneView<ColorPanel>(vc, "stateView"), "stateView"}, {sceneView<SettingsPanel>(vc, "settingView"), "settingView"},
            {sceneView<ColorPanel>(vc, "abouBackgroundView"), "abouBackgroundView"}, {sceneView<ColorPanel>(vc, "basicSetView"), "basicSetView"},
            {sceneView<ColorPanel>(vc, "softServerBackgroundView"), "softServerBackgroundView"}, {sceneView<ColorPanel>(vc, "gpsInfoBgView"), "gpsInfoBgView"},
            {sceneView<ColorPanel>(vc, "speedBgView"), "speedBgView"}, {sceneView<QLabel>(vc, "speedLabel"), "speedLabel"}, {sceneView<ColorPanel>(vc, "gpsBgView"), "gpsBgView"},
            {sceneView<QLabel>(vc, "latLabel"), "latLabel"}, {sceneView<QLabel>(vc, "lonLabel"), "lonLabel"}, {sceneView<ColorPanel>(vc, "distanceBgView"), "distanceBgView"},
            {sceneView<QLabel>(vc, "topSpeedLabel"), "topSpeedLabel"}, {sceneView<QLabel>(vc, "aveSpeedLabel"), "aveSpeedLabel"},
            {sceneView<QLabel>(vc, "distanceLabel"), "distanceLabel"}, {sceneView<QComboBox>(vc, "languageBox"), "languageBox"}, {sceneView<QComboBox>(vc, "mapBox"), "mapBox"},
            {sceneView<QComboBox>(vc, "speedUnitBox"), "speedUnitBox"}, {sceneView<QLabel>(vc, "versionLabel"), "versionLabel"}};
        for (const auto &[w, name] : views) {
            QVERIFY2(w, name);
            QCOMPARE(w->objectName(), QString::fromLatin1(name));
            QVERIFY2(vc.isAncestorOf(w), name);
        }
        for (QWidget *w : {sceneView<QWidget>(vc, "speedView"), sceneView<QWidget>(vc, "compassView"), sceneView<QWidget>(vc, "mapView"), sceneView<QWidget>(vc, "mediaView"), sceneView<QWidget>(vc, "listTableView")})
            QVERIFY(w && vc.isAncestorOf(w));
        for (QWidget *p : {vc.mediaPanel(), vc.listPanel(), vc.speedPanel(), vc.compassPanel(),
                           vc.gsensorPanel(), vc.mapPanel()})
            QVERIFY(p && p->layout() && vc.isAncestorOf(p));
        QVERIFY(sceneView<ColorPanel>(vc, "stateView")->isAncestorOf(vc.gsensorPanel()));
    }

    // A recording named with markup is shown by its name: the title is plain text (a
    // rendered <img> of /dev/zero would exhaust memory), and so is every caption.
    void namesWithMarkupArePlainText()
    {
        OvraPlayVC vc;
        vc.resize(1080, 610);
        const QString name = QStringLiteral("<img src=\"&#47;dev&#47;zero\"><b>drive</b>.mp4");
        vc.mediaPlayerDidSelectModel(nullptr, MFileModel{name, QStringLiteral("/nonexistent/") + name});
        QCOMPARE(sceneView<QLabel>(vc, "titleLabel")->text(), name);
        QCOMPARE(sceneView<QLabel>(vc, "titleLabel")->textFormat(), Qt::PlainText);
        for (QLabel *label : {sceneView<QLabel>(vc, "versionLabel"), sceneView<QLabel>(vc, "companyUrlLabel"), sceneView<QLabel>(vc, "latLabel"), sceneView<QLabel>(vc, "distanceLabel")})
            QCOMPARE(label->textFormat(), Qt::PlainText);
        QVERIFY(!vc.grab().isNull());
    }

    void viewsCarryTheirColours()
    {
        OvraPlayVC vc;
        for (ColorPanel *p : {sceneView<ColorPanel>(vc, "titleBarView"), sceneView<ColorPanel>(vc, "stateView"), sceneView<ColorPanel>(vc, "speedBgView"), sceneView<ColorPanel>(vc, "gpsBgView"), sceneView<ColorPanel>(vc, "distanceBgView")})
            QCOMPARE(p->backgroundColor(), QColor(49, 49, 49));
        QCOMPARE(sceneView<ColorPanel>(vc, "gpsInfoBgView")->backgroundColor(), QColor(94, 94, 94));
        QCOMPARE(sceneView<SettingsPanel>(vc, "settingView")->backgroundColor(), QColor(240, 240, 240));
        QCOMPARE(sceneView<SettingsPanel>(vc, "settingView")->borderColor(), QColor(197, 197, 197));
        QCOMPARE(sceneView<SettingsPanel>(vc, "settingView")->borderWidth(), 1);
        for (ColorPanel *p : {sceneView<ColorPanel>(vc, "abouBackgroundView"), sceneView<ColorPanel>(vc, "basicSetView"), sceneView<ColorPanel>(vc, "softServerBackgroundView")})
            QCOMPARE(p->backgroundColor(), QColor(Qt::white));
    }

    void boxesListTheirItemsInIndexOrder()
    {
        OvraPlayVC vc;
        QCOMPARE(items(sceneView<QComboBox>(vc, "languageBox")), (QStringList{"English", QString::fromUtf8("日本語"),
                                                     QString::fromUtf8("Français"), "Deutsch"}));
        QCOMPARE(items(sceneView<QComboBox>(vc, "speedUnitBox")), (QStringList{"KMH", "MPH"}));
        QVERIFY(sceneView<QComboBox>(vc, "mapBox")->count() >= 1);
    }

    void captionsFollowTheLanguage()
    {
        OvraPlayVC vc;
        QCOMPARE(sceneView<QLabel>(vc, "baseSettingLabel")->text(), QStringLiteral("Basic settings"));
        QCOMPARE(sceneView<QLabel>(vc, "versionLabel")->text(), QStringLiteral("Version v1.2.3"));
        QCOMPARE(sceneView<QComboBox>(vc, "languageBox")->currentText(), QStringLiteral("English"));
        QCOMPARE(sceneView<QLabel>(vc, "latLabel")->text(), QStringLiteral("Lat:---"));
        QCOMPARE(sceneView<QLabel>(vc, "speedLabel")->text(), QStringLiteral("---KMH"));
        QSettings().setValue(kSelectLanguage, QStringLiteral("fr"));
        Preferences::setSpeedUnitType(QStringLiteral("MPH"));
        vc.setValueForLabel();
        QCOMPARE(sceneView<QLabel>(vc, "baseSettingLabel")->text(), QString::fromUtf8("Réglages de base"));
        QCOMPARE(sceneView<QLabel>(vc, "versionLabel")->text(), QStringLiteral("Version v1.2.3"));
        QCOMPARE(sceneView<QPushButton>(vc, "viewUpgradeButton")->text(), QString::fromUtf8("Rechercher les mises à jour"));
        QCOMPARE(sceneView<QComboBox>(vc, "languageBox")->currentIndex(), 2);
        QCOMPARE(sceneView<QComboBox>(vc, "speedUnitBox")->currentText(), QStringLiteral("MPH"));
        QCOMPARE(sceneView<QLabel>(vc, "speedLabel")->text(), QStringLiteral("---MPH"));
        QCOMPARE(sceneView<QLabel>(vc, "distanceLabel")->text(), QStringLiteral("Distance:---"));
    }

    // The window's controls reach the view's actions through the one wiring place.
    void controlsSendTheirActions()
    {
        OvraPlayVC vc;
        vc.resize(1080, 660);
        vc.show();
        auto *unit = sceneView<QComboBox>(vc, "speedUnitBox");
        unit->setCurrentIndex(1);
        emit unit->activated(1);
        QCOMPARE(Preferences::speedUnitType(), QStringLiteral("MPH"));
        QCOMPARE(sceneView<QLabel>(vc, "speedLabel")->text(), QStringLiteral("---MPH"));
        QVERIFY(!vc.isSetShow());
        sceneView<QToolButton>(vc, "settingButton")->click();
        QVERIFY(vc.isSetShow());
        sceneView<QToolButton>(vc, "settingButton")->click();
        QVERIFY(!vc.isSetShow());
        // Choosing French posts the language change, and the captions follow.
        emit sceneView<QComboBox>(vc, "languageBox")->activated(2);
        QCOMPARE(sceneView<QLabel>(vc, "baseSettingLabel")->text(), QString::fromUtf8("Réglages de base"));
    }

    void settingPanelStartsHiddenOverTheDashboard()
    {
        OvraPlayVC vc;
        vc.resize(1080, 660);
        vc.show();
        QVERIFY(!vc.isSetShow());
        QVERIFY(!sceneView<SettingsPanel>(vc, "settingView")->isVisible());
        vc.setSettingPanelVisible(true);
        QVERIFY(sceneView<SettingsPanel>(vc, "settingView")->isVisible());
        const QRect g = sceneView<SettingsPanel>(vc, "settingView")->geometry();
        QVERIFY(vc.rect().contains(g));
        QVERIFY(g.top() >= 50); // under the title strip
        QVERIFY(g.height() >= sceneView<SettingsPanel>(vc, "settingView")->minimumSizeHint().height());
    }

    void layoutFitsAtMinimumAndFullScreenSizes_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1080x660") << QSize(1080, 660);
        QTest::newRow("1920x1080") << QSize(1920, 1080);
        QTest::newRow("2560x1440") << QSize(2560, 1440);
    }
    void layoutFitsAtMinimumAndFullScreenSizes()
    {
        QFETCH(QSize, size);
        OvraPlayVC vc;
        vc.resize(size);
        vc.show();
        QCoreApplication::processEvents();
        const QRect all = vc.rect();
        QCOMPARE(sceneView<ColorPanel>(vc, "titleBarView")->geometry(), QRect(0, 0, size.width(), 50));
        QList<QWidget *> panels{vc.mediaPanel(), vc.listPanel(), vc.speedPanel(), vc.compassPanel(),
                                vc.gsensorPanel(), vc.mapPanel(), sceneView<ColorPanel>(vc, "gpsInfoBgView")};
        QList<QRect> rects;
        for (QWidget *p : panels) {
            const QRect r(p->mapTo(&vc, QPoint(0, 0)), p->size());
            QVERIFY2(all.contains(r), qPrintable(p->objectName()));
            QVERIFY2(r.top() >= 50, qPrintable(p->objectName()));
            QVERIFY2(r.width() >= 100 && r.height() >= 60, qPrintable(p->objectName()));
            rects << r;
        }
        for (int i = 0; i < rects.size(); ++i)
            for (int j = i + 1; j < rects.size(); ++j)
                QVERIFY2(!rects[i].intersects(rects[j]),
                         qPrintable(panels[i]->objectName() + " overlaps " + panels[j]->objectName()));
        // The video keeps the largest share, and the dials stay round.
        QVERIFY(vc.mediaPanel()->width() * vc.mediaPanel()->height() > vc.mapPanel()->width() * vc.mapPanel()->height());
        QVERIFY(qAbs(vc.speedPanel()->width() - vc.speedPanel()->height()) <= 12);
        QVERIFY(vc.mediaPanel()->width() >= size.width() / 2 - 40);
        // The timeline lies under the picture across the video column.
        TimelineView *timeline = vc.timeline();
        QVERIFY(timeline && vc.mediaPanel()->isAncestorOf(timeline) && timeline->isVisible());
        QCOMPARE(timeline->width(), vc.mediaPanel()->width());
        QVERIFY(timeline->y() > vc.player()->geometry().bottom());
        // The progress slider takes the bar's spare width; volume and speed stay small.
        PlayControlView *bar = vc.player()->controlView();
        bar->show();
        bar->layout()->activate();
        QVERIFY2(bar->progressSlider->width() >= bar->width() * 2 / 3, qPrintable(QString::number(bar->progressSlider->width())));
        QVERIFY(bar->soundSlider->width() <= 80 && bar->playSpeedSlider->width() <= 80);
    }

    // Every read-out shows its whole text at the window's default and minimum sizes, with
    // the trip card beside them and long figures in every card (the labels' needed width
    // against the width they are given).
    void readoutsShowTheirWholeTexts()
    {
        OvraWindowPlayController c(OvraWindowPlayController::createWindow());
        QWidget *window = c.window();
        OvraPlayVC &vc = *c.playerVC();
        window->show();
        const QSize defaultSize = window->size();
        auto *tripCard = sceneView<ColorPanel>(vc, "tripBgView");
        QVERIFY(tripCard);
        auto *tripLabel = tripCard->findChild<QLabel *>();
        QVERIFY(tripLabel);
        const char *names[] = {"speedLabel", "latLabel", "lonLabel", "topSpeedLabel", "aveSpeedLabel", "distanceLabel"};
        auto word = [](const char *key) { return MLanguageManager::DPLocalizedString(QString::fromLatin1(key)); };
        QStringList clipped;
        for (unsigned language = 0; language < 4; ++language) {
        MLanguageManager::setNewLanguage(language);
        const QStringList texts{QStringLiteral("188KMH"), word("Lat") + ":-33.868820", word("Lon") + ":-151.209296",
                                word("TopSpeed") + ":188.8KMH", word("AveSpeed") + ":88.8KMH", word("Distance") + ":888.88KM"};
        for (const QSize size : {defaultSize, window->minimumSize()}) {
            window->resize(size);
            for (int i = 0; i < 6; ++i)
                sceneView<QLabel>(vc, names[i])->setText(texts[i]);
            // As the card shows it: when the trip ran rather than its duration.
            tripLabel->setText(MLanguageManager::localized("Trip.whole").arg(3) + "\n01:50 CET" + QChar(0x2013) +
                               "03:10 CEST\n1234.35 km\n" + MLanguageManager::localized("Trip.top") + " 152 km/h");
            tripCard->show();
            vc.layout()->activate();
            QList<QLabel *> labels{tripLabel};
            for (const char *n : names)
                labels << sceneView<QLabel>(vc, n);
            // The fonts settle a few turns of the loop after the layout (later on a slow,
            // sanitized build): look again until every text fits, for at most two seconds.
            QStringList now;
            for (int attempt = 0; attempt < 100; ++attempt) {
                QTest::qWait(20);
                now.clear();
                for (QLabel *l : labels) {
                    int needed = 0;
                    for (const QString &line : l->text().split(QLatin1Char('\n')))
                        needed = qMax(needed, l->fontMetrics().horizontalAdvance(line));
                    const QRect shown = l->contentsRect();
                    const QRect inCard(l->mapTo(l->parentWidget(), QPoint(0, 0)), l->size());
                    const int high = l->sizeHint().height() - 2 * l->margin();
                    if (shown.width() < needed || shown.height() < high || !l->parentWidget()->rect().contains(inCard))
                        now << MLanguageManager::currentLanguage() + QStringLiteral(" %1 at %2x%3 needs %4 px, shows %5").arg(l->objectName()).arg(size.width())
                                   .arg(size.height()).arg(needed).arg(shown.width()) + QStringLiteral(", height %1 of %2").arg(shown.height()).arg(high) + QStringLiteral(" geo %1,%2 %3x%4 card %5 font %6").arg(l->x()).arg(l->y()).arg(l->width()).arg(l->height()).arg(l->parentWidget()->height()).arg(l->font().pointSizeF());
                }
                if (now.isEmpty())
                    break;
            }
            clipped << now;
        }
        }
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
    }

    void realViewDropsIntoAPanel()
    {
        OvraPlayVC vc;
        vc.resize(1080, 660);
        vc.show();
        QPointer<QWidget> placeholder = sceneView<QWidget>(vc, "speedView");
        QVERIFY(placeholder);
        auto *dial = vc.installPanelWidget(vc.speedPanel(), new QLabel(QStringLiteral("dial")));
        QCOMPARE(dial->objectName(), QStringLiteral("speedView")); // the scene's name goes with it
        QCOMPARE(dial->parentWidget(), vc.speedPanel());
        QTRY_VERIFY(placeholder.isNull());
        QCOMPARE(vc.speedPanel()->layout()->count(), 1);
        QVERIFY(dial->isVisible());

        auto *graph = vc.installPanelWidget(vc.gsensorPanel(), new QWidget);
        QCOMPARE(graph->parentWidget(), vc.gsensorPanel());
        QCOMPARE(vc.gsensorPanel()->layout()->count(), 1);
        QVERIFY(sceneView<SettingsPanel>(vc, "settingView")->parentWidget() == &vc);
    }
};

QTEST_MAIN(TestMainView)
#include "tst_mainview.moc"
