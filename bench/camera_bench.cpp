// Reading a dash camera's card over its Wi-Fi: how long until every recording's route and
// harsh events are known, and how many bytes that moves, against downloading the card.
// The camera is tests/support's test camera on 127.0.0.1 with a bandwidth limit (5 MB/s by
// default, a typical camera access point), serving a card of one-minute MP4 recordings.
//
//   camera_bench [RECORDINGS [MEDIA_MB [RATE_MB_PER_S]]]      defaults 100 60 5
//
// Telemetry is read as trava-gps --camera -j 1 reads it (the player's one serial worker
// does the same): the listing, then each recording's telemetry through ranged requests.
// The download is timed on the first recording and scaled to the card (a whole card at
// 5 MB/s takes tens of minutes).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/batch.h"
#include "cli/httpclient.h"
#include "cli/remoterecording.h"
#include "cli/trackexport.h"
#include "support/cameracard.h"
#include "support/testcamera.h"
#include "track/cameralistingwalk.h"
#include "track/harshevents.h"
#include "track/trackdecoder.h"

int main(int argc, char **argv)
{
    const int recordings = argc > 1 ? std::atoi(argv[1]) : 100;
    const std::uint64_t mediaBytes = std::uint64_t(argc > 2 ? std::atoi(argv[2]) : 60) * 1000 * 1000;
    const std::uint64_t rate = std::uint64_t(argc > 3 ? std::atoi(argv[3]) : 5) * 1000 * 1000;
    using Clock = std::chrono::steady_clock;

    TestCamera camera(TestCamera::Dialect::Xml);
    cameracard::fillCard(camera, TestCamera::Dialect::Xml, recordings, 60, mediaBytes);
    camera.bytesPerSecond = rate;
    std::uint64_t cardBytes = 0;
    HttpAddress address;
    std::string why;
    parseHttpAddress(camera.url(), &address, &why);
    const HttpClient client(address);

    const Clock::time_point start = Clock::now();
    CameraListingWalk walk;
    while (!walk.done()) {
        const HttpResponse r = client.get(walk.nextRequest());
        walk.answer(r.error.empty() ? r.status : 0, r.body, r.error);
    }
    const double listed = std::chrono::duration<double>(Clock::now() - start).count();
    std::size_t routes = 0, events = 0, samples = 0;
    int requests = 0;
    for (const CameraEntry &e : walk.result().entries) {
        cardBytes += e.size;
        const Extraction x = extractRemote(client, e.urlPath, false, nullptr, &requests);
        if (x.status != Extraction::Found)
            continue;
        const Track track = decodeGpsData(splitSampleLines(x.text.c_str()));
        if (track && !track->empty()) {
            ++routes;
            samples += track->size();
            events += detectHarshEvents(track).size();
        }
    }
    const double shown = std::chrono::duration<double>(Clock::now() - start).count();
    const std::uint64_t telemetryBytes = camera.bytesSent.load();

    const std::string first = walk.result().entries.empty() ? std::string() : walk.result().entries[0].urlPath;
    const Clock::time_point dlStart = Clock::now();
    const HttpResponse whole = client.get(first, -1, -1, [](const char *, std::size_t) { return true; });
    const double oneFile = std::chrono::duration<double>(Clock::now() - dlStart).count();
    const double cardSeconds = whole.received ? oneFile * double(cardBytes) / double(whole.received) : 0;

    std::printf("card: %d recordings of 60 s, %.1f MB, camera limited to %.1f MB/s\n", recordings,
                double(cardBytes) / 1e6, double(rate) / 1e6);
    std::printf("listing read: %.2f s (%zu entries)\n", listed, walk.result().entries.size());
    std::printf("every route and event shown: %.1f s; %zu routes, %zu samples, %zu harsh events\n", shown, routes,
                samples, events);
    std::printf("bytes moved for it: %.2f MB in %d ranged requests = %.3f %% of the card\n",
                double(telemetryBytes) / 1e6, requests, 100.0 * double(telemetryBytes) / double(cardBytes));
    std::printf("downloading the card: %.0f s (one recording, %.1f MB, took %.1f s)\n", cardSeconds,
                double(whole.received) / 1e6, oneFile);
    return routes == std::size_t(recordings) && telemetryBytes * 50 <= cardBytes ? 0 : 1;
}
