/* Public interface of the telemetry extraction library. Callable from C.
 *
 * Calling order: kalGpsInit; kalGpsReadCallBack and type 1 when the recording is read through a
 * callback; one kalGpsDecode or kalGpsDecodeEx; optionally kalGpsDataVersion; kalGpsExit.
 * Returned buffers are malloc'd; free each with free(). Every call is serialised against the
 * others, so two threads may use the library, one call at a time. */
#ifndef KALGPSAPI_H
#define KALGPSAPI_H

#include <stdint.h>

#include "telemetry/kalgpsprotocol.h"
#include "telemetry/kalgpssun.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Read callback. mode 1: copy at most length bytes at offset into buffer and return the count
   (negative counts as 0). mode 0: return the total length (buffer null, offset and length 0). */
typedef int64_t (*KalGpsReadFunc)(void* buffer, uint64_t offset, uint32_t length, int32_t mode);

/* Progress of a decode, called on the decoding thread with the bytes scanned so far and the
   recording's length: about every 1/256 of the file (1 MiB at least) and once at the end.
   Returning non-zero abandons the decode, which then ends with what it found so far. */
typedef int (*KalGpsProgressFunc)(uint64_t done, uint64_t total);

void kalGpsInit(void);
void kalGpsReadCallBack(KalGpsReadFunc callback);
/* Sets (or with null clears) the progress callback of the decodes that follow. */
void kalGpsProgressCallBack(KalGpsProgressFunc callback);
/* Forwards to the callback set by kalGpsReadCallBack; 0 when none is set. */
int64_t kalGpsReadBack(void* buffer, uint64_t offset, uint32_t length, int32_t mode);

/* Plain path: one sample line per sample in decoding order. Returns the sample count; 0 when
   nothing was found (buffer left alone) or memory ran out (*buffer null). type 0 reads the
   local file at path, 1 reads through the callback (path then gives only the extension). */
int kalGpsDecode(char** buffer, const char* path, int type);
/* Pretreated path: extended lines of the cleaned track into *buffer and G-sensor lines into
   *gsensorBuffer (each null when empty). Returns the G-sensor line count; 0 and neither output
   set when nothing was found. */
int kalGpsDecodeEx(char** buffer, char** gsensorBuffer, const char* path, int type);
void kalGpsExit(void);
/* Makes every further read of the decode under way fail, so that it ends at once with what it
   has (a newer request is waiting). Safe from any thread; the next kalGpsInit clears it. */
void kalGpsCancel(void);

/* Writes "V2019.11.28" and a zero byte (12 bytes of room needed); returns 11. */
int kalGpsVersion(char* buffer);
/* Data version of the last decode: 0 none, 1 camera text lines, 1/2/5 block group type,
   5 binary records. */
int kalGpsDataVersion(void);
int kalGpsEnablePasswd(void);

#ifdef __cplusplus
}
#endif

#endif
