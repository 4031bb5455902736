#include "trackexport.h"

// Placeholder until the exporters land: reports the format as unavailable.
int exportTracks(const std::string &format, const std::string &, bool, const std::vector<std::string> &,
                 std::ostream &, std::ostream &err)
{
    err << "trava-gps: format '" << format << "' is not available in this build\n";
    return 2;
}

bool isExportFormat(const std::string &format)
{
    return format == "csv" || format == "gpx" || format == "kml" || format == "geojson";
}
