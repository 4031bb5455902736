#include "instruments/timelineview.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>

#include "core/mlanguagemanager.h"
#include "core/preferences.h"
#include "core/zoneclocks.h"
#include "instruments/harsheventmarks.h"
#include "instruments/timelinepainter.h"
#include "track/tripstatistics.h"

TimelineView::TimelineView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("timelineView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // Home and End need the focus; every other key goes on to the window's own.
    setFocusPolicy(Qt::ClickFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(64);
    setCursor(Qt::PointingHandCursor);
}

void TimelineView::setParts(const std::vector<Track> &parts, int current)
{
    m_model.setParts(parts, current);
    m_range.setTotal(m_model.total());
    m_range.showAll();
    invalidate();
}

void TimelineView::setEvents(int part, const std::vector<HarshEvent> &events)
{
    m_model.setEvents(part, events);
    invalidate();
}

void TimelineView::setTime(double seconds, double length)
{
    if (m_model.setCurrentLength(length)) {
        m_range.setTotal(m_model.total());
        invalidate();
    }
    const std::optional<double> before = cursorX();
    m_cursor = std::isfinite(seconds) ? std::optional<double>(std::max(0.0, seconds)) : std::nullopt;
    const std::optional<double> after = cursorX();
    // A tick repaints only the two thin strips the cursor leaves and reaches.
    if (before && after && std::round(*before) == std::round(*after))
        return;
    QRegion dirty;
    if (before)
        dirty += cursorRect(*before);
    if (after)
        dirty += cursorRect(*after);
    if (!dirty.isEmpty())
        update(dirty);
}

void TimelineView::hideCursor()
{
    if (const std::optional<double> x = cursorX())
        update(cursorRect(*x));
    m_cursor.reset();
}

void TimelineView::setClipMarks(std::optional<double> in, std::optional<double> out)
{
    const auto valid = [](std::optional<double> v) { return v && std::isfinite(*v) ? v : std::nullopt; };
    m_model.clipIn = valid(in);
    m_model.clipOut = valid(out);
    invalidate();
}

void TimelineView::setKindSpans(const TimelineSpans &spans)
{
    m_model.spans = spans;
    invalidate();
}

void TimelineView::clear()
{
    m_model.clear();
    m_range.setTotal(0);
    m_cursor.reset();
    invalidate();
}

void TimelineView::showAll()
{
    m_range.showAll();
    invalidate();
}

QRectF TimelineView::plotRect() const { return TimelinePainter::plotRect(QRectF(rect())); }

double TimelineView::xOf(double seconds, int part) const
{
    const QRectF plot = plotRect();
    const double global = m_model.toGlobal(part < 0 ? m_model.current() : part, seconds);
    return plot.left() + m_range.xOf(global, plot.width());
}

double TimelineView::globalAt(double x) const
{
    const QRectF plot = plotRect();
    return m_range.secondsAt(x - plot.left(), plot.width());
}

std::optional<double> TimelineView::cursorX() const
{
    if (!m_cursor || m_model.total() <= 0)
        return std::nullopt;
    const double x = xOf(*m_cursor);
    const QRectF plot = plotRect();
    if (x < plot.left() - 0.5 || x > plot.right() + 0.5)
        return std::nullopt; // zoomed away from it
    return x;
}

QRect TimelineView::cursorRect(double x) const
{
    return QRect(int(std::round(x)) - 3, 0, 7, height());
}

void TimelineView::invalidate()
{
    m_layerValid = false;
    update();
}

QString TimelineView::hoverText(double x) const
{
    if (m_model.total() <= 0)
        return QString();
    const double global = globalAt(x);
    const int part = m_model.partAt(global);
    if (part < 0)
        return QString();
    const double local = global - m_model.parts()[std::size_t(part)].start;
    QStringList fields;
    if (m_model.parts().size() > 1)
        fields << MLanguageManager::localized("Trip.part").arg(part + 1).arg(m_model.parts().size());
    fields << TimelinePainter::clockText(std::floor(local));
    QString readings;
    if (const std::optional<TimelineModel::Reading> r = m_model.readingAt(part, local)) {
        // The sample's clock in the zone every other read-out uses, named ("14:05:12 CEST").
        const QString clock = ZoneClocks::shared()->timeText(r->time);
        if (!clock.isEmpty())
            fields << clock;
        const bool mph = Preferences::speedUnitType() == QLatin1String("MPH");
        const float v = mph ? TripStatistics::kmhToMph(r->speed) : r->speed;
        readings = QString::number(double(v), 'f', 0) + (mph ? QStringLiteral(" mph") : QStringLiteral(" km/h")) +
                   QStringLiteral(" · ") + QString::number(double(r->g), 'f', 2) + QStringLiteral(" g");
    }
    // When on the first line, what was measured on the second.
    QString text = fields.join(QStringLiteral(" · "));
    if (!readings.isEmpty())
        text += QLatin1Char('\n') + readings;
    // An event under the pointer is named too.
    const TimelineModel::Part &p = m_model.parts()[std::size_t(part)];
    for (const HarshEvent &e : p.events) {
        if (std::abs(xOf(double(e.index) + 0.5, part) - x) <= 5)
            text += QLatin1Char('\n') + HarshEventMarks::describe(e);
    }
    return text;
}

void TimelineView::paintEvent(QPaintEvent *)
{
    const qreal dpr = devicePixelRatioF();
    if (!m_layerValid || m_layer.size() != size() * dpr) {
        m_layer = QPixmap(size() * dpr);
        m_layer.setDevicePixelRatio(dpr);
        QPainter lp(&m_layer);
        TimelinePainter::paintLayer(lp, QRectF(rect()), m_model, m_range);
        m_layerValid = true;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, m_layer);
    if (const std::optional<double> x = cursorX())
        TimelinePainter::paintCursor(p, QRectF(rect()), *x);
}

void TimelineView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_layerValid = false;
}

