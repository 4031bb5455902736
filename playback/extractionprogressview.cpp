#include "playback/extractionprogressview.h"

#include <QEvent>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {
constexpr int kSpinIntervalMs = 40;
constexpr int kSpinStep = 12; // degrees per tick: a turn in 1.2 s
constexpr int kPanelWidth = 360;
constexpr int kPanelHeight = 150;
} // namespace

ExtractionProgressView::ExtractionProgressView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("extractionProgress"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    m_spin.setInterval(kSpinIntervalMs);
    connect(&m_spin, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + kSpinStep) % 360;
        update();
    });
    if (parent)
        parent->installEventFilter(this);
    followParent();
}

void ExtractionProgressView::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
}

int ExtractionProgressView::start(const QString &path)
{
    m_path = path;
    m_fileName = QFileInfo(path).fileName();
    m_percent = -1;
    m_active = true;
    followParent();
    show();
    raise();
    m_spin.start();
    update();
    return ++m_token;
}

void ExtractionProgressView::setProgress(const QString &path, qint64 done, qint64 total)
{
    if (!m_active || path != m_path || total <= 0 || done < 0)
        return;
    const int p = int(std::clamp<qint64>(done * 100 / total, 0, 100));
    if (p <= m_percent)
        return;
    m_percent = p;
    update();
}

void ExtractionProgressView::finish(int token)
{
    if (token != m_token)
        return;
    m_active = false;
    m_spin.stop();
    hide();
}

void ExtractionProgressView::followParent()
{
    if (parentWidget())
        setGeometry(parentWidget()->rect());
}

bool ExtractionProgressView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget()) {
        if (event->type() == QEvent::Resize)
            followParent();
        else if (event->type() == QEvent::ChildAdded && m_active)
            raise(); // a view put in the panel later must not cover us
    }
    return QWidget::eventFilter(watched, event);
}

void ExtractionProgressView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The video area dims; a card in the middle carries the news.
    p.fillRect(rect(), QColor(0, 0, 0, 110));
    const QRectF card(width() / 2.0 - kPanelWidth / 2.0, height() / 2.0 - kPanelHeight / 2.0, kPanelWidth,
                      kPanelHeight);
    QPainterPath path;
    path.addRoundedRect(card, 10, 10);
    p.fillPath(path, QColor(30, 30, 32, 230));

    const QRectF ring(card.left() + 24, card.center().y() - 28, 56, 56);
    p.setPen(QPen(QColor(80, 80, 86), 5));
    p.drawEllipse(ring);
    QPen arc(QColor(64, 156, 255), 5);
    arc.setCapStyle(Qt::RoundCap);
    p.setPen(arc);
    if (m_percent >= 0) {
        // The arc shows how far, and a short bright tick keeps turning so a slow card
        // still looks alive between reports.
        p.drawArc(ring, 90 * 16, -m_percent * 360 * 16 / 100);
        p.setPen(QPen(QColor(200, 225, 255), 5, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(ring, (90 - m_angle) * 16, -20 * 16);
    } else {
        p.drawArc(ring, (90 - m_angle) * 16, -100 * 16);
    }

    const QRectF text(ring.right() + 20, card.top() + 22, card.right() - ring.right() - 36, card.height() - 44);
    QFont f = font();
    f.setPointSizeF(10);
    p.setFont(f);
    p.setPen(QColor(170, 174, 180));
    p.drawText(QRectF(text.left(), text.top(), text.width(), 22), Qt::AlignLeft | Qt::AlignVCenter, m_caption);
    f.setPointSizeF(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    const QString pct = m_percent >= 0 ? QStringLiteral("%1 %").arg(m_percent) : QStringLiteral("…");
    p.drawText(QRectF(text.left(), text.top() + 24, text.width(), 40), Qt::AlignLeft | Qt::AlignVCenter, pct);
    f.setPointSizeF(9.5);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(214, 214, 214));
    const QString name = QFontMetrics(f).elidedText(m_fileName, Qt::ElideMiddle, int(text.width()));
    p.drawText(QRectF(text.left(), text.top() + 70, text.width(), 22), Qt::AlignLeft | Qt::AlignVCenter, name);
}
