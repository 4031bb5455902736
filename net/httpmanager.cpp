#include "net/httpmanager.h"

#include <QCoreApplication>
#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <memory>

QNetworkAccessManager *HttpManager::manager()
{
    static QNetworkAccessManager *nam = [] {
        auto *m = new QNetworkAccessManager(QCoreApplication::instance());
        return m;
    }();
    return nam;
}

void HttpManager::fetch(const QString &url, const Completion &completion, qint64 maxSize, int deadlineMs)
{
    const QUrl target(url, QUrl::StrictMode);
    if (!target.isValid() || (target.scheme() != QLatin1String("https") && target.scheme() != QLatin1String("http"))) {
        // Report asynchronously all the same: callers rely on "completion comes later".
        QMetaObject::invokeMethod(manager(), [completion] {
            if (completion)
                completion(0, QByteArray(), QStringLiteral("unsupported URL"));
        }, Qt::QueuedConnection);
        return;
    }

    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    // The transfer time-out only counts silence; the deadline below bounds a trickle.
    request.setTransferTimeout(kTimeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("%1/%2").arg(QCoreApplication::applicationName(),
                                                  QCoreApplication::applicationVersion()));

    QNetworkReply *reply = manager()->get(request);
    reply->setReadBufferSize(64 * 1024); // taken as it comes; a flood waits on the wire
    struct State {
        QByteArray body;
        QString abortReason;
    };
    auto state = std::make_shared<State>();

    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, [reply, state] {
        state->abortReason = QStringLiteral("no complete answer in time");
        reply->abort();
    });
    deadline->start(deadlineMs);

    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, state, maxSize] {
        if (!state->abortReason.isEmpty())
            return;
        // A declared length past the cap is refused before a byte of it is kept.
        const qint64 declared = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        const QByteArray chunk = reply->read(maxSize + 1 - state->body.size());
        state->body += chunk;
        if (declared > maxSize || state->body.size() > maxSize) {
            state->abortReason = QStringLiteral("response too large");
            state->body.clear();
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, state, completion, maxSize] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        QString error = state->abortReason;
        if (error.isEmpty() && reply->isOpen()) {
            state->body += reply->read(maxSize + 1 - state->body.size());
            if (state->body.size() > maxSize)
                error = QStringLiteral("response too large");
        }
        if (error.isEmpty()) {
            if (reply->error() != QNetworkReply::NoError)
                error = reply->errorString();
            else if (status < 200 || status >= 300)
                error = QStringLiteral("HTTP status %1").arg(status);
        }
        if (!error.isEmpty()) {
            state->body.clear();
            qInfo() << "download of" << reply->url().toString() << "failed:" << error;
        }
        if (completion)
            completion(status, state->body, error);
    });
}
