#include "playback/vlcmedia.h"
#include "core/logging.h"

#include <QGuiApplication>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include <vlc/vlc.h>

namespace VlcMedia {
namespace {
QStringList &storedArguments()
{
    static QStringList args;
    return args;
}
bool &argumentsSet()
{
    static bool set = false;
    return set;
}
} // namespace

void setInstanceArguments(const QStringList &arguments)
{
    storedArguments() = arguments;
    argumentsSet() = true;
}

QStringList instanceArguments()
{
    if (argumentsSet())
        return storedArguments();
    // The title would be drawn into our frames; the OSD likewise.
    QStringList args{QStringLiteral("--no-xlib"), QStringLiteral("--quiet"), QStringLiteral("--no-video-title-show"),
                     QStringLiteral("--no-osd"), QStringLiteral("--no-snapshot-preview"),
                     // Pictures are converted to the size shown, mostly smaller: bilinear
                     // scaling looks the same there and costs a sixth of the player's CPU less
                     // than the default bicubic.
                     QStringLiteral("--swscale-mode=1")};
    // Decoder threads and hardware decoding are chosen per recording (options()).
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        args << QStringLiteral("--aout=adummy");
    return args;
}

libvlc_instance_t *instance()
{
    static libvlc_instance_t *shared = [] {
        const QStringList args = instanceArguments();
        std::vector<QByteArray> bytes;
        std::vector<const char *> argv;
        for (const QString &a : args)
            bytes.push_back(a.toLocal8Bit());
        for (const QByteArray &b : bytes)
            argv.push_back(b.constData());
        libvlc_instance_t *inst = libvlc_new(int(argv.size()), argv.data());
        if (!inst)
            qCWarning(lcPlayback) << "libVLC could not be initialised:" << libvlc_errmsg();
        return inst;
    }();
    return shared;
}

QStringList options(int pictureHeight)
{
    // Recordings are local files: the default input cache (300 ms) only delays the first picture.
    QStringList options{QStringLiteral(":file-caching=100")};
    // Frame threading holds the first picture back by ~150 ms per extra thread, and one thread
    // plays 1080p30 H.264 at under half a core; a 4K HEVC picture needs more than one core.
    options << (pictureHeight > 1080 ? QStringLiteral(":avcodec-threads=0") : QStringLiteral(":avcodec-threads=1"));
    // Hardware decoding where the machine has it (libVLC falls back to software by itself),
    // unless the instance was told otherwise (tests force software) or the user turned it off.
    bool hardware = qEnvironmentVariable("TRAVA_HW_DECODING") != QLatin1String("0");
    for (const QString &a : instanceArguments()) {
        if (a.startsWith(QLatin1String("--avcodec-hw")))
            hardware = false;
    }
    if (hardware)
        options << QStringLiteral(":avcodec-hw=any");
    return options;
}

QSize fittedFrameSize(const QSize &sourceSize, const QSize &areaSize)
{
    if (sourceSize.isEmpty() || areaSize.isEmpty())
        return sourceSize;
    if (sourceSize.width() <= areaSize.width() && sourceSize.height() <= areaSize.height())
        return sourceSize;
    const QSize fitted = sourceSize.scaled(areaSize, Qt::KeepAspectRatio);
    // Even sizes: the converter works on 2x2 blocks of 4:2:0 pictures.
    return QSize(qMax(2, fitted.width() & ~1), qMax(2, fitted.height() & ~1));
}

bool outputWorthRestarting(const QSize &current, const QSize &wanted)
{
    if (current.isEmpty() || wanted.isEmpty())
        return false;
    // A picture blown up by a quarter or more is visibly soft; one more than twice the size
    // shown wastes most of its conversion. In between, painting scales it.
    const bool soft = wanted.width() * 4 > current.width() * 5 || wanted.height() * 4 > current.height() * 5;
    const bool wasteful = wanted.width() * 2 < current.width() && wanted.height() * 2 < current.height();
    return soft || wasteful;
}

// The first picture is waited for anyway while the file is opened; the probe only reads the
// container's header.
QSize probePictureSize(libvlc_media_t *media)
{
    struct Wait {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
    } wait;
    libvlc_event_manager_t *em = libvlc_media_event_manager(media);
    const libvlc_callback_t parsed = [](const libvlc_event_t *, void *opaque) {
        auto *w = static_cast<Wait *>(opaque);
        std::lock_guard lock(w->mutex);
        w->done = true;
        w->cv.notify_all();
    };
    libvlc_event_attach(em, libvlc_MediaParsedChanged, parsed, &wait);
    if (libvlc_media_parse_with_options(media, libvlc_media_parse_local, 500) == 0) {
        std::unique_lock lock(wait.mutex);
        if (!wait.cv.wait_for(lock, std::chrono::milliseconds(600), [&] { return wait.done; })) {
            lock.unlock();
            libvlc_media_parse_stop(media);
        }
    }
    libvlc_event_detach(em, libvlc_MediaParsedChanged, parsed, &wait);
    QSize size;
    libvlc_media_track_t **tracks = nullptr;
    const unsigned count = libvlc_media_tracks_get(media, &tracks);
    for (unsigned i = 0; i < count; ++i) {
        const libvlc_media_track_t *t = tracks[i];
        if (t->i_type == libvlc_track_video && t->video && t->video->i_width <= 16384 && t->video->i_height <= 16384
            && int(t->video->i_height) > size.height())
            size = QSize(int(t->video->i_width), int(t->video->i_height));
    }
    libvlc_media_tracks_release(tracks, count);
    return size;
}

double frameRate(libvlc_media_t *media)
{
    if (!media)
        return 0;
    double rate = 0;
    libvlc_media_track_t **tracks = nullptr;
    const unsigned count = libvlc_media_tracks_get(media, &tracks);
    for (unsigned i = 0; i < count && rate <= 0; ++i) {
        const libvlc_media_track_t *t = tracks[i];
        if (t->i_type == libvlc_track_video && t->video && t->video->i_frame_rate_den > 0
            && t->video->i_frame_rate_num > 0)
            rate = double(t->video->i_frame_rate_num) / double(t->video->i_frame_rate_den);
    }
    libvlc_media_tracks_release(tracks, count);
    return rate;
}

Stats stats(libvlc_media_t *media)
{
    Stats s;
    libvlc_media_stats_t st;
    if (media && libvlc_media_get_stats(media, &st)) {
        s.decodedVideo = st.i_decoded_video;
        s.displayedPictures = st.i_displayed_pictures;
        s.lostPictures = st.i_lost_pictures;
    }
    return s;
}

} // namespace VlcMedia
