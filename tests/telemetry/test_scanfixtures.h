// Hand-assembled recordings for the scanner and interface tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "telemetry/kalgpsapi.h"
#include "telemetry/kalgpsoutput.h"
#include "telemetry/kalgpsstate.h"

namespace fx {

using Bytes = std::vector<unsigned char>;

// The samples the library holds, first to last.
inline std::vector<RmcInfo> samples()
{
    std::vector<RmcInfo> out;
    for (const RmcInfoNode* n = kalGpsState().gpsInfoHeadEx.head; n; n = n->next)
        out.push_back(n->info);
    return out;
}

// One line written by the library, checked to be as long as the count it returns.
inline std::string formatted(const RmcInfo& r, KalLineFormat f)
{
    char line[kGpsLineMax];
    const size_t n = kalGpsFormatLine(line, sizeof line, r, f);
    EXPECT_EQ(n, std::strlen(line));
    return line;
}

// A sample's date, time and hemispheres as "2019/11/28 8:15:42 NE": one comparison that
// shows every field when one is wrong.
inline std::string stampOf(const RmcInfo& r)
{
    using std::to_string;
    return to_string(r.year) + "/" + to_string(r.month) + "/" + to_string(r.day) + " " + to_string(r.hour) + ":" +
           to_string(r.minute) + ":" + to_string(r.second) + " " + r.latHemisphere + r.lonHemisphere;
}

inline void append(Bytes& b, const Bytes& more)
{
    b.insert(b.end(), more.begin(), more.end());
}

inline void append(Bytes& b, const std::string& s)
{
    b.insert(b.end(), s.begin(), s.end());
}

inline Bytes be32(uint32_t v)
{
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

inline Bytes le32(uint32_t v)
{
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

inline Bytes be64(uint64_t v)
{
    Bytes b = be32(uint32_t(v >> 32));
    append(b, be32(uint32_t(v)));
    return b;
}

inline Bytes zeros(size_t n)
{
    return Bytes(n, 0);
}

// An atom with a 32-bit size.
inline Bytes atom(const char* type, const Bytes& payload)
{
    Bytes b = be32(uint32_t(8 + payload.size()));
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(type[i]));
    append(b, payload);
    return b;
}

// Several atoms one after the other.
inline Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes b;
    for (const Bytes& p : parts)
        append(b, p);
    return b;
}

// Block text of a sample at second s of 2019/11/28 10:00 in Shenzhen.
inline std::string text(int s, double lat = 22.5, double lon = 113.9, double speed = 36.5)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "2019/11/28 10:00:%02d N:%.4f E:%.4f %.1f km/h x:0.10 y:-0.20 z:9.80", s, lat,
                  lon, speed);
    return buf;
}

// A VOKAGPS block group of the given texts, indices from first.
inline Bytes group(const std::vector<std::string>& texts, int first = 0, int type = 1)
{
    KalSetEncType(type);
    Bytes b(20);
    MakeHeader(b.data(), int(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i) {
        unsigned char block[132];
        EXPECT_EQ(MakeEncryptDataBlock(first + int(i), texts[i].c_str(), int(texts[i].size()), block), 0);
        b.insert(b.end(), block, block + 132);
    }
    return b;
}

// A 44-byte binary record at 10:00:s, ddmm.mmmm positions.
inline Bytes record(int s, float latDdmm = 2232.5f, float lonDdmm = 11356.0f, char status = 'A')
{
    Bytes b;
    for (int v : {10, 0, s, 19, 11, 28})
        append(b, le32(uint32_t(v)));
    append(b, Bytes{uint8_t(status), 'N', 'E', 0});
    for (float f : {latDdmm, lonDdmm, 42.0f, 90.0f}) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        append(b, le32(u));
    }
    return b;
}

// Novatek-style block: size, "free", "GPS ", record length, the record.
inline Bytes freeGps(const Bytes& rec)
{
    Bytes body;
    append(body, std::string("GPS "));
    append(body, le32(uint32_t(rec.size())));
    append(body, rec);
    return atom("free", body);
}

// A temporary file holding bytes; removed on destruction.
class TempFile {
public:
    TempFile(const Bytes& bytes, const std::string& ext)
    {
        char tmpl[] = "/tmp/tscan-XXXXXX";
        int fd = mkstemp(tmpl);
        EXPECT_GE(fd, 0);
        if (!bytes.empty()) {
            EXPECT_EQ(write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        }
        close(fd);
        base_ = tmpl;
        path_ = base_ + "." + ext;
        std::rename(base_.c_str(), path_.c_str());
    }
    ~TempFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string base_, path_;
};

// Splits the library's text into lines (each without its ';').
inline std::vector<std::string> split(const char* text)
{
    std::vector<std::string> out;
    std::string cur;
    for (const char* p = text; p && *p; ++p) {
        if (*p == ';') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    EXPECT_TRUE(cur.empty()) << "text after the last ';': " << cur;
    return out;
}

// Plain decode of a local file; returns the lines.
inline std::vector<std::string> decode(const std::string& path, int* count = nullptr)
{
    kalGpsInit();
    char* buf = nullptr;
    int n = kalGpsDecode(&buf, path.c_str(), 0);
    if (count)
        *count = n;
    std::vector<std::string> lines = split(buf);
    EXPECT_EQ(size_t(n), lines.size());
    std::free(buf);
    kalGpsExit();
    return lines;
}

inline std::vector<std::string> decodeBytes(const Bytes& bytes, const std::string& ext)
{
    TempFile f(bytes, ext);
    return decode(f.path());
}

// Second-of-minute of a sample line ("0 2019/11/28 10:00:07 ..." -> 7).
inline int secondOf(const std::string& line)
{
    size_t colon = line.find(':');
    return colon == std::string::npos ? -1 : std::atoi(line.c_str() + colon + 4);
}

inline std::vector<int> seconds(const std::vector<std::string>& lines)
{
    std::vector<int> out;
    for (const std::string& l : lines)
        out.push_back(secondOf(l));
    return out;
}

// Reads served from memory through the callback interface.
struct MemorySource {
    static inline Bytes data;
    static inline int calls = 0;
    static int64_t read(void* buffer, uint64_t offset, uint32_t length, int32_t mode)
    {
        ++calls;
        if (mode == 0)
            return int64_t(data.size());
        if (mode != 1 || offset >= data.size())
            return 0;
        size_t n = std::min<uint64_t>(length, data.size() - offset);
        std::memcpy(buffer, data.data() + offset, n);
        return int64_t(n);
    }
};

} // namespace fx
