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
// The largest picture the movie's tracks declare (moov/trak/tkhd width and height, whole
// pixels), as a player needs it before it opens the file; false when the file is not an ISO
// base media file or no track within the first few dozen declares a picture. Atom headers and
// the track headers only, as above.
bool kalGpsMoviePictureSize(const char* path, uint32_t* width, uint32_t* height);

// Seconds between 1904-01-01 and 1970-01-01.
constexpr int64_t kKalGpsMovieEpochOffset = 2082844800;
