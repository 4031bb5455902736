#include "service/kalgpstool.h"
#include "service/telemetrysources.h"
#include "core/logging.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QtDebug>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "service/gpsworker.h"
#include "telemetry/kalgpsapi.h"
#include "service/readaheadcache.h"
#include "service/remotelength.h"
#include "service/samplelines.h"
#include "track/trackdecoder.h"

Q_LOGGING_CATEGORY(lcService, "trava.service")

namespace {

// The library's read callback is a plain function: it reaches the instance through this.
std::atomic<KalGpsTool *> globalSelf{nullptr};

constexpr int kLengthTimeoutMs = 5000;
constexpr int kRangeTimeoutMs = 2000;
// A trickling server is given up on after this, whatever it still sends.
constexpr int kRangeDeadlineMs = 20000;
constexpr qint64 kReadSlack = 64 * 1024;
constexpr qint64 kProgressIntervalMs = 100;

} // namespace

KalGpsTool *KalGpsTool::shareTool()
{
    static KalGpsTool *const instance = [] {
        auto *tool = new KalGpsTool;
        if (QCoreApplication *app = QCoreApplication::instance()) {
            tool->moveToThread(app->thread());
            // Quitting cancels everything and waits for no decode: one still running on
            // a large recording is left behind (isDecoding()) and ends with the process.
            QObject::connect(app, &QCoreApplication::aboutToQuit, tool, [tool] {
                tool->m_quitting = true;
                tool->stopGetInfo();
                tool->m_worker->shutDown(0);
            });
        }
        return tool;
    }();
    return instance;
}

KalGpsTool::KalGpsTool() : m_worker(new GpsWorker), m_cache(std::make_unique<ReadAheadCache>())
{
    globalSelf = this;
    m_worker->start();
}

KalGpsTool::~KalGpsTool()
{
    stopGetInfo();
    m_worker->shutDown();
    delete m_worker;
    KalGpsTool *self = this;
    globalSelf.compare_exchange_strong(self, nullptr);
}

bool KalGpsTool::isCancel() const { return m_requests.runningCancelled(); }

KalGpsTool::Handle KalGpsTool::request(const QString &path, ExtractionPriority priority, ExtractionBlock done)
{
    const bool urgent = priority == ExtractionPriority::Player;
    if (path.startsWith(QLatin1String("http://")) || path.startsWith(QLatin1String("https://"))) {
        const QUrl url(path);
        return submit(urgent, std::move(done), [this, url] { return decodeRemote(url); });
    }
    return submit(urgent, std::move(done), [this, path] { return decodeWithFallback(path); });
}

namespace {
Track trackOf(const QStringList &lines);
} // namespace

Extraction KalGpsTool::decodeWithFallback(const QString &path)
{
    Extraction result = decodeLocal(path);
    // A channel without telemetry (most rear cameras) takes its moment's other channels'.
    for (const QString &other : TelemetrySources::alternates(path)) {
        if (result.status != ExtractionStatus::Complete || !result.lines.isEmpty() || isCancel())
            break;
        kalGpsInit();
        const Extraction borrowed = decodeLocal(other);
        if (borrowed.status == ExtractionStatus::Complete && !borrowed.lines.isEmpty())
            result = borrowed;
    }
    return result;
}

KalGpsTool::Handle KalGpsTool::requestMany(const QStringList &paths,
                                           std::function<void(const QString &, const Extraction &)> each,
                                           std::function<void()> finished)
{
    QPointer<KalGpsTool> self(this);
    auto done = [finished = std::move(finished)](const Extraction &) {
        if (finished)
            finished();
    };
    return submit(false, std::move(done), [this, self, paths, each] {
        for (qsizetype i = 0; i < paths.size() && !isCancel(); ++i) {
            if (i > 0)
                kalGpsInit();
            Extraction e = decodeWithFallback(paths.at(i));
            if (isCancel())
                break;
            if (e.status == ExtractionStatus::Complete)
                e.track = trackOf(e.lines);
            QMetaObject::invokeMethod(
                this, [self, path = paths.at(i), e = std::move(e), each] {
                    if (self && each)
                        each(path, e);
                }, Qt::QueuedConnection);
        }
        return Extraction{};
    });
}

void KalGpsTool::cancel(Handle handle)
{
    // A local decode under way stops reading and ends at once.
    m_requests.cancel(handle, [] { kalGpsCancel(); });
}

namespace {
// The old surface's answer: the lines of a complete extraction, no list otherwise.
KalGpsTool::ExtractionBlock linesOf(KalGpsTool::GpsInfoBlock block)
{
    return [block = std::move(block)](const Extraction &e) {
        if (!block)
            return;
        if (e.status == ExtractionStatus::Complete && !e.lines.isEmpty())
            block(e.lines);
        else
            block(std::nullopt);
    };
}

Track trackOf(const QStringList &lines)
{
    std::vector<std::string> raw;
    raw.reserve(size_t(lines.size()));
    QSet<QString> seen;
    for (const QString &line : lines) {
        if (seen.contains(line))
            continue;
        seen.insert(line);
        raw.push_back(line.toStdString());
    }
    return decodeGpsData(raw);
}
} // namespace

