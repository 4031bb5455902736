#include "instruments/speedview.h"

#include <QPainter>
#include <QSettings>

#include "core/preferences.h"
#include "instruments/speeddialpainter.h"

namespace {
// Empty while the user has never chosen a unit, else the unit the read-out uses.
QString storedUnit()
{
    return QSettings().contains(kSpeedUnitType) ? Preferences::speedUnitType() : QString();
}
} // namespace

SpeedView::SpeedView(QWidget *parent) : DialInstrument(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resetSpeedPoint();
}

QRectF SpeedView::unitLabelFrame(const QSizeF &size) { return SpeedDialPainter::unitTextFrame(size); }

QRectF SpeedView::speedLabelFrame(const QSizeF &size) { return SpeedDialPainter::numberTextFrame(size); }

void SpeedView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    SpeedDialPainter::paint(p, QRectF(rect()), m_speedText, m_unitText);
}

void SpeedView::setGpsData(const Track &track)
{
    m_gpsArray = track;
    m_shown.reset();
    m_lookup.invalidate();
}

void SpeedView::setCurrentPlayerTime(double seconds)
{
    const auto index = m_lookup.select(m_gpsArray, seconds);
    if (index)
        showSample(*index);
}

void SpeedView::showSample(std::size_t index)
{
    m_shown = index;
    // The rest of the player stores "KMH" or "MPH"; an absent choice becomes "KMH".
    Preferences::registerSpeedUnitDefault();
    const QString unit = Preferences::speedUnitType();
    dealSpeedString(unit, SpeedDialPainter::displayedSpeed((*m_gpsArray)[index].speed, unit));
}

void SpeedView::refreshSpeedUnit()
{
    if (m_gpsArray && m_shown && *m_shown < m_gpsArray->size()) {
        showSample(*m_shown);
    } else {
        m_unitText = storedUnit();
        update();
    }
}

void SpeedView::resetSpeedPoint()
{
    m_gpsArray.reset();
    m_shown.reset();
    dealSpeedString(storedUnit(), 0);
}

void SpeedView::dealSpeedString(const QString &unit, int speed)
{
    m_speedText = QString::number(speed);
    m_unitText = unit;
    update();
}

float SpeedView::kmhToMph(float kmh) { return float(double(kmh) * 0.6214); }
