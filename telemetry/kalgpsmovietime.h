// The creation time an MP4/MOV file's movie header (moov/mvhd) gives.
#pragma once

#include <cstdint>

// Seconds since 1904-01-01 as the header holds them (cameras write their own clock there);
// false when the file cannot be opened, is not an ISO base media file, has no movie header
// within its first few dozen atoms, or the header says 0 (unset). Reads only atom headers:
// a few small reads whatever the file's size.
bool kalGpsMovieCreationTime(const char* path, uint64_t* seconds1904);

// The movie's length in seconds as the header gives it (duration over time scale); false as
// above, or when either is 0 or the duration is marked unknown.
bool kalGpsMovieDuration(const char* path, double* seconds);

// Seconds between 1904-01-01 and 1970-01-01.
constexpr int64_t kKalGpsMovieEpochOffset = 2082844800;
