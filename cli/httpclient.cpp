#include "cli/httpclient.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxHeader = 16 * 1024;

bool startsWithNoCase(const std::string &s, const char *prefix)
{
    const std::size_t n = std::strlen(prefix);
    if (s.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (std::tolower((unsigned char)s[i]) != std::tolower((unsigned char)prefix[i]))
            return false;
    }
    return true;
}

bool toInt64(std::string_view s, std::int64_t *v)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r'))
        s.remove_suffix(1);
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), *v);
    return !s.empty() && ec == std::errc() && ptr == s.data() + s.size() && *v >= 0;
}

struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Waits for events on fd until the silence limit or the deadline, whichever comes first.
// Returns false with why when neither came in time.
bool waitFor(int fd, short events, int silenceMs, Clock::time_point deadline, std::string *why)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            *why = "no complete answer in time";
            return false;
        }
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, int(std::min<long long>(left, silenceMs)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *why = std::strerror(errno);
            return false;
        }
        if (n == 0) {
            *why = left <= silenceMs ? "no complete answer in time" : "the camera stopped answering";
            return false;
        }
        return true;
    }
}

int connectTo(const HttpAddress &a, int timeoutMs, Clock::time_point deadline, std::string *why)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *list = nullptr;
    const std::string port = std::to_string(a.port);
    if (const int rc = ::getaddrinfo(a.host.c_str(), port.c_str(), &hints, &list); rc != 0) {
        *why = std::string("cannot resolve ") + a.host + ": " + gai_strerror(rc);
        return -1;
    }
    *why = "cannot connect";
    int result = -1;
    for (addrinfo *ai = list; ai && result < 0; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai->ai_protocol);
        if (fd < 0)
            continue;
        if (::connect(fd, ai->ai_addr, ai->ai_addrlen) != 0 && errno != EINPROGRESS) {
            *why = std::string("cannot connect: ") + std::strerror(errno);
            ::close(fd);
            continue;
        }
        const Clock::time_point until = std::min(deadline, Clock::now() + std::chrono::milliseconds(timeoutMs));
        int err = 0;
        socklen_t len = sizeof err;
        if (!waitFor(fd, POLLOUT, timeoutMs, until, why) || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 ||
            err != 0) {
            if (err != 0)
                *why = std::string("cannot connect: ") + std::strerror(err);
            else if (why->find("in time") != std::string::npos || why->find("stopped") != std::string::npos)
                *why = "cannot connect: no answer";
            ::close(fd);
            continue;
        }
        result = fd;
    }
    ::freeaddrinfo(list);
    if (result >= 0)
        why->clear();
    return result;
}

} // namespace

bool parseHttpAddress(const std::string &url, HttpAddress *address, std::string *why)
{
    auto refuse = [why](const std::string &reason) {
        *why = reason;
        return false;
    };
    if (startsWithNoCase(url, "https://"))
        return refuse("https is not supported by trava-gps (cameras serve their card over plain http)");
    if (!startsWithNoCase(url, "http://"))
        return refuse("only http:// addresses are supported");
    std::string rest = url.substr(7);
    const std::size_t slash = rest.find('/');
    std::string hostPort = rest.substr(0, slash);
    std::string base = slash == std::string::npos ? std::string() : rest.substr(slash);
    if (hostPort.find('@') != std::string::npos || base.find_first_of("?#") != std::string::npos)
        return refuse("the address may hold neither a user name nor a query");
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    HttpAddress a;
    a.base = base;
    std::string portText;
    if (!hostPort.empty() && hostPort.front() == '[') {
        const std::size_t close = hostPort.find(']');
        if (close == std::string::npos)
            return refuse("invalid address");
        a.host = hostPort.substr(1, close - 1);
        if (close + 1 < hostPort.size()) {
            if (hostPort[close + 1] != ':')
                return refuse("invalid address");
            portText = hostPort.substr(close + 2);
        }
    } else {
        const std::size_t colon = hostPort.find(':');
        a.host = hostPort.substr(0, colon);
        if (colon != std::string::npos)
            portText = hostPort.substr(colon + 1);
    }
    if (a.host.empty() || a.host.find_first_of(" \t\r\n") != std::string::npos)
        return refuse("the address names no host");
    if (!portText.empty()) {
        std::int64_t p = 0;
        if (!toInt64(portText, &p) || p < 1 || p > 65535)
            return refuse("invalid port");
        a.port = int(p);
    }
    *address = a;
    return true;
}

