#include "track/cameralisting.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

namespace CameraListingParser {
namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Position of needle in text at or after from, compared without regard to ASCII case.
std::size_t findNoCase(std::string_view text, std::string_view needle, std::size_t from = 0)
{
    if (needle.empty() || text.size() < needle.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && lower(text[i + k]) == lower(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::string_view::npos;
}

bool isDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool parseSize(std::string_view s, std::uint64_t *size)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    if (!isDigits(s))
        return false;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), *size);
    return ec == std::errc() && ptr == s.data() + s.size();
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

void appendUtf8(std::string &out, unsigned long cp)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        out += '?';
    } else if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Character references and the five named entities; anything else stays as written.
std::string unescapeXml(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        const std::size_t semi = s.find(';', i);
        if (semi == std::string_view::npos || semi - i > 12) {
            out += s[i];
            continue;
        }
        const std::string_view name = s.substr(i + 1, semi - i - 1);
        static const std::map<std::string_view, char> kNamed = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        if (auto it = kNamed.find(name); it != kNamed.end()) {
            out += it->second;
        } else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string_view digits = name.substr(hex ? 2 : 1);
            unsigned long cp = 0;
            const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
            if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size()) {
                out += s[i];
                continue;
            }
            appendUtf8(out, cp);
        } else {
            out += s[i];
            continue;
        }
        i = semi;
    }
    return out;
}

// The text of the first <tag>…</tag> inside block; false when there is none.
bool elementText(std::string_view block, std::string_view tag, std::string *text)
{
    const std::string open = "<" + std::string(tag) + ">";
    const std::string close = "</" + std::string(tag) + ">";
    const std::size_t a = findNoCase(block, open);
    if (a == std::string_view::npos)
        return false;
    const std::size_t b = findNoCase(block, close, a + open.size());
    if (b == std::string_view::npos)
        return false;
    *text = unescapeXml(block.substr(a + open.size(), b - a - open.size()));
    return true;
}

std::string percentDecode(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() + 0 && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
            out += char(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Adds an entry unless its path is unsafe or already listed; false when the cap is reached.
bool addEntry(CameraListing &listing, std::set<std::string> &seen, const std::string &raw, std::uint64_t size,
              std::string time, const CameraListingCaps &caps)
{
    std::string why;
    std::string path = safeRelativePath(raw, caps, &why);
    if (path.empty()) {
        listing.refused.push_back(printable(raw) + ": " + why);
        return true;
    }
    if (!seen.insert(path).second) {
        listing.refused.push_back(printable(raw) + ": listed twice");
        return true;
    }
    if (listing.entries.size() >= caps.maxEntries) {
        listing.error = "the listing has more than " + std::to_string(caps.maxEntries) + " entries";
        listing.entries.clear();
        return false;
    }
    if (time.empty())
        time = timeFromName(path.substr(path.find_last_of('/') + 1));
    listing.entries.push_back({path, "/" + escapePath(path), size, std::move(time)});
    return true;
}

bool tooBig(CameraListing &listing, std::string_view document, const CameraListingCaps &caps)
{
    if (document.size() <= caps.maxBytes)
        return false;
    listing.error = "the listing is larger than " + std::to_string(caps.maxBytes) + " bytes";
    return true;
}

} // namespace

std::string printable(std::string_view text)
{
    std::string out(text.substr(0, 300));
    for (char &c : out) {
        if ((unsigned char)c < 0x20 || c == 0x7f)
            c = '?';
    }
    return out;
}

std::string safeRelativePath(std::string_view path, const CameraListingCaps &caps, std::string *why)
{
    auto refuse = [why](const char *reason) {
        if (why)
            *why = reason;
        return std::string();
    };
    if (path.empty())
        return refuse("empty name");
    if (path.front() == '/')
        return refuse("absolute path");
    std::size_t depth = 0;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (part.empty())
            return refuse("empty path component");
        if (part == "." || part == "..")
            return refuse("climbs out of its folder");
        if (part.size() > caps.maxNameLength)
            return refuse("name too long");
        for (char c : part) {
            if ((unsigned char)c < 0x20 || c == 0x7f)
                return refuse("control character in name");
            if (c == ':' || c == '\\')
                return refuse("drive or folder separator in name");
        }
        if (++depth > caps.maxDepth)
            return refuse("folders nested too deep");
        start = end + 1;
    }
    return std::string(path);
}