void TimelineView::seekAt(double x)
{
    if (m_model.total() <= 0)
        return;
    const double global = globalAt(x);
    const int part = m_model.partAt(global);
    const TimelineModel::Part &p = m_model.parts()[std::size_t(part)];
    const double local = std::clamp(global - p.start, 0.0, p.seconds);
    if (part == m_model.current())
        emit seekRequested(local);
    else
        emit partRequested(part, local);
}

void TimelineView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_drag = Drag::Pending;
    m_pressPos = event->position().toPoint();
    m_pressStart = m_range.start();
    const std::optional<double> c = cursorX();
    m_pressOnCursor = c && std::abs(*c - event->position().x()) <= 4;
    event->accept();
}

void TimelineView::mouseMoveEvent(QMouseEvent *event)
{
    const double x = event->position().x();
    if (m_drag == Drag::Pending && (event->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
        // Zoomed in, a drag moves the stretch; grabbing the cursor still scrubs.
        m_drag = m_range.zoomed() && !m_pressOnCursor ? Drag::Pan : Drag::Seek;
    if (m_drag == Drag::Seek) {
        seekAt(x);
    } else if (m_drag == Drag::Pan) {
        const double perPixel = m_range.span() / std::max(1.0, plotRect().width());
        const double start = m_range.start();
        m_range.panBy(m_pressStart - (x - m_pressPos.x()) * perPixel - start);
        invalidate();
    }
    if (QToolTip::isVisible())
        QToolTip::showText(event->globalPosition().toPoint(), Qt::convertFromPlainText(hoverText(x), Qt::WhiteSpaceNoWrap), this);
}

void TimelineView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_drag == Drag::Pending)
        seekAt(event->position().x());
    m_drag = Drag::None;
}

void TimelineView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        showAll();
}

void TimelineView::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0 || m_model.total() <= 0) {
        event->ignore();
        return;
    }
    // One notch narrows to 80 %, the other way widens by as much.
    m_range.zoomAround(globalAt(event->position().x()), std::pow(0.8, double(delta) / 120.0));
    invalidate();
    event->accept();
}

void TimelineView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Home || event->key() == Qt::Key_End) {
        showAll();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TimelineView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString text = hoverText(help->pos().x());
        // Plain text: nothing in a recording's data is read as markup.
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap), this);
        return true;
    }
    return QWidget::event(event);
}
