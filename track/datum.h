#pragma once
// WGS-84 to GCJ-02: the published, position-dependent offset of the map datum used
// inside mainland China, and the region test that decides where it applies.
#include <array>

struct Coordinate {
    double latitude = 0;
    double longitude = 0;
};

// One vertex of the border ring, as 32-bit floats: latitude, longitude.
struct BorderVertex {
    float latitude;
    float longitude;
};

// The closed ring that bounds the conversion region (China and its sea areas down to
// 3.78 N); the last row repeats the first.
inline constexpr int kChinaBorderRows = 344;
extern const std::array<BorderVertex, kChinaBorderRows> china_Gps;

// True when the position lies in the conversion region. Inputs are 32-bit on purpose:
// the outer bounds compare them widened against 64-bit constants, the ring in 32 bits.
bool isInsideChina(float latitude, float longitude);

// The GCJ-02 position of a WGS-84 one. Applies no region test.
Coordinate wgs84ToGcj02(Coordinate wgs);
Coordinate gcj02Encrypt(double latitude, double longitude);

// The offset polynomials; x = longitude - 105, y = latitude - 35.
double transformLat(double x, double y);
double transformLon(double x, double y);
