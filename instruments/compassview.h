#pragma once
// The compass: a north-up dial with a pointer that turns, in a quarter of a second, to
// the heading of the current second. Headings are computed once per track.
#include <QVector>

#include "instruments/dialinstrument.h"

class PictureView;
class QVariantAnimation;

// Heading from the earlier to the later position, in this instrument's own angle
// convention: 270 minus the compass heading (north 270, south 90, west 0, east -180).
// Degrees of latitude and longitude count as equal units.
float getAngle(float lat1, float lon1, float lat2, float lon2);

class CompassView : public DialInstrument {
    Q_OBJECT
public:
    explicit CompassView(QWidget *parent = nullptr);

    void setGpsData(const Track &track) override;
    void setCurrentPlayerTime(double seconds) override;
    void resetCompass();
    // Turns the pointer from the last target to angle (degrees) over 0.25 s; a turn
    // replaces a running one.
    void setPointRotate(float angle);

    const QVector<float> &angles() const { return m_angles; }
    float curPosition() const { return m_curPosition; }
    qint64 curTime() const { return m_curTime; }
    PictureView *pointImgView() const { return m_pointImgView; }
    QVariantAnimation *animation() const { return m_animation; }

private:
    void setupBasicUI();
    void layoutChildren() override;

    PictureView *m_pointImgView = nullptr;
    QVariantAnimation *m_animation = nullptr;
    QVector<float> m_angles;
    float m_curPosition = 0.0f;
    qint64 m_curTime = -1;
};
