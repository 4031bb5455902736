#pragma once
// A small HTTP/1.1 file server on 127.0.0.1 for the remote-read tests: GET with or without
// a byte range, one response per connection. Modes: slow (each response held back),
// without Content-Length, and ignoring ranges.
#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

class HttpFileServer : public QTcpServer {
public:
    struct Request {
        QByteArray path;
        QByteArray range; // empty without a range header
    };

    HttpFileServer() { listen(QHostAddress::LocalHost, 0); }

    void addFile(const QByteArray &path, const QByteArray &content) { m_files[path] = content; }
    QUrl url(const QByteArray &path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(QString::fromLatin1(path)));
    }

    int delayMs = 0;
    int rangeDelayMs = 0; // extra hold-back for ranged reads only (the length probe "bytes=0-0" answers at once)
    bool sendContentLength = true;
    bool honourRange = true;
    // Hostile: a ranged request answered with 600 MB claimed and sent without end.
    bool floodRanges = false;
    qint64 floodBytesSent = 0;
    QList<Request> requests;

    // Ranged reads of the body, the length probe ("bytes=0-0") left out.
    int rangedRequests() const
    {
        int n = 0;
        for (const Request &r : requests)
            n += r.range.isEmpty() || r.range == "bytes=0-0" ? 0 : 1;
        return n;
    }

protected:
    void incomingConnection(qintptr handle) override
    {
        auto *socket = new QTcpSocket(this);
        socket->setSocketDescriptor(handle);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            m_pending[socket] += socket->readAll();
            if (!m_pending[socket].contains("\r\n\r\n"))
                return;
            const Request request = parse(m_pending.take(socket));
            requests.append(request);
            QPointer<QTcpSocket> guard(socket);
            const bool rangedRead = !request.range.isEmpty() && request.range != "bytes=0-0";
            QTimer::singleShot(delayMs + (rangedRead ? rangeDelayMs : 0), this, [this, guard, request] {
                if (guard)
                    respond(guard, request);
            });
        });
    }

private:
    static Request parse(const QByteArray &head)
    {
        Request r;
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        r.path = first.value(1);
        for (const QByteArray &line : lines) {
            const int colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == "range")
                r.range = line.mid(colon + 1).trimmed();
        }
        return r;
    }

    void respond(QTcpSocket *socket, const Request &request)
    {
        if (floodRanges && !request.range.isEmpty()) {
            socket->write("HTTP/1.1 206 Partial Content\r\nContent-Length: 629145600\r\n\r\n");
            auto *timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [this, socket] {
                if (socket->bytesToWrite() < 1024 * 1024) {
                    socket->write(QByteArray(256 * 1024, 'f'));
                    floodBytesSent += 256 * 1024;
                }
            });
            timer->start(1);
            return;
        }
        QByteArray head, body;
        if (!m_files.contains(request.path)) {
            body = "not found";
            head = "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n";
        } else {
            const QByteArray &file = m_files[request.path];
            qint64 first = 0, last = -1;
            const bool ranged = honourRange && request.range.startsWith("bytes=") && parseRange(request.range, &first, &last);
            if (ranged && first >= file.size()) {
                head = QByteArray("HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */") +
                       QByteArray::number(file.size()) + "\r\nContent-Length: 0\r\n";
            } else if (ranged) {
                last = std::min<qint64>(last, file.size() - 1);
                body = file.mid(first, last - first + 1);
                head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + QByteArray::number(first) + '-' +
                       QByteArray::number(last) + '/' + QByteArray::number(file.size()) +
                       "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n";
            } else {
                body = file;
                head = "HTTP/1.1 200 OK\r\n";
                if (sendContentLength)
                    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
            }
        }
        socket->write(head + "Content-Type: application/octet-stream\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    static bool parseRange(const QByteArray &range, qint64 *first, qint64 *last)
    {
        const QList<QByteArray> parts = range.mid(6).split('-');
        bool ok1 = false, ok2 = false;
        *first = parts.value(0).toLongLong(&ok1);
        *last = parts.value(1).toLongLong(&ok2);
        return ok1 && ok2 && *last >= *first;
    }

    QMap<QByteArray, QByteArray> m_files;
    QMap<QTcpSocket *, QByteArray> m_pending;
};
