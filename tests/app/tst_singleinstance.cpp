#include <QDir>
#include <QLocalServer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#include "app/singleinstance.h"

// The second start blocks while it waits for the answer, as in real life it runs in
// another process; here it runs on a worker thread so the first one can answer.
class TestSingleInstance : public QObject {
    Q_OBJECT

    QString uniqueName() const
    {
        return QStringLiteral("trava-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++m_counter);
    }
    mutable int m_counter = 0;

    static bool sendFromThread(const QString &name, const QStringList &files)
    {
        bool result = false;
        QThread *t = QThread::create([&] {
            SingleInstance second(name);
            result = second.sendToRunningInstance(files, 3000);
        });
        t->start();
        while (!t->wait(5))
            QCoreApplication::processEvents();
        delete t;
        return result;
    }

private slots:
    void secondStartHandsItsFilesOver()
    {
        const QString name = uniqueName();
        SingleInstance first(name);
        QVERIFY(first.listen());
        QSignalSpy spy(&first, &SingleInstance::activationRequested);
        const QStringList files{QStringLiteral("/v/a.mp4"), QString::fromUtf8("/v/Fahrt über Land.MOV")};
        QVERIFY(sendFromThread(name, files));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toStringList(), files);

        // No files: just come to the front.
        QVERIFY(sendFromThread(name, {}));
        QCOMPARE(spy.count(), 2);
        QVERIFY(spy.at(1).at(0).toStringList().isEmpty());

        // A second listener on the same name is refused while the first one runs.
        SingleInstance other(name);
        QVERIFY(!other.listen());
    }

    void nobodyListeningMeansWeAreFirst()
    {
        SingleInstance alone(uniqueName());
        QVERIFY(!alone.sendToRunningInstance({QStringLiteral("/v/a.mp4")}, 300));
        QVERIFY(alone.listen());
        QVERIFY(alone.isListening());
    }

    void staleSocketIsTakenOver()
    {
        const QString name = uniqueName();
        // The socket file of a player that did not shut down: nobody answers on it.
        QFile stale(QDir(QDir::tempPath()).filePath(name));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        QLocalServer plain;
        QVERIFY(!plain.listen(name));
        SingleInstance next(name);
        QVERIFY(!next.sendToRunningInstance({}, 300));
        QVERIFY(next.listen());
        QVERIFY(sendFromThread(name, {QStringLiteral("/v/x.ts")}));
    }

    void defaultNameIsPrivateToTheUser()
    {
        const QString name = SingleInstance::defaultServerName();
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty())
            QVERIFY2(name.startsWith(runtime + QLatin1Char('/')), qPrintable(name));
        else
            QVERIFY(name.startsWith(QLatin1String("trava-player-")));
    }

    void argumentsBecomeAbsolutePaths()
    {
        const QStringList out = SingleInstance::absolutePaths(
            {QStringLiteral("a.mp4"), QString(), QStringLiteral("../b.ts"), QStringLiteral("/abs/c.MOV")},
            QStringLiteral("/home/u/videos"));
        QCOMPARE(out, (QStringList{"/home/u/videos/a.mp4", "/home/u/b.ts", "/abs/c.MOV"}));
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
