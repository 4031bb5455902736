#include "playback/vlcengine.h"
#include "core/logging.h"

#include "playback/tstimeoffset.h"
#include "playback/vlcmedia.h"
#include "playback/vlcframepool.h"
#include "telemetry/kalgpsmovietime.h"

#include <QDebug>
#include <QFile>
#include <QMetaObject>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include <vlc/vlc.h>


namespace {

constexpr libvlc_event_type_t kEvents[] = {
    libvlc_MediaPlayerOpening,  libvlc_MediaPlayerBuffering,        libvlc_MediaPlayerPlaying,
    libvlc_MediaPlayerPaused,   libvlc_MediaPlayerStopped,          libvlc_MediaPlayerEndReached,
    libvlc_MediaPlayerEncounteredError, libvlc_MediaPlayerESAdded, libvlc_MediaPlayerTimeChanged,
    libvlc_MediaPlayerLengthChanged,
};

using PictureRef = std::shared_ptr<VlcEngine::RawFrame>;
using VlcMedia::packSize;
using VlcMedia::unpackSize;

// A thousand pixels spread over the picture tell a picture shown again from the next one.
quint64 fingerprint(const uchar *data, int width, int height, int pitch)
{
    quint64 hash = 14695981039346656037ull;
    for (int y = 0; y < 32; ++y) {
        const uchar *row = data + qsizetype(pitch) * ((2 * y + 1) * height / 64);
        for (int x = 0; x < 32; ++x) {
            quint32 pixel;
            std::memcpy(&pixel, row + 4 * ((2 * x + 1) * width / 64), sizeof pixel);
            hash = (hash ^ pixel) * 1099511628211ull;
        }
    }
    return hash;
}

} // namespace

VlcEngine::VlcEngine(QObject *parent)
    : QObject(parent)
    , m_pool(std::make_shared<VlcFramePool>())
{
    libvlc_instance_t *inst = VlcMedia::instance();
    if (!inst)
        return;
    m_player = libvlc_media_player_new(inst);
    if (!m_player)
        return;
    libvlc_event_manager_t *em = libvlc_media_player_event_manager(m_player);
    for (libvlc_event_type_t t : kEvents)
        libvlc_event_attach(em, t, &VlcEngine::onEvent, this);
    libvlc_video_set_callbacks(m_player, &VlcEngine::lockCallback, nullptr, &VlcEngine::displayCallback, this);
    libvlc_video_set_format_callbacks(m_player, &VlcEngine::formatCallback, &VlcEngine::cleanupCallback);
    // Resizing comes in bursts (a window dragged, full screen entered): restart once it settles.
    m_restartTimer.setSingleShot(true);
    m_restartTimer.setInterval(400);
    connect(&m_restartTimer, &QTimer::timeout, this, &VlcEngine::considerOutputRestart);
    // Reports come every quarter to half second; without one in time, the seek is taken to
    // have landed where asked with its first picture, as seeks in MP4 and MOV do.
    m_holdTimer.setSingleShot(true);
    m_holdTimer.setInterval(700);
    connect(&m_holdTimer, &QTimer::timeout, this, [this] {
        m_clock.seekLanded(m_firstHeldClock);
        releaseHeldFrame();
    });
}

VlcEngine::~VlcEngine()
{
    if (!m_player)
        return;
    // Detaching waits for a callback in progress; stopping joins the decoding threads, so
    // nothing posts to this object once the player is released.
    libvlc_event_manager_t *em = libvlc_media_player_event_manager(m_player);
    for (libvlc_event_type_t t : kEvents)
        libvlc_event_detach(em, t, &VlcEngine::onEvent, this);
    libvlc_media_player_stop(m_player);
    libvlc_media_player_release(m_player);
    m_player = nullptr;
    for (void *p : m_lockedPictures)
        delete static_cast<PictureRef *>(p);
}


void VlcEngine::setDisplaySize(const QSize &devicePixels)
{
    const quint64 packed = packSize(devicePixels.isValid() ? devicePixels : QSize());
    if (m_displaySize.exchange(packed) == packed)
        return;
    if (m_player && !frameSize().isEmpty())
        m_restartTimer.start();
}

QSize VlcEngine::displaySize() const { return unpackSize(m_displaySize.load()); }
QSize VlcEngine::frameSize() const { return unpackSize(m_formatSize.load()); }
QSize VlcEngine::sourceSize() const { return unpackSize(m_formatSource.load()); }

QImage VlcEngine::fullSizePicture()
{
    // libVLC writes the next picture it shows at the recording's size (waiting for it, half a
    // second at most); a paused player shows its picture again for it.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    QImage picture;
    if (m_player && dir.isValid()
        && libvlc_video_take_snapshot(m_player, 0, QFile::encodeName(path).constData(), 0, 0) == 0)
        picture.load(path, "PNG");
    return picture;
}

