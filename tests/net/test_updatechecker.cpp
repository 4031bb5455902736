#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include "net/httpmanager.h"
#include "net/updatechecker.h"
#include "core/mlanguagemanager.h"
#include "support/testsettings.h"

namespace {
// A one-route HTTP server on 127.0.0.1: answers every request with the given reply,
// or never answers when silent.
class FeedServer : public QObject {
public:
    QByteArray body;
    int status = 200;
    bool silent = false;
    // Hostile answers: one byte of body every 200 ms, or an endless body.
    bool trickle = false;
    bool flood = false;
    int requests = 0;
    QByteArray lastRequest;

    explicit FeedServer(const QHostAddress &address = QHostAddress::LocalHost)
    {
        m_server.listen(address);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                auto buffer = std::make_shared<QByteArray>();
                connect(s, &QTcpSocket::readyRead, s, [this, s, buffer] {
                    *buffer += s->readAll();
                    if (!buffer->contains("\r\n\r\n"))
                        return;
                    lastRequest = *buffer;
                    ++requests;
                    if (silent)
                        return;
                    if (trickle) {
                        s->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n<root>");
                        auto *timer = new QTimer(s);
                        connect(timer, &QTimer::timeout, s, [s] { s->write("a"); });
                        timer->start(200);
                        return;
                    }
                    if (flood) {
                        s->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n<root>");
                        auto *timer = new QTimer(s);
                        connect(timer, &QTimer::timeout, s, [s] {
                            if (s->bytesToWrite() < 1024 * 1024)
                                s->write(QByteArray(256 * 1024, 'a'));
                        });
                        timer->start(1);
                        return;
                    }
                    s->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: text/xml\r\n"
                             "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    s->disconnectFromHost();
                });
            }
        });
    }
    QString url(const QString &host = "127.0.0.1") const
    {
        return QString("http://%1:%2/soft/gpsUpdate.xml").arg(host).arg(m_server.serverPort());
    }

private:
    QTcpServer m_server;
};

QByteArray feed(const QString &version, const QString &page, const QString &notes = "New things")
{
    return QString("<root>\n <softVersion> %1 </softVersion>\n <downloadUrl>%2</downloadUrl>\n"
                   " <versionInfo>%3</versionInfo>\n</root>").arg(version, page, notes).toUtf8();
}
} // namespace

class TestUpdateChecker : public QObject {
    Q_OBJECT

    struct Alert { QString title, text; QStringList buttons; };
    QList<Alert> m_alerts;
    QList<QUrl> m_opened;
    int m_answer = 1000;
    TestSettings m_settings;

    bool saidFailedToDetect(int index) const
    {
        return m_alerts.size() > index && m_alerts[index].buttons.size() == 1
               && m_alerts[index].text == MLanguageManager::DPLocalizedString("Failed.to.detect");
    }

    void wire(UpdateChecker &c, const FeedServer &server)
    {
        c.setFeedUrl(server.url());
        c.setCurrentVersion("v1.0.0");
        c.setAlertHandler([this](const QString &t, const QString &x, const QStringList &b) {
            m_alerts.append({t, x, b});
            return m_answer;
        });
        c.setUrlOpener([this](const QUrl &u) { m_opened << u; return true; });
    }

private slots:
    void init()
    {
        m_alerts.clear();
        m_opened.clear();
        m_answer = 1000;
    }

