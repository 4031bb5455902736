#include "app/ovrawindowplaycontroller.h"
#include "core/logging.h"

#include <QApplication>
#include <QDebug>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include "core/extension.h"
#include "core/mtool.h"
#include "core/preferences.h"
#include "app/ovraplayvc.h"
#include "app/titlestrip.h"
#include "app/windowbutton.h"

QWidget *OvraWindowPlayController::createWindow()
{
    auto *w = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint);
    w->setObjectName(QStringLiteral("mainWindow"));
    w->resize(kMinimumWidth, kMinimumHeight);
    return w;
}

OvraWindowPlayController::OvraWindowPlayController(QWidget *window, QObject *parent)
    : QObject(parent), m_window(window)
{
    qCInfo(lcApp, "mmp");
    loadBaisc();
}

OvraWindowPlayController::~OvraWindowPlayController()
{
    if (m_window) {
        m_window->removeEventFilter(this);
        delete m_window;
    }
}

void OvraWindowPlayController::loadBaisc()
{
    QWidget *w = m_window;
    w->setWindowTitle(QStringLiteral("TRAVA PLAYER"));
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, QColor(240, 240, 240));
    w->setPalette(pal);
    w->setWindowTitle(MTool::currentBundleName());
    w->setMinimumSize(kMinimumWidth, kMinimumHeight);
    // Hover moves that no control takes reach the window, for the resize cursors.
    w->setMouseTracking(true);
    w->installEventFilter(this);

    // The main view fills the window and follows its size.
    m_playerVC = new OvraPlayVC(w);
    m_playerVC->setGeometry(w->rect());

    // Every way out (close button, File -> Close, Quit, the window manager) passes here.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &OvraWindowPlayController::saveWindowPlace);

    m_strip = new TitleStrip(w);
    m_strip->setTitle(w->windowTitle());
    m_strip->raise();
    connect(m_strip->closeButton(), &QAbstractButton::clicked, this, &OvraWindowPlayController::quitApp);
    connect(m_strip->miniaturizeButton(), &QAbstractButton::clicked, w, &QWidget::showMinimized);
    connect(m_strip->zoomButton(), &QAbstractButton::clicked, this, &OvraWindowPlayController::toggleFullScreen);
    connect(m_strip, &TitleStrip::reservesChanged, this, [this] {
        m_playerVC->setTitleStripReserve(m_strip->leftReserve(), m_strip->rightReserve());
    });

    updateTitleBarOfWindow(w, false);
    const bool restored = restoreWindowPlace();
    if (restored && Preferences::windowMaximized())
        w->showMaximized();
    else
        w->show();
    if (!restored)
        centreOnScreen();
    w->raise();
    w->activateWindow();
}

void OvraWindowPlayController::centreOnScreen()
{
    const QScreen *screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect avail = screen->availableGeometry();
    QRect frame = m_window->frameGeometry();
    frame.moveCenter(avail.center());
    m_window->move(frame.topLeft());
}

void OvraWindowPlayController::saveWindowPlace() const
{
    if (!m_window)
        return;
    // The size and place out of full screen or maximised, which normalGeometry keeps.
    const QRect normal = m_window->isFullScreen() || m_window->isMaximized() ? m_window->normalGeometry()
                                                                              : m_window->geometry();
    if (normal.isValid())
        Preferences::setWindowGeometry(normal);
    Preferences::setWindowMaximized(m_window->isMaximized());
}

bool OvraWindowPlayController::restoreWindowPlace()
{
    QRect r = Preferences::windowGeometry();
    if (!r.isValid())
        return false;
    r.setSize(r.size().expandedTo(m_window->minimumSize()));
    // A screen unplugged since, or a place mostly off every screen, is not used.
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect overlap = screen->availableGeometry().intersected(r);
        if (overlap.width() >= 200 && overlap.height() >= 100) {
            m_window->setGeometry(r);
            return true;
        }
    }
    return false;
}

void OvraWindowPlayController::quitApp()
{
    if (m_quitting)
        return;
    m_quitting = true;
    emit quitRequested();
    QCoreApplication::quit();
}

void OvraWindowPlayController::updateTitleBarOfWindow(QWidget *window, bool fullScreen)
{
    if (!window || !m_strip)
        return;
    const int h = window->height();
    m_strip->setGeometry(0, 0, window->width(), TitleStrip::kHeight);
    // Same place in y-up terms: the strip's bottom edge is 50 below the window's top.
    Extension::setY(m_strip, h - TitleStrip::kHeight);
    Extension::setHeight(m_strip, TitleStrip::kHeight);
    for (WindowButton *b : {m_strip->closeButton(), m_strip->zoomButton(), m_strip->miniaturizeButton()}) {
        const int y = fullScreen ? 3 : (TitleStrip::kHeight - b->height()) / 2;
        Extension::setY(b, y);
    }
    m_strip->layoutControls();
    m_strip->raise();
}

