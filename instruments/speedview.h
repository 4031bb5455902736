#pragma once
// The speed instrument: the dial picture with the current speed as a whole number over
// its unit text. It follows playback once per whole second, in the unit chosen in the
// preferences ("KMH" or "MPH").
#include <optional>

#include <QRectF>
#include <QString>

#include "instruments/dialinstrument.h"
#include "track/samplelookup.h"

class QLabel;
class PictureView;

class SpeedView : public DialInstrument {
    Q_OBJECT
public:
    explicit SpeedView(QWidget *parent = nullptr);

    void setGpsData(const Track &track) override;
    void setCurrentPlayerTime(double seconds) override;
    // Drops the track and shows 0 over the stored unit.
    void resetSpeedPoint();
    void dealSpeedString(const QString &unit, int speed);
    // Shows the sample on display again in the unit now stored, for a unit change while
    // playback is paused (ticks alone would wait for the next second).
    void refreshSpeedUnit();

    static float kmhToMph(float kmh);
    // The label frames for a view of the given size, in widget coordinates (y down).
    static QRectF unitLabelFrame(const QSizeF &size);
    static QRectF speedLabelFrame(const QSizeF &size);

    QLabel *speedLabel() const { return m_speedLabel; }
    QLabel *unitLabel() const { return m_unitLabel; }
    Track gpsArray() const { return m_gpsArray; }

private:
    void setupBasicUI();
    void layoutChildren() override;
    void showSample(std::size_t index);

    QLabel *m_unitLabel = nullptr;
    QLabel *m_speedLabel = nullptr;
    Track m_gpsArray;
    SampleLookup m_lookup;
    std::optional<std::size_t> m_shown; // index of the sample on display
};