HttpClient::HttpClient(HttpAddress address, HttpLimits limits) : m_address(std::move(address)), m_limits(limits) {}

std::string HttpClient::url(const std::string &target) const
{
    const bool v6 = m_address.host.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + m_address.host + "]" : m_address.host) +
           (m_address.port == 80 ? std::string() : ":" + std::to_string(m_address.port)) + m_address.base + target;
}

HttpResponse HttpClient::get(const std::string &target, std::int64_t first, std::int64_t last,
                             const std::function<bool(const char *, std::size_t)> &sink) const
{
    HttpResponse r;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_limits.deadlineMs);
    Fd sock;
    sock.fd = connectTo(m_address, m_limits.connectMs, deadline, &r.error);
    if (sock.fd < 0)
        return r;
    const bool v6 = m_address.host.find(':') != std::string::npos;
    std::string request = "GET " + m_address.base + target + " HTTP/1.1\r\nHost: " +
                          (v6 ? "[" + m_address.host + "]" : m_address.host) +
                          (m_address.port == 80 ? std::string() : ":" + std::to_string(m_address.port)) +
                          "\r\nUser-Agent: trava-gps\r\nAccept-Encoding: identity\r\nConnection: close\r\n";
    if (first >= 0)
        request += "Range: bytes=" + std::to_string(first) + "-" + (last >= 0 ? std::to_string(last) : "") + "\r\n";
    request += "\r\n";
    for (std::size_t sent = 0; sent < request.size();) {
        if (!waitFor(sock.fd, POLLOUT, m_limits.silenceMs, deadline, &r.error))
            return r;
        const ssize_t n = ::send(sock.fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            r.error = std::string("cannot send: ") + std::strerror(errno);
            return r;
        }
        sent += std::size_t(n);
    }

    std::string head;
    std::string pending; // body bytes read with the head, or chunk framing not yet used
    bool chunked = false;
    bool headDone = false;
    std::int64_t chunkLeft = -1; // chunked: bytes left in the current chunk, -1 at a size line
    bool complete = false;
    char buffer[64 * 1024];

    // Hands body bytes on; false once the body is complete, too big or refused by the sink.
    auto deliver = [&](const char *p, std::size_t n) {
        if (n == 0)
            return true;
        r.received += n;
        if (sink) {
            if (!sink(p, n)) {
                r.error = "stopped";
                return false;
            }
            return true;
        }
        if (r.body.size() + n > m_limits.maxBody) {
            r.error = "the answer is larger than " + std::to_string(m_limits.maxBody) + " bytes";
            return false;
        }
        r.body.append(p, n);
        return true;
    };
    // Takes what pending holds as body; false to stop reading.
    auto consume = [&]() {
        if (!chunked) {
            std::size_t n = pending.size();
            if (r.contentLength >= 0)
                n = std::size_t(std::min<std::uint64_t>(n, std::uint64_t(r.contentLength) - r.received));
            const bool ok = deliver(pending.data(), n);
            pending.clear();
            if (r.contentLength >= 0 && r.received >= std::uint64_t(r.contentLength))
                complete = true;
            return ok && !complete;
        }
        for (;;) {
            if (chunkLeft < 0) {
                const std::size_t eol = pending.find("\r\n");
                if (eol == std::string::npos) {
                    if (pending.size() < 1024)
                        return true;
                    r.error = "invalid chunked answer";
                    return false;
                }
                std::int64_t size = 0;
                const std::string line = pending.substr(0, pending.find_first_of(";\r"));
                const auto [ptr, ec] = std::from_chars(line.data(), line.data() + line.size(), size, 16);
                if (line.empty() || ec != std::errc() || size < 0) {
                    r.error = "invalid chunked answer";
                    return false;
                }
                pending.erase(0, eol + 2);
                if (size == 0) {
                    complete = true;
                    return false;
                }
                chunkLeft = size;
            }
            const std::size_t n = std::size_t(std::min<std::int64_t>(chunkLeft, std::int64_t(pending.size())));
            if (!deliver(pending.data(), n))
                return false;
            pending.erase(0, n);
            chunkLeft -= std::int64_t(n);
            if (chunkLeft > 0)
                return true;
            if (pending.size() < 2)
                return true; // the CRLF after the chunk comes with the next read
            pending.erase(0, 2);
            chunkLeft = -1;
        }
    };

    for (;;) {
        if (!waitFor(sock.fd, POLLIN, m_limits.silenceMs, deadline, &r.error)) {
            if (!headDone)
                r.status = 0;
            return r;
        }
        const ssize_t n = ::recv(sock.fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0) {
            r.error = std::string("connection lost: ") + std::strerror(errno);
            if (!headDone)
                r.status = 0;
            return r;
        }
        if (n == 0) {
            // End of stream: complete only when no length was promised.
            if (!headDone) {
                r.error = "the connection closed before an answer";
                return r;
            }
            if (!chunked && r.contentLength < 0)
                return r;
            r.error = "the connection closed early";
            return r;
        }
        if (!headDone) {
            head.append(buffer, std::size_t(n));
            const std::size_t end = head.find("\r\n\r\n");
            if (end == std::string::npos) {
                if (head.size() > kMaxHeader) {
                    r.error = "the answer's header is too long";
                    return r;
                }
                continue;
            }
            pending = head.substr(end + 4);
            head.resize(end);
            headDone = true;
            // Status line, then the fields we use.
            if (head.compare(0, 5, "HTTP/") != 0 || head.size() < 12) {
                r.error = "not an HTTP answer";
                return r;
            }
            std::int64_t status = 0;
            if (!toInt64(std::string_view(head).substr(9, 3), &status)) {
                r.error = "not an HTTP answer";
                return r;
            }
            r.status = int(status);
            std::size_t at = head.find("\r\n");
            while (at != std::string::npos) {
                const std::size_t next = head.find("\r\n", at + 2);
                const std::string line = head.substr(at + 2, next == std::string::npos ? std::string::npos : next - at - 2);
                at = next;
                if (startsWithNoCase(line, "content-length:")) {
                    if (!toInt64(std::string_view(line).substr(15), &r.contentLength)) {
                        r.error = "invalid Content-Length";
                        r.status = 0;
                        return r;
                    }
                } else if (startsWithNoCase(line, "transfer-encoding:")) {
                    chunked = line.find("chunked") != std::string::npos;
                } else if (startsWithNoCase(line, "content-range:")) {
                    // "bytes first-last/total"
                    const std::size_t b = line.find("bytes");
                    const std::size_t dash = line.find('-', b), slash = line.find('/', b);
                    if (b != std::string::npos && dash != std::string::npos && slash != std::string::npos) {
                        std::int64_t v = 0;
                        if (toInt64(std::string_view(line).substr(b + 5, dash - b - 5), &v))
                            r.rangeFirst = v;
                        if (toInt64(std::string_view(line).substr(slash + 1), &v))
                            r.totalLength = v;
                    }
                }
            }
            if (chunked)
                r.contentLength = -1;
            if (r.status >= 300 && r.status < 400) {
                r.error = "redirect not followed";
                return r;
            }
            if (!sink && r.contentLength > std::int64_t(m_limits.maxBody)) {
                r.error = "the answer is larger than " + std::to_string(m_limits.maxBody) + " bytes";
                return r;
            }
            if (r.contentLength == 0 && !chunked)
                return r;
        } else {
            pending.append(buffer, std::size_t(n));
        }
        if (!consume())
            return r;
    }
}
