#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "app/mainmenu.h"
#include "app/playbackactions.h"
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
        TestSettings::clearInEnglish();
        QCoreApplication::setApplicationName(QStringLiteral("Trava Player"));
    }

    void itemsSitAtTheirPositions()
    {
        MainMenu m;
        QCOMPARE(titles(m.playerMenu()),
                 (QStringList{"About Trava Player", "-", "Hide Trava Player", "Hide Others", "Show All", "-",
                              "Quit Trava Player"}));
        QCOMPARE(m.fileMenu()->title(), QStringLiteral("File"));
        QCOMPARE(titles(m.fileMenu()), (QStringList{QString::fromUtf8("Open…"), QString::fromUtf8("Open Folder…"), "Close"}));
        QCOMPARE(m.menuBar()->actions().size(), 3);
        QCOMPARE(m.menuBar()->actions().at(2)->menu(), m.playbackMenu());
        QCOMPARE(m.playbackMenu()->title(), QStringLiteral("Playback"));
        QCOMPARE(titles(m.playbackMenu()),
                 (QStringList{"Play/Pause", "Stop", "-", "Previous", "Next", "-", "Back 5 s",
                              "Forward 5 s", "-", "Faster", "Slower", "Normal Speed", "-", "Full Screen"}));
        // Each item shows its first key; F11 works as well as F.
        QStringList keys;
        for (QAction *a : m.playbackMenu()->actions())
            if (!a->isSeparator())
                keys << a->shortcut().toString(QKeySequence::PortableText);
        QCOMPARE(keys, (QStringList{"Space", "Ctrl+.", "PgUp", "PgDown", "Left", "Right", "]", "[", "Backspace", "F"}));
        QVERIFY(m.playbackActions()->fullScreen()->shortcuts().contains(QKeySequence(Qt::Key_F11)));
        QCOMPARE(m.playbackActions()->forwardLong()->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Right));
        // No key of the events panel (S, Ctrl+C, N, Shift+N) is taken.
        for (QAction *a : m.playbackActions()->all())
            for (const QKeySequence &k : a->shortcuts())
                for (const QKeySequence &taken : {QKeySequence(Qt::Key_S), QKeySequence(QKeySequence::Copy),
                                                  QKeySequence(Qt::Key_N), QKeySequence(Qt::SHIFT | Qt::Key_N)})
                    QVERIFY2(k != taken, qPrintable(k.toString()));
        QCOMPARE(m.fileMenu()->actions().at(0)->shortcut(), QKeySequence(QKeySequence::Open));
        QCOMPARE(m.fileMenu()->actions().at(2)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
        QCOMPARE(m.playerMenu()->actions().at(6)->shortcut(), QKeySequence(QKeySequence::Quit));
        QVERIFY(!m.playerMenu()->actions().at(3)->isEnabled());
    }

    void aboutNamesTheProgram()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Player X"));
        TestSettings::clearInEnglish(); // another name, other settings: English again
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
        QCOMPARE(titles(m.fileMenu()), (QStringList{QString::fromUtf8("Öffnen…"), QString::fromUtf8("Ordner öffnen…"),
                                                    QString::fromUtf8("Schließen")}));
        QCOMPARE(m.playbackMenu()->title(), QStringLiteral("Wiedergabe"));
        QCOMPARE(m.playbackActions()->faster()->text(), QStringLiteral("Schneller"));
        MLanguageManager::setNewLanguage(2);
        QCOMPARE(m.playbackMenu()->title(), QStringLiteral("Lecture"));
        QCOMPARE(m.playbackActions()->fullScreen()->text(), QString::fromUtf8("Plein écran"));
        MLanguageManager::setNewLanguage(1);
        QCOMPARE(m.fileMenu()->title(), QString::fromUtf8("ファイル"));
        QCOMPARE(m.playbackMenu()->title(), QString::fromUtf8("再生"));
        QCOMPARE(m.playbackActions()->normalSpeed()->text(), QString::fromUtf8("標準速度"));
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

        // Open Folder asks for a folder and posts it as it is; the list walks it.
        driveOpenDialog([&](QFileDialog *d) {
            mode = d->fileMode();
            // Nothing typed: a folder dialog answers with the folder it shows (selecting the
            // entry races the dialog's background listing on a busy machine).
            d->setDirectory(dir.path());
            QMetaObject::invokeMethod(d, "accept");
        });
        m.fileMenu()->actions().at(1)->trigger();
        QTRY_COMPARE(posts, 2);
        QCOMPARE(mode, QFileDialog::Directory);
        QCOMPARE(posted.size(), 1);
        QCOMPARE(QFileInfo(posted.first().toLocalFile()).canonicalFilePath(), QFileInfo(dir.path()).canonicalFilePath());
    }
};

QTEST_MAIN(TestMainMenu)
#include "tst_mainmenu.moc"
