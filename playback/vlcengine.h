#pragma once
// The one place that talks to libVLC. A process-wide libVLC instance is created on first
// use; each engine owns one media player. libVLC reports from its own threads: every event
// and every decoded frame is handed to the GUI thread with a queued call, in the order it
// was raised, so everything the engine emits is emitted on the GUI thread.
//
// Frames are decoded straight into buffers of our own (RV32, i.e. QImage::Format_RGB32),
// which are then shown without any further copy: the QImage handed out wraps the buffer,
// and the buffer returns to the pool when the last QImage referring to it goes away.
#include <QImage>
#include <QElapsedTimer>
#include <QTimer>
#include <QHash>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include "playback/pictureclock.h"
#include "playback/vlcframepool.h"
#include "playback/vlcmedia.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <memory>

struct libvlc_media_player_t;
struct libvlc_event_t;

class VlcEngine : public QObject {
    Q_OBJECT
public:
    // The player's own state numbers, as the view's state table expects them.
    enum PlayerState {
        Stopped = 0,
        Opening = 1,
        Buffering = 2,
        Ended = 3,
        Error = 4,
        Playing = 5,
        Paused = 6,
        EsAdded = 7,
    };

    // The shared libVLC instance and the options a recording is opened with: see VlcMedia.
    // One decoded picture. libVLC holds one reference from lock to unlock, the GUI one for as
    // long as the picture is queued or shown; the buffer goes back when the last one is gone.
    struct RawFrame {
        std::shared_ptr<VlcFramePool> pool;
        VlcFramePool::Slot slot;
        int formatGeneration = 0;
        qint64 displayClock = 0; // libvlc_clock() when libVLC displayed it: its presentation moment
        ~RawFrame()
        {
            if (slot.data)
                pool->give(slot);
        }
    };

    explicit VlcEngine(QObject *parent = nullptr);
    ~VlcEngine() override;

    bool isValid() const { return m_player != nullptr; }

    // Stops whatever plays, then plays the file. False when the media cannot be created.
    bool open(const QString &path);
    void play();
    void pause();
    // Reports Stopped like libVLC does; events still queued from before the stop are dropped.
    void stop();

    // Fraction 0..1 of the recording. While paused libVLC's clock does not follow a seek
    // reliably, so the requested time stands in until the player reports time while playing.
    void setPosition(double fraction);
    void setTimeMs(qint64 ms);
    qint64 timeMs() const;
    qint64 lengthMs() const;
    // libVLC's own clock as it stands, without the stand-in of a pending seek.
    qint64 playerTimeMs() const;
    // Media clock milliseconds of the first picture, relative to the reported time origin.
    // Non-zero for transport streams whose clock runs ahead of their pictures.
    qint64 timeOffsetMs() const { return m_timeOffsetMs; }
    // A seek not yet seen to take effect: pictures carry its target meanwhile.
    bool seekPending() const { return m_clock.seekPending(); }
    double frameRate() const { return m_clock.frameRate(); }
    // Pictures decoded before a rate change are still being shown at the old pace.
    bool rateChanging() const { return m_clock.rateChanging(); }
    // The picture clock now, between pictures (player's milliseconds); -1 before it is known.
    double clockNowMs() const;

    // 0..200 (100 = unchanged level); negative = silence.
    void setVolume(int volume);
    int volume() const;
    bool isMuted() const;
    void setRate(double rate);
    double rate() const;

    // Pictures are converted at most to this size (device pixels, aspect kept, never larger
    // than the recording): converting and painting a 4K picture for a 960-pixel view costs
    // more than decoding it. Empty = the recording's size. libVLC fixes the size when its
    // video output starts; a view grown well past the pictures restarts the output at the
    // current place (after a short pause in resizing) so the picture is sharp again.
    void setDisplaySize(const QSize &devicePixels);
    QSize displaySize() const;
    // Size of the pictures being delivered (before cropping the decoder's padding), and of the
    // recording's pictures; empty before the first format negotiation.
    QSize frameSize() const;
    QSize sourceSize() const;
    // The picture on screen at the recording's own size (not the converted one); null when
    // the player has none. Blocks until libVLC has written it.
    QImage fullSizePicture();
    // Times the video output was restarted for a larger picture (for tests and benchmarks).
    int outputRestarts() const { return m_outputRestarts; }

    QString currentPath() const { return m_path; }
    // Pictures of the current media handed to the GUI so far, and the decoder's own counts.
    int framesDelivered() const { return m_framesDelivered; }
    using Stats = VlcMedia::Stats;
    Stats stats() const;

signals:
    void stateChanged(int playerState);
    void timeChanged(qint64 ms);
    void lengthChanged(qint64 ms);
    // A decoded picture, cropped to the visible size, sharing the decoder's buffer, with its
    // presentation time on the player's clock (milliseconds; see PictureClock).
    void frameReady(const QImage &frame, double timeMs);

private:
    static void onEvent(const libvlc_event_t *event, void *opaque);
    static unsigned formatCallback(void **opaque, char *chroma, unsigned *width, unsigned *height,
                                   unsigned *pitches, unsigned *lines);
    static void cleanupCallback(void *opaque);
    static void *lockCallback(void *opaque, void **planes);
    static void displayCallback(void *opaque, void *picture);

    void handleEvent(quint64 generation, int type, qint64 value, qint64 clockUs);
    bool startMedia(double startSeconds);
    void considerOutputRestart();
    void restartOutput();
    void learnFrameRate();
    void handleFrame(const std::shared_ptr<RawFrame> &frame);
    quint64 decoderKey() const;
    void releaseHeldFrame();
    void dropHeldFrame();
    QSize visibleSize(int bufferWidth, int bufferHeight);

    libvlc_media_player_t *m_player = nullptr;
    std::shared_ptr<VlcFramePool> m_pool;
    std::mutex m_lockedMutex;
    std::deque<void *> m_lockedPictures; // PictureRef*s handed to libVLC, not yet displayed
    std::atomic<quint64> m_generation{1};
    std::atomic<int> m_formatGeneration{0};
    std::atomic<quint64> m_displaySize{0};  // width << 32 | height, device pixels
    std::atomic<quint64> m_formatSize{0};   // what libVLC converts to
    std::atomic<quint64> m_formatSource{0}; // what it converts from
    QTimer m_restartTimer;
    bool m_releasing = false;
    std::shared_ptr<RawFrame> m_heldFrame; // the newest picture of a seek not yet placed
    qint64 m_firstHeldClock = 0;           // when the first of them was shown
    QTimer m_holdTimer;
    bool m_restarting = false; // state reports of a restart are not the user's business
    int m_outputRestarts = 0;
    bool m_probed = false;
    std::atomic<quint64> m_pictureSize{0}; // the recording's visible size, from the probe; 0 unknown
    std::atomic<bool> m_wholeBuffer{false}; // pictures fill their buffers (no padding to crop)
    int m_cropFormatGeneration = -1;
    QSize m_cropSize;
    QString m_path;
    qint64 m_timeMs = 0;
    qint64 m_lengthMs = 0;
    qint64 m_requestedMs = -1;
    QElapsedTimer m_requestedAge;
    qint64 m_timeOffsetMs = 0;
    PictureClock m_clock;
    quint64 m_lastPrint = 0; // of the last picture shown while the rate changes
    QHash<quint64, int> m_queueDepths; // learnt, by decoderKey()
    bool m_frameRateKnown = false;
    int m_volume = 100;
    bool m_muted = false;
    double m_rate = 1.0;
    int m_lastState = Stopped;
    int m_framesDelivered = 0;
};
