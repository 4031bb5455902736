// The three text line formats and the writers that turn a list into one text buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "telemetry/kalgpslist.h"
#include "telemetry/kalgpsrecord.h"

enum class KalLineFormat {
    Sample,    // "%u %04d/%02d/%02d %02d:%02d:%02d %c:%.06f %c:%.06f %.01f km/h x:%.02f y:%.02f z:%.02f;"
    Extended,  // sample line fields (index signed) + " A:%.01f H:%.01f V:%d;"
    Gsensor,   // "%u %04d/%02d/%02d %02d:%02d:%02d x:%.02f y:%.02f z:%.02f;"
};

// Nominal room of one line in an output buffer.
constexpr size_t kGpsLineRoom = 132;
// Longest line any RmcInfo can produce, terminating zero included.
constexpr size_t kGpsLineMax = 640;

// Formats one line into dst (room bytes, zero-terminated, never past room).
// Returns the full length of the line (without the zero), like snprintf.
size_t kalGpsFormatLine(char* dst, size_t room, const RmcInfo& info, KalLineFormat format);

// Bytes needed to hold every line of the list plus the terminating zero: at least
// count x 132 (the documented buffer size), more when an absurd value makes a line longer.
size_t kalGpsLinesBufferSize(const KalList<RmcInfoNode>& list, int32_t count, KalLineFormat format);

// Writes one line per node of the list, in list order, into one malloc'd, zero-terminated buffer
// sized by kalGpsLinesBufferSize, unlinking and freeing each node as its line is written.
// Returns the buffer (caller frees with free) or null when memory is short; the list is then
// left untouched. *outSize, when given, receives the allocated size.
char* kalGpsWriteLines(KalList<RmcInfoNode>& list, int32_t count, KalLineFormat format,
                       size_t* outSize = nullptr);
