#pragma once
// The user's "is there a newer version?" request: fetch the feed, compare its
// softVersion with ours by exact text, and either say we are current or offer the
// download page. Only http and https pages are ever opened.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

#include "core/mtool.h"

class QAbstractButton;

// The feed; tests point the checker elsewhere with setFeedUrl().
inline constexpr char kUpdateFeedUrl[] = "https://trava-player.example.org/update/gpsUpdate.xml";

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    using AlertHandler = MTool::AlertHandler;
    using UrlOpener = std::function<bool(const QUrl &)>;

    explicit UpdateChecker(QObject *parent = nullptr);

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
    // Where the feed is stored while it is read: the temporary directory + "gpsUpdate.xml".
    QString localPath() const;
    static bool isOpenableDownloadUrl(const QUrl &url);

signals:
    // After every check, once its alert has been answered.
    void finished();

private:
    void handleFeed(const QString &storedPath);

    QString m_feedUrl = QString::fromLatin1(kUpdateFeedUrl);
    QString m_currentVersion;
    QString m_downloadUrl;
    AlertHandler m_alert;
    UrlOpener m_open;
};