void VlcEngine::considerOutputRestart()
{
    if (VlcMedia::outputWorthRestarting(frameSize(), VlcMedia::fittedFrameSize(sourceSize(), displaySize())))
        restartOutput();
}

void VlcEngine::restartOutput()
{
    // libVLC negotiates the picture size only when its video output starts, and keeps the
    // output across track changes of the same format: the media is restarted where it is.
    // Only while playing: a paused picture stays as it is until play resumes (which looks again).
    const bool playing = m_lastState == Playing || m_lastState == Buffering || m_lastState == EsAdded;
    if (!m_player || !playing || m_path.isEmpty() || lengthMs() <= 0)
        return;
    const qint64 at = timeMs();
    m_restarting = true;
    ++m_generation;
    libvlc_media_player_stop(m_player);
    ++m_outputRestarts;
    m_requestedMs = at;
    m_requestedAge.start();
    m_clock.seekRequested(double(at), libvlc_clock());
    if (!startMedia(double(at) / 1000.0)) {
        m_restarting = false;
        m_lastState = Error;
        emit stateChanged(Error);
    }
}

bool VlcEngine::startMedia(double startSeconds)
{
    // A recording on a camera plays straight over HTTP; everything else is a local path.
    const bool remote = m_path.startsWith(QLatin1String("http://")) || m_path.startsWith(QLatin1String("https://"));
    libvlc_media_t *media = remote ? libvlc_media_new_location(VlcMedia::instance(), m_path.toUtf8().constData())
                                   : libvlc_media_new_path(VlcMedia::instance(), QFile::encodeName(m_path).constData());
    if (!media)
        return false;
    if (!m_probed) {
        m_probed = true;
        // An MP4/MOV says its picture size in its track headers, a few small reads; libVLC's
        // probe parses the file and holds the window for a tenth of a second or more.
        uint32_t width = 0, height = 0;
        if (!remote && kalGpsMoviePictureSize(QFile::encodeName(m_path).constData(), &width, &height) &&
            width <= 16384 && height <= 16384)
            m_pictureSize = packSize(QSize(int(width), int(height)));
        else
            m_pictureSize = packSize(VlcMedia::probePictureSize(media));
    }
    for (const QString &option : VlcMedia::options(unpackSize(m_pictureSize.load()).height()))
        libvlc_media_add_option(media, option.toLatin1().constData());
    if (startSeconds > 0)
        libvlc_media_add_option(media, (":start-time=" + QByteArray::number(startSeconds, 'f', 3)).constData());
    libvlc_media_player_set_media(m_player, media);
    libvlc_media_release(media);
    libvlc_media_player_set_rate(m_player, float(m_rate));
    return libvlc_media_player_play(m_player) == 0;
}

bool VlcEngine::open(const QString &path)
{
    if (!m_player)
        return false;
    m_restartTimer.stop();
    m_restarting = false;
    dropHeldFrame();
    libvlc_media_player_stop(m_player);
    ++m_generation; // whatever the old media still had queued is now stale
    m_timeMs = 0;
    m_lengthMs = 0;
    m_requestedMs = -1;
    m_framesDelivered = 0;
    m_frameRateKnown = false;
    m_lastState = Stopped;
    m_cropFormatGeneration = -1;
    m_formatSize = 0;
    m_formatSource = 0;
    m_probed = false;
    m_pictureSize = 0;
    m_path = path;
    m_timeOffsetMs = TsTimeOffset::forFile(path);
    if (m_timeOffsetMs)
        qCDebug(lcPlayback) << "transport stream clock leads its pictures by" << m_timeOffsetMs << "ms";
    // The first picture is where the media's pictures start: for a transport stream, that
    // much after the start of its clock.
    m_clock.reset(double(m_timeOffsetMs));
    m_clock.setFrameRate(0);
    m_clock.setLengthMs(0);
    const bool started = startMedia(0.0);
    m_clock.setQueueDepth(m_queueDepths.value(decoderKey()));
    return started;
}

void VlcEngine::play()
{
    if (!m_player)
        return;
    libvlc_media_player_set_pause(m_player, 0);
    if (!frameSize().isEmpty())
        m_restartTimer.start();
}

void VlcEngine::pause()
{
    if (m_player)
        libvlc_media_player_set_pause(m_player, 1);
}

void VlcEngine::stop()
{
    if (!m_player)
        return;
    ++m_generation;
    m_restartTimer.stop();
    m_restarting = false;
    dropHeldFrame();
    m_requestedMs = -1;
    m_clock.reset(double(m_timeOffsetMs));
    libvlc_media_player_stop(m_player);
}

