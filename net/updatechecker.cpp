#include "net/updatechecker.h"
#include "core/logging.h"

#include <QAbstractButton>
#include <QDebug>
#include <QDesktopServices>
#include <QHostAddress>
#include <QTimer>
#include <QSettings>
#include <QThreadPool>

#include "net/httpmanager.h"
#include "core/mlanguagemanager.h"
#include "core/mtool.h"
#include <QCoreApplication>
#include <QPushButton>
#include "net/xmlreader.h"

Q_LOGGING_CATEGORY(lcNet, "trava.net")

namespace {
using L = MLanguageManager;
// The download ends by the deadline and the parse stops there too; this is the margin
// for their answers to come through the event queue before the check gives up on them.
constexpr int kLateAnswerMs = 500;
} // namespace

UpdateChecker::UpdateChecker(QObject *parent)
    : QObject(parent),
      m_currentVersion(QStringLiteral("v%1").arg(QCoreApplication::applicationVersion())),
      m_alert([](const QString &t, const QString &c, const QStringList &b) { return MTool::showAlert(t, c, b); }),
      m_open([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
}

QString UpdateChecker::configuredFeedUrl()
{
    const QString fromEnv = qEnvironmentVariable(kUpdateFeedEnv).trimmed();
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString fromSettings = QSettings().value(QString::fromLatin1(kUpdateFeedKey)).toString().trimmed();
    if (!fromSettings.isEmpty())
        return fromSettings;
    return QString::fromLatin1(kUpdateFeedUrl);
}

bool UpdateChecker::isOpenableDownloadUrl(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("https") || scheme == QLatin1String("http"))
           && !url.host().isEmpty();
}

bool UpdateChecker::isAcceptableFeedUrl(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    if (scheme != QLatin1String("http"))
        return false;
    // Plain http can be read and rewritten by anyone on the way, except on this machine.
    const QHostAddress address(url.host());
    return url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
           || (!address.isNull() && address.isLoopback());
}

UpdateChecker::Feed UpdateChecker::parseFeed(const QByteArray &bytes, QDeadlineTimer deadline)
{
    Feed feed;
    QString error;
    if (bytes.size() > kMaxFeedBytes)
        error = QStringLiteral("feed too large");
    const QVariantMap doc = error.isEmpty() ? XMLReader::dictionaryForXMLData(bytes, 0, &error, deadline)
                                            : QVariantMap();
    if (!error.isEmpty()) {
        qCInfo(lcNet) << "update feed unreadable:" << error;
        return feed;
    }
    const auto text = [&doc](const char *name) {
        return XMLReader::textAt(doc, {QStringLiteral("root"), QString::fromLatin1(name)});
    };
    feed.version = text("softVersion");
    feed.downloadUrl = text("downloadUrl");
    feed.notes = text("versionInfo");
    // An HTML page sent with status 200 or a feed without (or with two) versions says
    // nothing; whether its page can be opened matters only for an offer.
    feed.readable = !feed.version.isEmpty();
    if (!feed.readable)
        qCInfo(lcNet) << "update feed lacks a version";
    return feed;
}

void UpdateChecker::checkUpgrade(QAbstractButton *sender)
{
    QPointer<QAbstractButton> button(sender);
    if (button)
        button->setEnabled(false);
    QPointer<UpdateChecker> self(this);
    // Answered once: by the feed, or by the deadline if the parse has not ended by then.
    auto answered = std::make_shared<bool>(false);
    auto finish = [self, button, answered](const Feed &feed) {
        if (*answered)
            return;
        *answered = true;
        if (button)
            button->setEnabled(true);
        if (self)
            self->handleFeed(feed);
    };
    const QUrl url(m_feedUrl, QUrl::StrictMode);
    if (!isAcceptableFeedUrl(url)) {
        qCWarning(lcNet) << "update feed must be https (or http on this machine):" << m_feedUrl;
        QMetaObject::invokeMethod(this, [finish] { finish(Feed{}); }, Qt::QueuedConnection);
        return;
    }
    const QDeadlineTimer deadline(m_deadlineMs);
    QTimer::singleShot(m_deadlineMs + kLateAnswerMs, QCoreApplication::instance(), [finish] { finish(Feed{}); });
    HttpManager::fetch(m_feedUrl, [finish, deadline](int, const QByteArray &body, const QString &error) {
        if (!error.isEmpty()) {
            finish(Feed{});
            return;
        }
        // Even a capped feed is parsed away from the window, which stays responsive.
        QThreadPool::globalInstance()->start([finish, body, deadline] {
            const Feed feed = parseFeed(body, deadline);
            QMetaObject::invokeMethod(QCoreApplication::instance(), [finish, feed] { finish(feed); },
                                      Qt::QueuedConnection);
        });
    }, kMaxFeedBytes, m_deadlineMs);
}

void UpdateChecker::failed()
{
    m_alert(L::localized("Prompt"), L::localized("Failed.to.detect"), {L::localized("OK")});
    emit finished();
}

void UpdateChecker::handleFeed(const Feed &feed)
{
    if (!feed.readable) {
        failed();
        return;
    }
    if (feed.version == m_currentVersion) {
        m_alert(L::localized("Prompt"), L::localized("The.latest.version"), {L::localized("OK")});
        emit finished();
        return;
    }
    // An offer the user could not act on is no offer.
    if (!isOpenableDownloadUrl(QUrl(feed.downloadUrl, QUrl::StrictMode))) {
        qCInfo(lcNet) << "update feed offers no web download page";
        failed();
        return;
    }
    m_downloadUrl = feed.downloadUrl;
    // A feed without notes still says which version it offers.
    showAlert(L::localized("Monitoring.and.Upgrading"), feed.notes.isEmpty() ? feed.version : feed.notes,
              {L::localized("To.upgrade"), L::localized("Cancel")});
    emit finished();
}

void UpdateChecker::showAlert(const QString &title, const QString &content, const QStringList &buttonTitles)
{
    const int response = m_alert ? m_alert(title, content, buttonTitles) : 0;
    if (response == 1000 && !m_downloadUrl.isEmpty()) {
        qCInfo(lcNet) << "去升级";
        const QUrl url(m_downloadUrl, QUrl::StrictMode);
        if (isOpenableDownloadUrl(url)) {
            if (m_open)
                m_open(url);
        } else {
            // A feed must not make us launch local files or other programs' URL handlers.
            qCWarning(lcNet) << "refusing to open download page that is not http(s):" << m_downloadUrl;
        }
        m_downloadUrl.clear();
    } else if (response == 1001) {
        qCInfo(lcNet) << "取消";
    }
}
