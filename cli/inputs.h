#pragma once
// The inputs of one trava-gps run: files named on the command line, and with -r every
// recording under the named folders, in name order.
#include <cstdint>
#include <string>
#include <vector>

struct Input {
    std::string path;       // as opened
    std::string relative;   // where its output goes under -o DIR (no leading '/', no "..")
    std::uint64_t size = 0; // bytes, for the progress line
    std::string unreadable; // why it cannot be read; empty when it can
};

// A name whose ending the telemetry library reads: mp4, mov, ts, mts, m2ts, avi or txt,
// in lower or upper case (the library does not read mixed-case endings).
bool isRecordingName(const std::string &name);

// Files stay as given (whatever their ending); a folder is searched when recurse is set
// (hidden entries and links to folders are left out, entries in byte order of their names)
// and otherwise reported unreadable.
std::vector<Input> listInputs(const std::vector<std::string> &args, bool recurse);

// One output name per input for -o, unique over the run (compared without regard to case):
// its relative path with the ending replaced by extension ("DCIM/a.mp4" -> "DCIM/a.csv").
// Inputs that would share a name keep their own ending ("a.mp4.csv", "a.ts.csv"); when
// names still meet (the same file twice, "x/a.mp4" beside "y/a.mp4"), the first input in
// order keeps the name and the others get "~2", "~3", ... before the extension, skipping
// numbers another output already has.
std::vector<std::string> outputNames(const std::vector<Input> &inputs, const std::string &extension);
