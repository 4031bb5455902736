#include "cli/cameracard.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <iostream>
#include <memory>

#include "cli/batch.h"
#include "cli/cardgroups.h"
#include "cli/remoterecording.h"
#include "track/cameraclock.h"
#include "track/cameralistingwalk.h"
#include "track/cardreader.h"

namespace {

bool isTransportStream(const std::string &path)
{
    std::string ext = path.substr(path.find_last_of('.') + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == "ts" || ext == "mts" || ext == "m2ts";
}

} // namespace

CameraListing listCamera(const HttpClient &client, const CameraListingCaps &caps)
{
    // A listing is small; one that keeps coming is cut at the cap, not read for ever.
    HttpLimits limits = client.limits();
    limits.maxBody = caps.maxBytes;
    const HttpClient lister(client.address(), limits);
    CameraListingWalk walk(caps);
    while (!walk.done()) {
        const HttpResponse r = lister.get(walk.nextRequest());
        // A cut-off answer is no answer: a listing read in part would pass for the whole card.
        walk.answer(r.error.empty() ? r.status : 0, r.body, r.error);
    }
    return walk.result();
}

std::vector<Input> cameraInputs(const HttpClient &client, const CameraListing &listing)
{
    std::vector<Input> inputs, streams;
    for (const CameraEntry &e : listing.entries) {
        const std::string name = e.path.substr(e.path.find_last_of('/') + 1);
        if (!isRecordingName(name))
            continue;
        Input in{client.url(e.urlPath), e.path, e.size, {}};
        (isTransportStream(name) ? streams : inputs).push_back(std::move(in));
    }
    inputs.insert(inputs.end(), streams.begin(), streams.end());
    return inputs;
}

void readInputsFrom(const HttpClient &client)
{
    const std::string prefix = client.url("");
    setRemoteExtractor([client, prefix](const Input &input, bool extended) {
        if (input.path.compare(0, prefix.size(), prefix) != 0) {
            Extraction e;
            e.status = Extraction::Unreadable;
            e.reason = "not on the camera";
            return e;
        }
        return extractRemote(client, input.path.substr(prefix.size()), extended);
    });
}

int cameraRunInputs(const std::string &url, std::vector<Input> *inputs, CameraListing *out)
{
    HttpAddress address;
    std::string why;
    if (!parseHttpAddress(url, &address, &why)) {
        std::cerr << "trava-gps: " << url << ": " << why << "\n";
        return 2;
    }
    const HttpClient client(address);
    CameraListing listing = listCamera(client);
    for (const std::string &refused : listing.refused)
        std::cerr << "trava-gps: refused a name from the camera: " << refused << "\n";
    if (!listing.error.empty()) {
        std::cerr << "trava-gps: cannot list " << url << ": " << listing.error << "\n";
        return 2;
    }
    *inputs = cameraInputs(client, listing);
    readInputsFrom(client);
    if (out)
        *out = std::move(listing);
    return 0;
}

int printCameraGroups(const std::string &url)
{
    std::vector<Input> inputs;
    CameraListing listing;
    if (const int code = cameraRunInputs(url, &inputs, &listing))
        return code;
    // The rules read the card's own paths (its folders tell kinds and channels); the rows
    // print the recordings' URLs. A listed time stands in for a container's creation time.
    std::vector<CardEntry> entries;
    std::map<std::string, std::string> urls;
    for (const Input &in : inputs)
        urls[in.relative] = in.path;
    for (const CameraEntry &e : listing.entries) {
        CardEntry entry{e.path, std::nullopt};
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
        if (std::sscanf(e.time.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &y, &mo, &d, &h, &mi, &sec) == 6)
            entry.created = civilSeconds(y, mo, d, h, mi, sec);
        entries.push_back(std::move(entry));
    }
    return writeCardGroups(entries, [&urls](const std::string &p) {
        const auto it = urls.find(p);
        return it == urls.end() ? p : it->second;
    }, std::cout, std::cerr);
}
