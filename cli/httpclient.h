#pragma once
// A small, bounded HTTP/1.1 client on POSIX sockets for talking to a dash camera over its
// Wi-Fi: GET with an optional byte range, one request per connection. trava-gps may be
// linked statically and carries no TLS, so only plain http is spoken; an https address is
// refused with a message rather than sent in the clear.
//
// Every request is bounded: a deadline for the whole exchange, a silence limit between
// two reads, caps on the header and on a body kept in memory. Redirects are never
// followed (a camera has no reason to send one; following it could reach another host):
// the status comes back as it is.
#include <cstdint>
#include <functional>
#include <string>

struct HttpAddress {
    std::string host; // a name or a numeric address, brackets stripped
    int port = 80;
    std::string base; // path prefix without the final '/', usually empty
};

// "http://192.168.1.254" or "http://cam:8080/" → address; false with why otherwise (https,
// other schemes, user info, queries).
bool parseHttpAddress(const std::string &url, HttpAddress *address, std::string *why);

struct HttpLimits {
    int connectMs = 4000;
    int silenceMs = 5000;   // no byte for this long: given up
    int deadlineMs = 60000; // the whole request, headers and body
    std::uint64_t maxBody = 4 * 1024 * 1024; // of a body kept in memory
};

struct HttpResponse {
    int status = 0;               // 0: no answer (error says why)
    std::string body;             // kept unless a sink took it
    std::int64_t contentLength = -1;
    std::int64_t rangeFirst = -1; // from Content-Range
    std::int64_t totalLength = -1; // the whole file's length from Content-Range
    std::uint64_t received = 0;   // body bytes that arrived
    std::string error;            // empty when the whole answer arrived
};

class HttpClient {
public:
    explicit HttpClient(HttpAddress address, HttpLimits limits = {});

    // GET target (a path with query, starting with '/'). With first >= 0 a range
    // "bytes=first-last" is asked for (last < 0: to the end). With a sink, body bytes go to
    // it as they come instead of into body (no size cap); the sink returns false to stop.
    HttpResponse get(const std::string &target, std::int64_t first = -1, std::int64_t last = -1,
                     const std::function<bool(const char *, std::size_t)> &sink = {}) const;

    const HttpAddress &address() const { return m_address; }
    const HttpLimits &limits() const { return m_limits; }
    // The full URL of a path on this host (for messages and output names).
    std::string url(const std::string &target) const;

private:
    HttpAddress m_address;
    HttpLimits m_limits;
};
