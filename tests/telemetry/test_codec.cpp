#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "telemetry/kalgpsprotocol.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes pack(const std::string& text)
{
    Bytes out(2 * text.size() + 2);
    int n = -1;
    EXPECT_EQ(KalEncrypt(reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()),
                         out.data(), &n),
              0);
    out.resize(static_cast<size_t>(n));
    return out;
}

struct Packing : ::testing::Test {
    void SetUp() override { KalSetEncType(1); }
    void TearDown() override { KalSetEncType(0); }
};

} // namespace

TEST_F(Packing, KnownPackedForms)
{
    EXPECT_EQ(pack("abc"), (Bytes{0x01, 0x60, 0x02, 0x60, 0x03, 0x60}));
    EXPECT_EQ(pack("ab c"), (Bytes{0x81, 0x40, 0x42, 0x43}));
    EXPECT_EQ(pack("abcd"), (Bytes{0xE3, 0x40, 0x40, 0x43, 0x64}));
    // The first space of a group picks the form; later spaces are ordinary bytes.
    const Bytes twoSpaces = pack(" a  ");
    ASSERT_EQ(twoSpaces.size(), 4u);
    EXPECT_EQ(twoSpaces[0] >> 5, 2);
}

TEST_F(Packing, EveryByteSequenceRoundTrips)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        const int len = 4 + static_cast<int>(rng() % 120);
        std::string text(static_cast<size_t>(len), '\0');
        for (char& c : text)
            c = (rng() % 3 == 0) ? ' ' : static_cast<char>(rng() & 0xFF);
        const Bytes packed = pack(text);
        if (packed.size() < 4)
            continue;
        Bytes out(packed.size() + 8, 0xAA);
        int n = -1;
        ASSERT_EQ(KalDecrypt(packed.data(), static_cast<int>(packed.size()), out.data(), &n), 0);
        ASSERT_EQ(n, len);
        ASSERT_EQ(std::memcmp(out.data(), text.data(), text.size()), 0);
        // Nothing written past the packed length.
        for (size_t i = packed.size(); i < out.size(); ++i)
            ASSERT_EQ(out[i], 0xAA);
    }
}

TEST_F(Packing, InvalidInputIsRefused)
{
    unsigned char out[16];
    int n = 77;
    const unsigned char badHeader[] = {0x20, 0x40, 0x40, 0x40};
    EXPECT_EQ(KalDecrypt(badHeader, 4, out, &n), -1);
    const unsigned char alsoBad[] = {0x3F, 0x40, 0x40, 0x40};
    EXPECT_EQ(KalDecrypt(alsoBad, 4, out, &n), -1);
    EXPECT_EQ(n, 77); // length not set on failure
    const unsigned char tooShort[] = {0x01, 0x60, 0x02};
    EXPECT_EQ(KalDecrypt(tooShort, 3, out, &n), -1);
    EXPECT_EQ(KalDecrypt(badHeader, 4, nullptr, &n), -1);
    // A group that the packed length cuts off is not read past the end.
    const unsigned char cut[] = {0x01, 0x60, 0xE3, 0x40};
    EXPECT_EQ(KalDecrypt(cut, 4, out, &n), -1);
    EXPECT_EQ(out[0], 'a'); // what came before is unpacked
    EXPECT_EQ(KalEncrypt(badHeader, 4, nullptr, &n), -1);
}

TEST(PackingOff, EncryptWritesNothingAndBlocksStayRaw)
{
    KalSetEncType(0);
    EXPECT_EQ(KalGetEncType(), 0);
    unsigned char out[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    int n = 42;
    EXPECT_EQ(KalEncrypt(reinterpret_cast<const unsigned char*>("abcd"), 4, out, &n), 0);
    EXPECT_EQ(n, 42);
    EXPECT_EQ(out[0], 9);

    unsigned char block[132];
    std::memset(block, 0x55, sizeof block);
    ASSERT_EQ(MakeEncryptDataBlock(0x01020304, "hi", 2, block), 0);
    EXPECT_EQ(block[0], 0x04);
    EXPECT_EQ(block[3], 0x01);
    EXPECT_EQ(block[4], 'h');
    EXPECT_EQ(block[5], 'i');
    for (int i = 6; i < 132; ++i)
        ASSERT_EQ(block[i], 0);
}

TEST_F(Packing, BlocksRoundTripThroughDecodec)
{
    const std::string text = "2019/11/28 08:15:42 N:22.5 E:113.9 36.5 km/h x:0.10 y:-0.20 z:9.80";
    unsigned char block[132];
    ASSERT_EQ(MakeEncryptDataBlock(12, text.c_str(), static_cast<int>(text.size()), block), 0);
    EXPECT_EQ(std::memcmp(block, "####", 4), 0);
    const int c = block[4] | block[5] << 8;
    EXPECT_GE(c, 1);
    EXPECT_LE(c, 124);
    unsigned char out[132] = {};
    int n = 0;
    ASSERT_EQ(KalDecodec(block, out, &n), 0);
    EXPECT_EQ(n, static_cast<int>(text.size()) + 4);
    EXPECT_EQ(out[0], 12);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out + 4)), text);
    EXPECT_EQ(block[4], 0); // length field consumed
}

TEST_F(Packing, OverlongTextsAndLengthsAreRefused)
{
    // 128 characters without spaces pack to 165 bytes: more than a block holds.
    const std::string text(128, 'q');
    unsigned char block[132 + 16];
    std::memset(block, 0xEE, sizeof block);
    EXPECT_EQ(MakeEncryptDataBlock(1, text.c_str(), 128, block), -1);
    for (size_t i = 132; i < sizeof block; ++i)
        ASSERT_EQ(block[i], 0xEE);
    EXPECT_EQ(MakeRawDataBlock(1, text.c_str(), 129, block), -1);
    EXPECT_EQ(MakeRawDataBlock(1, nullptr, 1, block), -1);

    // A hostile length field beyond the block is treated as an empty block.
    unsigned char hostile[132] = {'#', '#', '#', '#', 200, 0, 0, 0};
    unsigned char out[132] = {};
    int n = 5;
    EXPECT_EQ(KalDecodec(hostile, out, &n), -1);
    EXPECT_EQ(out[0], 0);
    unsigned char negative[132] = {'#', '#', '#', '#', 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(KalDecodec(negative, out, &n), -1);
    EXPECT_EQ(KalDecodec(nullptr, out, &n), -1);
}

TEST_F(Packing, HeaderCarriesTypeAndCount)
{
    KalSetEncType(0x105);
    unsigned char header[20];
    std::memset(header, 0x77, sizeof header);
    EXPECT_EQ(MakeHeader(header, 0x0A0B0C0D), 20);
    EXPECT_EQ(std::memcmp(header, "VOKAGPSINFO", 12), 0);
    EXPECT_EQ(header[12], 0x77); // left as the caller had them
    EXPECT_EQ(header[15], 0x05);
    EXPECT_EQ(header[16], 0x0D);
    EXPECT_EQ(header[19], 0x0A);
    EXPECT_EQ(MakeHeader(nullptr, 1), 0);
    EXPECT_EQ(BITPROCESS(0x1FF), 0xDF);
    EXPECT_EQ(BITPROCESS(0x20), 0);
}
