#include "net/updatechecker.h"

#include <QAbstractButton>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "net/httpmanager.h"
#include "core/mlanguagemanager.h"
#include "core/mtool.h"
#include <QCoreApplication>
#include <QPushButton>
#include "net/xmlreader.h"

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

QString UpdateChecker::localPath() const
{
    return QDir(QDir::tempPath()).filePath(QUrl(m_feedUrl).fileName());
}

bool UpdateChecker::isOpenableDownloadUrl(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("https") || scheme == QLatin1String("http"))
           && !url.host().isEmpty();
}

void UpdateChecker::checkUpgrade(QAbstractButton *sender)
{
    QPointer<QAbstractButton> button(sender);
    if (button)
        button->setEnabled(false);
    QPointer<UpdateChecker> self(this);
    const QString path = localPath();
    HttpManager::download(m_feedUrl, path, nullptr, [self, button, path](int, const QString &stored, const QString &error) {
        if (button)
            button->setEnabled(true);
        if (!self)
            return;
        if (!error.isEmpty() || stored.isEmpty()) {
            self->m_alert(L::localized("Prompt"), L::localized("Failed.to.detect"), {L::localized("OK")});
            emit self->finished();
            return;
        }
        self->handleFeed(stored);
    });
}

void UpdateChecker::handleFeed(const QString &storedPath)
{
    QVariantMap feed;
    {
        QFile file(storedPath);
        if (file.size() <= XMLReader::kMaxDocumentSize && file.open(QIODevice::ReadOnly)) {
            QString error;
            feed = XMLReader::dictionaryForXMLData(file.readAll(), &error);
            if (!error.isEmpty())
                qInfo() << "update feed unreadable:" << error;
        }
    }
    QFile::remove(storedPath);

    const QString latest = XMLReader::textAt(feed, {QStringLiteral("root"), QStringLiteral("softVersion")});
    if (!latest.isNull() && latest == m_currentVersion) {
        m_alert(L::localized("Prompt"), L::localized("The.latest.version"), {L::localized("OK")});
        emit finished();
        return;
    }
    m_downloadUrl = XMLReader::textAt(feed, {QStringLiteral("root"), QStringLiteral("downloadUrl")});
    const QString notes = XMLReader::textAt(feed, {QStringLiteral("root"), QStringLiteral("versionInfo")});
    showAlert(L::localized("Monitoring.and.Upgrading"), notes, {L::localized("To.upgrade"), L::localized("Cancel")});
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
