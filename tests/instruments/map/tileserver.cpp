#include "tileserver.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTcpSocket>
#include <QTimer>

TileServer::TileServer(QObject *parent) : QTcpServer(parent)
{
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *s = nextPendingConnection()) {
            connect(s, &QTcpSocket::readyRead, this, [this, s] { onReadyRead(s); });
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QObject::destroyed, this, [this, s] { m_buffers.remove(s); });
        }
    });
    listen(QHostAddress::LocalHost, 0);
}

QString TileServer::urlTemplate() const
{
    return QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(serverPort());
}

QImage TileServer::tileImage(const QString &path)
{
    QImage image(256, 256, QImage::Format_RGB32);
    // A colour of the path's own, so that tests can tell tiles apart.
    const size_t h = qHash(path);
    image.fill(QColor(int(h & 0x7f) + 100, int((h >> 8) & 0x7f) + 100, int((h >> 16) & 0x7f) + 100));
    return image;
}

void TileServer::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buf = m_buffers[socket];
    buf += socket->readAll();
    while (true) {
        const int end = buf.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = buf.left(end);
        buf.remove(0, end + 4);
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> request = lines.value(0).trimmed().split(' ');
        const QString path = QString::fromLatin1(request.value(1));
        for (const QByteArray &line : lines)
            if (line.toLower().startsWith("user-agent:"))
                lastUserAgent = line.mid(11).trimmed();
        ++requestCount;
        ++requestsByPath[path];
        ++m_open;
        maxConcurrent = qMax(maxConcurrent, m_open);
        QTimer::singleShot(delayMs, socket, [this, socket, path] { answer(socket, path); });
    }
}

void TileServer::answer(QTcpSocket *socket, const QString &path)
{
    --m_open;
    QByteArray body;
    QByteArray reply;
    if (status == 200 && flood) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 629145600\r\n\r\n");
        auto *timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket] {
            if (socket->bytesToWrite() < 1024 * 1024)
                socket->write(QByteArray(256 * 1024, 'x'));
        });
        timer->start(1);
        return;
    }
    if (status == 200) {
        if (!fixedBody.isEmpty()) {
            body = fixedBody;
        } else if (sendHugePicture) {
            static const QByteArray huge = [] {
                QImage image(4000, 4000, QImage::Format_Mono);
                image.fill(0);
                QByteArray bytes;
                QBuffer b(&bytes);
                b.open(QIODevice::WriteOnly);
                image.save(&b, "PNG");
                return bytes;
            }();
            body = huge;
        } else if (sendGarbage) {
            body = "this is not a png";
        } else {
            QBuffer b(&body);
            b.open(QIODevice::WriteOnly);
            tileImage(path).save(&b, "PNG");
        }
        reply = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n";
        for (const QByteArray &h : headers)
            reply += h + "\r\n";
    } else {
        body = "no tile";
        reply = "HTTP/1.1 " + QByteArray::number(status) + " Error\r\nContent-Type: text/plain\r\n";
    }
    reply += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    socket->write(reply);
}
