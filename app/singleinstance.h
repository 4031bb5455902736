#pragma once
// One player per user session. The first instance listens on a local socket; a later
// `trava-player FILE...` hands its files (absolute paths, one per line, UTF-8) to it and
// ends, and the running one comes to the front with the files added, as if dropped.
//
// The socket and the lock that decides who is first live in a folder the player
// creates for itself (mode 0700, owned by the user, not a link) in the user's runtime
// directory (or, failing that, the cache folder in the user's home); a folder failing
// those checks is never used. Both ends check that the
// other runs under the same user before a path is sent or taken.
#include <QObject>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // folder: the private folder for socket and lock (see privateFolder); empty disables
    // single-instance handling: listen() and sendToRunningInstance() then fail.
    explicit SingleInstance(const QString &folder = defaultFolder(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // <runtime directory, else the temporary directory>/trava-player-<uid>, created and
    // checked; when that is refused, the same name in the user's cache folder; empty when
    // neither can be had safely.
    static QString defaultFolder();
    // The same choice from the given folders (runtime may be empty: none).
    static QString defaultFolder(const QString &runtime, const QString &temp, const QString &cache);
    // Creates parent/name with mode 0700 if missing, then answers its path if it is a
    // real folder (no link) owned by this user and closed to everybody else, else empty.
    static QString privateFolder(const QString &parent, const QString &name, QString *why = nullptr);

    bool isAvailable() const { return !m_folder.isEmpty(); }
    QString serverName() const;

    // Tries to hand files to a running instance; true when one took them (the caller
    // should then exit). An empty list just asks it to come to the front.
    bool sendToRunningInstance(const QStringList &files, int timeoutMs = 2000);
    // Becomes the one instance and listens. False means another player holds the place
    // (or the socket could not be set up): the caller treats it as another player running.
    bool listen();
    bool isListening() const;

    // Relative paths become absolute against dir; empty entries are dropped.
    static QStringList absolutePaths(const QStringList &args, const QString &dir);
    // The user id of the process at the other end of a connected local socket, or -1.
    static qint64 peerUid(const QLocalSocket &socket);

signals:
    // Another start asked us to come forward, with the files it was given.
    void activationRequested(const QStringList &files);

private:
    void acceptConnection();

    QString m_folder;
    QLocalServer *m_server = nullptr;
    std::unique_ptr<QLockFile> m_lock;
};
