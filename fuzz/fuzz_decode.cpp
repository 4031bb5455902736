// A whole decode, through the read callback, of arbitrary bytes under each extension.
// Byte 0 picks the extension (mp4, mov, ts, avi, txt) and the path (plain or pretreated);
// the rest is the recording.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "telemetry/kalgpsapi.h"

namespace {

const uint8_t* recording = nullptr;
size_t recordingSize = 0;

int64_t readRecording(void* buffer, uint64_t offset, uint32_t length, int32_t mode)
{
    if (mode == 0)
        return int64_t(recordingSize);
    if (mode != 1 || offset >= recordingSize)
        return 0;
    size_t n = recordingSize - offset < length ? recordingSize - offset : length;
    std::memcpy(buffer, recording + offset, n);
    return int64_t(n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const char* const kPaths[] = {"fuzz.mp4", "fuzz.mov", "fuzz.ts", "fuzz.avi", "fuzz.txt"};
    const char* path = kPaths[(data[0] & 0x7F) % 5];
    bool pretreated = data[0] & 0x80;
    recording = data + 1;
    recordingSize = size - 1;

    kalGpsInit();
    kalGpsReadCallBack(readRecording);
    char* text = nullptr;
    char* gsensor = nullptr;
    int n = pretreated ? kalGpsDecodeEx(&text, &gsensor, path, 1) : kalGpsDecode(&text, path, 1);
    // Every line the library returned must be a complete, terminated text.
    if (n > 0 && text && std::strlen(text) > 0 && text[std::strlen(text) - 1] != ';')
        std::abort();
    std::free(text);
    std::free(gsensor);
    kalGpsExit();
    return 0;
}
