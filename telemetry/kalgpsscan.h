// Container scanning and track pretreatment: the library's internal entry points.
#pragma once

#include <cstdint>

#include "telemetry/kalgpsreader.h"
#include "telemetry/kalgpsstate.h"

// Scans the recording at path (type 0: local file; 1: through the read callback, the path
// giving only the extension) and returns the number of samples now on the sample list.
int32_t kalGpsPaser(const char* path, int32_t type);
void kalGpsPaserInit();
void kalGpsPaserCallBack(KalGpsReadCb callback);
void kalGpsPaserExit();

// Distance back from the end of the file to the camera-chip trailer region, or 0 without one.
int64_t kalGpsSkipPosition(KalGpsFile* file);
// Finds the trailer region's skip atom and decodes it as text blocks.
void kalGpsJieLi(KalGpsFile* file, int64_t distance);

// Decoder of one region: buffer and size.
using KalGpsRegionDecoder = void (*)(const unsigned char* buffer, int32_t size);
// Takes every segment off the segment list in insertion order and hands each region that
// passes the size rule and can be read to decode.
void kalGpsDecodeSegments(KalGpsFile* file, KalGpsRegionDecoder decode);
// Announces the regions on the segment list to a local file's reader before they are read.
void kalGpsAnnounceSegments(KalGpsFile* file);
// Adds {offset, size} to the segment list (dropped when memory is short).
void kalGpsAddSegment(int64_t offset, uint64_t size);

// The two passes over MP4/MOV atoms.
void kalGpsScanMp4(KalGpsFile* file);

// Transport-stream packets of the telemetry PIDs.
void kalGpsScanTs(KalGpsFile* file);

// Cleans the sample list: re-indexing, validity, bearings, G-sensor list, gap filling.
int32_t kalGpsPretreatInfo();
// Initial bearing from point 1 to point 2 in degrees, [0, 360).
float kalGpsHeading(float lat1, float lon1, float lat2, float lon2);

// Most samples the pretreatment inserts into one list by filling gaps: a day at one a second.
// A broken or hostile index jump beyond that is not filled (and would otherwise cost gigabytes).
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
// Fuzzing: the same rules with a budget small inputs can afford thousands of times a second
// (a full day of filler costs ~170,000 allocations and a megabyte of lines per input).
constexpr int64_t kGpsFillBudget = 600;
#else
constexpr int64_t kGpsFillBudget = 86400;
#endif
// Most gaps the pretreatment records.
constexpr int kGpsGapTableMax = 200;
