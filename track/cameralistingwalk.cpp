#include "track/cameralistingwalk.h"

#include <utility>

CameraListingWalk::CameraListingWalk(CameraListingCaps caps) : m_caps(caps) {}

std::string CameraListingWalk::nextRequest() const
{
    switch (m_stage) {
    case Stage::Xml: return kXmlListPath;
    case Stage::Vod: return kVodListPath;
    case Stage::HtmlRoot: return kHtmlRootPath;
    case Stage::HtmlFolders: return "/" + CameraListingParser::escapePath(m_folders.front());
    case Stage::Done: break;
    }
    return {};
}

void CameraListingWalk::finish(std::string error)
{
    m_stage = Stage::Done;
    if (!error.empty() && m_result.error.empty())
        m_result.error = std::move(error);
}

void CameraListingWalk::answer(int status, std::string_view body, const std::string &error)
{
    if (m_stage == Stage::Done)
        return;
    const std::string asked = nextRequest();
    if (status == 0) {
        // Whatever was read of an HTML walk so far is kept, but it is not the whole card.
        finish("the camera did not answer " + asked + ": " + (error.empty() ? "no answer" : error));
        return;
    }
    const bool ok = status >= 200 && status < 300;
    switch (m_stage) {
    case Stage::Xml:
        if (ok && CameraListingParser::looksLikeXmlList(body)) {
            m_result = CameraListingParser::parseXmlList(body, m_caps);
            finish({});
        } else {
            m_stage = Stage::Vod;
        }
        return;
    case Stage::Vod:
        if (ok && CameraListingParser::looksLikeVodList(body)) {
            m_result = CameraListingParser::parseVodList(body, m_caps);
            finish({});
        } else {
            m_stage = Stage::HtmlRoot;
        }
        return;
    case Stage::HtmlRoot:
    case Stage::HtmlFolders: {
        const bool root = m_stage == Stage::HtmlRoot;
        const std::string folder = root ? std::string("DCIM/") : m_folders.front();
        if (!root)
            m_folders.pop_front();
        if (root) {
            m_result.dialect = CameraDialect::HtmlIndex;
            m_visited.insert(folder);
            if (!ok || !CameraListingParser::looksLikeHtml(body)) {
                m_result.dialect = CameraDialect::None;
                finish("the camera answers none of the known listings");
                return;
            }
        }
        if (ok) {
            CameraListingParser::HtmlFolder f = CameraListingParser::parseHtmlIndex(body, folder, m_caps);
            for (std::string &why : f.refused)
                m_result.refused.push_back(std::move(why));
            for (CameraEntry &e : f.files) {
                if (m_result.entries.size() >= m_caps.maxEntries) {
                    m_result.entries.clear();
                    finish("the listing has more than " + std::to_string(m_caps.maxEntries) + " entries");
                    return;
                }
                if (m_paths.insert(e.path).second)
                    m_result.entries.push_back(std::move(e));
            }
            for (std::string &sub : f.subfolders) {
                if (m_visited.size() >= m_caps.maxFolders) {
                    m_result.refused.push_back(CameraListingParser::printable(sub) + ": too many folders");
                    continue;
                }
                if (m_visited.insert(sub).second)
                    m_folders.push_back(std::move(sub));
            }
        } else {
            m_result.refused.push_back(folder + ": HTTP status " + std::to_string(status));
        }
        m_stage = m_folders.empty() ? Stage::Done : Stage::HtmlFolders;
        return;
    }
    case Stage::Done: return;
    }
}