void KalGpsTool::getGpsInfo(const QString &path, GpsInfoBlock block)
{
    if (path.startsWith(QLatin1String("http"))) {
        if (block)
            block(QStringList());
        return;
    }
    submit(false, linesOf(std::move(block)), [this, path] { return decodeLocal(path); });
}

void KalGpsTool::getRemoteGpsInfo(const QUrl &url, GpsInfoBlock block)
{
    submit(false, linesOf(std::move(block)), [this, url] { return decodeRemote(url); });
}

Extraction KalGpsTool::decodeLocal(const QString &path)
{
    Extraction result;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        kalGpsExit();
        return result; // failed: there is nothing to say about its telemetry
    }
    m_decodingPath = path;
    m_lastProgressMs = -1;
    kalGpsProgressCallBack(&KalGpsTool::progressCallBack);
    // A cancel between the start of the job and kalGpsInit (which clears the library's
    // cancel mark) is seen here, so that no decode runs in full after it.
    if (!isCancel()) {
        const GpsLines lines = startDecode(path, 0);
        result.status = ExtractionStatus::Complete;
        result.lines = lines.value_or(QStringList());
    } else {
        kalGpsExit();
    }
    kalGpsProgressCallBack(nullptr);
    m_decodingPath.clear();
    return result;
}

Extraction KalGpsTool::decodeRemote(const QUrl &url)
{
    Extraction result;
    setRequest(url);
    QString error;
    m_fileLength = requestFileLength(&error);
    if (m_fileLength <= 0 || isCancel()) {
        if (!error.isEmpty())
            qCInfo(lcService).noquote() << "remote telemetry: no length for" << url.toDisplayString() << error;
        kalGpsExit();
    } else {
        m_cache->reset(m_fileLength);
        kalGpsReadCallBack(&KalGpsTool::gpsCallBack);
        // In callback mode the library needs the path only for its extension.
        const GpsLines lines = startDecode(url.path(), 1);
        kalGpsReadCallBack(nullptr);
        result.status = ExtractionStatus::Complete;
        result.lines = lines.value_or(QStringList());
    }
    setRequest(QUrl());
    return result;
}

KalGpsTool::Handle KalGpsTool::submit(bool urgent, ExtractionBlock done, std::function<Extraction()> decode)
{
    const Handle handle = m_requests.issue();
    m_worker->submit([this, handle, done = std::move(done), decode = std::move(decode)]() mutable {
        Extraction result;
        result.status = ExtractionStatus::Cancelled;
        if (m_requests.begin(handle)) {
            QThread::msleep(100);
            kalGpsInit();
            result = decode();
        }
        // Whatever a cut-short decode found is only part of the recording.
        if (m_requests.end(handle))
            result = Extraction{ExtractionStatus::Cancelled, {}, {}};
        else if (result.status == ExtractionStatus::Complete)
            result.track = trackOf(result.lines);
        QMetaObject::invokeMethod(
            this,
            [this, handle, done = std::move(done), result = std::move(result)]() mutable {
                // Called off after the decode ended but before this ran: still off.
                if (m_requests.isCancelled(handle))
                    result = Extraction{ExtractionStatus::Cancelled, {}, {}};
                m_requests.forget(handle);
                if (done)
                    done(result);
            },
            Qt::QueuedConnection);
    }, urgent);
    return handle;
}

void KalGpsTool::stopGetInfo()
{
    // A local decode under way stops reading and ends at once: the request that follows
    // must not wait for a large recording that nobody wants any more.
    m_requests.cancelIssued([] { kalGpsCancel(); });
}

int KalGpsTool::getKalGpsDataVersion() const { return kalGpsDataVersion(); }

bool KalGpsTool::isDecoding() const { return m_quitting && m_worker->isRunning(); }

KalGpsTool::GpsLines KalGpsTool::startDecode(const QString &path, int type)
{
    qCInfo(lcService, "------------->kalGps start decode");
    char *buffer = nullptr;
    const QByteArray encoded = type == 0 ? QFile::encodeName(path) : path.toUtf8();
    kalGpsDecode(&buffer, encoded.constData(), type);
    std::optional<QStringList> lines;
    if (buffer) {
        lines = utf8Lines(QByteArrayView(buffer, qsizetype(std::strlen(buffer))));
        std::free(buffer);
    }
    kalGpsExit();
    qCInfo(lcService, "------------->kalGps exit");
    if (lines && lines->isEmpty())
        return std::nullopt;
    return lines;
}

void KalGpsTool::setRequest(const QUrl &url)
{
    std::lock_guard lock(m_requestMutex);
    m_request = url;
}

QUrl KalGpsTool::requestUrl() const
{
    std::lock_guard lock(m_requestMutex);
    return m_request;
}

void KalGpsTool::getFileLength(LengthBlock block)
{
    const Handle handle = m_requests.issue();
    m_worker->submit([this, block = std::move(block), handle]() mutable {
        QString error;
        const qint64 length = m_requests.begin(handle) ? requestFileLength(&error) : 0;
        m_requests.end(handle);
        m_requests.forget(handle);
        if (block)
            QMetaObject::invokeMethod(
                this, [block = std::move(block), length, error] { block(length, error); }, Qt::QueuedConnection);
    });
}

