#include "telemetry/kalgpsapi.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "telemetry/kalgpsoutput.h"
#include "telemetry/kalgpsreader.h"
#include "telemetry/kalgpsscan.h"
#include "telemetry/kalgpsstate.h"

namespace {

// The library's state is process-wide: one call of the interface at a time.
std::mutex& apiLock()
{
    static std::mutex lock;
    return lock;
}

// Read while a decode holds the lock, so it is not guarded by it.
std::atomic<KalGpsReadFunc> apiReadCb{nullptr};

const char kVersion[] = "V2019.11.28";

} // namespace

extern "C" {

void kalGpsInit(void)
{
    kalGpsSetCancelled(false);
    std::lock_guard<std::mutex> guard(apiLock());
    kalGpsPaserCallBack(kalGpsReadBack);
    kalGpsPaserInit();
}

void kalGpsReadCallBack(KalGpsReadFunc callback)
{
    std::lock_guard<std::mutex> guard(apiLock());
    apiReadCb.store(callback);
}

void kalGpsProgressCallBack(KalGpsProgressFunc callback)
{
    std::lock_guard<std::mutex> guard(apiLock());
    kalGpsState().progresscb = callback;
}

int64_t kalGpsReadBack(void* buffer, uint64_t offset, uint32_t length, int32_t mode)
{
    KalGpsReadFunc cb = apiReadCb.load();
    return cb ? cb(buffer, offset, length, mode) : 0;
}

int kalGpsDecode(char** buffer, const char* path, int type)
{
    std::lock_guard<std::mutex> guard(apiLock());
    if (!buffer)
        return 0;
    int32_t count = kalGpsPaser(path, type);
    if (count == 0)
        return 0;
    KalGpsState& st = kalGpsState();
    // Sized to hold every line, however long; null (and the samples kept) when memory is short.
    *buffer = kalGpsWriteLines(st.gpsInfoHeadEx, count, KalLineFormat::Sample);
    return *buffer ? count : 0;
}

int kalGpsDecodeEx(char** buffer, char** gsensorBuffer, const char* path, int type)
{
    std::lock_guard<std::mutex> guard(apiLock());
    if (!buffer || !gsensorBuffer)
        return 0;
    if (kalGpsPaser(path, type) == 0)
        return 0;
    KalGpsState& st = kalGpsState();
    kalGpsPretreatInfo();
    *buffer = st.nGpsInfoCount != 0
                  ? kalGpsWriteLines(st.gpsInfoHeadEx, st.nGpsInfoCount, KalLineFormat::Extended)
                  : nullptr;
    *gsensorBuffer = st.nGsensorCount != 0
                         ? kalGpsWriteLines(st.gsensorInfoHeadEx, st.nGsensorCount, KalLineFormat::Gsensor)
                         : nullptr;
    return st.nGsensorCount;
}

void kalGpsExit(void)
{
    std::lock_guard<std::mutex> guard(apiLock());
    kalGpsPaserExit();
}

void kalGpsCancel(void)
{
    // Not under the lock: the decode to be cut short holds it.
    kalGpsSetCancelled(true);
}

int kalGpsVersion(char* buffer)
{
    if (!buffer)
        return 0;
    std::memcpy(buffer, kVersion, sizeof kVersion);
    return int(sizeof kVersion - 1);
}

int kalGpsDataVersion(void)
{
    std::lock_guard<std::mutex> guard(apiLock());
    return kalGpsState().mType;
}

int kalGpsEnablePasswd(void)
{
    return 0;
}

} // extern "C"
