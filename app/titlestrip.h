#pragma once
// The strip along the top of the frameless window: the menu bar at the left, the window
// title (shown only in full screen) and the three window buttons at the right. It is
// transparent and lies over the main view's own title bar background; only its controls
// take the mouse, so a press anywhere else in the strip reaches the window (to move it)
// or the main view's controls under it.
#include <QWidget>

class QLabel;
class QMenuBar;
class WindowButton;

class TitleStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 50;

    explicit TitleStrip(QWidget *parent = nullptr);

    WindowButton *closeButton() const { return m_close; }
    WindowButton *miniaturizeButton() const { return m_minimize; }
    WindowButton *zoomButton() const { return m_zoom; }
    QLabel *titleLabel() const { return m_title; }

    // Puts the application's menu bar into the strip (the strip does not own it).
    void setMenuBar(QMenuBar *bar);
    QMenuBar *menuBar() const { return m_menuBar; }
    void setTitle(const QString &title);
    void setTitleVisible(bool visible);
    bool isTitleVisible() const;

    // Space the strip's own controls take at each end, for the view under it.
    int leftReserve() const;
    int rightReserve() const;

    // Lays the controls out along the strip and limits the mouse-sensitive area to them.
    void layoutControls();

signals:
    void reservesChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateMask();

    QMenuBar *m_menuBar = nullptr;
    QLabel *m_title = nullptr;
    WindowButton *m_close = nullptr;
    WindowButton *m_minimize = nullptr;
    WindowButton *m_zoom = nullptr;
};
