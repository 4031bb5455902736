#include "cli/remoterecording.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "cli/batch.h"
#include "telemetry/kalgpsapi.h"

RemoteRecording::RemoteRecording(const HttpClient &client, std::string target, std::int64_t blockSize, int maxBlocks)
    : m_client(client), m_target(std::move(target)), m_blockSize(blockSize), m_maxBlocks(std::max(4, maxBlocks))
{
}

bool RemoteRecording::open()
{
    ++m_requests;
    const HttpResponse r = m_client.get(m_target, 0, m_blockSize - 1);
    m_received += r.received;
    if (r.status == 0) {
        m_error = r.error;
        return false;
    }
    if (r.status == 416) { // an empty file: nothing to read, and nothing wrong
        m_length = 0;
        return true;
    }
    if (r.status != 206 || r.totalLength < 0 || r.rangeFirst != 0 || !r.error.empty()) {
        m_error = r.status == 206 || r.status == 200 ? (r.error.empty() ? "the camera does not answer byte ranges" : r.error)
                                                     : "HTTP status " + std::to_string(r.status);
        return false;
    }
    m_length = r.totalLength;
    if (std::int64_t(r.body.size()) != std::min(m_blockSize, m_length)) {
        m_error = "the camera sent a short block";
        return false;
    }
    m_blocks[0] = r.body;
    m_used[0] = ++m_clock;
    return true;
}

bool RemoteRecording::fetch(std::int64_t firstBlock, std::int64_t lastBlock)
{
    const std::int64_t first = firstBlock * m_blockSize;
    const std::int64_t last = std::min(m_length, (lastBlock + 1) * m_blockSize) - 1;
    ++m_requests;
    const HttpResponse r = m_client.get(m_target, first, last);
    m_received += r.received;
    if (r.status != 206 || r.rangeFirst != first || !r.error.empty() ||
        std::int64_t(r.body.size()) != last - first + 1) {
        m_error = r.status == 0 || !r.error.empty() ? r.error : "HTTP status " + std::to_string(r.status);
        if (m_error.empty())
            m_error = "the camera sent another range than asked";
        return false;
    }
    for (std::int64_t b = firstBlock; b <= lastBlock; ++b) {
        const std::int64_t at = (b - firstBlock) * m_blockSize;
        m_blocks[b] = r.body.substr(std::size_t(at), std::size_t(std::min(m_blockSize, last - first + 1 - at)));
        m_used[b] = ++m_clock;
    }
    // Least recently used blocks go first; the run just fetched stays.
    while (int(m_blocks.size()) > m_maxBlocks) {
        auto oldest = std::min_element(m_used.begin(), m_used.end(),
                                       [](const auto &a, const auto &b) { return a.second < b.second; });
        if (oldest->first >= firstBlock && oldest->first <= lastBlock)
            break;
        m_blocks.erase(oldest->first);
        m_used.erase(oldest);
    }
    return true;
}

std::int64_t RemoteRecording::read(char *buffer, std::uint64_t offset, std::uint32_t length)
{
    if (m_length < 0)
        return -1;
    if (offset >= std::uint64_t(m_length) || length == 0)
        return 0;
    const std::int64_t end = std::min<std::int64_t>(m_length, std::int64_t(offset) + length);
    const std::int64_t firstBlock = std::int64_t(offset) / m_blockSize;
    const std::int64_t lastBlock = (end - 1) / m_blockSize;
    // At most a quarter of the cache in one request, so a long read does not evict itself.
    const std::int64_t run = std::max<std::int64_t>(1, m_maxBlocks / 4);
    std::int64_t copied = 0;
    for (std::int64_t b = firstBlock; b <= lastBlock; ++b) {
        if (!m_blocks.count(b)) {
            std::int64_t until = b;
            while (until < lastBlock && until - b + 1 < run && !m_blocks.count(until + 1))
                ++until;
            if (!fetch(b, until))
                return copied > 0 ? copied : -1;
        }
        const std::string &block = m_blocks[b];
        m_used[b] = ++m_clock;
        const std::int64_t from = std::max<std::int64_t>(std::int64_t(offset), b * m_blockSize) - b * m_blockSize;
        const std::int64_t to = std::min<std::int64_t>(end, b * m_blockSize + std::int64_t(block.size())) - b * m_blockSize;
        if (to <= from)
            break;
        std::memcpy(buffer + copied, block.data() + from, std::size_t(to - from));
        copied += to - from;
    }
    return copied;
}

namespace {

RemoteRecording *g_current = nullptr; // the library calls back through a plain function

int64_t readCallback(void *buffer, uint64_t offset, uint32_t length, int32_t mode)
{
    if (!g_current)
        return 0;
    if (mode == 0)
        return g_current->length();
    if (mode != 1)
        return 0;
    const std::int64_t n = g_current->read(static_cast<char *>(buffer), offset, length);
    return n < 0 ? 0 : n;
}

} // namespace

Extraction extractRemote(const HttpClient &client, const std::string &target, bool extended, std::uint64_t *bytes,
                         int *requests)
{
    Extraction e;
    RemoteRecording recording(client, target);
    auto account = [&] {
        if (bytes)
            *bytes += recording.bytesReceived();
        if (requests)
            *requests += recording.requests();
    };
    if (!recording.open()) {
        e.status = Extraction::Unreadable;
        e.reason = recording.error();
        account();
        return e;
    }
    // The library tells formats apart by the name's ending; the target's is the file's.
    std::string name = target.substr(target.find_last_of('/') + 1);
    g_current = &recording;
    kalGpsInit();
    kalGpsReadCallBack(readCallback);
    if (!extended) {
        char *text = nullptr;
        if (kalGpsDecode(&text, name.c_str(), 1) > 0 && text) {
            e.text = text;
            e.status = Extraction::Found;
        }
        std::free(text);
    } else {
        char *track = nullptr;
        char *gsensor = nullptr;
        if (kalGpsDecodeEx(&track, &gsensor, name.c_str(), 1) > 0 || track) {
            e.text = track ? track : "";
            e.gsensor = gsensor ? gsensor : "";
            e.status = Extraction::Found;
        }
        std::free(track);
        std::free(gsensor);
    }
    kalGpsReadCallBack(nullptr);
    kalGpsExit();
    g_current = nullptr;
    if (!recording.error().empty()) {
        // The camera failed part-way: neither "no telemetry" nor a whole track.
        e = Extraction{};
        e.status = Extraction::Unreadable;
        e.reason = recording.error();
    }
    account();
    return e;
}
