#include "net/updatechecker.h"

#include <QAbstractButton>
#include <QDebug>
#include <QDesktopServices>
#include <QSettings>
#include <QThreadPool>

#include "net/httpmanager.h"
#include "core/mlanguagemanager.h"
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include "net/xmlreader.h"

namespace {
QString tr_(const char *key)
{
    return MLanguageManager::DPLocalizedString(QString::fromLatin1(key));
}
// The owner normally installs the application's own alert; this is the plain fallback.
int plainAlert(const QString &title, const QString &text, const QStringList &buttons)
{
    QMessageBox box(QMessageBox::Warning, title, title);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(text);
    // The notes come from the network: never rich text, never a link to follow.
    if (auto *informative = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
        informative->setTextFormat(Qt::PlainText);
        informative->setOpenExternalLinks(false);
    }
    QList<QAbstractButton *> added;
    for (const QString &b : buttons)
        added.append(box.addButton(b, QMessageBox::AcceptRole));
    if (added.isEmpty())
        added.append(box.addButton(QMessageBox::Ok));
    box.exec();
    const int i = int(added.indexOf(box.clickedButton()));
    return 1000 + (i < 0 ? int(added.size()) - 1 : i);
}
} // namespace

UpdateChecker::UpdateChecker(QObject *parent)
    : QObject(parent),
      m_currentVersion(QStringLiteral("v%1").arg(QCoreApplication::applicationVersion())),
      m_alert(plainAlert),
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
        qInfo() << "update feed unreadable:" << error;
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
        qInfo() << "update feed lacks a version or a web download page";
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
    m_alert(tr_("Prompt"), tr_("Failed.to.detect"), {tr_("OK")});
    emit finished();
}

void UpdateChecker::handleFeed(const Feed &feed)
{
    if (!feed.readable) {
        failed();
        return;
    }
    if (feed.version == m_currentVersion) {
        m_alert(tr_("Prompt"), tr_("The.latest.version"), {tr_("OK")});
        emit finished();
        return;
    }
    m_downloadUrl = feed.downloadUrl;
    // A feed without notes still says which version it offers.
    showAlert(tr_("Monitoring.and.Upgrading"), feed.notes.isEmpty() ? feed.version : feed.notes,
              {tr_("To.upgrade"), tr_("Cancel")});
    emit finished();
}

void UpdateChecker::showAlert(const QString &title, const QString &content, const QStringList &buttonTitles)
{
    const int response = m_alert ? m_alert(title, content, buttonTitles) : 0;
    if (response == 1000 && !m_downloadUrl.isEmpty()) {
        qInfo() << "去升级";
        const QUrl url(m_downloadUrl, QUrl::StrictMode);
        if (isOpenableDownloadUrl(url)) {
            if (m_open)
                m_open(url);
        } else {
            // A feed must not make us launch local files or other programs' URL handlers.
            qWarning() << "refusing to open download page that is not http(s):" << m_downloadUrl;
        }
        m_downloadUrl.clear();
    } else if (response == 1001) {
        qInfo() << "取消";
    }
}
