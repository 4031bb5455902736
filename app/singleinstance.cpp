#include "app/singleinstance.h"
#include "core/logging.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QLockFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {
// A hand-over is a few paths; anything far larger is not ours and is dropped.
constexpr qint64 kMaxMessage = 4 * 1024 * 1024;
constexpr char kEnd[] = "\n.\n";
} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent) : QObject(parent), m_folder(folder) {}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

QString SingleInstance::privateFolder(const QString &parent, const QString &name, QString *why)
{
    QString dummy;
    if (!why)
        why = &dummy;
    if (parent.isEmpty() || name.isEmpty() || name.contains(QLatin1Char('/'))) {
        *why = QStringLiteral("no place for a private folder");
        return {};
    }
    const QString path = QDir(parent).filePath(name);
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        *why = QStringLiteral("cannot create %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return {};
    }
    // lstat, not stat: a link planted by somebody else must not lead us elsewhere.
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *why = QStringLiteral("%1 is not a folder").arg(path);
        return {};
    }
    if (st.st_uid != ::getuid()) {
        *why = QStringLiteral("%1 belongs to another user").arg(path);
        return {};
    }
    if ((st.st_mode & 077) != 0) {
        *why = QStringLiteral("%1 is open to other users").arg(path);
        return {};
    }
    return path;
}

QString SingleInstance::defaultFolder()
{
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!QFileInfo(runtime).isDir())
        runtime.clear();
    return defaultFolder(runtime, QDir::tempPath(),
                         QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation));
}

QString SingleInstance::defaultFolder(const QString &runtime, const QString &temp, const QString &cache)
{
    const QString name = QStringLiteral("trava-player-%1").arg(::getuid());
    QString why;
    // The shared temporary folder is everybody's: another user may have taken the name
    // first. Then a folder in the user's own home serves, so that such a user cannot make
    // two players run side by side.
    for (const QString &parent : {runtime.isEmpty() ? temp : runtime, cache}) {
        if (parent.isEmpty())
            continue;
        if (parent == cache)
            QDir().mkpath(cache);
        const QString folder = privateFolder(parent, name, &why);
        if (!folder.isEmpty())
            return folder;
        qCWarning(lcApp) << "single instance:" << why;
    }
    qCWarning(lcApp) << "single instance disabled: no private folder";
    return {};
}

QString SingleInstance::serverName() const
{
    return m_folder.isEmpty() ? QString() : QDir(m_folder).filePath(QStringLiteral("player.socket"));
}

qint64 SingleInstance::peerUid(const QLocalSocket &socket)
{
    const qintptr fd = socket.socketDescriptor();
    if (fd < 0)
        return -1;
    struct ucred cred {};
    socklen_t len = sizeof cred;
    if (::getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || len != sizeof cred)
        return -1;
    return qint64(cred.uid);
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
    if (!isAvailable())
        return false;
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    if (peerUid(socket) != qint64(::getuid())) {
        qCWarning(lcApp) << "single instance: the listener runs as another user; nothing sent";
        return false;
    }
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
    if (!isAvailable())
        return false;
    // The lock decides who is first, so two players started together cannot both take
    // the socket (Qt would replace an existing socket file without asking).
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(QDir(m_folder).filePath(QStringLiteral("player.lock")));
        m_lock->setStaleLockTime(0); // only a dead holder's lock is stale
    }
    if (!m_lock->isLocked() && !m_lock->tryLock(0))
        return false;
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    }
    // Holding the lock, a socket file left there is a crashed player's: replace it.
    QLocalServer::removeServer(serverName());
    if (!m_server->listen(serverName())) {
        qCWarning(lcApp) << "single instance: cannot listen:" << m_server->errorString();
        m_lock->unlock();
        return false;
    }
    return true;
}

bool SingleInstance::isListening() const { return m_server && m_server->isListening(); }

void SingleInstance::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (peerUid(*socket) != qint64(::getuid())) {
            qCWarning(lcApp) << "single instance: connection from another user refused";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            if (buffer->size() > kMaxMessage) {
                qCInfo(lcApp) << "single instance: oversized hand-over dropped";
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
