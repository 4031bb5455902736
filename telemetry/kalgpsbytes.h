// Fixed-width fields of the recordings' byte layouts: containers are big-endian, the
// camera's own telemetry records little-endian. Every reader of the library uses these.
#pragma once

#include <cstdint>

inline uint32_t kalBe32(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

inline uint16_t kalBe16(const unsigned char* p)
{
    return uint16_t((p[0] << 8) | p[1]);
}

inline uint64_t kalBe64(const unsigned char* p)
{
    return (uint64_t(kalBe32(p)) << 32) | kalBe32(p + 4);
}

inline uint32_t kalLe32(const unsigned char* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
