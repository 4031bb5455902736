#pragma once
// What the timeline under the picture shows: the recording on display, or every recording
// of its trip one after another, each with its speed and G-sensor readings per second,
// its harsh events, the shaded stretches of recording kinds and the clip's in and out
// marks. Times are seconds on one axis from the first part's start ("global"), or seconds
// within a part (the player's clock for the part that plays).
#include <QString>
#include <QVector>
#include <optional>
#include <string>
#include <vector>

#include "track/gpsitem.h"
#include "track/harshevents.h"

// A shaded stretch: from..to seconds of a part (-1: the recording that plays), and the
// kind word that names it ("event", "locked", "parking" ...).
struct TimelineSpan {
    double from = 0;
    double to = 0;
    QString kind;
    int part = -1;
};
using TimelineSpans = QVector<TimelineSpan>;

class TimelineModel {
public:
    struct Part {
        Track track;
        std::vector<HarshEvent> events;
        std::vector<float> speed; // km/h per sample, as the read-outs read it
        std::vector<float> g;     // the jolt per sample in g, gravity taken off
        double start = 0;         // global seconds
        double seconds = 0;       // its length
    };
    // The readings the read-outs would show at a time of a part.
    struct Reading {
        std::size_t index = 0;
        float speed = 0;
        float g = 0;
        std::string time; // the sample's clock text
    };

    // parts in playing order; current is the one that plays (clamped into them).
    void setParts(const std::vector<Track> &parts, int current);
    void setEvents(int part, const std::vector<HarshEvent> &events);
    // The player's length of the playing part: a part is as long as its samples, or
    // longer when the picture runs on. False when nothing changed.
    bool setCurrentLength(double seconds);
    void clear();

    const std::vector<Part> &parts() const { return m_parts; }
    int current() const { return m_current; }
    double total() const;
    // The part a global time falls in (the last for times past the end; -1 without parts).
    int partAt(double global) const;
    double toGlobal(int part, double seconds) const;
    std::optional<Reading> readingAt(int part, double seconds) const;
    float maxSpeed() const { return m_maxSpeed; }
    float maxG() const { return m_maxG; }

    TimelineSpans spans;
    std::optional<double> clipIn;
    std::optional<double> clipOut;

    // The jolt of one sample in g with the recording's scale: sqrt(x² + y² + (z - rest)²).
    static float joltOf(const GPSItem &item, const GScale &scale);

private:
    void layOut();
    std::vector<Part> m_parts;
    int m_current = 0;
    double m_currentLength = 0;
    float m_maxSpeed = 0;
    float m_maxG = 0;
};
