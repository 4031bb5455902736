#pragma once
// One player per user session. The first instance listens on a local socket; a later
// `trava-player FILE...` hands its files (absolute paths, one per line, UTF-8) to it and
// ends, and the running one comes to the front with the files added, as if dropped.
#include <QObject>
#include <QStringList>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The default name is per user, so two users on one machine each get their player.
    explicit SingleInstance(const QString &serverName = defaultServerName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    static QString defaultServerName();

    // Tries to hand files to a running instance; true when one took them (the caller
    // should then exit). An empty list just asks it to come to the front.
    bool sendToRunningInstance(const QStringList &files, int timeoutMs = 2000);
    // Starts listening; false when another instance already is (or the socket failed).
    bool listen();
    bool isListening() const;

    // Relative paths become absolute against dir; empty entries are dropped.
    static QStringList absolutePaths(const QStringList &args, const QString &dir);

signals:
    // Another start asked us to come forward, with the files it was given.
    void activationRequested(const QStringList &files);

private:
    void acceptConnection();

    QString m_name;
    QLocalServer *m_server = nullptr;
};
