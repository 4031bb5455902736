// State of the one decode that may run at a time in this process.
#pragma once

#include <cstdint>

#include "telemetry/kalgpslist.h"
#include "telemetry/kalgpsrecord.h"

// Read callback: mode 1 copies at most `length` bytes at `offset` into `buffer` and returns
// the count; mode 0 returns the total length (buffer null, offset and length 0).
using KalGpsReadCb = int64_t (*)(void* buffer, uint64_t offset, uint32_t length, int32_t mode);
// Progress callback: bytes scanned so far and the recording's length; non-zero abandons the decode.
using KalGpsProgressCb = int (*)(uint64_t done, uint64_t total);

struct KalGpsState {
    int32_t fType = 0;          // 0 local file, 1 reads through readcb
    int32_t mType = 0;          // data version of the last decode
    int32_t nGpsInfoCount = 0;  // samples in gpsInfoHeadEx
    int32_t nGsensorCount = 0;  // nodes in gsensorInfoHeadEx
    RmcInfo prermcinfo{};       // last sample handed on by the text decoders
    RmcInfo rmcinfoTemp{};      // working record of the text-block decoder, cleared per decode
    unsigned char infoTemp[kGpsBlockSize]{};
    unsigned char outBufferTemp[kGpsBlockSize]{};
    KalGpsReadCb readcb = nullptr;
    KalGpsProgressCb progresscb = nullptr;
    uint64_t nextProgress = 0;  // scan position of the next report
    bool abandoned = false;     // the progress callback asked to stop this decode

    KalList<RmcInfoNode> gpsInfoHeadEx;      // the sample list
    KalList<RmcInfoNode> gsensorInfoHeadEx;  // G-sensor copies made by the pretreatment
    KalList<GpsSegment> gpsSegmentHead;      // regions still to decode
    KalList<RmcInfoNode> gpsInfoHead;        // never filled; emptied with the others
};

// The process-wide state. Callers serialise decodes (the public interface holds a lock).
KalGpsState& kalGpsState();

// Frees every node of the four lists and leaves them empty.
void ClearSegmentList();

// Start of a decode: counts and data version to 0, lists emptied, prermcinfo and the
// working record rmcinfoTemp cleared (items carry over between the blocks of one file).
void kalGpsResetDecodeState(int32_t fType);

// Reports the scan position to the progress callback, at most about 256 times per file (and
// always when done reaches total). Answers false once the callback has asked to stop; the
// scanners then end with what they have found.
bool kalGpsProgress(int64_t done, int64_t total);
