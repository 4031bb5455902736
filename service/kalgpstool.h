#pragma once
// The application's one entry to the telemetry extraction library: decodes a recording
// off the interface thread and hands its sample lines to a completion on the GUI thread.
// It can also read a recording over HTTP (a length request, then ranged GETs).
#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "service/extractionrequests.h"
#include "track/datum.h"
#include "track/gpsitem.h"

class GpsWorker;
class ReadAheadCache;

// How an extraction ended. Only a complete one says anything about the recording's
// telemetry: a cancelled or failed one must not be taken for "none".
enum class ExtractionStatus { Complete, Cancelled, Failed };

// The player's request goes before the others still waiting (trip search, export).
enum class ExtractionPriority { Player, Background };

struct Extraction {
    ExtractionStatus status = ExtractionStatus::Failed;
    // The sample lines in decoding order, each without its ';' (empty unless complete).
    QStringList lines;
    // The lines decoded (repeated lines dropped; positions inside the region in GCJ-02);
    // null unless complete with samples.
    Track track;
};

class KalGpsTool : public QObject {
    Q_OBJECT
public:
    // The sample lines of a recording, each without its ';', in decoding order; no list
    // (nullopt) when nothing was decoded.
    using GpsLines = std::optional<QStringList>;
    using GpsInfoBlock = std::function<void(GpsLines)>;
    using LengthBlock = std::function<void(qint64 length, QString error)>;

    using Handle = quint64;
    using ExtractionBlock = std::function<void(const Extraction &)>;

    static KalGpsTool *shareTool();
    ~KalGpsTool() override;

    // Extracts a recording (a local path, or an http(s) URL read through ranged requests)
    // on the serial worker; done runs once on the GUI thread. The handle calls this
    // request off, and only this one.
    Handle request(const QString &path, ExtractionPriority priority, ExtractionBlock done);
    // The request's decode, if under way, ends early; queued, it never starts. Its
    // completion reports Cancelled, whatever it had read. Other requests are untouched.
    void cancel(Handle handle);
    // Several local recordings behind the others, in one turn of the worker (one start-up
    // pause for all, which counts on a card of a thousand files): each answer comes on the
    // GUI thread as it is read, in order; the handle calls off the rest. finished runs once
    // after the last answer, also when the batch was called off.
    Handle requestMany(const QStringList &paths, std::function<void(const QString &, const Extraction &)> each,
                       std::function<void()> finished);

    // Decodes a local recording; block runs on the GUI thread. A path beginning with
    // "http" is answered at once, before this returns, with an empty list.
    void getGpsInfo(const QString &path, GpsInfoBlock block);
    // Decodes a recording over HTTP through ranged reads; block runs on the GUI thread.
    void getRemoteGpsInfo(const QUrl &url, GpsInfoBlock block);
    // Cancels every request made before it: a pending length request is aborted, a decode
    // under way (local or remote) ends early, queued requests end without decoding. Each
    // completion still runs once, with no list (never with the part read so far).
    void stopGetInfo();
    int getKalGpsDataVersion() const;
    // True while a decode still runs after the application began to quit: the library
    // cannot be interrupted, and quitting does not wait for it.
    bool isDecoding() const;

    // Runs the library on the calling thread: type 0 a local path, 1 through gpsCallBack.
    // getGpsInfo calls it on the worker; a direct caller must keep other decodes away.
    GpsLines startDecode(const QString &path, int type);

    // The remote-read facility, on the recording set with setRequest.
    void setRequest(const QUrl &url);
    // Asks the server for the recording's length (RemoteLength: a ranged request for its
    // first byte, without moving the body); block runs on the GUI thread with the length
    // (0 when none was given or the request failed) and an error text on failure.
    void getFileLength(LengthBlock block);
    // One synchronous ranged read ("RANGE: bytes=first-last"), 2 s time-out.
    std::optional<QByteArray> getData(qint64 offset, qint32 length);
    // The read callback handed to the library.
    static int64_t gpsCallBack(void *buffer, uint64_t offset, uint32_t length, int32_t mode);
    // The progress callback handed to the library: reports, and stops a cancelled decode.
    static int progressCallBack(uint64_t done, uint64_t total);

signals:
    // A local decode under way has scanned done bytes of total. Sent from the worker, so
    // receivers on the GUI thread get it queued; at most every 100 ms, plus the first and
    // the last report of each decode.
    void decodeProgress(const QString &path, qint64 done, qint64 total);

public:
    // Whole aligned blocks instead of one request per read (on by default).
    void setReadAheadEnabled(bool enabled) { m_readAhead = enabled; }
    // Ranged requests sent since the last reset, to measure the read-ahead.
    int rangedRequestCount() const { return m_rangedRequests; }
    void resetRequestCount() { m_rangedRequests = 0; }

    // Map datum conversion, kept here for the callers that know this object.
    bool isInsideChina(float latitude, float longitude) const { return ::isInsideChina(latitude, longitude); }
    Coordinate wgs84ToGcj02(Coordinate wgs) const { return ::wgs84ToGcj02(wgs); }
    Coordinate gcj02Encrypt(double latitude, double longitude) const { return ::gcj02Encrypt(latitude, longitude); }
    double transformLat(double x, double y) const { return ::transformLat(x, y); }
    double transformLon(double x, double y) const { return ::transformLon(x, y); }

private:
    KalGpsTool();
    bool isCancel() const;
    // On the worker, unless the request was called off first: marks it running, starts
    // the library and runs decode; done gets the outcome on the GUI thread.
    Handle submit(bool urgent, ExtractionBlock done, std::function<Extraction()> decode);
    Extraction decodeLocal(const QString &path);
    // The recording's own telemetry, else that of its moment's other channels.
    Extraction decodeWithFallback(const QString &path);
    Extraction decodeRemote(const QUrl &url);
    qint64 requestFileLength(QString *error);
    int64_t readRemote(char *buffer, uint64_t offset, uint32_t length);

    GpsWorker *m_worker = nullptr;
    std::unique_ptr<ReadAheadCache> m_cache;
    mutable std::mutex m_requestMutex;
    QUrl m_request; // the recording of the current remote decode
    QUrl requestUrl() const;
    std::atomic<qint64> m_fileLength{0};
    ExtractionRequests m_requests;
    std::atomic<bool> m_readAhead{true};
    std::atomic<int> m_rangedRequests{0};
    // The local decode under way and when it last reported (worker thread only).
    QString m_decodingPath;
    qint64 m_lastProgressMs = -1;
    std::atomic<bool> m_quitting{false};
};
