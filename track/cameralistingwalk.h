#pragma once
// Finds which listing a camera speaks and reads it, one request at a time. It only says
// which path to ask for next and takes the answers, so the same steps run over trava-gps's
// blocking socket client and over the player's asynchronous one.
//
// Order: the XML list, then the vod text list, then the HTML index of /DCIM/ and the folders
// it links to. A probe answered with another status (404, 501 ...) or another kind of page
// moves on to the next; a camera that does not answer at all (time-out, silence, refused
// connection, an answer past the size cap) ends the walk with that error, since asking it
// more would only wait again.
#include <deque>
#include <set>
#include <string>
#include <string_view>

#include "track/cameralisting.h"

class CameraListingWalk {
public:
    static constexpr const char *kXmlListPath = "/?custom=1&cmd=3015";
    static constexpr const char *kVodListPath = "/blackvue_vod.cgi";
    static constexpr const char *kHtmlRootPath = "/DCIM/";

    explicit CameraListingWalk(CameraListingCaps caps = {});

    // The path (with query) to GET next; empty once the walk is done.
    std::string nextRequest() const;
    // The answer to nextRequest(): status 0 when none came, with error saying why.
    void answer(int status, std::string_view body, const std::string &error = {});

    bool done() const { return m_stage == Stage::Done; }
    // What was found; result().error says why nothing could be read.
    const CameraListing &result() const { return m_result; }

private:
    enum class Stage { Xml, Vod, HtmlRoot, HtmlFolders, Done };
    void finish(std::string error);

    CameraListingCaps m_caps;
    Stage m_stage = Stage::Xml;
    std::deque<std::string> m_folders; // "DCIM/Movie/" still to read
    std::set<std::string> m_visited;
    std::set<std::string> m_paths;
    CameraListing m_result;
};
