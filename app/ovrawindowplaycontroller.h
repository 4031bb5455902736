#pragma once
// Sets up the one frameless window: our own 50-point title strip with the three window
// buttons, the main view filling the window, moving by dragging the background,
// double-click on the strip to maximise, the zoom button for full screen (the keys are the
// Playback actions'), the close button quitting the program, and the window's place and
// size kept from one run to the next.
#include <QObject>
#include <QPoint>

class QWidget;
class OvraPlayVC;
class TitleStrip;

class OvraWindowPlayController : public QObject {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 1080;
    static constexpr int kMinimumHeight = 660;

    // Takes over window (which the caller created and the controller now owns) and runs
    // loadBaisc().
    explicit OvraWindowPlayController(QWidget *window, QObject *parent = nullptr);
    ~OvraWindowPlayController() override;

    // A frameless top-level widget of the minimum size, as the program's window.
    static QWidget *createWindow();

    QWidget *window() const { return m_window; }
    OvraPlayVC *playerVC() const { return m_playerVC; }
    TitleStrip *titleStrip() const { return m_strip; }

    void loadBaisc();
    void quitApp();
    // Puts the strip along the top edge (50 high) and the buttons in it: centred
    // vertically in windowed mode, 3 points above the strip's lower edge in full screen.
    void updateTitleBarOfWindow(QWidget *window, bool fullScreen);

    void toggleFullScreen();
    void toggleMaximized();
    // Brings the window back when it is minimised or hidden; a visible one is raised.
    void bringToFront();
    // Stores the window's place and size (out of full screen) for the next start; done
    // when the program quits.
    void saveWindowPlace() const;
    // Puts the window where it was last time, if that is still on a screen; false when
    // nothing usable was stored (the window is then centred).
    bool restoreWindowPlace();

    void windowDidResize();
    void windowDidEndLiveResize();
    void windowDidEnterFullScreen();
    void windowDidExitFullScreen();

signals:
    // Asked to quit (close button, window closed by the window manager).
    void quitRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void centreOnScreen();
    Qt::Edges edgesAt(const QPoint &pos) const;
    void updateResizeCursor(Qt::Edges edges);
    void layoutStrip();

    QWidget *m_window = nullptr;
    OvraPlayVC *m_playerVC = nullptr;
    TitleStrip *m_strip = nullptr;
    QPoint m_pressPos;
    bool m_pressed = false;
    bool m_fullScreen = false;
    bool m_quitting = false;
};
