#pragma once
// What every dashboard instrument offers the controller. The reset operation has an
// instrument-specific name (resetSpeedPoint, resetCompass, ...) and is not part of it.
#include "track/gpsitem.h"

class Instrument {
public:
    virtual ~Instrument() = default;
    virtual void setGpsData(const Track &track) = 0;
    virtual void setCurrentPlayerTime(double seconds) = 0;
};
