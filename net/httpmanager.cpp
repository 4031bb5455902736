#include "net/httpmanager.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QUrl>

QNetworkAccessManager *HttpManager::manager()
{
    static QNetworkAccessManager *nam = [] {
        auto *m = new QNetworkAccessManager(QCoreApplication::instance());
        return m;
    }();
    return nam;
}

void HttpManager::download(const QString &url, const QString &localPath, const Progress &progress,
                           const Completion &completion, qint64 maxSize)
{
    const QUrl target(url, QUrl::StrictMode);
    if (!target.isValid() || (target.scheme() != QLatin1String("https") && target.scheme() != QLatin1String("http"))) {
        // Report asynchronously all the same: callers rely on "completion comes later".
        QMetaObject::invokeMethod(manager(), [completion] {
            if (completion)
                completion(0, QString(), QStringLiteral("unsupported URL"));
        }, Qt::QueuedConnection);
        return;
    }

    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(kTimeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("%1/%2").arg(QCoreApplication::applicationName(),
                                                  QCoreApplication::applicationVersion()));

    QNetworkReply *reply = manager()->get(request);
    auto *file = new QSaveFile(localPath, reply);
    const bool opened = file->open(QIODevice::WriteOnly);
    auto tooLarge = std::make_shared<bool>(false);

    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, file, opened, maxSize, tooLarge] {
        const QByteArray chunk = reply->readAll();
        if (!opened)
            return;
        if (file->size() + chunk.size() > maxSize) {
            *tooLarge = true;
            reply->abort();
            return;
        }
        file->write(chunk);
    });
    if (progress)
        QObject::connect(reply, &QNetworkReply::downloadProgress, reply, progress);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, file, opened, localPath, completion, tooLarge] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        QString error;
        if (*tooLarge)
            error = QStringLiteral("response too large");
        else if (reply->error() != QNetworkReply::NoError)
            error = reply->errorString();
        else if (!opened)
            error = QStringLiteral("cannot write %1").arg(localPath);
        else if (status < 200 || status >= 300)
            error = QStringLiteral("HTTP status %1").arg(status);
        if (error.isEmpty()) {
            file->write(reply->readAll());
            if (!file->commit())
                error = QStringLiteral("cannot write %1").arg(localPath);
        } else {
            file->cancelWriting();
        }
        if (!error.isEmpty())
            qInfo() << "download of" << reply->url().toString() << "failed:" << error;
        if (completion)
            completion(status, error.isEmpty() ? localPath : QString(), error);
    });
}
