#pragma once
// The compass: a north-up dial with a pointer that turns, in a quarter of a second, to
// the heading of the current second. Headings are computed once per track.
#include <QVector>

#include "instruments/dialinstrument.h"

#include "instruments/compasspainter.h"

class QVariantAnimation;

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
    // The pointer's rotation on screen now, radians clockwise (animated).
    double pointerRotation() const { return m_rotation; }
    QVariantAnimation *animation() const { return m_animation; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void setupBasicUI();
    void setRotation(double radians);

    double m_rotation = 0.0;
    QVariantAnimation *m_animation = nullptr;
    QVector<float> m_angles;
    float m_curPosition = 0.0f;
    qint64 m_curTime = -1;
};
