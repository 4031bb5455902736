#include "net/cameraconnection.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "track/cameralistingwalk.h"

CameraConnection::CameraConnection(QObject *parent) : QObject(parent), m_manager(new QNetworkAccessManager(this)) {}

CameraConnection::~CameraConnection()
{
    cancel();
}

QUrl CameraConnection::normalizedAddress(const QString &text, QString *why)
{
    QString t = text.trimmed();
    if (!t.contains(QLatin1String("://")))
        t.prepend(QLatin1String("http://"));
    QUrl url(t, QUrl::StrictMode);
    auto refuse = [why](const QString &reason) {
        if (why)
            *why = reason;
        return QUrl();
    };
    if (!url.isValid() || url.host().isEmpty())
        return refuse(QStringLiteral("not a camera address"));
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        return refuse(QStringLiteral("only http and https addresses are supported"));
    if (!url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment())
        return refuse(QStringLiteral("the address may hold neither a user name nor a query"));
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    url.setPath(path);
    return url;
}

QUrl CameraConnection::fileUrl(const QUrl &address, const CameraEntry &entry)
{
    QUrl url = address;
    url.setPath(address.path() + QString::fromStdString(entry.urlPath), QUrl::StrictMode);
    return url;
}

void CameraConnection::cancel()
{
    m_walk.reset();
    if (m_reply) {
        QNetworkReply *reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void CameraConnection::list(const QUrl &address)
{
    cancel();
    m_address = address;
    m_walk = std::make_unique<CameraListingWalk>(caps);
    next();
}

void CameraConnection::next()
{
    if (!m_walk)
        return;
    if (m_walk->done()) {
        const CameraListing result = m_walk->result();
        m_walk.reset();
        if (result.error.empty())
            emit listed(result);
        else
            emit failed(QString::fromStdString(CameraListingParser::printable(result.error)));
        return;
    }
    // The target carries its own query ("/?custom=1&cmd=3015"): set as encoded text.
    const QUrl target(m_address.toString() + QString::fromStdString(m_walk->nextRequest()), QUrl::StrictMode);
    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(silenceMs);
    QNetworkReply *reply = m_manager->get(request);
    reply->setReadBufferSize(64 * 1024);
    m_reply = reply;
    auto body = std::make_shared<QByteArray>();
    auto abortReason = std::make_shared<QString>();
    const qint64 cap = qint64(caps.maxBytes);
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, [reply, abortReason] {
        *abortReason = QStringLiteral("no complete answer in time");
        reply->abort();
    });
    deadline->start(deadlineMs);
    connect(reply, &QNetworkReply::readyRead, this, [reply, body, abortReason, cap] {
        if (!abortReason->isEmpty())
            return;
        *body += reply->read(cap + 1 - body->size());
        if (body->size() > cap) {
            *abortReason = QStringLiteral("the listing is larger than %1 bytes").arg(cap);
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, body, abortReason, cap] {
        if (reply != m_reply)
            return;
        m_reply = nullptr;
        reply->deleteLater();
        if (abortReason->isEmpty() && reply->isOpen())
            *body += reply->read(cap + 1 - body->size());
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        QString error = *abortReason;
        if (error.isEmpty() && reply->error() == QNetworkReply::OperationCanceledError)
            error = QStringLiteral("the camera stopped answering");
        else if (error.isEmpty() && reply->error() == QNetworkReply::InsecureRedirectError)
            error = QStringLiteral("redirected to another host");
        else if (error.isEmpty() && status == 0 && reply->error() != QNetworkReply::NoError)
            error = reply->errorString();
        if (error.isEmpty() && reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid())
            error = QStringLiteral("redirected to another host");
        if (!error.isEmpty())
            m_walk->answer(0, {}, error.toStdString());
        else
            m_walk->answer(status, std::string_view(body->constData(), std::size_t(body->size())));
        next();
    });
}
