#pragma once
// Named time zones for trava-gps from the system's zone database, without Qt: the zone's
// compiled file is found under $TZDIR (or /usr/share/zoneinfo), checked, and handed to the
// C library as the process's zone once, before any time is converted; each lookup is then
// a localtime_r, which reads the offset and abbreviation that held at that instant (summer
// time included). The C library already parses the database's files and their rules for
// dates past the last listed change; a reader of our own would repeat that work. trava-gps
// prints no other local time, so taking over the process's zone costs it nothing.
#include <string>

#include "track/zonedclock.h"

// The lookup of zone ("Europe/Berlin", "UTC"); an empty function with *why set when the name
// is not a zone of the database. Call once, before any other thread runs.
ZoneLookup useSystemZone(const std::string &zone, std::string *why);
