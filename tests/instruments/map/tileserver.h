#pragma once
// A tiny HTTP tile server on 127.0.0.1 for the tests: answers GET /z/x/y.png with a
// generated PNG and the headers it is told to send, counts what it is asked.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpServer>

class QTcpSocket;

class TileServer : public QTcpServer {
    Q_OBJECT
public:
    explicit TileServer(QObject *parent = nullptr);

    QString urlTemplate() const;

    // Extra header lines for 200 answers, e.g. "Cache-Control: max-age=3600".
    QList<QByteArray> headers;
    int status = 200;           // 200 sends a tile; anything else an error page
    int delayMs = 0;            // wait before answering
    bool sendGarbage = false;   // 200 with bytes that are no picture
    bool sendHugePicture = false; // 200 with a small PNG of 4000 x 4000 pixels
    bool flood = false;         // 200 claiming 600 MB and sending without end
    QByteArray fixedBody;       // when set, 200 answers send exactly these bytes

    int requestCount = 0;
    int maxConcurrent = 0;
    QHash<QString, int> requestsByPath;
    QByteArray lastUserAgent;

    static QImage tileImage(const QString &path);

private:
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QString &path);

    QHash<QTcpSocket *, QByteArray> m_buffers;
    int m_open = 0;
};
