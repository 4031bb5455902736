// Sample record and list node types shared by every module of the extraction library.
#pragma once

#include <cstdint>

// One telemetry sample. Field order and widths are fixed: decoders, lists and the
// previous-sample slot copy it whole by value.
struct RmcInfo {
    int32_t sampleIndex;   // printed unsigned in sample/G-sensor lines, signed in extended lines
    int32_t hour;
    int32_t minute;
    int32_t second;
    int32_t year;
    int32_t month;
    int32_t day;
    char status;           // fix letter of binary records, not printed
    char latHemisphere;
    char lonHemisphere;
    char statusExtra;
    float latitude;
    float longitude;
    float speed;
    float course;
    float gsensorX;
    float gsensorY;
    float gsensorZ;
    float aValue;          // "A:" item, or the bearing to the next sample after pretreatment
    float mValue;
    float hValue;
    int32_t aPresent;      // 1 when a text block carried an item after z:
};

// Every list node begins with its `next` link.
struct RmcInfoNode {
    RmcInfoNode* next;
    RmcInfo info;
};

// A region of the recording that still has to be decoded.
struct GpsSegment {
    GpsSegment* next;
    int64_t offset;
    uint32_t size;
};

// Regions larger than this are never decoded.
constexpr uint32_t kGpsSegmentMaxSize = 0x3FFFFFF;

// Size of one data block and of the working block buffers.
constexpr int kGpsBlockSize = 132;
