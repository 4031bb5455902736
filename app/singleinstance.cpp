#include "app/singleinstance.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>

namespace {
// A hand-over is a few paths; anything far larger is not ours and is dropped.
constexpr qint64 kMaxMessage = 4 * 1024 * 1024;
constexpr char kEnd[] = "\n.\n";
} // namespace

SingleInstance::SingleInstance(const QString &serverName, QObject *parent)
    : QObject(parent), m_name(serverName)
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

QString SingleInstance::defaultServerName()
{
    // The per-user runtime directory is private to the user, so no other account can
    // put a socket in our place and receive the paths we hand over.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("trava-player.socket"));
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QDir::home().dirName();
    return QStringLiteral("trava-player-%1").arg(user);
}

QStringList SingleInstance::absolutePaths(const QStringList &args, const QString &dir)
{
    QStringList out;
    for (const QString &a : args) {
        if (a.isEmpty())
            continue;
        out << QDir::cleanPath(QFileInfo(QDir(dir), a).absoluteFilePath());
    }
    return out;
}

bool SingleInstance::sendToRunningInstance(const QStringList &files, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message;
    for (const QString &f : files) {
        // A newline cannot be part of a path we hand over: the line is the record.
        if (!f.contains(QLatin1Char('\n')))
            message += f.toUtf8() + '\n';
    }
    message += QByteArray(kEnd + 1);
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // Wait for the running one to confirm, so that we do not exit before it has read.
    if (!socket.waitForReadyRead(timeoutMs))
        return false;
    return socket.readAll().startsWith("ok");
}

bool SingleInstance::listen()
{
    if (m_server && m_server->isListening())
        return true;
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    }
    // Qt puts a new socket in place of an existing one, so first make sure nobody answers
    // on the name; a socket file left by a player that crashed is then replaced.
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(500))
        return false;
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

bool SingleInstance::isListening() const { return m_server && m_server->isListening(); }

void SingleInstance::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            if (buffer->size() > kMaxMessage) {
                qInfo() << "single instance: oversized hand-over dropped";
                socket->abort();
                return;
            }
            // Complete once the terminator line arrived: "\n.\n", or just ".\n" for no files.
            if (!buffer->endsWith(QByteArray(kEnd)) && *buffer != QByteArray(kEnd + 1))
                return;
            QStringList files;
            const QList<QByteArray> lines = buffer->split('\n');
            for (const QByteArray &line : lines) {
                if (!line.isEmpty() && line != ".")
                    files << QString::fromUtf8(line);
            }
            buffer->clear();
            socket->write("ok\n");
            socket->flush();
            emit activationRequested(files);
        });
    }
}
