#pragma once
// The keys of the player and the items of the Playback menu: one QAction per command, each
// shortcut owned by the window (not by whichever widget has the focus), so Space, the arrows
// and the rest work from the first second. A shortcut does not fire while a combo box's list
// is open (the list is a window of its own) nor while a text field takes the key.
//
// The actions only say what was asked; the composition of the main window connects the
// signals to the player, the list and the window.
#include <QList>
#include <QObject>
#include <QPair>

class QAction;
class QMenu;
class QWidget;

class PlaybackActions : public QObject {
    Q_OBJECT
public:
    static constexpr double kShortSeek = 5.0;
    static constexpr double kLongSeek = 30.0;

    explicit PlaybackActions(QObject *parent = nullptr);

    // Fills menu with the Playback items, in menu order, with separators.
    void fillMenu(QMenu *menu) const;
    // Every action with a shortcut becomes the window's (call once per window).
    void attachTo(QWidget *window) const;
    // Titles in the stored language.
    void retitle();

    QAction *playPause() const { return m_playPause; }
    QAction *stop() const { return m_stop; }
    QAction *previous() const { return m_previous; }
    QAction *next() const { return m_next; }
    QAction *back() const { return m_back; }
    QAction *forward() const { return m_forward; }
    QAction *forwardLong() const { return m_forwardLong; }
    QAction *faster() const { return m_faster; }
    QAction *slower() const { return m_slower; }
    QAction *normalSpeed() const { return m_normalSpeed; }
    QAction *fullScreen() const { return m_fullScreen; }
    QAction *leaveFullScreen() const { return m_leaveFullScreen; }
    QList<QAction *> all() const;

signals:
    void playPauseRequested();
    void stopRequested();
    void previousRequested();
    void nextRequested();
    // Seconds to move, negative backwards.
    void seekRequested(double seconds);
    // +1 louder, -1 quieter.
    void volumeStepRequested(int delta);
    // +1 faster, -1 slower, 0 back to normal speed.
    void speedStepRequested(int delta);
    void fullScreenRequested();
    void leaveFullScreenRequested();

private:
    QAction *make(const char *name, const char *titleKey, const QList<QKeySequence> &keys);

    QAction *m_playPause = nullptr;
    QAction *m_stop = nullptr;
    QAction *m_previous = nullptr;
    QAction *m_next = nullptr;
    QAction *m_back = nullptr;
    QAction *m_forward = nullptr;
    QAction *m_backLong = nullptr;
    QAction *m_forwardLong = nullptr;
    QAction *m_volumeUp = nullptr;
    QAction *m_volumeDown = nullptr;
    QAction *m_faster = nullptr;
    QAction *m_slower = nullptr;
    QAction *m_normalSpeed = nullptr;
    QAction *m_fullScreen = nullptr;
    QAction *m_leaveFullScreen = nullptr;
    QList<QPair<QAction *, const char *>> m_titleKeys; // for re-titling in another language
};
