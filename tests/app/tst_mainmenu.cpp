#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "app/mainmenu.h"
#include "core/mlanguagemanager.h"
#include "core/notificationhub.h"
#include "core/preferences.h"
#include "support/testsettings.h"

class TestMainMenu : public QObject {
    Q_OBJECT
    TestSettings settings;

    static QStringList titles(QMenu *menu)
    {
        QStringList out;
        for (QAction *a : menu->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    }

    // Waits for the Open dialog, lets check() look at it, then finishes it.
    void driveOpenDialog(const std::function<void(QFileDialog *)> &act)
    {
        auto *timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, this, [timer, act] {
            QFileDialog *d = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if ((d = qobject_cast<QFileDialog *>(w)) && d->isVisible())
                    break;
                else
                    d = nullptr;
            if (!d)
                return;
            timer->stop();
            timer->deleteLater();
            act(d);
        });
        timer->start();
    }

private slots:
    void init()
    {
        TestSettings::clear();
        QSettings().setValue(kSelectLanguage, QStringLiteral("en"));
        QCoreApplication::setApplicationName(QStringLiteral("Trava Player"));
    }

    void itemsSitAtTheirPositions()
    {
        MainMenu m;
        QCOMPARE(titles(m.playerMenu()),
                 (QStringList{"About Trava Player", "-", "Hide Trava Player", "Hide Others", "Show All", "-",
                              "Quit Trava Player"}));
        QCOMPARE(m.fileMenu()->title(), QStringLiteral("File"));
        QCOMPARE(titles(m.fileMenu()), (QStringList{QString::fromUtf8("Open…"), "-", "Close"}));
        QCOMPARE(m.menuBar()->actions().size(), 2);
        QCOMPARE(m.fileMenu()->actions().at(0)->shortcut(), QKeySequence(QKeySequence::Open));
        QCOMPARE(m.fileMenu()->actions().at(2)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
        QCOMPARE(m.playerMenu()->actions().at(6)->shortcut(), QKeySequence(QKeySequence::Quit));
        QVERIFY(!m.playerMenu()->actions().at(3)->isEnabled());
    }

    void aboutNamesTheProgram()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Player X"));
        MainMenu m;
        QCOMPARE(m.playerMenu()->actions().at(0)->text(), QStringLiteral("About Player X"));
        QCOMPARE(m.playerMenu()->actions().at(6)->text(), QStringLiteral("Quit Player X"));
    }

    void retitledOnEveryLanguageChange()
    {
        MainMenu m;
        MLanguageManager::setNewLanguage(3);
        QCOMPARE(m.fileMenu()->title(), QStringLiteral("Datei"));
        QCOMPARE(titles(m.playerMenu()),
                 (QStringList{QString::fromUtf8("Über Trava Player"), "-", "Trava Player ausblenden",
                              "Andere ausblenden", "Alle einblenden", "-", "Trava Player beenden"}));
        QCOMPARE(titles(m.fileMenu()), (QStringList{QString::fromUtf8("Öffnen…"), "-", QString::fromUtf8("Schließen")}));
        MLanguageManager::setNewLanguage(1);
        QCOMPARE(m.fileMenu()->title(), QString::fromUtf8("ファイル"));
        QCOMPARE(m.playerMenu()->actions().at(6)->text(), QString::fromUtf8("Trava Player を終了"));
    }

    void destroyedMenuStopsListening()
    {
        {
            MainMenu m;
        }
        // Would touch freed menus if the observation outlived the menu.
        MLanguageManager::setNewLanguage(2);
        MLanguageManager::setNewLanguage(0);
        QCOMPARE(QSettings().value(kSelectLanguage).toString(), QStringLiteral("en"));
    }

    void hideMinimisesAndShowAllBringsBack()
    {
        QWidget window;
        window.show();
        MainMenu m(&window);
        m.playerMenu()->actions().at(2)->trigger();
        QVERIFY(window.isMinimized());
        m.playerMenu()->actions().at(4)->trigger();
        QVERIFY(!window.isMinimized());
    }

    void openPostsTheChosenFiles()
    {
        QTemporaryDir dir;
        for (const char *n : {"a.mp4", "b.MOV", "c.ts", "notes.txt"}) {
            QFile f(dir.filePath(QString::fromLatin1(n)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QList<QUrl> posted;
        int posts = 0;
        QObject receiver;
        NotificationHub::defaultCenter()->observe(QString::fromLatin1(kPlayFile), &receiver,
                                                  [&](const QVariant &o) { posted = o.value<QList<QUrl>>(); ++posts; });
        QWidget window;
        window.show();
        MainMenu m(&window);

        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        QStringList filters;
        driveOpenDialog([&](QFileDialog *d) {
            mode = d->fileMode();
            filters = d->nameFilters();
            d->setDirectory(dir.path());
            d->selectFile(QStringLiteral("\"a.mp4\" \"c.ts\""));
            QMetaObject::invokeMethod(d, "accept");
        });
        m.openMenuItemAction();
        QTRY_COMPARE(posts, 1);
        QCOMPARE(mode, QFileDialog::ExistingFiles);
        QCOMPARE(filters.size(), 1);
        for (const char *pattern : {"*.mp4", "*.mov", "*.MP4", "*.MOV", "*.ts", "*.TS"})
            QVERIFY2(filters.first().contains(QLatin1String(pattern)), qPrintable(filters.first()));
        QCOMPARE(posted.size(), 2);
        QStringList names;
        for (const QUrl &u : posted)
            names << QFileInfo(u.toLocalFile()).fileName();
        names.sort();
        QCOMPARE(names, (QStringList{"a.mp4", "c.ts"}));

        // A cancelled dialog posts nothing.
        driveOpenDialog([](QFileDialog *d) { d->reject(); });
        m.openMenuItemAction();
        QTest::qWait(150);
        QCOMPARE(posts, 1);
    }
};

QTEST_MAIN(TestMainMenu)
#include "tst_mainmenu.moc"