qint64 KalGpsTool::requestFileLength(QString *error)
{
    QNetworkAccessManager local;
    QNetworkAccessManager *network = QThread::currentThread() == m_worker ? m_worker->network() : &local;
    return RemoteLength::request(network, requestUrl(), kLengthTimeoutMs,
                                 [this, network, &local] { return network != &local && isCancel(); }, error);
}

std::optional<QByteArray> KalGpsTool::getData(qint64 offset, qint32 length)
{
    if (offset < 0 || length <= 0 || offset > std::numeric_limits<qint64>::max() - length)
        return std::nullopt;
    const QUrl url = requestUrl();
    QNetworkAccessManager local;
    QNetworkAccessManager *network = QThread::currentThread() == m_worker ? m_worker->network() : &local;
    QNetworkRequest request(url);
    request.setRawHeader("RANGE", "bytes=" + QByteArray::number(offset) + '-' +
                                      QByteArray::number(offset + qint64(length) - 1));
    request.setTransferTimeout(kRangeTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    ++m_rangedRequests;
    std::unique_ptr<QNetworkReply> reply(network->get(request));
    // Qt stops taking data from the connection while this much waits unread: a flood
    // cannot pile up in memory between two of our reads.
    reply->setReadBufferSize(qint64(length) + kReadSlack);

    // Only the asked bytes are kept, however much the server sends: a server that
    // ignores the range (status 200) sends the whole recording, of which the bytes
    // before offset are counted and dropped as they pass. Once the range is in, the
    // transfer is stopped.
    QByteArray body;
    qint64 skipped = 0;
    bool complete = false;
    bool refused = false;
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), [&] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status != 200 && status != 206) {
            refused = true;
            reply->abort();
            return;
        }
        const qint64 skip = status == 200 ? offset : 0;
        while (reply->bytesAvailable() > 0 && !complete) {
            if (skipped < skip) {
                skipped += reply->skip(skip - skipped);
                continue;
            }
            body += reply->read(length - body.size());
            complete = body.size() >= length;
        }
        if (complete)
            reply->abort();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply.get(), [&] { reply->abort(); });
    deadline.start(kRangeDeadlineMs);
    RemoteLength::waitFor(reply.get(), [this, network, &local] { return network != &local && isCancel(); });
    if (refused || (!complete && reply->error() != QNetworkReply::NoError))
        return std::nullopt;
    if (!complete) {
        // The rest of an answer that ended without a readyRead for it.
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status != 200 && status != 206)
            return std::nullopt;
        if (status == 200 && skipped < offset)
            skipped += reply->skip(offset - skipped);
        if (status == 200 && skipped < offset)
            return std::nullopt;
        body += reply->read(length - body.size());
    }
    return body;
}

int64_t KalGpsTool::readRemote(char *buffer, uint64_t offset, uint32_t length)
{
    if (!buffer || length == 0 || offset > uint64_t(std::numeric_limits<qint64>::max() / 2))
        return 0;
    const qint64 start = qint64(offset);
    qint64 copied = 0;
    if (m_readAhead) {
        copied = m_cache->read(buffer, start, length, [this](qint64 at, qint64 size) -> std::optional<QByteArray> {
            if (isCancel() || size > std::numeric_limits<qint32>::max())
                return std::nullopt;
            return getData(at, qint32(size));
        });
    } else if (const std::optional<QByteArray> bytes = getData(start, qint32(std::min<uint32_t>(length, INT32_MAX)))) {
        copied = std::min<qint64>(bytes->size(), length);
        std::memcpy(buffer, bytes->constData(), size_t(copied));
    }
    if (isCancel()) {
        qCInfo(lcService, "-----cancel");
        return 0;
    }
    return copied < 0 ? 0 : copied;
}

int KalGpsTool::progressCallBack(uint64_t done, uint64_t total)
{
    KalGpsTool *self = globalSelf.load();
    if (!self)
        return 0;
    if (self->isCancel())
        return 1;
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    const qint64 now = clock.elapsed();
    // The first and the last report always go out; those between at most every 100 ms, so a
    // fast decode does not flood the GUI thread's queue.
    const bool edge = self->m_lastProgressMs < 0 || done >= total;
    if (!edge && now - self->m_lastProgressMs < kProgressIntervalMs)
        return 0;
    self->m_lastProgressMs = now;
    emit self->decodeProgress(self->m_decodingPath, qint64(std::min<uint64_t>(done, INT64_MAX)),
                              qint64(std::min<uint64_t>(total, INT64_MAX)));
    return 0;
}

int64_t KalGpsTool::gpsCallBack(void *buffer, uint64_t offset, uint32_t length, int32_t mode)
{
    KalGpsTool *self = globalSelf.load();
    if (!self || self->isCancel())
        return 0;
    if (mode == 0)
        return self->m_fileLength;
    if (mode != 1)
        return 0;
    return self->readRemote(static_cast<char *>(buffer), offset, length);
}
