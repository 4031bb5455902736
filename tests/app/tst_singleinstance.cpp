#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/singleinstance.h"

// The second start blocks while it waits for the answer, as in real life it runs in
// another process; here it runs on a worker thread so the first one can answer.
class TestSingleInstance : public QObject {
    Q_OBJECT

    // A fresh private folder for each case.
    QString uniqueName() const
    {
        const QString folder = SingleInstance::privateFolder(m_root.path(), QStringLiteral("p%1").arg(++m_counter));
        Q_ASSERT(!folder.isEmpty());
        return folder;
    }
    mutable int m_counter = 0;
    QTemporaryDir m_root;

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
        QFile stale(QDir(name).filePath("player.socket"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        SingleInstance next(name);
        QVERIFY(!next.sendToRunningInstance({}, 300));
        QVERIFY(next.listen());
        QVERIFY(sendFromThread(name, {QStringLiteral("/v/x.ts")}));
    }

    void defaultFolderIsPrivateToTheUser()
    {
        const QString folder = SingleInstance::defaultFolder();
        QVERIFY(!folder.isEmpty());
        QVERIFY(!folder.startsWith(QDir::tempPath() + "/trava-player.socket"));
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &st), 0);
        QVERIFY(S_ISDIR(st.st_mode));
        QCOMPARE(st.st_uid, ::getuid());
        QCOMPARE(int(st.st_mode & 0777), 0700);
    }

    // Without a runtime folder, another user who took the name in the shared temporary
    // folder first does not switch single instance off: a folder in the user's own cache
    // folder serves instead, checked the same way.
    void takenTemporaryFolderFallsBackToTheCache()
    {
        QTemporaryDir shared, home;
        const QString name = QStringLiteral("trava-player-%1").arg(::getuid());
        QVERIFY(QDir(shared.path()).mkdir(name));
        QVERIFY(::chmod(QFile::encodeName(QDir(shared.path()).filePath(name)).constData(), 0777) == 0);
        const QString cache = home.filePath(QStringLiteral(".cache"));
        const QString folder = SingleInstance::defaultFolder(QString(), shared.path(), cache);
        QCOMPARE(folder, QDir(cache).filePath(name));
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);
        SingleInstance first(folder);
        QVERIFY(first.listen());
        SingleInstance second(SingleInstance::defaultFolder(QString(), shared.path(), cache));
        QVERIFY(second.isAvailable());
        QVERIFY(!second.listen());
        // A cache folder somebody else prepared is refused too.
        QTemporaryDir other;
        QVERIFY(QFile::link(shared.filePath(name), QDir(other.path()).filePath(name)));
        QVERIFY(SingleInstance::defaultFolder(QString(), shared.path(), other.path()).isEmpty());
    }

    // A folder somebody else prepared is never used: open to others, a link, or (when
    // the test may change owners) another user's.
    void foreignFoldersAreRefused()
    {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkdir("open"));
        QVERIFY(QFile::setPermissions(root.filePath("open"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                                | QFile::ReadOther | QFile::ExeOther));
        QString why;
        QVERIFY(SingleInstance::privateFolder(root.path(), "open", &why).isEmpty());
        QVERIFY(!why.isEmpty());

        QVERIFY(QDir(root.path()).mkdir("target"));
        QVERIFY(QFile::link(root.filePath("target"), root.filePath("link")));
        QVERIFY(SingleInstance::privateFolder(root.path(), "link").isEmpty());

        if (::getuid() == 0) {
            QVERIFY(QDir(root.path()).mkdir("theirs"));
            QVERIFY(::chmod(QFile::encodeName(root.filePath("theirs")).constData(), 0700) == 0);
            QVERIFY(::chown(QFile::encodeName(root.filePath("theirs")).constData(), 65534, 65534) == 0);
            QVERIFY(SingleInstance::privateFolder(root.path(), "theirs", &why).isEmpty());
            QVERIFY(why.contains("another user"));
        }
        // Without a private folder there is no socket at all, anywhere.
        SingleInstance none(QString{});
        QVERIFY(!none.isAvailable());
        QVERIFY(!none.listen());
        QVERIFY(!none.sendToRunningInstance({"/v/a.mp4"}, 100));
    }

    // A process of another user that reaches the socket is refused by the listener.
    void otherUsersAreRefusedByTheListener()
    {
        if (::getuid() != 0)
            QSKIP("needs root to act as another user");
        const QString name = uniqueName();
        SingleInstance first(name);
        QVERIFY(first.listen());
        QSignalSpy spy(&first, &SingleInstance::activationRequested);
        // Only to let the other user reach the socket: the peer check must still hold.
        ::chmod(QFile::encodeName(m_root.path()).constData(), 0755);
        ::chmod(QFile::encodeName(name).constData(), 0777);
        ::chmod(QFile::encodeName(QDir(name).filePath("player.socket")).constData(), 0777);
        const QByteArray socketPath = QFile::encodeName(QDir(name).filePath("player.socket"));
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un addr {};
            addr.sun_family = AF_UNIX;
            std::strncpy(addr.sun_path, socketPath.constData(), sizeof addr.sun_path - 1);
            if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0)
                ::_exit(3);
            const char message[] = "/home/victim/evil.mp4\n.\n";
            (void)!::write(fd, message, sizeof message - 1);
            ::sleep(1);
            ::_exit(0);
        }
        QVERIFY(child > 0);
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) == 0)
            QTest::qWait(20);
        QTest::qWait(200);
        ::chmod(QFile::encodeName(name).constData(), 0700);
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(spy.count(), 0);
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
