#include <QFile>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include "net/httpmanager.h"
#include "net/updatechecker.h"

namespace {
// A one-route HTTP server on 127.0.0.1: answers every request with the given reply,
// or never answers when silent.
class FeedServer : public QObject {
public:
    QByteArray body;
    int status = 200;
    bool silent = false;
    int requests = 0;
    QByteArray lastRequest;

    FeedServer()
    {
        m_server.listen(QHostAddress::LocalHost);
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
                    s->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: text/xml\r\n"
                             "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    s->disconnectFromHost();
                });
            }
        });
    }
    QString url() const { return QString("http://127.0.0.1:%1/soft/gpsUpdate.xml").arg(m_server.serverPort()); }

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

    void sameVersionSaysLatestAndRemovesTheFile()
    {
        FeedServer server;
        server.body = feed("v1.0.0", "https://example.org/page");
        UpdateChecker c;
        wire(c, server);
        QPushButton button;
        QSignalSpy done(&c, &UpdateChecker::finished);
        c.checkUpgrade(&button);
        QVERIFY(!button.isEnabled());
        QVERIFY(done.wait(5000));
        QVERIFY(button.isEnabled());
        QCOMPARE(m_alerts.size(), 1);
        QCOMPARE(m_alerts[0].buttons.size(), 1);
        QVERIFY(m_opened.isEmpty());
        QVERIFY(!QFile::exists(c.localPath()));
        QVERIFY(c.localPath().endsWith("/gpsUpdate.xml"));
        QVERIFY(server.lastRequest.startsWith("GET /soft/gpsUpdate.xml"));
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
            QVERIFY(c.downloadUrl().isEmpty());
        }
    }

    void unreadableFeedOffersNothingToOpen()
    {
        FeedServer server;
        server.body = "<root><softVersion>v1.0.0</softVersion><softVersion>v1.0.0</softVersion></root>";
        UpdateChecker c;
        wire(c, server);
        QSignalSpy done(&c, &UpdateChecker::finished);
        c.checkUpgrade(nullptr);
        QVERIFY(done.wait(5000));
        QCOMPARE(m_alerts.size(), 1);
        QCOMPARE(m_alerts[0].buttons.size(), 2);  // two versions: no single text, so an offer
        QVERIFY(m_alerts[0].text.isEmpty());
        QVERIFY(m_opened.isEmpty());

        server.body = "garbage <<<";
        c.checkUpgrade(nullptr);
        QVERIFY(done.wait(5000));
        QCOMPARE(m_alerts.size(), 2);
        QVERIFY(m_opened.isEmpty());
        QVERIFY(!QFile::exists(c.localPath()));
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
        QCOMPARE(m_alerts[0].buttons.size(), 1);
        QVERIFY(button.isEnabled());
        QVERIFY(!QFile::exists(c.localPath()));

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

    void downloadBypassesCacheAndCapsSize()
    {
        FeedServer server;
        server.body = QByteArray(2000, 'x');
        const QString path = QDir::temp().filePath("trava-http-test.bin");
        bool called = false;
        QString err;
        HttpManager::download(server.url(), path, nullptr, [&](int status, const QString &stored, const QString &e) {
            called = true;
            err = e;
            QCOMPARE(status, 200);
            QVERIFY(stored.isEmpty());
        }, 1000);
        QTRY_VERIFY(called);
        QVERIFY(!err.isEmpty());
        QVERIFY(!QFile::exists(path));
        QVERIFY(server.lastRequest.toLower().contains("cache-control: no-cache"));

        called = false;
        HttpManager::download(server.url(), path, nullptr, [&](int, const QString &stored, const QString &e) {
            called = true;
            err = e;
            QCOMPARE(stored, path);
        });
        QTRY_VERIFY(called);
        QVERIFY(err.isEmpty());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.size(), 2000);
        f.remove();
    }
};

QTEST_MAIN(TestUpdateChecker)
#include "test_updatechecker.moc"
