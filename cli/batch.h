#pragma once
// Reads many recordings at once. The telemetry library keeps its state in process-global
// variables (one decode at a time per process), so files are read by forked worker
// processes, each sent one file at a time over a socket; results come back in input order.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "cli/inputs.h"

struct Extraction {
    enum Status { Found = 0, Empty = 1, Unreadable = 2 };
    int status = Empty;
    std::string reason;  // Unreadable: why
    std::string text;    // the library's text: sample lines, or extended lines
    std::string gsensor; // extended only: the G-sensor lines
};

// Reads inputs whose path is an http:// URL (trava-gps --camera); without one they are
// unreadable. Set before extractAll: forked readers inherit it.
using RemoteExtractor = std::function<Extraction(const Input &, bool extended)>;
void setRemoteExtractor(RemoteExtractor extractor);

// Reads one file in this process. extended: the cleaned track and its G-sensor lines.
Extraction extractFile(const Input &input, bool extended);

class ProgressLine;

// Reads every input with up to jobs worker processes (1: in this process) and calls sink
// for each in input order. The progress line, when given, is cleared before each call so
// that the sink may write to stderr.
void extractAll(const std::vector<Input> &inputs, bool extended, int jobs, ProgressLine *progress,
                const std::function<void(std::size_t, Extraction &)> &sink);

// The number of processors this process may run on (its CPU affinity, so a batch job's
// allotment is respected), at least 1.
int availableCores();
