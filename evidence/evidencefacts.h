#pragma once
// The figures of an incident's stretch of a drive, read from the recordings' tracks: which
// samples fall in the range, the camera-clock times, the position at the start and at the
// strongest jolt, top and average speed and the harsh events found there.
#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

#include "evidence/evidenceinput.h"

struct EvidenceFacts {
    struct Part {
        QString path;
        QString name;              // the file name
        double from = 0, to = 0;   // the range within the recording, seconds (to: its end if open)
        std::size_t first = 0;     // the samples of the range: [first, end)
        std::size_t end = 0;
        QString rangeStart, rangeEnd;         // camera clock of the range's first and last sample
        QString recordingStart, recordingEnd; // camera clock of the whole recording
        Track range;               // the range's samples, in order
    };
    struct Sample {
        std::size_t part = 0;      // index into parts
        std::size_t index = 0;     // the sample within its recording (= its second)
        GPSItem item;
    };
    struct Event {
        std::size_t part = 0;
        HarshEvent event;
    };

    std::vector<Part> parts;
    std::size_t samples = 0;
    double topKmh = 0, averageKmh = 0;
    std::optional<Sample> top;     // where the top speed was driven
    std::optional<Sample> start;   // the first sample of the range with a position
    std::optional<Sample> peak;    // the strongest G reading
    double peakG = 0;              // its strength in g, gravity removed
    std::vector<Event> events;     // harsh events inside the range
};

// The figures of the input's range; recordings without telemetry add parts without samples.
EvidenceFacts evidenceFacts(const EvidenceInput &input);

// The samples of seconds [from, to) of a track: every sample whose second overlaps the range.
// to may be EvidenceRecording::kEnd.
void evidenceSampleRange(const Track &track, double from, double to, std::size_t *first, std::size_t *end);
