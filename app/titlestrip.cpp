#include "app/titlestrip.h"

#include <QEvent>
#include <QLabel>
#include <QMenuBar>
#include <QRegion>

#include "app/windowbutton.h"

namespace {
constexpr int kSideMargin = 14;
constexpr int kButtonGap = 9;
} // namespace

TitleStrip::TitleStrip(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("titleStrip"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);

    m_minimize = new WindowButton(WindowButton::Minimize, this);
    m_zoom = new WindowButton(WindowButton::Zoom, this);
    m_close = new WindowButton(WindowButton::Close, this);
    for (WindowButton *b : {m_minimize, m_zoom, m_close})
        b->installEventFilter(this);

    m_title = new QLabel(this);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setObjectName(QStringLiteral("windowTitleLabel"));
    QFont f = m_title->font();
    f.setPointSizeF(10);
    f.setBold(true);
    m_title->setFont(f);
    QPalette pal = m_title->palette();
    pal.setColor(QPalette::WindowText, QColor(200, 204, 209));
    m_title->setPalette(pal);
    m_title->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_title->hide();
    resize(400, kHeight);
}

void TitleStrip::setMenuBar(QMenuBar *bar)
{
    m_menuBar = bar;
    if (!bar)
        return;
    bar->setParent(this);
    bar->setNativeMenuBar(false);
    bar->setStyleSheet(QStringLiteral(
        "QMenuBar{background:transparent;color:#e8eaed;font-size:10pt;}"
        "QMenuBar::item{background:transparent;padding:5px 10px;border-radius:5px;}"
        "QMenuBar::item:selected{background:rgba(255,255,255,34);}"
        "QMenuBar::item:pressed{background:rgba(255,255,255,52);}"));
    bar->installEventFilter(this);
    bar->show();
    layoutControls();
}

void TitleStrip::setTitle(const QString &title)
{
    m_title->setText(title);
    layoutControls();
}

void TitleStrip::setTitleVisible(bool visible)
{
    m_title->setVisible(visible);
    layoutControls();
}

bool TitleStrip::isTitleVisible() const { return !m_title->isHidden(); }

int TitleStrip::leftReserve() const
{
    int right = kSideMargin;
    if (m_menuBar)
        right = m_menuBar->geometry().right() + 1;
    if (!m_title->isHidden())
        right = m_title->geometry().right() + 1;
    return right + kSideMargin;
}

int TitleStrip::rightReserve() const { return width() - m_minimize->x() + kSideMargin; }

void TitleStrip::layoutControls()
{
    // Buttons right-aligned (minimise, zoom, close); their y is the window controller's.
    int x = width() - kSideMargin;
    for (WindowButton *b : {m_close, m_zoom, m_minimize}) {
        x -= b->width();
        b->move(x, b->y());
        x -= kButtonGap;
    }
    int left = kSideMargin - 6;
    if (m_menuBar) {
        const QSize hint = m_menuBar->sizeHint();
        m_menuBar->setGeometry(left, (kHeight - hint.height()) / 2, hint.width(), hint.height());
        left += hint.width() + 10;
    }
    m_title->adjustSize();
    m_title->move(left, (kHeight - m_title->height()) / 2);
    updateMask();
    emit reservesChanged();
}

void TitleStrip::updateMask()
{
    QRegion region;
    for (QWidget *w : {static_cast<QWidget *>(m_menuBar), static_cast<QWidget *>(m_minimize),
                       static_cast<QWidget *>(m_zoom), static_cast<QWidget *>(m_close)}) {
        if (w && w->isVisibleTo(this))
            region += w->geometry().adjusted(-2, -2, 2, 2);
    }
    // An empty mask would mean "no mask" (the whole strip); keep at least one pixel.
    setMask(region.isEmpty() ? QRegion(0, 0, 1, 1) : region);
}

void TitleStrip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

bool TitleStrip::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::FontChange)
        layoutControls();
    return QWidget::event(event);
}

bool TitleStrip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_menuBar && event->type() == QEvent::LayoutRequest)
        layoutControls();
    // The symbols of all three buttons show together while the pointer is over one.
    const bool isButton = watched == m_minimize || watched == m_zoom || watched == m_close;
    if (isButton && (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
        const bool shown = event->type() == QEvent::Enter;
        for (WindowButton *b : {m_minimize, m_zoom, m_close})
            b->setSymbolsShown(shown);
    }
    return QWidget::eventFilter(watched, event);
}
