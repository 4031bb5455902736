#include "telemetry/kalgpsstate.h"

KalGpsState& kalGpsState()
{
    static KalGpsState state;
    return state;
}

void ClearSegmentList()
{
    KalGpsState& s = kalGpsState();
    list_free_all(s.gpsSegmentHead);
    list_free_all(s.gpsInfoHead);
    list_free_all(s.gpsInfoHeadEx);
    list_free_all(s.gsensorInfoHeadEx);
}

void kalGpsResetDecodeState(int32_t fType)
{
    KalGpsState& s = kalGpsState();
    s.fType = fType;
    s.nGpsInfoCount = 0;
    s.mType = 0;
    ClearSegmentList();
    s.prermcinfo = RmcInfo{};
    // Items carry from block to block inside one recording only: a recording whose blocks
    // have no G-sensor items must not show the values of the one decoded before it.
    s.rmcinfoTemp = RmcInfo{};
    s.nextProgress = 0;
    s.abandoned = false;
}

bool kalGpsProgress(int64_t done, int64_t total)
{
    KalGpsState& s = kalGpsState();
    if (s.abandoned)
        return false;
    if (!s.progresscb || total <= 0)
        return true;
    uint64_t d = done < 0 ? 0 : uint64_t(done);
    const uint64_t t = uint64_t(total);
    if (d > t)
        d = t;
    if (d < s.nextProgress && d != t)
        return true;
    // A step of 1/256 of the file, but not below 1 MiB: a bar moves smoothly and a small
    // file costs a call or two.
    const uint64_t step = t / 256 > (1u << 20) ? t / 256 : (1u << 20);
    s.nextProgress = d + step;
    if (s.progresscb(d, t) != 0)
        s.abandoned = true;
    return !s.abandoned;
}
