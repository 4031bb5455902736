#pragma once
// Renderings of decoded tracks for other programs: CSV, GPX 1.1, KML 2.2, GeoJSON.
#include <ostream>
#include <string>
#include <vector>

#include "track/gpsitem.h"
#include "track/harshevents.h"
#include "track/zonedclock.h"

struct NamedTrack {
    std::string name; // shown as the track's name: the recording's file name
    Track track;
    // The zone its times are written in; as recorded (no zone) unless asked for.
    ZonedClock clock = {};
};

void writeCsv(const std::vector<NamedTrack> &tracks, std::ostream &out);
void writeGpx(const std::vector<NamedTrack> &tracks, std::ostream &out);
void writeKml(const std::vector<NamedTrack> &tracks, std::ostream &out);
void writeGeoJson(const std::vector<NamedTrack> &tracks, std::ostream &out);
// Harsh events as CSV "index,time,kind,peak_g": one header, then one row per event; with
// more than one track, a line "# NAME" and a header before each track's rows.
void writeEvents(const std::vector<NamedTrack> &tracks, HarshSensitivity sensitivity, std::ostream &out);

// "YYYY/MM/DD hh:mm:ss" -> "YYYY-MM-DDThh:mm:ss" (no zone: times as recorded); empty when
// the text is not in that form.
std::string isoTime(const std::string &time);

// A sample's position can be written when both coordinates are numbers on the globe.
bool hasValidPosition(const GPSItem &sample);
