// Decoders of the three telemetry source formats; every sample lands on the sample list.
#pragma once

#include <cstdint>

#include "telemetry/kalgpsrecord.h"

// Decodes the first VOKAGPS block group in buffer (size bytes). Sets mType from its type byte.
void kalGpsPaserInfo(const unsigned char* buffer, int32_t size);

// Decodes camera text lines ("$GS..." and "$G...") of one AMBA track chunk (normally 128 bytes).
// Sets mType to 1; appends at most one sample, none when it repeats prermcinfo's date and time.
void kalGpsAmbaInfo(const unsigned char* chunk, int32_t size);

// Decodes one 44-byte binary record (the caller guarantees 44 readable bytes) into *info.
// Returns 1 when accepted, 0 when not.
int32_t kalU8ToRmcinfo(const unsigned char* record, RmcInfo* info);

// Appends one sample with the given index, converting ddmm.mmmm positions; O(1).
void kalGpsRmcToInfo(int32_t index, RmcInfo info);

// Coordinate routine offered by the library; not used by the decoders.
void kalGpsGXEncode(float* p, float* q, float a, float b);

// Data version of the last decode (mType).
int32_t kalGpsVType();
// Returns value unchanged.
int32_t kalGpsPasswd(int32_t value);

// 44-byte binary record size.
constexpr int kGpsBinaryRecordSize = 44;
