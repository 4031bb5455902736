#pragma once
// SHA-256 of a file's bytes, read in slices so memory stays small whatever the size of a
// recording, on OpenSSL's digest (it uses the processor's SHA instructions where there are
// some: about eight times the speed of a portable implementation on the machines we measured).
#include <cstdint>
#include <functional>
#include <string>

namespace clip {

struct HashWatch {
    std::function<bool()> cancelled;             // asked between slices; true stops the hash
    std::function<void(std::int64_t)> advanced;  // bytes of each slice read
};

// The lower-case hex digest of the file at path; empty when it cannot be read whole (why in
// *error, which may be null) or when the watch cancelled it.
std::string sha256OfFile(const std::string &path, const HashWatch &watch = {}, std::string *error = nullptr);

// The same of an open file from its first byte, whatever its current position (read with
// pread, so the position is left alone).
std::string sha256OfDescriptor(int fd, const HashWatch &watch = {}, std::string *error = nullptr);

} // namespace clip
