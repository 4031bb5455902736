#pragma once
// The player without its widget: one recording at a time through a VlcEngine, its play state,
// the time of the picture on screen, the playback rate and seeking, all in seconds. The player
// view is a shell over one of these; a second camera's recording can follow another controller
// and keep step with its pictures.
//
// The time is the picture's, not libVLC's: libVLC's reports run ahead of the picture and, in a
// transport stream, on a clock that leads its pictures. Within a stretch of playing it never
// goes back; a seek may take it anywhere.
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

#include "core/mediaplayerdelegate.h"

class VlcEngine;

class PlaybackController : public QObject {
    Q_OBJECT
public:
    // One to one with the play-state numbers the delegate protocol carries.
    enum class State : quint64 {
        Error = MediaPlayStateError,
        Playing = MediaPlayStatePlaying,
        Paused = MediaPlayStatePaused,
        Stopped = MediaPlayStateStopped,
        Finished = MediaPlayStateFinished,
    };
    Q_ENUM(State)

    explicit PlaybackController(QObject *parent = nullptr);
    ~PlaybackController() override;

    // The engine, made on first use (also by open). Null until then.
    VlcEngine *engine();
    VlcEngine *engineIfCreated() const { return m_engine.get(); }

    // Starts the file at once (the state becomes Playing without a report; the player's own
    // reports follow). False when it cannot even be started: the state is then Error.
    bool open(const QString &path);
    // Resume from Paused / pause while Playing; anything else is left alone.
    void play();
    void pause();
    // The full stop, from Playing or Paused only: the engine stops and stopped() is emitted;
    // the player's own report of the stop follows.
    void stop();
    // Seconds on the picture's clock, clamped to the recording (while one is loaded).
    void seekTo(double seconds);
    // From the picture on screen; only while Playing or Paused and with a known length.
    void seekBy(double seconds);
    // 1/4x..4x.
    void setRate(double rate);
    // The volume handed to the engine (step x 10, -1 silent); followers stay silent.
    void setVolume(int volume);

    // The picture-on-screen time last reported (0 before the first), and the length on the
    // same clock (as the engine knows it now; without one, as last reported).
    double time() const { return m_lastTick < 0 ? 0.0 : m_lastTick; }
    double length() const;
    double rate() const { return m_rate; }
    State state() const { return m_state; }
    bool isActive() const { return m_state == State::Playing || m_state == State::Paused; }

    // The state tables: a report of the player (VlcEngine::PlayerState) and of an external
    // decoder (0 finished, 1 playing, 2 paused, 3 error; returns its log label). Each ends
    // with stateChanged, changed or not.
    void applyPlayerState(int playerState);
    QString applyDecoderState(int code);
    // An external decoder's time: reported as it is, against the length last known.
    void applyDecoderTime(double seconds);
    // A time report of the player: it stands in for the pictures' times until they come.
    void applyPlayerTime();

    // Keeps this controller's picture within a frame of leader's (+ offsetSeconds): play,
    // pause, stop, rate and seeks of the leader are mirrored; drift is corrected by rate
    // nudges, and by a seek when it is large. A follower is silent. Following a controller
    // that follows this one (or itself) is refused.
    bool follow(PlaybackController &leader, double offsetSeconds = 0.0);
    void unfollow();
    void setFollowOffset(double offsetSeconds);
    double followOffset() const { return m_offset; }
    PlaybackController *leader() const { return m_leader; }
    // The last measured difference of this follower's picture time from the leader's
    // (+ offset), in seconds; positive = ahead.
    double drift() const { return m_drift; }

signals:
    // The picture on screen changed time (or a seek moved it): seconds and length on the
    // picture's clock.
    void timeChanged(double seconds, double length);
    // Every state report: the player's notifications, pause/resume, the decoder's states.
    void stateChanged(PlaybackController::State state);
    void rateChanged(double rate);
    // A picture to show, with its time on the picture's clock.
    void pictureShown(const QImage &picture, double seconds);
    // The full stop happened (before the state report that follows it, if any).
    void stopped();

private:
    enum StateEntry { Direct, StopFirst };
    void enterState(State state, StateEntry entry = Direct);
    void presentPicture(const QImage &picture, double timeMs);
    // One tick from a time on the player's clock; unless anyDirection, never backwards.
    void tick(double playerMs, bool anyDirection);
    double pictureSeconds(double playerMs) const;
    double pictureLength() const;
    double frameSeconds() const;
    // The picture clock now, between pictures.
    double timeNow() const;
    void keepStep();
    // Ahead of the leader: stand still for a moment, without it counting as a pause.
    void hold(double seconds);
    void applyEngineRate();
    void endNudge();
    bool leads(const PlaybackController *other) const;

    std::unique_ptr<VlcEngine> m_engine;
    State m_state = State::Stopped;
    double m_length = 0.0;
    double m_rate = 1.0;
    int m_volume = 100;
    double m_lastTick = -1.0; // seconds last reported; -1 before the first of a file
    bool m_tickFree = true;   // the next tick may go back (a new file, or a seek)
    double m_pictureTime = -1.0;

    QPointer<PlaybackController> m_leader;
    QList<QPointer<PlaybackController>> m_followers;
    double m_offset = 0.0;
    double m_nudge = 0.0;  // the rate factor's deviation from 1 while catching up
    double m_drift = 0.0;
    bool m_holding = false;
    QList<double> m_drifts; // recent measurements
    QElapsedTimer m_sinceCorrection;
    QTimer m_stepTimer;
    QTimer m_nudgeTimer; // ends a nudge once it has made up the drift
};
