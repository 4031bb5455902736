#pragma once
// The speed instrument: the dial picture with the current speed as a whole number over
// its unit text. It follows playback once per whole second, in the unit chosen in the
// preferences ("KMH" or "MPH").
#include <optional>

#include <QRectF>
#include <QString>

#include "instruments/dialinstrument.h"
#include "track/samplelookup.h"

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
    // The text frames for a view of the given size, in widget coordinates (y down).
    static QRectF unitLabelFrame(const QSizeF &size);
    static QRectF speedLabelFrame(const QSizeF &size);

    // What the read-out shows: the number and the unit text.
    QString speedText() const { return m_speedText; }
    QString unitText() const { return m_unitText; }
    Track gpsArray() const { return m_gpsArray; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showSample(std::size_t index);

    QString m_speedText;
    QString m_unitText;
    Track m_gpsArray;
    SampleLookup m_lookup;
    std::optional<std::size_t> m_shown; // index of the sample on display
};
