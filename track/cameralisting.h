#pragma once
// What a dash camera says it has on its card, read from the listings cameras serve over
// their Wi-Fi: the XML file list of the Novatek-style firmware, the text list of the
// "vod" firmware, and a plain HTML folder index as the last resort.
//
// The camera is another machine on a network the user does not control, and its names
// become file names on the user's disk. So every name is checked here, once, for every
// consumer: a name that climbs out ("..", an absolute path, a second drive letter), that
// carries control characters, or that is too long or too deep is refused, and so is a
// listing that is too big or has too many entries. An entry that passes is a relative
// path that stays below whatever folder it is written into.
//
// No Qt and no I/O: trava-gps and the player both feed it the bytes they fetched.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One file on the camera's card.
struct CameraEntry {
    std::string path;        // relative, '/'-separated, as on the card: "DCIM/Movie/2026_0514_101500_001F.MP4"
    std::string urlPath;     // what to ask the camera for: "/DCIM/Movie/2026_0514_101500_001F.MP4" (escaped)
    std::uint64_t size = 0;  // bytes the listing claims; 0 when it says nothing
    std::string time;        // the camera's clock (local, no zone) "YYYY-MM-DD hh:mm:ss"; empty when unknown
};

enum class CameraDialect {
    None,      // nothing we understand
    XmlList,   // GET /?custom=1&cmd=3015
    VodText,   // GET /blackvue_vod.cgi
    HtmlIndex, // GET /DCIM/ and the folders it links to
};

struct CameraListingCaps {
    std::size_t maxBytes = 4 * 1024 * 1024; // of one listing document
    std::size_t maxEntries = 20000;
    std::size_t maxNameLength = 255;        // bytes of one path component
    std::size_t maxDepth = 8;               // path components, the file name included
    std::size_t maxFolders = 64;            // folders an HTML walk visits
};

struct CameraListing {
    CameraDialect dialect = CameraDialect::None;
    std::vector<CameraEntry> entries;
    std::vector<std::string> refused; // why each refused name was refused (printable text)
    std::string error;                // the listing as a whole was unusable; empty when it was read
};

namespace CameraListingParser {

// The XML file list. The camera's own drive is the letter most of its entries use; an entry
// on another drive is refused. Empty error and no entries: a valid list of an empty card.
CameraListing parseXmlList(std::string_view document, const CameraListingCaps &caps = {});
// The text list: lines "n:/Record/NAME,s:SIZE" (other lines, such as the "v:" version, skipped).
CameraListing parseVodList(std::string_view document, const CameraListingCaps &caps = {});

// One HTML folder index, read as the folder at folderPath ("DCIM/" relative, '/'-terminated).
// Links to files directly inside it become entries; links to folders directly inside it are
// added to subfolders ("DCIM/Movie/"). Links elsewhere (parents, other hosts, queries) are ignored.
struct HtmlFolder {
    std::vector<CameraEntry> files;
    std::vector<std::string> subfolders;
    std::vector<std::string> refused;
};
HtmlFolder parseHtmlIndex(std::string_view document, const std::string &folderPath, const CameraListingCaps &caps = {});

// Whether a document looks like the given dialect at all (to tell a camera's answer from an
// error page that happens to come with status 200).
bool looksLikeXmlList(std::string_view document);
bool looksLikeVodList(std::string_view document);
bool looksLikeHtml(std::string_view document);

// A relative path ('/'-separated) made safe, or empty with why: components neither empty nor
// "." nor "..", no control characters, no ':' or '\\', within the caps.
std::string safeRelativePath(std::string_view path, const CameraListingCaps &caps, std::string *why);
// The path with every byte outside [A-Za-z0-9._~/-] percent-escaped, for a request line.
std::string escapePath(std::string_view path);
// The camera's "YYYY/MM/DD HH:MM:SS" as "YYYY-MM-DD HH:MM:SS"; empty when it is not a time.
std::string cameraTime(std::string_view text);
// "20260514_101500" in a name as "2026-05-14 10:15:00"; empty when the name has no such stamp.
std::string timeFromName(std::string_view name);
// A name written for a person: control characters shown as '?'.
std::string printable(std::string_view text);

} // namespace CameraListingParser

// The name the dialect is known by in messages ("XML list", "vod list", "HTML index").
const char *cameraDialectName(CameraDialect dialect);
