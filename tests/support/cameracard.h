#pragma once
// Test support: a dash camera's card for TestCamera. Each recording is an MP4 as cameras
// write it (ftyp, a large media atom of zeros, moov) with a drive's telemetry, one sample a
// second, as a VOKAGPS block group in a skip atom at the end; only the telemetry and the
// atom headers take memory, whatever the media size.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/testcamera.h"
#include "telemetry/kalgpsprotocol.h"

namespace cameracard {

inline std::string be32(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

inline std::string atom(const char *type, const std::string &payload)
{
    return be32(std::uint32_t(8 + payload.size())) + std::string(type, 4) + payload;
}

// Samples from 10:00:00 + startSecond on 2026/05/14, heading north-east; a hard brake at
// second 30 when harsh is set.
inline std::string blockGroup(int startSecond, int seconds, bool harsh)
{
    KalSetEncType(1);
    std::string b(20, '\0');
    MakeHeader(reinterpret_cast<unsigned char *>(b.data()), seconds);
    for (int i = 0; i < seconds; ++i) {
        const int t = 36000 + startSecond + i;
        char text[160];
        std::snprintf(text, sizeof text, "2026/05/14 %02d:%02d:%02d N:48.%04d E:11.%04d %d.0 km/h x:%s y:-0.20 z:9.80",
                      t / 3600, t / 60 % 60, t % 60, 1000 + startSecond + i, 5000 + startSecond + i, 40 + i % 5,
                      harsh && i == 30 ? "-9.50" : "0.10");
        unsigned char block[132];
        MakeEncryptDataBlock(i, text, int(std::strlen(text)), block);
        b.append(reinterpret_cast<const char *>(block), 132);
    }
    return b;
}

inline TestCamera::File mp4Recording(int startSecond, int seconds, std::uint64_t mediaBytes, bool harsh = false)
{
    TestCamera::File f;
    const std::string ftyp = atom("ftyp", std::string("isom") + be32(512) + "isomiso2avc1mp41");
    const std::uint64_t mdatSize = 16 + mediaBytes;
    std::string mdat = be32(1) + "mdat";
    for (int s = 56; s >= 0; s -= 8)
        mdat += char(mdatSize >> s);
    const std::string tail = atom("moov", atom("mvhd", std::string(100, '\0'))) +
                             atom("skip", blockGroup(startSecond, seconds, harsh));
    f.pieces[0] = ftyp + mdat;
    f.pieces[ftyp.size() + mdatSize] = tail;
    f.size = ftyp.size() + mdatSize + tail.size();
    return f;
}

// The path of recording i on a card of the dialect: one a minute from 10:00:00, every
// fourth one an event.
inline std::string recordingPath(TestCamera::Dialect dialect, int i)
{
    const int t = 36000 + 60 * i;
    char name[96];
    const bool event = i % 4 == 3;
    if (dialect == TestCamera::Dialect::Vod)
        std::snprintf(name, sizeof name, "Record/20260514_%02d%02d%02d_%cF.mp4", t / 3600, t / 60 % 60, t % 60,
                      event ? 'E' : 'N');
    else
        std::snprintf(name, sizeof name, "DCIM/%s/2026_0514_%02d%02d%02d_%03dF.MP4", event ? "EMR" : "Movie",
                      t / 3600, t / 60 % 60, t % 60, i + 1);
    return name;
}

// n recordings of the given seconds and media size; returns their paths.
inline std::vector<std::string> fillCard(TestCamera &camera, TestCamera::Dialect dialect, int n, int seconds,
                                         std::uint64_t mediaBytes)
{
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i) {
        paths.push_back(recordingPath(dialect, i));
        camera.addFile(paths.back(), mp4Recording(60 * i, seconds, mediaBytes, i % 4 == 3));
    }
    return paths;
}

} // namespace cameracard
