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
}
