#include "service/remotelength.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace RemoteLength {

namespace {

constexpr int kCancelPollMs = 50;

QNetworkRequest lengthRequest(const QUrl &url, int timeoutMs)
{
    QNetworkRequest request(url);
    // A camera on a network nobody controls: a redirect may not lead to another host.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(timeoutMs);
    return request;
}

qint64 contentLength(const QNetworkReply *reply)
{
    bool ok = false;
    const qint64 value = reply->rawHeader("Content-Length").trimmed().toLongLong(&ok);
    return ok && value > 0 ? value : 0;
}

// What the header of one answer said: the status (0 when no header came) and the length
// it names, -1 for none.
struct Header {
    int status = 0;
    qint64 length = -1;
    QString failure;
};

// Sends request (a GET, or a HEAD when head is set) and stops at its header.
Header headerOf(QNetworkAccessManager *network, const QNetworkRequest &request, bool head,
                const std::function<bool()> &cancelled)
{
    std::unique_ptr<QNetworkReply> reply(head ? network->head(request) : network->get(request));
    Header h;
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, reply.get(), [&] {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid() || h.status != 0)
            return;
        h.status = status.toInt();
        if (h.status == 206 || h.status == 416)
            h.length = totalOfContentRange(reply->rawHeader("Content-Range"));
        else if (h.status >= 200 && h.status < 300 && reply->hasRawHeader("Content-Length"))
            h.length = contentLength(reply.get());
        // Only the header was wanted: a server that ignored the range would send it all.
        reply->abort();
    });
    waitFor(reply.get(), cancelled);
    if (h.status == 0)
        h.failure = reply->errorString();
    return h;
}

} // namespace

qint64 totalOfContentRange(const QByteArray &header)
{
    const QByteArray h = header.trimmed();
    const qsizetype slash = h.lastIndexOf('/');
    if (!h.startsWith("bytes ") || slash < 0)
        return -1;
    bool ok = false;
    const qint64 total = h.mid(slash + 1).trimmed().toLongLong(&ok);
    return ok && total >= 0 ? total : -1;
}

qint64 request(QNetworkAccessManager *network, const QUrl &url, int timeoutMs, const std::function<bool()> &cancelled,
               QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return qint64(0);
    };
    QNetworkRequest first = lengthRequest(url, timeoutMs);
    first.setRawHeader("Range", "bytes=0-0");
    Header h = headerOf(network, first, false, cancelled);
    if (h.status == 0)
        return fail(h.failure);
    if (h.status == 206 && h.length < 0 && !cancelled()) {
        // Ranges served, the total kept back: the header of the whole file says it.
        const Header whole = headerOf(network, lengthRequest(url, timeoutMs), true, cancelled);
        if (whole.status == 0)
            return fail(whole.failure);
        if (whole.status < 200 || whole.status >= 300)
            return fail(QStringLiteral("HTTP status %1").arg(whole.status));
        h = whole;
    } else if (h.status != 206 && h.status != 416 && (h.status < 200 || h.status >= 300)) {
        return fail(QStringLiteral("HTTP status %1").arg(h.status));
    }
    if (h.length < 0)
        return fail(QStringLiteral("the server names no length"));
    return h.length;
}

void waitFor(QNetworkReply *reply, const std::function<bool()> &cancelled)
{
    if (reply->isFinished())
        return;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, reply, [reply, &cancelled] {
        if (cancelled())
            reply->abort();
    });
    poll.start(kCancelPollMs);
    loop.exec();
}

} // namespace RemoteLength
