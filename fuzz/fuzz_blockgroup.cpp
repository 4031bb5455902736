// Block-group, camera-line and binary-record decoders on arbitrary bytes.
// First byte 'T': the rest is block texts, one per line, packed into a group with the library's
// writer, so the text parser is reached; anything else: the bytes are decoded as they are.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "telemetry/kalgpsblocks.h"
#include "telemetry/kalgpsoutput.h"
#include "telemetry/kalgpsprotocol.h"
#include "telemetry/kalgpsstate.h"

namespace {

std::vector<unsigned char> packTexts(const uint8_t* data, size_t size)
{
    KalSetEncType(1);
    std::vector<unsigned char> group(20, 0);
    int count = 0;
    size_t start = 0;
    while (start < size && count < 64) {
        size_t end = start;
        while (end < size && data[end] != '\n')
            ++end;
        unsigned char block[132];
        const int len = static_cast<int>(end - start > 128 ? 128 : end - start);
        if (MakeEncryptDataBlock(count, reinterpret_cast<const char*>(data + start), len, block) == 0) {
            group.insert(group.end(), block, block + 132);
            ++count;
        }
        start = end + 1;
    }
    MakeHeader(group.data(), count);
    KalSetEncType(0);
    return group;
}

void writeAll()
{
    KalGpsState& s = kalGpsState();
    for (KalLineFormat f : {KalLineFormat::Sample, KalLineFormat::Extended}) {
        size_t size = 0;
        KalList<RmcInfoNode> copy;
        for (RmcInfoNode* n = s.gpsInfoHeadEx.head; n; n = n->next)
            list_add_tail(kalGpsNewSampleNode(n->info), copy);
        char* text = kalGpsWriteLines(copy, s.nGpsInfoCount, f, &size);
        if (text && std::strlen(text) >= size)
            __builtin_trap();
        std::free(text);
    }
    char* text = kalGpsWriteLines(s.gpsInfoHeadEx, s.nGpsInfoCount, KalLineFormat::Gsensor);
    std::free(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kalGpsResetDecodeState(0);
    if (size > 0 && data[0] == 'T') {
        const std::vector<unsigned char> group = packTexts(data + 1, size - 1);
        kalGpsPaserInfo(group.data(), static_cast<int32_t>(group.size()));
    } else {
        std::vector<unsigned char> bytes(data, data + size); // exact size: overreads are caught
        kalGpsPaserInfo(bytes.data(), static_cast<int32_t>(bytes.size()));
        const size_t chunk = size < 128 ? size : 128;
        std::vector<unsigned char> head(data, data + chunk);
        kalGpsAmbaInfo(head.data(), static_cast<int32_t>(head.size()));
        if (size >= 44) {
            RmcInfo r{};
            if (kalU8ToRmcinfo(bytes.data() + size - 44, &r))
                kalGpsRmcToInfo(0, r);
        }
    }
    if (kalGpsState().nGpsInfoCount < 0)
        __builtin_trap();
    writeAll();
    ClearSegmentList();
    return 0;
}
