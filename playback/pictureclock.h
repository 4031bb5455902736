#pragma once
// The presentation time of each picture libVLC shows. libVLC calls our display callback when
// a picture's presentation time has come, but tells no picture its time; its time reports
// carry the player's clock at the moment they are raised, a few times a second. This clock
// keeps the player's clock between those reports: the last report plus the time elapsed since
// then at the playback rate, frozen while paused, re-anchored by every report, snapped to the
// frame grid. A picture's time is the clock read at the moment it was displayed.
//
// All times are libVLC's: milliseconds of media time, and microseconds of libvlc_clock() for
// the moments. Everything runs on the GUI thread; the moments were taken on libVLC's threads.
#include <QtGlobal>

class PictureClock {
public:
    // A new media: no anchor until the first picture (at originMs, where its pictures start)
    // or the first time report.
    void reset(double originMs = 0.0);
    // Pictures lie on originMs + k * 1000 / fps; 0 when unknown (no snapping).
    void setFrameRate(double fps) { m_fps = fps > 0 && fps < 1000 ? fps : 0.0; }
    double frameRate() const { return m_fps; }
    // The media's length on the same clock; 0 when unknown.
    void setLengthMs(double lengthMs) { m_length = lengthMs; }

    // libVLC raised a time report (media time) at the moment clockUs.
    void timeReported(double timeMs, qint64 clockUs);
    void paused(qint64 clockUs);
    void resumed(qint64 clockUs);
    // The pace changes at once (no pictures are under way, as before the first one).
    void rateChanged(double rate, qint64 clockUs);
    // The user asked for another rate while pictures are under way. libVLC times a picture
    // when it decodes it, and it keeps a queue of decoded pictures ahead of the one on screen:
    // those keep the old pace. The first picture decoded at the new rate comes queueDepth()
    // pictures after the first one shown after the request, and libVLC's reports follow the
    // new rate from the request on. Until that picture is due the old ones are shown: when
    // the new pace runs ahead of them libVLC drops those due later, when it trails them the
    // last of them stays up.
    void rateRequested(double rate, qint64 clockUs);
    // Pictures libVLC keeps decoded ahead of the one on screen: a property of the decoder,
    // learnt where a slowdown's old pictures run out or a rise's new ones begin; 0 unknown.
    int queueDepth() const { return m_queue; }
    void setQueueDepth(int pictures) { m_queue = pictures > 0 && pictures <= kMaxQueue ? pictures : 0; }
    // Whether a rate change is under way: pictures shown again must then be told apart.
    bool rateChanging() const { return m_change.active; }
    // Pictures of the new place carry targetMs until the player reports time near it.
    void seekRequested(double targetMs, qint64 clockUs);
    bool seekPending() const { return m_seekTarget >= 0; }
    // No report has placed the seek's pictures yet, nor has seekLanded() assumed a place.
    bool seekUnplaced() const { return m_seekTarget >= 0 && !m_seekLanded; }
    // Without a report in time: the seek is taken to have landed on its target with the picture
    // shown at clockUs (as exact seeks do), and later pictures count on from there.
    void seekLanded(qint64 clockUs);

    // The media time of the picture displayed at clockUs; repeat: the same picture as the one
    // before (libVLC shows the last one again while it waits for the next).
    double pictureTimeMs(qint64 clockUs, bool repeat = false);
    // The clock at clockUs, not snapped; -1 when there is nothing to go on yet.
    double timeAt(qint64 clockUs) const;

    bool isPaused() const { return m_paused; }
    double rate() const { return m_rate; }

private:
    static constexpr int kMaxQueue = 64;
    double snapped(double timeMs) const;
    void anchor(double timeMs, qint64 clockUs);
    double newPaceAt(qint64 clockUs) const;
    double changingPictureTimeMs(qint64 clockUs, bool repeat);
    void finishRateChange(double timeMs, qint64 clockUs);
    void cutRateChangeShort();

    double m_origin = 0.0;
    double m_fps = 0.0;
    double m_length = 0.0;
    double m_rate = 1.0;
    bool m_anchored = false;
    double m_anchorMs = 0.0;
    qint64 m_anchorUs = 0;
    bool m_paused = false;
    double m_seekTarget = -1.0;
    qint64 m_seekAtUs = 0;
    bool m_seekLanded = false;
    int m_queue = 0;

    // A rate change under way: the pictures on screen are still the old ones (the clock above
    // runs on at the old rate) until the first one decoded at the new rate is due.
    struct RateChange {
        bool active = false;
        double rate = 1.0;   // the new one
        double newMs = 0.0;  // the new pace, anchored by reports
        qint64 newUs = 0;
        qint64 requestedUs = 0;
        int shown = 0;       // distinct pictures shown since the request
        double firstMs = 0.0; // the first of them
        double lastMs = 0.0;  // the time given to the last picture
        qint64 lastUs = 0;    // when the last distinct picture was shown,
        qint64 lastGapUs = 0; // how long after the one before,
        double lastNewPace = 0.0; // and the new pace's clock then
    } m_change;
};
