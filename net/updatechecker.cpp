#include "net/updatechecker.h"
#include "core/logging.h"

#include <QAbstractButton>
#include <QDebug>
#include <QDesktopServices>
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

UpdateChecker::Feed UpdateChecker::parseFeed(const QByteArray &bytes)
{
    Feed feed;
    QString error;
    const QVariantMap doc = XMLReader::dictionaryForXMLData(bytes, &error);
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
    // An HTML page sent with status 200, a feed without (or with two) versions, or one
    // whose page we would refuse to open offers nothing the user could act on.
    feed.readable = !feed.version.isEmpty()
                    && isOpenableDownloadUrl(QUrl(feed.downloadUrl, QUrl::StrictMode));
    if (!feed.readable)
        qCInfo(lcNet) << "update feed lacks a version or a web download page";
    return feed;
}

void UpdateChecker::checkUpgrade(QAbstractButton *sender)
{
    QPointer<QAbstractButton> button(sender);
    if (button)
        button->setEnabled(false);
    QPointer<UpdateChecker> self(this);
    auto finish = [self, button](const Feed &feed) {
        if (button)
            button->setEnabled(true);
        if (self)
            self->handleFeed(feed);
    };
    HttpManager::fetch(m_feedUrl, [finish](int, const QByteArray &body, const QString &error) {
        if (!error.isEmpty()) {
            finish(Feed{});
            return;
        }
        // Even a capped feed is parsed away from the window, which stays responsive.
        QThreadPool::globalInstance()->start([finish, body] {
            const Feed feed = parseFeed(body);
            QMetaObject::invokeMethod(QCoreApplication::instance(), [finish, feed] { finish(feed); },
                                      Qt::QueuedConnection);
        });
    }, XMLReader::kMaxDocumentSize, m_deadlineMs);
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
