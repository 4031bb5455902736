// Unpacking codec on arbitrary bytes, and pack/unpack round trips.
#include <cstdint>
#include <cstring>
#include <vector>

#include "telemetry/kalgpsprotocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    const int len = static_cast<int>(size);

    // Unpack as packed bytes, into exactly as much room as promised.
    std::vector<unsigned char> out(size ? size : 1);
    int n = -1;
    if (KalDecrypt(data, len, out.data(), &n) == 0 && (n < 0 || n > len))
        __builtin_trap();

    // As a data block with whatever length field it carries.
    unsigned char block[132] = {};
    std::memcpy(block, data, size < 132 ? size : 132);
    std::vector<unsigned char> blockOut(132);
    KalDecodec(block, blockOut.data(), &n);

    // Packing any bytes and unpacking them gives them back.
    KalSetEncType(1);
    std::vector<unsigned char> packed(2 * size + 1);
    int packedLen = -1;
    if (KalEncrypt(data, len, packed.data(), &packedLen) != 0 || packedLen > 2 * len)
        __builtin_trap();
    if (packedLen >= 4) {
        std::vector<unsigned char> back(static_cast<size_t>(packedLen));
        int backLen = -1;
        if (KalDecrypt(packed.data(), packedLen, back.data(), &backLen) != 0 || backLen != len
            || std::memcmp(back.data(), data, size) != 0)
            __builtin_trap();
    }
    // The block writer never writes past its block.
    if (size <= 128) {
        std::vector<unsigned char> written(132);
        MakeEncryptDataBlock(1, reinterpret_cast<const char*>(data), len, written.data());
    }
    KalSetEncType(0);
    return 0;
}
