#pragma once
// The user's "is there a newer version?" request: fetch the feed, compare its
// softVersion with ours by exact text, and either say we are current or offer the
// download page. Only http and https pages are ever opened. The feed is fetched over
// https only (plain http is accepted for a server on this machine), read in memory up to
// kMaxFeedBytes and parsed off the GUI thread within the check's deadline; one that
// cannot be read is reported as such, never as an update.
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

#include "core/mtool.h"

class QAbstractButton;

// The built-in feed. A build for another publisher, or a test, names its own through
// the environment variable kUpdateFeedEnv or the setting kUpdateFeedKey (docs/update-feed.md).
inline constexpr char kUpdateFeedUrl[] = "https://trava-player.example.org/update/gpsUpdate.xml";
inline constexpr char kUpdateFeedEnv[] = "TRAVA_UPDATE_FEED";
inline constexpr char kUpdateFeedKey[] = "kUpdateFeedUrl";

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    using AlertHandler = MTool::AlertHandler;
    using UrlOpener = std::function<bool(const QUrl &)>;

    explicit UpdateChecker(QObject *parent = nullptr);

    // The environment variable, else the setting, else the built-in feed.
    static QString configuredFeedUrl();
    void setFeedUrl(const QString &url) { m_feedUrl = url; }
    QString feedUrl() const { return m_feedUrl; }
    void setCurrentVersion(const QString &version) { m_currentVersion = version; }
    void setAlertHandler(AlertHandler handler) { m_alert = std::move(handler); }
    void setUrlOpener(UrlOpener opener) { m_open = std::move(opener); }

    // Starts a check; sender (may be null) is disabled until the answer is in.
    void checkUpgrade(QAbstractButton *sender);
    // Acts on the pressed button of an update offer.
    void showAlert(const QString &title, const QString &content, const QStringList &buttonTitles);

    QString downloadUrl() const { return m_downloadUrl; }
    static bool isOpenableDownloadUrl(const QUrl &url);
    // https with a host, or http to this machine (127.0.0.0/8, ::1, localhost).
    static bool isAcceptableFeedUrl(const QUrl &url);
    // The feed is a few hundred bytes; what is larger is not read.
    static constexpr qint64 kMaxFeedBytes = 64 * 1024;
    // The whole check, answer included, ends within this time (10 s unless a test says).
    void setDeadlineMs(int ms) { m_deadlineMs = ms; }

    struct Feed {
        bool readable = false; // a single version; only an offer needs a download page too
        QString version, downloadUrl, notes;
    };
    // What a downloaded feed says; safe to call on any thread. Past the deadline the
    // feed counts as unreadable.
    static Feed parseFeed(const QByteArray &bytes,
                          QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

signals:
    // After every check, once its alert has been answered.
    void finished();

private:
    void handleFeed(const Feed &feed);
    void failed();

    QString m_feedUrl = configuredFeedUrl();
    int m_deadlineMs = 10000;
    QString m_currentVersion;
    QString m_downloadUrl;
    AlertHandler m_alert;
    UrlOpener m_open;
};
