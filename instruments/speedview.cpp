#include "instruments/speedview.h"

#include <QLabel>
#include <QSettings>
#include <cmath>
#include <limits>

#include "core/appfonts.h"
#include "track/numbertext.h"
#include "instruments/pictureview.h"
#include "core/preferences.h"

namespace {
// Empty while the user has never chosen a unit, else the unit the read-out uses.
QString storedUnit()
{
    return QSettings().contains(kSpeedUnitType) ? Preferences::speedUnitType() : QString();
}

int truncatedSpeed(float v)
{
    if (!std::isfinite(v))
        return 0;
    constexpr float lo = float(std::numeric_limits<int>::min());
    constexpr float hi = 2147483520.0f; // the largest float below 2^31
    return v <= lo ? std::numeric_limits<int>::min() : v >= hi ? int(hi) : int(v);
}
} // namespace

SpeedView::SpeedView(QWidget *parent) : DialInstrument(parent)
{
    setupBasicUI();
    resetSpeedPoint();
}

void SpeedView::setupBasicUI()
{
    m_dial = new PictureView(QStringLiteral("转速表"), this);

    auto makeLabel = [this](const QFont &font) {
        auto *label = new QLabel(this);
        label->setFont(font);
        label->setAlignment(Qt::AlignCenter);
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setStyleSheet(QStringLiteral("color: white; background: transparent; border: none;"));
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        return label;
    };
    // Sizes are in pixels: the label bands (22.5 and 30 high) are laid out for them.
    QFont unitFont = fontNamed(QStringLiteral("MSYH"), 0);
    unitFont.setPixelSize(16);
    m_unitLabel = makeLabel(unitFont);
    QFont numberFont = font();
    numberFont.setPixelSize(26);
    m_speedLabel = makeLabel(numberFont);
    layoutChildren();
}

QRectF SpeedView::unitLabelFrame(const QSizeF &size)
{
    // 22.5 high, its bottom edge 26.25 below the vertical centre.
    return QRectF(0, size.height() * 0.5 + 3.75, size.width(), 22.5);
}

QRectF SpeedView::speedLabelFrame(const QSizeF &size)
{
    // 30 high, from 26.25 above the vertical centre down to the unit text's top edge.
    return QRectF(0, size.height() * 0.5 - 26.25, size.width(), 30);
}

void SpeedView::layoutChildren()
{
    m_dial->setGeometry(rect());
    m_unitLabel->setGeometry(unitLabelFrame(size()).toRect());
    m_speedLabel->setGeometry(speedLabelFrame(size()).toRect());
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
    float v = leadingFloat((*m_gpsArray)[index].speed);
    // The rest of the player stores "KMH" or "MPH"; an absent choice becomes "KMH".
    Preferences::registerSpeedUnitDefault();
    const QString unit = Preferences::speedUnitType();
    if (unit == QLatin1String("MPH"))
        v = kmhToMph(v);
    dealSpeedString(unit, truncatedSpeed(v));
}

void SpeedView::refreshSpeedUnit()
{
    if (m_gpsArray && m_shown && *m_shown < m_gpsArray->size())
        showSample(*m_shown);
    else
        m_unitLabel->setText(storedUnit());
}

void SpeedView::resetSpeedPoint()
{
    m_gpsArray.reset();
    m_shown.reset();
    dealSpeedString(storedUnit(), 0);
}

void SpeedView::dealSpeedString(const QString &unit, int speed)
{
    m_speedLabel->setText(QString::number(speed));
    m_unitLabel->setText(unit);
}

float SpeedView::kmhToMph(float kmh) { return float(double(kmh) * 0.6214); }
