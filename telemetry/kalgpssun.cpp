#include "telemetry/kalgpssun.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr float kPi = 3.1415927f;

bool isLeap(int year)
{
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

// trunc toward zero into an int, saturating where the value cannot be represented.
int toInt(double v)
{
    if (std::isnan(v))
        return 0;
    v = std::trunc(v);
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int>(v);
}

} // namespace

extern "C" int kalGpsGetSunTimer(int* sunrise, int* sunset, int timeZone, int year, int month, int day,
                                 float longitude, float latitude)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day <= 0)
        return 0;
    const int length = (month == 2 && isLeap(year)) ? 29 : kDays[month - 1];
    if (day > length || !std::isfinite(longitude) || !std::isfinite(latitude))
        return 0;

    int n = day;
    for (int m = 1; m < month; ++m)
        n += (m == 2 && isLeap(year)) ? 29 : kDays[m - 1];
    const float x = n <= 360 ? static_cast<float>(n + 9) * 6.2831855f : 2318.4954f;

    const double t = std::tan(std::cos(static_cast<double>(x / 365)) * (-23.4) * kPi / 180);
    const float latRad = latitude * kPi / 180;
    // Beyond the polar circles the sun may not rise or set; keep the angle defined there.
    double c = -std::tan(static_cast<double>(latRad)) * t;
    if (c > 1)
        c = 1;
    else if (c < -1)
        c = -1;
    const double omega = std::acos(c);

    int h;
    if (longitude > 0)
        h = toInt((longitude + 15) / 15);
    else if (longitude < 0)
        h = toInt((longitude - 15) / 15);
    else
        h = toInt(static_cast<float>(timeZone) / 15);

    const int rise = toInt((15.0 * h + 180 - longitude - omega * 180 / kPi) * 24 / 360 * 60 - 30);
    const int set = 1440 - rise;
    const double shift = 60.0 * timeZone - 60.0 * h;
    if (sunrise)
        *sunrise = toInt(static_cast<float>(rise + shift));
    if (sunset)
        *sunset = toInt(static_cast<float>(set + shift));
    return 0;
}
