#include "track/samplelookup.h"

#include <cmath>
#include <limits>

std::optional<std::size_t> SampleLookup::select(const Track &track, double t)
{
    if (trackSize(track) == 0)
        return std::nullopt;
    // NaN or an absurd time must not reach an undefined float-to-int conversion.
    if (!std::isfinite(t))
        return std::nullopt;
    const double clamped = std::fmax(std::fmin(t, double(std::numeric_limits<std::int32_t>::max())),
                                     double(std::numeric_limits<std::int32_t>::min()));
    const auto s = static_cast<std::int32_t>(clamped);
    if (s == curTime)
        return std::nullopt;
    curTime = s;
    if (!(t > 0))
        return std::nullopt;
    if (t >= double(track->size()))
        return std::nullopt;
    return static_cast<std::size_t>(t);
}
