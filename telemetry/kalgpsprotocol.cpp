#include "telemetry/kalgpsprotocol.h"

#include <atomic>
#include <cstdint>
#include <cstring>

#include "telemetry/kalgpsbytes.h"
#include "telemetry/kalgpsrecord.h"

namespace {

std::atomic<int> m_nType{0};

constexpr unsigned char kSpace = 0x20;
constexpr int kBlockHead = 8;                       // "####" + packed length
constexpr int kMaxPacked = kGpsBlockSize - kBlockHead; // 124
constexpr int kMaxText = kGpsBlockSize - 4;          // 128

void putLe32(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

unsigned char x20(unsigned v)
{
    return static_cast<unsigned char>((v ^ 0x20) & 0xFF);
}

// Packs one group of four bytes; returns the bytes written (4 or 5).
int packGroup(const unsigned char* g, unsigned char* o)
{
    const unsigned a = g[0], b = g[1], c = g[2], d = g[3];
    if (a == kSpace) {
        o[0] = static_cast<unsigned char>(0x40 | (b & 0x01) | (c & 0x06) | (d & 0x18));
        o[1] = x20(b & 0xFE);
        o[2] = x20(c & 0xF9);
        o[3] = x20(d & 0xE7);
        return 4;
    }
    if (b == kSpace) {
        o[0] = static_cast<unsigned char>(0x60 | (a & 0x03) | (c & 0x04) | (d & 0x18));
        o[1] = x20(a & 0xFC);
        o[2] = x20(c & 0xFB);
        o[3] = x20(d & 0xE7);
        return 4;
    }
    if (c == kSpace) {
        o[0] = static_cast<unsigned char>(0x80 | (a & 0x03) | (b & 0x0C) | (d & 0x10));
        o[1] = x20(a & 0xFC);
        o[2] = x20(b & 0xF3);
        o[3] = x20(d & 0xEF);
        return 4;
    }
    if (d == kSpace) {
        o[0] = static_cast<unsigned char>(0xA0 | (a & 0x01) | (b & 0x06) | (c & 0x18));
        o[1] = x20(a & 0xFE);
        o[2] = x20(b & 0xF9);
        o[3] = x20(c & 0xE7);
        return 4;
    }
    o[0] = static_cast<unsigned char>(0xC0 | (a & 0x01) | (b & 0x02) | (c & 0x0C) | (d & 0x30));
    o[1] = x20(a & 0xFE);
    o[2] = x20(b & 0xFD);
    o[3] = x20(c & 0xF3);
    o[4] = static_cast<unsigned char>((d & 0xCF) | 0x20);
    return 5;
}

} // namespace

extern "C" {

int KalSetEncType(int type)
{
    m_nType = type;
    return 0;
}

int KalGetEncType(void)
{
    return m_nType;
}

int BITPROCESS(int value)
{
    return (value & 0xFF) ^ 0x20;
}

int KalEncrypt(const unsigned char* in, int len, unsigned char* out, int* outLen)
{
    if (m_nType == 0)
        return 0;
    if (!out || len < 0 || (len > 0 && !in))
        return -1;
    int i = 0;
    int o = 0;
    while (i < len) {
        if (len - i < 4) {
            const unsigned t = in[i];
            out[o++] = static_cast<unsigned char>(t & 0x13);
            out[o++] = static_cast<unsigned char>(t & 0xEC);
            i += 1;
        } else {
            o += packGroup(in + i, out + o);
            i += 4;
        }
    }
    if (outLen)
        *outLen = o;
    return 0;
}

int KalDecrypt(const unsigned char* in, int len, unsigned char* out, int* outLen)
{
    if (len < 4 || !out || !in)
        return -1;
    std::memset(out, 0, static_cast<size_t>(len));
    int i = 0;
    int o = 0;
    while (i < len) {
        const unsigned h = in[i];
        const unsigned form = h >> 5;
        const int need = form == 0 ? 2 : form >= 6 ? 5 : 4;
        if (form == 1 || len - i < need)
            return -1; // invalid header, or a group cut off by the packed length
        const unsigned x1 = in[i + 1];
        const unsigned x2 = need > 2 ? in[i + 2] : 0;
        const unsigned x3 = need > 3 ? in[i + 3] : 0;
        switch (form) {
        case 0:
            out[o++] = static_cast<unsigned char>((h & 0x13) | x1);
            break;
        case 2:
            out[o++] = kSpace;
            out[o++] = x20((h & 0x01) | x1);
            out[o++] = x20((h & 0x06) | x2);
            out[o++] = x20((h & 0x18) | x3);
            break;
        case 3:
            out[o++] = x20((h & 0x03) | x1);
            out[o++] = kSpace;
            out[o++] = x20((h & 0x04) | x2);
            out[o++] = x20((h & 0x18) | x3);
            break;
        case 4:
            out[o++] = x20((h & 0x03) | x1);
            out[o++] = x20((h & 0x0C) | x2);
            out[o++] = kSpace;
            out[o++] = x20((h & 0x10) | x3);
            break;
        case 5:
            out[o++] = x20((h & 0x01) | x1);
            out[o++] = x20((h & 0x06) | x2);
            out[o++] = x20((h & 0x18) | x3);
            out[o++] = kSpace;
            break;
        default: // 6, 7
            out[o++] = x20((h & 0x01) | x1);
            out[o++] = x20((h & 0x02) | x2);
            out[o++] = x20((h & 0x0C) | x3);
            out[o++] = static_cast<unsigned char>((in[i + 4] ^ 0x20) | (h & 0x30));
            break;
        }
        i += need;
    }
    if (outLen)
        *outLen = o;
    return 0;
}

int KalDecodec(unsigned char* block, unsigned char* out, int* outLen)
{
    if (!block || !out)
        return -1;
    const uint32_t packed = kalLe32(block + 4);
    int result = -1;
    // A length beyond the block's room never comes from a writer: the block counts as empty.
    if (packed <= static_cast<uint32_t>(kMaxPacked))
        result = KalDecrypt(block + kBlockHead, static_cast<int>(packed), out, outLen);
    putLe32(block + 4, 0);
    return result;
}

int MakeHeader(unsigned char* buffer, int count)
{
    if (!buffer)
        return 0;
    std::memcpy(buffer, "VOKAGPSINFO", 12);
    buffer[15] = static_cast<unsigned char>(m_nType & 0xFF);
    putLe32(buffer + 16, static_cast<uint32_t>(count));
    return 20;
}

int MakeRawDataBlock(int index, const char* text, int textLen, unsigned char* block)
{
    if (!text || !block || textLen < 0 || textLen > kMaxText)
        return -1;
    std::memset(block, 0, kGpsBlockSize);
    putLe32(block, static_cast<uint32_t>(index));
    std::memcpy(block + 4, text, static_cast<size_t>(textLen));
    return 0;
}

int MakeEncryptDataBlock(int index, const char* text, int textLen, unsigned char* block)
{
    unsigned char raw[kGpsBlockSize];
    if (!block || MakeRawDataBlock(index, text, textLen, raw) != 0)
        return -1;
    std::memset(block, 0, kGpsBlockSize);
    if (m_nType == 0) {
        std::memcpy(block, raw, static_cast<size_t>(textLen) + 4);
        return 0;
    }
    const size_t textBytes = strnlen(reinterpret_cast<const char*>(raw + 4), kMaxText);
    unsigned char packed[2 * kGpsBlockSize];
    int c = 0;
    if (KalEncrypt(raw, static_cast<int>(textBytes) + 4, packed, &c) != 0 || c < 1 || c > kMaxPacked)
        return -1;
    std::memcpy(block, "####", 4);
    putLe32(block + 4, static_cast<uint32_t>(c));
    std::memcpy(block + kBlockHead, packed, static_cast<size_t>(c));
    return 0;
}

} // extern "C"
