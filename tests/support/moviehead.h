#pragma once
// Small ISO base media files for tests of the movie header (moov/mvhd): an atom, a header
// of either version with a creation time, and a whole file written to disk. No video in
// them; readers of the header need none.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace moviehead {

// Seconds between 1904-01-01 and 1970-01-01, as the header counts.
constexpr std::int64_t kEpoch1904 = 2082844800;

inline std::string atom(const std::string &type, const std::string &payload)
{
    const auto n = std::uint32_t(payload.size() + 8);
    std::string s{char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    return s + type + payload;
}

// An mvhd payload: version 0 holds 32-bit times and duration, version 1 64-bit ones.
inline std::string mvhd(std::uint64_t created1904, int version = 0, std::uint32_t timescale = 0,
                        std::uint64_t duration = 0)
{
    std::string body(version == 1 ? 112 : 100, '\0');
    body[0] = char(version);
    const auto put = [&body](int at, int bytes, std::uint64_t v) {
        for (int i = 0; i < bytes; ++i)
            body[std::size_t(at + i)] = char(v >> (8 * (bytes - 1 - i)));
    };
    const int wide = version == 1 ? 8 : 4;
    put(4, wide, created1904);          // after version and flags
    put(4 + 2 * wide, 4, timescale);    // after creation and modification
    put(8 + 2 * wide, wide, duration);
    return body;
}

inline std::string ftyp() { return atom("ftyp", std::string("isom\0\0\0\0isom", 12)); }

// A file with a movie header created at unixSeconds (read as civil time, as cameras mean it),
// lasting durationMs milliseconds (0: unknown).
inline void writeMovie(const std::filesystem::path &path, std::int64_t unixSeconds, int version = 0,
                       std::uint64_t durationMs = 0)
{
    std::ofstream(path, std::ios::binary)
        << ftyp() + atom("mdat", std::string(64, 'x')) +
               atom("moov", atom("mvhd", mvhd(std::uint64_t(unixSeconds + kEpoch1904), version, 1000, durationMs)));
}

} // namespace moviehead