void OvraWindowPlayController::layoutStrip() { updateTitleBarOfWindow(m_window, false); }

void OvraWindowPlayController::windowDidResize()
{
    qCDebug(lcApp).noquote() << QStringLiteral("---> window did resize: {%1, %2}")
                              .arg(m_window->width())
                              .arg(m_window->height());
    m_playerVC->setGeometry(m_window->rect());
    layoutStrip();
}

void OvraWindowPlayController::windowDidEndLiveResize() { layoutStrip(); }

void OvraWindowPlayController::windowDidEnterFullScreen()
{
    m_strip->setTitleVisible(true);
    updateTitleBarOfWindow(m_window, true);
}

void OvraWindowPlayController::windowDidExitFullScreen()
{
    m_strip->setTitleVisible(false);
    updateTitleBarOfWindow(m_window, false);
}

void OvraWindowPlayController::toggleFullScreen()
{
    m_window->isFullScreen() ? m_window->showNormal() : m_window->showFullScreen();
}

void OvraWindowPlayController::toggleMaximized()
{
    if (!m_window->isFullScreen())
        m_window->isMaximized() ? m_window->showNormal() : m_window->showMaximized();
}

void OvraWindowPlayController::bringToFront()
{
    if (m_window->isMinimized())
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

Qt::Edges OvraWindowPlayController::edgesAt(const QPoint &pos) const
{
    // Without a window-manager frame the outermost pixels of the window resize it.
    constexpr int kGrip = 6;
    Qt::Edges edges;
    if (m_window->isMaximized() || m_window->isFullScreen())
        return edges;
    if (pos.x() < kGrip)
        edges |= Qt::LeftEdge;
    if (pos.x() >= m_window->width() - kGrip)
        edges |= Qt::RightEdge;
    if (pos.y() < kGrip)
        edges |= Qt::TopEdge;
    if (pos.y() >= m_window->height() - kGrip)
        edges |= Qt::BottomEdge;
    return edges;
}

void OvraWindowPlayController::updateResizeCursor(Qt::Edges edges)
{
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
        shape = Qt::SizeFDiagCursor;
    else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
        shape = Qt::SizeBDiagCursor;
    else if (edges & (Qt::LeftEdge | Qt::RightEdge))
        shape = Qt::SizeHorCursor;
    else if (edges & (Qt::TopEdge | Qt::BottomEdge))
        shape = Qt::SizeVerCursor;
    if (shape == Qt::ArrowCursor)
        m_window->unsetCursor();
    else
        m_window->setCursor(shape);
}

bool OvraWindowPlayController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::Resize:
        windowDidResize();
        break;
    case QEvent::WindowStateChange: {
        const bool full = m_window->isFullScreen();
        if (full != m_fullScreen) {
            m_fullScreen = full;
            full ? windowDidEnterFullScreen() : windowDidExitFullScreen();
        }
        break;
    }
    case QEvent::Close:
        // The window never closes on its own: closing it ends the program.
        event->ignore();
        quitApp();
        return true;
    case QEvent::MouseButtonPress: {
        // A press that no control took: the background moves the window once dragged.
        auto *me = static_cast<QMouseEvent *>(event);
        const Qt::Edges edges = edgesAt(me->position().toPoint());
        if (me->button() == Qt::LeftButton && edges && m_window->windowHandle()) {
            m_window->windowHandle()->startSystemResize(edges);
            return true;
        }
        if (me->button() == Qt::LeftButton) {
            m_pressed = true;
            m_pressPos = me->globalPosition().toPoint();
        }
        break;
    }
    case QEvent::MouseMove: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->buttons() == Qt::NoButton) {
            updateResizeCursor(edgesAt(me->position().toPoint()));
            break;
        }
        if (m_pressed && (me->buttons() & Qt::LeftButton)
            && (me->globalPosition().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
            m_pressed = false;
            if (!m_window->isFullScreen() && m_window->windowHandle())
                m_window->windowHandle()->startSystemMove();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        m_pressed = false;
        break;
    case QEvent::MouseButtonDblClick: {
        auto *me = static_cast<QMouseEvent *>(event);
        m_pressed = false;
        if (me->button() == Qt::LeftButton && me->position().y() < TitleStrip::kHeight) {
            toggleMaximized();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