std::string escapePath(std::string_view path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '_' || c == '~' || c == '-' || c == '/';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[(unsigned char)c >> 4];
            out += kHex[(unsigned char)c & 15];
        }
    }
    return out;
}

bool looksLikeXmlList(std::string_view document)
{
    return findNoCase(document, "<LIST") != std::string_view::npos &&
           (findNoCase(document, "<ALLFile") != std::string_view::npos ||
            findNoCase(document, "<File>") != std::string_view::npos ||
            findNoCase(document, "</LIST>") != std::string_view::npos);
}

bool looksLikeVodList(std::string_view document)
{
    return document.substr(0, 2) == "v:" || document.substr(0, 2) == "n:" ||
           document.find("\nn:") != std::string_view::npos;
}

bool looksLikeHtml(std::string_view document)
{
    return findNoCase(document, "href") != std::string_view::npos;
}

CameraListing parseXmlList(std::string_view document, const CameraListingCaps &caps)
{
    CameraListing listing;
    listing.dialect = CameraDialect::XmlList;
    if (tooBig(listing, document, caps))
        return listing;
    if (!looksLikeXmlList(document)) {
        listing.error = "not a file list";
        return listing;
    }
    struct Raw {
        char drive = 0;
        std::string rest, fpath;
        std::uint64_t size = 0;
        std::string time;
    };
    std::vector<Raw> raws;
    std::map<char, std::size_t> drives;
    for (std::size_t at = findNoCase(document, "<File>"); at != std::string_view::npos;
         at = findNoCase(document, "<File>", at)) {
        const std::size_t end = findNoCase(document, "</File>", at);
        if (end == std::string_view::npos)
            break; // a list cut short: what came whole stays
        const std::string_view block = document.substr(at + 6, end - at - 6);
        at = end + 7;
        if (raws.size() >= caps.maxEntries) {
            listing.error = "the listing has more than " + std::to_string(caps.maxEntries) + " entries";
            return listing;
        }
        Raw r;
        std::string sizeText, timeText;
        if (!elementText(block, "FPATH", &r.fpath)) {
            std::string name;
            elementText(block, "NAME", &name);
            listing.refused.push_back(printable(name) + ": no path");
            continue;
        }
        if (elementText(block, "SIZE", &sizeText) && !parseSize(sizeText, &r.size))
            r.size = 0;
        if (elementText(block, "TIME", &timeText))
            r.time = cameraTime(timeText);
        const std::string &f = r.fpath;
        if (f.size() >= 3 && ((f[0] >= 'A' && f[0] <= 'Z') || (f[0] >= 'a' && f[0] <= 'z')) && f[1] == ':' &&
            (f[2] == '\\' || f[2] == '/')) {
            r.drive = char(f[0] & ~0x20);
            r.rest = f.substr(3);
            ++drives[r.drive];
        }
        raws.push_back(std::move(r));
    }
    // The camera's own drive: the one most of its files are on (the first of equals).
    char own = 0;
    std::size_t most = 0;
    for (const auto &[drive, count] : drives) {
        if (count > most) {
            own = drive;
            most = count;
        }
    }
    std::set<std::string> seen;
    for (Raw &r : raws) {
        if (r.drive == 0) {
            listing.refused.push_back(printable(r.fpath) + ": not a path on the camera's card");
            continue;
        }
        if (r.drive != own) {
            listing.refused.push_back(printable(r.fpath) + ": on another drive");
            continue;
        }
        std::replace(r.rest.begin(), r.rest.end(), '\\', '/');
        if (!addEntry(listing, seen, r.rest, r.size, r.time, caps))
            break;
    }
    return listing;
}

