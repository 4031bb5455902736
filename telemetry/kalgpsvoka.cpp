// VOKAGPS block groups: packed text blocks, each parsed into the working record.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "telemetry/kalgpsblocks.h"
#include "telemetry/kalgpsbytes.h"
#include "telemetry/kalgpslocale.h"
#include "telemetry/kalgpsprotocol.h"
#include "telemetry/kalgpsstate.h"

namespace {

constexpr int kGroupHead = 20;

// Walks the block text token by token; a token is a maximal run of non-space characters.
class Tokens {
public:
    Tokens(const char* text, size_t length) : text_(text), length_(length) {}

    // Copies the next token into tok (zero-terminated); false when the text is used up.
    bool next(char (&tok)[kGpsBlockSize])
    {
        while (pos_ < length_ && text_[pos_] == ' ')
            ++pos_;
        if (pos_ >= length_)
            return false;
        start_ = pos_;
        while (pos_ < length_ && text_[pos_] != ' ')
            ++pos_;
        copy(tok);
        return true;
    }

    // Looks for 'x' among the 20 characters that begin at the current token (it may run past
    // the token's end). When found, the cursor moves there and tok holds the text from that
    // 'x' up to the next space.
    bool jumpToX(char (&tok)[kGpsBlockSize])
    {
        const size_t end = start_ + 20 < length_ ? start_ + 20 : length_;
        for (size_t i = start_; i < end; ++i) {
            if (text_[i] != 'x')
                continue;
            start_ = pos_ = i;
            while (pos_ < length_ && text_[pos_] != ' ')
                ++pos_;
            copy(tok);
            return true;
        }
        return false;
    }

private:
    void copy(char (&tok)[kGpsBlockSize]) const
    {
        size_t n = pos_ - start_;
        if (n >= sizeof tok)
            n = sizeof tok - 1;
        std::memcpy(tok, text_ + start_, n);
        tok[n] = '\0';
    }

    const char* text_;
    size_t length_;
    size_t pos_ = 0;
    size_t start_ = 0;
};

void clampAxis(float& v, double limit)
{
    if (v < -limit || v > limit)
        v = 0;
}

// Only called under an open C-locale scope: the camera writes "22.5" whatever our locale.
void readPosition(const char* tok, char& letter, float& value, char south, const KalCLocaleScope&)
{
    float number = 0;
    const int got = std::sscanf(tok, "%c:%f", &letter, &number);
    if (got == 2) {
        value = std::fabs(number);
        if (letter == south || letter == south - 'A' + 'a')
            value = -value;
    }
}

// Parses one block text into rmcinfoTemp; returns true when it yields a record.
bool parseBlockText(const char* text, size_t length, RmcInfo& r, const KalCLocaleScope& cLocale)
{
    r.aPresent = 0;
    Tokens tokens(text, length);
    char tok[kGpsBlockSize];
    int state = 0;
    while (tokens.next(tok)) {
        switch (state) {
        case 0:
            std::sscanf(tok, "%d/%d/%d", &r.year, &r.month, &r.day);
            state = 1;
            break;
        case 1:
            std::sscanf(tok, "%d:%d:%d", &r.hour, &r.minute, &r.second);
            state = 2;
            break;
        case 2:
            readPosition(tok, r.latHemisphere, r.latitude, 'S', cLocale);
            state = 3;
            break;
        case 3:
            readPosition(tok, r.lonHemisphere, r.longitude, 'W', cLocale);
            state = 4;
            break;
        case 4:
            std::sscanf(tok, "%f", &r.speed);
            if (std::strstr(tok, "km") || std::strstr(tok, "KM")) {
                state = 6;
                break;
            }
            if (!tokens.jumpToX(tok)) {
                state = 5;
                break;
            }
            [[fallthrough]];
        case 6:
            std::sscanf(tok, "x:%f", &r.gsensorX);
            clampAxis(r.gsensorX, 19.6);
            if (!tokens.next(tok))
                return true;
            std::sscanf(tok, "y:%f", &r.gsensorY);
            clampAxis(r.gsensorY, 19.6);
            if (!tokens.next(tok))
                return true;
            std::sscanf(tok, "z:%f", &r.gsensorZ);
            clampAxis(r.gsensorZ, 20.0);
            state = 7;
            break;
        case 5:
            state = 6;
            break;
        case 7:
            r.aPresent = 1;
            std::sscanf(tok, "A:%f", &r.aValue);
            state = 8;
            break;
        default: {
            if (tok[0] == 'M') {
                char letter = 0;
                float value = 0;
                if (std::sscanf(tok, "M:%c%f", &letter, &value) == 2)
                    r.mValue = (letter == 'e' || letter == 'E') ? value : -value;
                if (!tokens.next(tok))
                    return true;
            }
            if (tok[0] == 'H')
                std::sscanf(tok, "H:%f", &r.hValue);
            return true;
        }
        }
    }
    return state >= 6;
}

} // namespace

void kalGpsPaserInfo(const unsigned char* buffer, int32_t size)
{
    if (!buffer || size <= kGroupHead)
        return;
    const int64_t S = size;
    int64_t i = 0;
    for (;; ++i) {
        if (i >= S - kGroupHead)
            return;
        if (buffer[i] == 'V' && buffer[i + 1] == 'O' && std::memcmp(buffer + i, "VOKAGPS", 7) == 0)
            break;
    }
    const unsigned char type = buffer[i + 15];
    if (type != 1 && type != 2 && type != 5)
        return;
    KalGpsState& s = kalGpsState();
    s.mType = type;
    uint32_t n = kalLe32(buffer + i + 16);
    if (n == 0)
        return;
    int64_t R = S - kGroupHead - i;
    if (R < kGpsBlockSize)
        return;
    int64_t p = i + kGroupHead;
    KalCLocaleScope cLocale;
    for (;;) {
        int64_t q = -1;
        for (int64_t j = 0; j <= R - 81; ++j) {
            if (std::memcmp(buffer + p + j, "####", 4) == 0) {
                q = p + j;
                break;
            }
        }
        if (q < 0 || q + kGpsBlockSize > S)
            return;
        std::memcpy(s.infoTemp, buffer + q, kGpsBlockSize);
        std::memset(s.outBufferTemp, 0, kGpsBlockSize);
        int unpacked = 0;
        KalDecodec(s.infoTemp, s.outBufferTemp, &unpacked); // partial text is still parsed
        const auto index = static_cast<int32_t>(kalLe32(s.outBufferTemp));
        const char* text = reinterpret_cast<const char*>(s.outBufferTemp + 4);
        const size_t length = strnlen(text, kGpsBlockSize - 4);
        if (parseBlockText(text, length, s.rmcinfoTemp, cLocale)) {
            s.prermcinfo = s.rmcinfoTemp;
            kalGpsRmcToInfo(index, s.rmcinfoTemp);
        }
        if (--n == 0)
            return;
        R = S - kGpsBlockSize - q;
        if (R <= 131)
            return;
        p = q + kGpsBlockSize;
    }
}
