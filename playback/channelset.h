#pragma once
// The channels of one moment played as one: the main channel's player (the leader, whose
// clock, sound and telemetry count) and a ChannelView for each other channel, following it.
// Lays the pictures out (a corner of small pictures, side by side, or a grid), swaps the big
// picture on request, and keeps each channel's offset per card folder in the settings.
// Without other channels the main picture fills the area, as it always has.
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include "core/mfilemodel.h"
#include "playback/channellayout.h"

class ChannelView;
class PlaybackController;
class QWidget;

class ChannelSet : public QObject {
    Q_OBJECT
public:
    static constexpr double kOffsetStep = 0.04;
    static constexpr double kMaxOffset = 30.0;

    // host: the widget the pictures are laid out in; leaderArea: the child of host that
    // shows the main channel's pictures; leader: the main channel's player.
    ChannelSet(QWidget *host, QWidget *leaderArea, PlaybackController *leader, QObject *parent = nullptr);

    // The channels the next start plays: the main file's channel and the others of the moment.
    void setChannels(const QString &mainChannel, const QList<MChannelFile> &others);
    QString mainChannel() const { return m_mainChannel.isEmpty() ? QStringLiteral("front") : m_mainChannel; }
    QList<MChannelFile> otherChannels() const { return m_others; }
    // The main file has started: every other channel starts following it.
    void start(const QString &mainPath);

    int tileCount() const { return int(m_tiles.size()); }
    ChannelView *tile(int i) const;
    ChannelView *tileOf(const QString &channel) const;

    ChannelLayout::Mode mode() const { return m_mode; }
    void setMode(ChannelLayout::Mode mode);
    void cycleMode() { setMode(ChannelLayout::nextMode(m_mode)); }
    ChannelLayout::Corner corner() const { return m_corner; }
    void setCorner(ChannelLayout::Corner corner);

    // Which picture is the big one: -1 the main channel's, else a tile's index.
    int big() const;
    void showBig(int tile);
    // The main channel's picture is a small one (a click on it swaps it back).
    bool leaderIsSmall() const { return big() >= 0 && tileCount() > 0; }

    // Places the main picture and the tiles in area (the host's rectangle).
    void arrange(const QRect &area);

    // Seconds a channel is shown ahead (+) or behind (-) the main one; kept per card folder
    // (the folder holding all the moment's files).
    double offset(const QString &channel) const;
    void setOffset(const QString &channel, double seconds);
    void stepOffset(const QString &channel, int steps) { setOffset(channel, offset(channel) + steps * kOffsetStep); }
    QString cardFolder() const;

    // The pictures of the other channels on screen now (channel, picture), in tile order;
    // channels without a picture are left out.
    QList<QPair<QString, QImage>> pictures() const;

signals:
    // The layout, the corner or the big picture changed.
    void arrangementChanged();
    // The big picture was clicked while a tile shows it (as a click on the video).
    void bigClicked();

private:
    void tileClicked(ChannelView *tile);
    void tileDropped(const QPoint &point);
    void updateVisibility();
    void rearrange();
    QString offsetKey(const QString &channel) const;

    QWidget *m_host;
    QWidget *m_leaderArea;
    QPointer<PlaybackController> m_leader;
    QString m_mainChannel;
    QString m_mainPath;
    QList<MChannelFile> m_others;
    QList<ChannelView *> m_tiles;
    ChannelLayout::Mode m_mode;
    ChannelLayout::Corner m_corner;
    QString m_bigChannel; // empty: the main channel
    QRect m_area;
};
