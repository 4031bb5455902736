#pragma once
// A recording on a camera, read for the telemetry library through its read callback with
// ranged GETs. The scanner reads in small pieces (an atom header here, a table there); each
// read becomes whole aligned blocks, runs of missing blocks in one request, kept in a
// bounded cache, so a recording's telemetry costs a few requests and a small share of its
// bytes. A transport stream has its telemetry spread through the whole file and is read in
// full all the same.
#include <cstdint>
#include <map>
#include <string>

#include "cli/httpclient.h"

class RemoteRecording {
public:
    RemoteRecording(const HttpClient &client, std::string target, std::int64_t blockSize = 64 * 1024,
                    int maxBlocks = 64);

    // Asks for the first block and learns the length; false with error() when the camera
    // does not answer, has no such file or ignores byte ranges.
    bool open();
    std::int64_t length() const { return m_length; }
    // Copies at most length bytes at offset; the count, 0 at the end, -1 on failure.
    std::int64_t read(char *buffer, std::uint64_t offset, std::uint32_t length);

    const std::string &error() const { return m_error; }
    std::uint64_t bytesReceived() const { return m_received; }
    int requests() const { return m_requests; }

private:
    bool fetch(std::int64_t firstBlock, std::int64_t lastBlock);

    const HttpClient &m_client;
    std::string m_target;
    std::int64_t m_blockSize;
    int m_maxBlocks;
    std::int64_t m_length = -1;
    std::map<std::int64_t, std::string> m_blocks;
    std::map<std::int64_t, std::uint64_t> m_used;
    std::uint64_t m_clock = 0;
    std::string m_error;
    std::uint64_t m_received = 0;
    int m_requests = 0;
};

struct Extraction;

// Extracts the telemetry of the recording at target on the camera, as extractFile does for a
// local file. Bytes moved and requests sent are added to the counters when given.
Extraction extractRemote(const HttpClient &client, const std::string &target, bool extended,
                         std::uint64_t *bytes = nullptr, int *requests = nullptr);
