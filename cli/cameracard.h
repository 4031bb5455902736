#pragma once
// trava-gps --camera URL: reads the card of a dash camera over its Wi-Fi. The listing is
// found and read first; then every recording is read as -r reads a folder, its telemetry
// fetched with ranged requests of only the regions that hold it.
#include <string>
#include <vector>

#include "cli/httpclient.h"
#include "cli/inputs.h"
#include "track/cameralisting.h"

// Finds which listing the camera speaks and reads it through client. A refused name is
// reported on stderr by the caller (listing.refused); listing.error says why nothing came.
CameraListing listCamera(const HttpClient &client, const CameraListingCaps &caps = {});

// The recordings of a listing as inputs: path the file's URL, relative its path on the card
// (so -o DIR mirrors the camera's folders), size as listed. Transport streams, whose
// telemetry needs the whole file, come last.
std::vector<Input> cameraInputs(const HttpClient &client, const CameraListing &listing);

// Points the readers of trava-gps at the camera: an input whose path is one of client's URLs
// is read with ranged requests.
void readInputsFrom(const HttpClient &client);

// Lists the camera and makes its recordings the run's inputs. Returns 0 with inputs filled,
// or the exit code (2) after saying on stderr why the card could not be listed.
int cameraRunInputs(const std::string &url, std::vector<Input> *inputs, CameraListing *listing = nullptr);

// --camera URL --groups: the card's recordings as groups. Card reading joins here.
int printCameraGroups(const std::string &url);
