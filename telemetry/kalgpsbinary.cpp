// Appending samples, binary records and the coordinate routine.
#include <bit>
#include <cmath>
#include <cstring>

#include "telemetry/kalgpsblocks.h"
#include "telemetry/kalgpsbytes.h"
#include "telemetry/kalgpslist.h"
#include "telemetry/kalgpsstate.h"

namespace {

int32_t leInt(const unsigned char* p)
{
    return static_cast<int32_t>(kalLe32(p));
}

float leFloat(const unsigned char* p)
{
    return std::bit_cast<float>(kalLe32(p));
}

// trunc(v) / c in integer arithmetic, without the undefined float-to-int conversion
// that absurd values from a file would cause.
float truncDiv(float v, double c)
{
    return static_cast<float>(std::trunc(std::trunc(static_cast<double>(v)) / c));
}

// ddmm.mmmm -> decimal degrees, rounded once into the float field.
float fromDegreesMinutes(float v)
{
    const double d = truncDiv(v, 100.0);
    return static_cast<float>((static_cast<double>(v) / 100 - d) * 100 / 60 + d);
}

} // namespace

void kalGpsRmcToInfo(int32_t index, RmcInfo info)
{
    if (info.latitude < -90 || info.latitude > 90 || info.longitude < -180 || info.longitude > 180) {
        info.latitude = fromDegreesMinutes(info.latitude);
        info.longitude = fromDegreesMinutes(info.longitude);
    }
    info.sampleIndex = index;
    RmcInfoNode* node = kalGpsNewSampleNode(info);
    if (!node)
        return;
    KalGpsState& s = kalGpsState();
    list_add_tail(node, s.gpsInfoHeadEx);
    s.nGpsInfoCount += 1;
}

int32_t kalU8ToRmcinfo(const unsigned char* record, RmcInfo* info)
{
    if (!record || !info)
        return 0;
    info->status = static_cast<char>(record[24]);
    info->latHemisphere = static_cast<char>(record[25]);
    info->lonHemisphere = static_cast<char>(record[26]);
    info->statusExtra = static_cast<char>(record[27]);
    const char st = info->status;
    const char la = info->latHemisphere;
    const char lo = info->lonHemisphere;
    if ((st != 'a' && st != 'A') || (la != 'N' && la != 'S' && la != 'n' && la != 's')
        || (lo != 'E' && lo != 'W' && lo != 'e' && lo != 'w'))
        return 0;
    info->hour = leInt(record + 0);
    info->minute = leInt(record + 4);
    info->second = leInt(record + 8);
    info->year = static_cast<int32_t>(kalLe32(record + 12) + 2000u);
    info->month = leInt(record + 16);
    info->day = leInt(record + 20);
    info->latitude = fromDegreesMinutes(leFloat(record + 28));
    info->longitude = fromDegreesMinutes(leFloat(record + 32));
    info->speed = leFloat(record + 36);
    info->course = leFloat(record + 40);
    return 1;
}

void kalGpsGXEncode(float* p, float* q, float a, float b)
{
    const float absA = std::fabs(a);
    const float absB = std::fabs(b);
    const double a10 = 10 * static_cast<double>(truncDiv(absA, 10.0));
    const double b10 = 10 * static_cast<double>(truncDiv(absB, 10.0));
    float pv = static_cast<float>((absB - b10) * 0.6558 + a10);
    float qv = static_cast<float>((absA - a10) * 0.6558 + b10);
    if (a < 0)
        pv = -pv;
    if (b < 0)
        qv = -qv;
    if (p)
        *p = pv;
    if (q)
        *q = qv;
}

int32_t kalGpsVType()
{
    return kalGpsState().mType;
}

int32_t kalGpsPasswd(int32_t value)
{
    return value;
}