CameraListing parseVodList(std::string_view document, const CameraListingCaps &caps)
{
    CameraListing listing;
    listing.dialect = CameraDialect::VodText;
    if (tooBig(listing, document, caps))
        return listing;
    std::set<std::string> seen;
    std::size_t start = 0;
    while (start < document.size()) {
        std::size_t end = document.find('\n', start);
        if (end == std::string_view::npos)
            end = document.size();
        std::string_view line = document.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.substr(0, 2) != "n:")
            continue;
        line.remove_prefix(2);
        std::uint64_t size = 0;
        const std::size_t comma = line.rfind(",s:");
        std::string_view name = line;
        if (comma != std::string_view::npos) {
            name = line.substr(0, comma);
            if (!parseSize(line.substr(comma + 3), &size))
                size = 0;
        }
        if (name.substr(0, 8) != "/Record/") {
            listing.refused.push_back(printable(name) + ": not in the camera's record folder");
            continue;
        }
        if (!addEntry(listing, seen, std::string(name.substr(1)), size, {}, caps))
            break;
    }
    return listing;
}

HtmlFolder parseHtmlIndex(std::string_view document, const std::string &folderPath, const CameraListingCaps &caps)
{
    HtmlFolder folder;
    if (document.size() > caps.maxBytes) {
        folder.refused.push_back(printable(folderPath) + ": index larger than the cap");
        return folder;
    }
    std::set<std::string> seen;
    for (std::size_t at = findNoCase(document, "href"); at != std::string_view::npos;
         at = findNoCase(document, "href", at + 4)) {
        std::size_t p = at + 4;
        while (p < document.size() && document[p] == ' ')
            ++p;
        if (p >= document.size() || document[p] != '=')
            continue;
        ++p;
        while (p < document.size() && document[p] == ' ')
            ++p;
        if (p >= document.size())
            break;
        std::size_t end;
        if (document[p] == '"' || document[p] == '\'') {
            end = document.find(document[p], p + 1);
            ++p;
        } else {
            end = document.find_first_of(" >\t\r\n", p);
        }
        if (end == std::string_view::npos)
            break;
        std::string link = unescapeXml(document.substr(p, end - p));
        if (link.empty() || link.find("://") != std::string::npos || link.substr(0, 2) == "//" ||
            link.find_first_of("?#") != std::string::npos || link.find(':') != std::string::npos)
            continue; // other hosts, queries, sort links, schemes
        if (link.front() == '/') {
            const std::string prefix = "/" + folderPath;
            if (link.compare(0, prefix.size(), prefix) != 0)
                continue; // a parent or another tree
            link = link.substr(prefix.size());
        } else if (link.substr(0, 2) == "./") {
            link = link.substr(2);
        }
        const bool isFolder = !link.empty() && link.back() == '/';
        if (isFolder)
            link.pop_back();
        if (link.empty() || link == "." || link == "..")
            continue; // the folder itself, its parent
        const std::string name = percentDecode(link);
        if (name.find('/') != std::string::npos || name == "..") {
            folder.refused.push_back(printable(name) + ": climbs out of its folder");
            continue;
        }
        std::string why;
        const std::string path = safeRelativePath(folderPath + name, caps, &why);
        if (path.empty()) {
            folder.refused.push_back(printable(folderPath + name) + ": " + why);
            continue;
        }
        if (!seen.insert(path).second)
            continue;
        if (isFolder)
            folder.subfolders.push_back(path + "/");
        else
            folder.files.push_back({path, "/" + escapePath(path), 0, timeFromName(name)});
    }
    return folder;
}

} // namespace CameraListingParser

const char *cameraDialectName(CameraDialect dialect)
{
    switch (dialect) {
    case CameraDialect::XmlList: return "XML list";
    case CameraDialect::VodText: return "vod list";
    case CameraDialect::HtmlIndex: return "HTML index";
    case CameraDialect::None: break;
    }
    return "none";
}