    void sameVersionSaysLatestAndTouchesNoFile()
    {
        FeedServer server;
        server.body = feed("v1.0.0", "https://example.org/page");
        UpdateChecker c;
        wire(c, server);
        // Another local user's trap: a link in the shared temporary folder, under the
        // feed's name, to a file of ours. The feed is read in memory; the file stays.
        QTemporaryDir victimDir;
        const QString victim = victimDir.filePath("precious.txt");
        {
            QFile f(victim);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("mine");
        }
        const QString trap = QDir::temp().filePath("gpsUpdate.xml");
        QFile::remove(trap);
        const bool planted = QFile::link(victim, trap);
        QPushButton button;
        QSignalSpy done(&c, &UpdateChecker::finished);
        c.checkUpgrade(&button);
        QVERIFY(!button.isEnabled());
        QVERIFY(done.wait(5000));
        QVERIFY(button.isEnabled());
        QCOMPARE(m_alerts.size(), 1);
        QCOMPARE(m_alerts[0].buttons.size(), 1);
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(m_alerts[0].text, MLanguageManager::DPLocalizedString("The.latest.version"));
        QVERIFY(server.lastRequest.startsWith("GET /soft/gpsUpdate.xml"));
        QFile f(victim);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("mine"));
        if (planted)
            QFile::remove(trap);
    }

    void differentVersionOffersPageAndOpensOnlyWebUrls()
    {
        FeedServer server;
        // Older than ours still counts as different: versions are not ordered.
        server.body = feed("v0.9.0", "https://example.org/new", "Notes here");
        UpdateChecker c;
        wire(c, server);
        QSignalSpy done(&c, &UpdateChecker::finished);
        c.checkUpgrade(nullptr);
        QVERIFY(done.wait(5000));
        QCOMPARE(m_alerts.size(), 1);
        QCOMPARE(m_alerts[0].text, QString("Notes here"));
        QCOMPARE(m_alerts[0].buttons.size(), 2);
        QCOMPARE(m_opened, QList<QUrl>{QUrl("https://example.org/new")});
        QVERIFY(c.downloadUrl().isEmpty());

        // Cancel keeps the pending page; the next offer replaces it.
        m_answer = 1001;
        server.body = feed("v3", "http://example.org/newer");
        c.checkUpgrade(nullptr);
        QVERIFY(done.wait(5000));
        QCOMPARE(c.downloadUrl(), QString("http://example.org/newer"));
        QCOMPARE(m_opened.size(), 1);

        const char *refused[] = {"file:///usr/bin/xterm", "javascript:alert(1)", "smb://host/share",
                                 "ftp://example.org/x", "https:///nohost", "not a url at all"};
        m_answer = 1000;
        for (const char *page : refused) {
            server.body = feed("v3", QString::fromLatin1(page).toHtmlEscaped());
            c.checkUpgrade(nullptr);
            QVERIFY(done.wait(5000));
            QVERIFY2(m_opened.size() == 1, page);
            QVERIFY2(saidFailedToDetect(int(m_alerts.size()) - 1), page);
        }
    }

    // Whatever cannot be read as a feed says "Failed.to.detect": never an offer with an
    // empty message or a page that would not open.
    void unreadableFeedSaysFailedToDetect()
    {
        FeedServer server;
        UpdateChecker c;
        wire(c, server);
        QSignalSpy done(&c, &UpdateChecker::finished);
        const QByteArray unreadable[] = {
            "<root><softVersion>v1.0.0</softVersion><softVersion>v1.0.0</softVersion></root>",
            "garbage <<<",
            "<!DOCTYPE html><html><body><p>Welcome to our shop</p></body></html>",
            "<root><downloadUrl>https://example.org/x</downloadUrl></root>",
            "<root><softVersion>v9</softVersion><downloadUrl>file:///etc/passwd</downloadUrl></root>",
            "",
        };
        int i = 0;
        for (const QByteArray &body : unreadable) {
            server.body = body;
            c.checkUpgrade(nullptr);
            QVERIFY(done.wait(5000));
            QVERIFY2(saidFailedToDetect(i), body.constData());
            ++i;
        }
        QVERIFY(m_opened.isEmpty());

        // Notes are optional: the offer then names the version.
        server.body = "<root><softVersion>v2</softVersion><downloadUrl>https://example.org/v2</downloadUrl></root>";
        c.checkUpgrade(nullptr);
        QVERIFY(done.wait(5000));
        QCOMPARE(m_alerts.last().buttons.size(), 2);
        QCOMPARE(m_alerts.last().text, QString("v2"));
    }

    // Only an offer needs a download page: a feed naming our version says so without one.
    void sameVersionNeedsNoDownloadPage()
    {
        FeedServer server;
        server.body = "<root><softVersion>v1.0.0</softVersion></root>";
        UpdateChecker c;
        wire(c, server);
        QSignalSpy done(&c, &UpdateChecker::finished);
        c.checkUpgrade(nullptr);
        QVERIFY(done.wait(5000));
        QCOMPARE(m_alerts.size(), 1);
        QCOMPARE(m_alerts[0].text, MLanguageManager::DPLocalizedString("The.latest.version"));
        QVERIFY(m_opened.isEmpty());
        // Another version without a page is no offer.
        server.body = "<root><softVersion>v2.0.0</softVersion></root>";
        c.checkUpgrade(nullptr);
        QVERIFY(done.wait(5000));
        QVERIFY(saidFailedToDetect(1));
    }

    // A feed over 64 KiB, or whose tags carry thousands of attributes (Qt's reader
    // compares them pairwise: half a minute for a 1 MiB feed), is not parsed.
    void oversizedOrAttributeFloodFeedSaysFailedToDetect()
    {
        FeedServer server;
        UpdateChecker c;
        wire(c, server);
        QSignalSpy done(&c, &UpdateChecker::finished);
        const QByteArray page = "<downloadUrl>https://example.org/new</downloadUrl>";
        server.body = "<root><softVersion>v1.0.0</softVersion>" + page + "<!-- "
                      + QByteArray(UpdateChecker::kMaxFeedBytes, 'x') + " --></root>";
        c.checkUpgrade(nullptr);
        QVERIFY(done.wait(5000));
        QVERIFY(saidFailedToDetect(0));

        QByteArray flood = "<root><softVersion";
        for (int i = 0; i < 4000; ++i)
            flood += " a" + QByteArray::number(i) + "=''";
        flood += ">v2</softVersion>" + page + "</root>";
        QVERIFY(flood.size() < UpdateChecker::kMaxFeedBytes);
        server.body = flood;
        c.checkUpgrade(nullptr);
        QVERIFY(done.wait(5000));
        QVERIFY(saidFailedToDetect(1));
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(server.requests, 2);
    }

    // The feed comes over https; plain http, which anyone on the way can rewrite, only
    // from this machine (as in these tests).
    void feedMustBeHttpsUnlessLocal()
    {
        QVERIFY(UpdateChecker::isAcceptableFeedUrl(QUrl("https://example.org/gpsUpdate.xml")));
        QVERIFY(UpdateChecker::isAcceptableFeedUrl(QUrl("http://127.0.0.1:8080/gpsUpdate.xml")));
        QVERIFY(UpdateChecker::isAcceptableFeedUrl(QUrl("http://127.1.2.3/gpsUpdate.xml")));
        QVERIFY(UpdateChecker::isAcceptableFeedUrl(QUrl("http://[::1]/gpsUpdate.xml")));
        QVERIFY(UpdateChecker::isAcceptableFeedUrl(QUrl("http://localhost/gpsUpdate.xml")));
        for (const char *refused : {"http://example.org/gpsUpdate.xml", "http://10.0.0.1/gpsUpdate.xml",
                                    "http://127.0.0.1.example.org/gpsUpdate.xml", "ftp://example.org/gpsUpdate.xml",
                                    "file:///tmp/gpsUpdate.xml", "https:///gpsUpdate.xml"})
            QVERIFY2(!UpdateChecker::isAcceptableFeedUrl(QUrl(refused)), refused);

        // A refused feed is never asked for: the check ends on the refusal, not on a failed
        // request (no server beyond this machine is ever contacted by the tests).
        FeedServer server;
        UpdateChecker c;
        wire(c, server);
        c.setFeedUrl("http://example.org/gpsUpdate.xml");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("update feed must be https"));
        QSignalSpy done(&c, &UpdateChecker::finished);
        c.checkUpgrade(nullptr);
        QVERIFY(done.wait(5000));
        QVERIFY(saidFailedToDetect(0));
        QCOMPARE(server.requests, 0);
    }

    // The address comes from the environment, else the settings, else the built-in one.
    void feedAddressIsConfigurable()
    {
        qunsetenv(kUpdateFeedEnv);
        TestSettings::clear();
        QCOMPARE(UpdateChecker::configuredFeedUrl(), QString::fromLatin1(kUpdateFeedUrl));
        QSettings().setValue(kUpdateFeedKey, "https://mirror.example.net/gpsUpdate.xml");
        QCOMPARE(UpdateChecker::configuredFeedUrl(), QString("https://mirror.example.net/gpsUpdate.xml"));
        qputenv(kUpdateFeedEnv, "http://127.0.0.1:1/gpsUpdate.xml");
        QCOMPARE(UpdateChecker().feedUrl(), QString("http://127.0.0.1:1/gpsUpdate.xml"));
        qunsetenv(kUpdateFeedEnv);
        TestSettings::clear();
    }

    void failuresSayFailedToDetect()
    {
        FeedServer server;
        UpdateChecker c;
        wire(c, server);
        QSignalSpy done(&c, &UpdateChecker::finished);
        QPushButton button;

        server.status = 404;
        server.body = "nope";
        c.checkUpgrade(&button);
        QVERIFY(done.wait(5000));
        QCOMPARE(m_alerts.size(), 1);
        QVERIFY(saidFailedToDetect(0));
        QVERIFY(button.isEnabled());

        // No answer: given up after about 2 s.
        server.silent = true;
        QElapsedTimer t;
        t.start();
        c.checkUpgrade(&button);
        QVERIFY(done.wait(8000));
        QVERIFY(t.elapsed() >= 1500);
        QCOMPARE(m_alerts.size(), 2);
        QVERIFY(button.isEnabled());

        // Nobody listening.
        quint16 port;
        {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost);
            port = probe.serverPort();
        }
        c.setFeedUrl(QString("http://127.0.0.1:%1/gpsUpdate.xml").arg(port));
        c.checkUpgrade(&button);
        QVERIFY(done.wait(5000));
        QCOMPARE(m_alerts.size(), 3);
    }

    // A server that never stops sending, slowly or fast, cannot hold the check.
    void tricklingOrFloodingFeedIsCutOff()
    {
        FeedServer server;
        UpdateChecker c;
        wire(c, server);
        c.setDeadlineMs(1500);
        QSignalSpy done(&c, &UpdateChecker::finished);
        QPushButton button;

        server.trickle = true;
        c.checkUpgrade(&button);
        QVERIFY(done.wait(6000)); // a byte every 200 ms never trips the 2 s silence limit
        QVERIFY(saidFailedToDetect(0));
        QVERIFY(button.isEnabled());

        server.trickle = false;
        server.flood = true;
        c.checkUpgrade(&button);
        QVERIFY(done.wait(6000));
        QVERIFY(saidFailedToDetect(1));
    }

    void fetchBypassesCacheAndCapsSize()
    {
        FeedServer server;
        server.body = QByteArray(2000, 'x');
        bool called = false;
        QString err;
        QByteArray got;
        HttpManager::fetch(server.url(), [&](int status, const QByteArray &body, const QString &e) {
            called = true;
            err = e;
            got = body;
            QCOMPARE(status, 200);
        }, 1000);
        QTRY_VERIFY(called);
        QVERIFY(!err.isEmpty());
        QVERIFY(got.isEmpty());
        QVERIFY(server.lastRequest.toLower().contains("cache-control: no-cache"));

        called = false;
        HttpManager::fetch(server.url(), [&](int, const QByteArray &body, const QString &e) {
            called = true;
            err = e;
            got = body;
        });
        QTRY_VERIFY(called);
        QVERIFY(err.isEmpty());
        QCOMPARE(got, server.body);
    }
};

QTEST_MAIN(TestUpdateChecker)
#include "test_updatechecker.moc"
