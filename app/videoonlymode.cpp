#include "app/videoonlymode.h"

#include <QBoxLayout>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWidget>

namespace {
constexpr int kReadoutIntervalMs = 250;
constexpr int kMargin = 16;
} // namespace

VideoOnlyMode::VideoOnlyMode(QWidget *window, QWidget *video, QObject *parent)
    : QObject(parent), m_window(window), m_video(video)
{
    m_label = new QLabel(window);
    m_label->setObjectName(QStringLiteral("videoOnlyReadout"));
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_label->setStyleSheet(QStringLiteral(
        "QLabel { background: rgba(0, 0, 0, 150); color: white; border-radius: 6px; padding: 6px 10px;"
        " font-size: 15pt; font-weight: bold; }"));
    m_label->hide();
    m_tick.setInterval(kReadoutIntervalMs);
    connect(&m_tick, &QTimer::timeout, this, &VideoOnlyMode::readoutWanted);
    if (video)
        video->installEventFilter(this);
    if (window)
        window->installEventFilter(this);
}

VideoOnlyMode::~VideoOnlyMode()
{
    if (m_video)
        m_video->removeEventFilter(this);
    if (m_window)
        m_window->removeEventFilter(this);
}

void VideoOnlyMode::toggle()
{
    if (m_active)
        leave();
    else
        enter();
}

void VideoOnlyMode::enter()
{
    if (m_active || !m_window || !m_video)
        return;
    m_home = m_video->parentWidget();
    m_homeIndex = -1;
    if (m_home) {
        if (auto *box = qobject_cast<QBoxLayout *>(m_home->layout())) {
            m_homeIndex = box->indexOf(m_video);
            m_homeStretch = m_homeIndex >= 0 ? box->stretch(m_homeIndex) : 0;
        }
    }
    m_wasFullScreen = m_window->isFullScreen();
    m_active = true;
    m_video->setParent(m_window);
    place();
    m_video->show();
    m_video->raise();
    emit readoutWanted();
    m_label->show();
    m_label->raise();
    m_tick.start();
    if (!m_wasFullScreen)
        m_window->showFullScreen();
    emit activeChanged(true);
}

void VideoOnlyMode::leave(bool keepFullScreen)
{
    if (!m_active)
        return;
    m_active = false;
    m_tick.stop();
    m_label->hide();
    if (m_video) {
        if (m_home) {
            m_video->setParent(m_home);
            if (auto *box = qobject_cast<QBoxLayout *>(m_home->layout()))
                box->insertWidget(m_homeIndex < 0 ? box->count() : m_homeIndex, m_video, m_homeStretch);
            else
                m_video->setGeometry(m_home->rect());
        }
        m_video->show();
    }
    if (m_window && !keepFullScreen && !m_wasFullScreen && m_window->isFullScreen())
        m_window->showNormal();
    emit activeChanged(false);
}

void VideoOnlyMode::place()
{
    if (!m_window)
        return;
    if (m_video && m_active)
        m_video->setGeometry(m_window->rect());
    m_label->adjustSize();
    m_label->move(m_window->width() - m_label->width() - kMargin, kMargin);
}

void VideoOnlyMode::setReadoutText(const QString &text)
{
    if (text != m_label->text()) {
        m_label->setText(text);
        place();
    }
}

bool VideoOnlyMode::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_video && event->type() == QEvent::MouseButtonDblClick) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            toggle();
            return true;
        }
    } else if (watched == m_window && m_active && event->type() == QEvent::Resize) {
        place();
    }
    return QObject::eventFilter(watched, event);
}