void VlcEngine::setPosition(double fraction)
{
    if (!m_player)
        return;
    fraction = qBound(0.0, fraction, 1.0);
    // While the knob is dragged, each seek's picture shows when the next seek comes.
    releaseHeldFrame();
    libvlc_media_player_set_position(m_player, float(fraction));
    const qint64 length = lengthMs();
    if (length > 0) {
        m_requestedMs = qint64(fraction * double(length));
        m_requestedAge.start();
        m_clock.seekRequested(double(m_requestedMs), libvlc_clock());
    }
}

void VlcEngine::setTimeMs(qint64 ms)
{
    if (!m_player)
        return;
    const qint64 length = lengthMs();
    ms = qMax<qint64>(0, length > 0 ? qMin(ms, length) : ms);
    releaseHeldFrame();
    libvlc_media_player_set_time(m_player, ms);
    m_requestedMs = ms;
    m_requestedAge.start();
    m_clock.seekRequested(double(ms), libvlc_clock());
}

qint64 VlcEngine::timeMs() const { return m_requestedMs >= 0 ? m_requestedMs : m_timeMs; }

qint64 VlcEngine::playerTimeMs() const
{
    return m_player ? qMax<qint64>(0, libvlc_media_player_get_time(m_player)) : 0;
}

qint64 VlcEngine::lengthMs() const
{
    if (m_lengthMs > 0 || !m_player)
        return m_lengthMs;
    return qMax<qint64>(0, libvlc_media_player_get_length(m_player));
}

void VlcEngine::setVolume(int volume)
{
    if (!m_player)
        return;
    // libVLC has no "volume -1": silence is its mute switch, and the level is kept for later.
    m_muted = volume < 0;
    libvlc_audio_set_mute(m_player, m_muted ? 1 : 0);
    if (!m_muted) {
        m_volume = qMin(volume, 200);
        libvlc_audio_set_volume(m_player, m_volume);
    }
}

int VlcEngine::volume() const { return m_muted ? -1 : m_volume; }

bool VlcEngine::isMuted() const { return m_muted; }

void VlcEngine::setRate(double rate)
{
    m_rate = qBound(0.25, rate, 4.0);
    if (m_player)
        libvlc_media_player_set_rate(m_player, float(m_rate));
    // Pictures already decoded keep the old pace (see PictureClock); without pictures the
    // new pace holds at once.
    if (m_framesDelivered == 0)
        m_clock.rateChanged(m_rate, libvlc_clock());
    else
        m_clock.rateRequested(m_rate, libvlc_clock());
}

double VlcEngine::rate() const { return m_rate; }

double VlcEngine::clockNowMs() const { return m_clock.timeAt(libvlc_clock()); }

// How deep libVLC's queue of decoded pictures is depends on the decoder: recordings alike (one
// camera's, say) share it.
quint64 VlcEngine::decoderKey() const
{
    return (quint64(m_timeOffsetMs > 0) << 63) | m_pictureSize.load();
}

VlcEngine::Stats VlcEngine::stats() const
{
    libvlc_media_t *media = m_player ? libvlc_media_player_get_media(m_player) : nullptr;
    const Stats s = VlcMedia::stats(media);
    if (media)
        libvlc_media_release(media);
    return s;
}

// ---- GUI thread ---------------------------------------------------------------------------

void VlcEngine::handleEvent(quint64 generation, int type, qint64 value, qint64 clockUs)
{
    if (generation != m_generation.load())
        return;
    switch (type) {
    case libvlc_MediaPlayerTimeChanged:
        m_timeMs = value;
        m_clock.timeReported(double(value), clockUs);
        if (m_heldFrame && !m_clock.seekUnplaced())
            releaseHeldFrame();
        // Reports raised before the seek took effect still carry the old time: the requested
        // time stands until playback is seen near it (or the seek evidently went elsewhere).
        if (m_requestedMs >= 0 && m_lastState != Paused
            && (qAbs(value - m_requestedMs) <= 1000 || m_requestedAge.elapsed() > 1500))
            m_requestedMs = -1;
        emit timeChanged(timeMs());
        return;
    case libvlc_MediaPlayerLengthChanged:
        m_lengthMs = value;
        m_clock.setLengthMs(double(value));
        emit lengthChanged(value);
        return;
    default: break;
    }
    if (m_restarting) {
        // The restart of the video output goes on playing as far as anyone outside can tell.
        switch (type) {
        case libvlc_MediaPlayerPlaying:
            m_restarting = false;
            m_clock.resumed(clockUs);
            return;
        case libvlc_MediaPlayerOpening:
        case libvlc_MediaPlayerBuffering:
        case libvlc_MediaPlayerStopped:
        case libvlc_MediaPlayerESAdded:
        case libvlc_MediaPlayerPaused: return;
        default: m_restarting = false; break;
        }
    }
    switch (type) {
    case libvlc_MediaPlayerOpening: m_lastState = Opening; break;
    case libvlc_MediaPlayerBuffering: m_lastState = Buffering; break;
    case libvlc_MediaPlayerPlaying:
        m_lastState = Playing;
        m_clock.resumed(clockUs);
        break;
    case libvlc_MediaPlayerPaused:
        m_lastState = Paused;
        m_clock.paused(clockUs);
        break;
    case libvlc_MediaPlayerStopped: m_lastState = Stopped; break;
    case libvlc_MediaPlayerESAdded: m_lastState = EsAdded; break;
    case libvlc_MediaPlayerEncounteredError: m_lastState = Error; break;
    case libvlc_MediaPlayerEndReached:
        // A file of garbage, or a recording cut before its index, "plays" to its end at once
        // without a picture and without a length: that is a failure, not a finished file.
        m_lastState = (m_framesDelivered == 0 && lengthMs() == 0) ? Error : Ended;
        break;
    default: return;
    }
    emit stateChanged(m_lastState);
}

