#include "telemetry/kalgpsoutput.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

// A zero letter (a camera line whose hemisphere could not be read) would end the text
// in the middle of the buffer and hide every later line from a reader of C strings. A
// byte that is not a printable ASCII letter (a camera glitch, say 0xC4) would make the
// text invalid UTF-8 or split the line's items; it is written as missing too.
char letter(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u > ' ' && u < 0x7F ? c : '-';
}

// Builds one line with the exact output of the printf conversions named in the header,
// without printf: a long track spends most of its output time in printf's float path.
// std::to_chars is exact and locale-free, so the digits are those printf gives in the C locale.
class LineBuilder {
public:
    void text(const char* s)
    {
        while (*s)
            put(*s++);
    }
    void ch(char c) { put(c); }
    void unsignedInt(std::uint32_t v) { digits(v); }
    // %0Nd (width 0 for plain %d): zeros go between the sign and the digits.
    void signedInt(std::int32_t v, int width = 0)
    {
        const std::int64_t wide = v;
        const std::uint64_t magnitude = wide < 0 ? std::uint64_t(-wide) : std::uint64_t(wide);
        char tmp[24];
        const auto res = std::to_chars(tmp, tmp + sizeof tmp, magnitude);
        const int len = int(res.ptr - tmp) + (wide < 0 ? 1 : 0);
        if (wide < 0)
            put('-');
        for (int i = len; i < width; ++i)
            put('0');
        for (const char* c = tmp; c != res.ptr; ++c)
            put(*c);
    }
    // %.Nf of a float promoted to double.
    void fixed(float v, int precision)
    {
        const double d = v;
        if (std::isnan(d)) {
            text(std::signbit(d) ? "-nan" : "nan");
            return;
        }
        char tmp[400];
        const auto res = std::to_chars(tmp, tmp + sizeof tmp, d, std::chars_format::fixed, precision);
        for (const char* c = tmp; c != res.ptr; ++c)
            put(*c);
    }
    size_t length() const { return len; }
    // Copies what fits into dst like snprintf: at most room - 1 characters and a zero.
    void copyTo(char* dst, size_t room) const
    {
        if (room == 0)
            return;
        const size_t n = std::min(len, room - 1);
        std::memcpy(dst, buf, n);
        dst[n] = '\0';
    }

private:
    void digits(std::uint64_t v)
    {
        char tmp[24];
        const auto res = std::to_chars(tmp, tmp + sizeof tmp, v);
        for (const char* c = tmp; c != res.ptr; ++c)
            put(*c);
    }
    void put(char c)
    {
        if (len < sizeof buf)
            buf[len] = c;
        ++len;
    }
    char buf[kGpsLineMax];
    size_t len = 0;
};

// "YYYY/MM/DD hh:mm:ss", each field zero-padded.
void dateTime(LineBuilder& b, const RmcInfo& r)
{
    const std::int32_t rest[] = {r.month, r.day, r.hour, r.minute, r.second};
    const char separators[] = "// ::";
    b.signedInt(r.year, 4);
    for (size_t i = 0; i < std::size(rest); ++i) {
        b.ch(separators[i]);
        b.signedInt(rest[i], 2);
    }
}

// " x:0.01 y:-0.02 z:0.98"
void gsensor(LineBuilder& b, const RmcInfo& r)
{
    const char* const labels[] = {" x:", " y:", " z:"};
    const float values[] = {r.gsensorX, r.gsensorY, r.gsensorZ};
    for (size_t i = 0; i < std::size(values); ++i) {
        b.text(labels[i]);
        b.fixed(values[i], 2);
    }
}

} // namespace

size_t kalGpsFormatLine(char* dst, size_t room, const RmcInfo& r, KalLineFormat format)
{
    LineBuilder b;
    if (format == KalLineFormat::Extended)
        b.signedInt(r.sampleIndex);
    else
        b.unsignedInt(static_cast<std::uint32_t>(r.sampleIndex));
    b.ch(' ');
    dateTime(b, r);
    if (format != KalLineFormat::Gsensor) {
        b.ch(' ');
        b.ch(letter(r.latHemisphere));
        b.ch(':');
        b.fixed(r.latitude, 6);
        b.ch(' ');
        b.ch(letter(r.lonHemisphere));
        b.ch(':');
        b.fixed(r.longitude, 6);
        b.ch(' ');
        b.fixed(r.speed, 1);
        b.text(" km/h");
    }
    gsensor(b, r);
    if (format == KalLineFormat::Extended) {
        b.text(" A:");
        b.fixed(r.aValue, 1);
        b.text(" H:");
        b.fixed(r.hValue, 1);
        b.text(" V:");
        b.signedInt(r.aPresent);
    }
    b.ch(';');
    if (dst)
        b.copyTo(dst, room);
    return b.length();
}

size_t kalGpsLinesBufferSize(const KalList<RmcInfoNode>& list, int32_t count, KalLineFormat format)
{
    size_t total = 1;
    for (const RmcInfoNode* node = list.head; node; node = node->next)
        total += kalGpsFormatLine(nullptr, 0, node->info, format);
    size_t nominal = count > 0 ? static_cast<size_t>(count) * kGpsLineRoom : 0;
    return std::max(total, nominal);
}

char* kalGpsWriteLines(KalList<RmcInfoNode>& list, int32_t count, KalLineFormat format, size_t* outSize)
{
    const size_t size = kalGpsLinesBufferSize(list, count, format);
    auto* buffer = static_cast<char*>(std::malloc(size));
    if (!buffer)
        return nullptr;
    std::memset(buffer, 0, size);
    size_t used = 0;
    while (RmcInfoNode* node = list_pop(list)) {
        used += kalGpsFormatLine(buffer + used, size - used, node->info, format);
        std::free(node);
    }
    if (outSize)
        *outSize = size;
    return buffer;
}