QSize VlcEngine::visibleSize(int bufferWidth, int bufferHeight)
{
    // The decoder's buffers are padded (720 lines become 738); the player knows the visible
    // size once its video output exists, which it does by the time a picture arrives.
    const int generation = m_formatGeneration.load();
    if (m_cropFormatGeneration != generation && m_player) {
        unsigned w = 0;
        unsigned h = 0;
        if (libvlc_video_get_size(m_player, 0, &w, &h) == 0 && w > 0 && h > 0) {
            m_cropSize = QSize(int(w), int(h));
            m_cropFormatGeneration = generation;
        } else {
            m_cropSize = QSize();
        }
    }
    if (!m_cropSize.isValid() || m_wholeBuffer)
        return QSize(bufferWidth, bufferHeight);
    return QSize(qMin(bufferWidth, m_cropSize.width()), qMin(bufferHeight, m_cropSize.height()));
}

void VlcEngine::handleFrame(const std::shared_ptr<RawFrame> &frame)
{
    const VlcFramePool::Slot &s = frame->slot;
    if (!s.data || s.width <= 0 || s.height <= 0)
        return;
    // Where a seek lands is known only from the player's next report: a transport stream lands
    // on a key picture near the target, not on it, and any picture after the first is past
    // it. So the pictures of a seek wait (the newest kept) until that report places them, and
    // none is shown with another second's read-outs. Paused, the one picture shows at once.
    if (m_clock.seekUnplaced() && m_lastState != Paused && !m_releasing) {
        if (!m_heldFrame)
            m_firstHeldClock = frame->displayClock;
        m_heldFrame = frame;
        if (!m_holdTimer.isActive())
            m_holdTimer.start();
        return;
    }
    const QSize size = visibleSize(s.width, s.height);
    // The QImage shares the buffer; it keeps its own reference to the frame until the last
    // copy of the image is gone.
    auto *keep = new std::shared_ptr<RawFrame>(frame);
    QImage image(s.data, size.width(), size.height(), s.pitch, QImage::Format_RGB32,
                 [](void *info) { delete static_cast<std::shared_ptr<RawFrame> *>(info); }, keep);
    ++m_framesDelivered;
    if (!m_frameRateKnown)
        learnFrameRate();
    // While the rate changes, a picture shown again (libVLC waits for the next) must not count.
    bool repeat = false;
    if (m_clock.rateChanging()) {
        const quint64 print = fingerprint(s.data, size.width(), size.height(), s.pitch);
        repeat = print == m_lastPrint;
        m_lastPrint = print;
    }
    const double time = m_clock.pictureTimeMs(frame->displayClock, repeat);
    if (m_clock.queueDepth() > 0)
        m_queueDepths.insert(decoderKey(), m_clock.queueDepth());
    emit frameReady(image, time);
}

void VlcEngine::releaseHeldFrame()
{
    m_holdTimer.stop();
    // Its time is taken now, from the clock the report re-anchored: the moment it was shown
    // lies a little before the report, and the clock runs back to it.
    m_releasing = true;
    if (std::shared_ptr<RawFrame> frame = std::exchange(m_heldFrame, nullptr))
        handleFrame(frame);
    m_releasing = false;
}

void VlcEngine::dropHeldFrame()
{
    m_holdTimer.stop();
    m_heldFrame.reset();
}

void VlcEngine::learnFrameRate()
{
    // Known once the video track is playing; until then pictures are not snapped to a grid.
    libvlc_media_t *media = m_player ? libvlc_media_player_get_media(m_player) : nullptr;
    const double rate = VlcMedia::frameRate(media);
    if (media)
        libvlc_media_release(media);
    if (rate > 0) {
        m_clock.setFrameRate(rate);
        m_frameRateKnown = true;
    }
}
