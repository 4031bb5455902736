#pragma once
// Test support: a dash camera on 127.0.0.1, serving a generated card over HTTP/1.1 in one of
// the listing dialects (XML list, vod text list, HTML folder index), honouring byte ranges.
// It runs on its own threads (one per connection), so blocking clients, Qt clients and
// benchmarks can all talk to it. It can be made slow (each answer held back, a bandwidth
// limit), flaky (the connection dropped after N body bytes, for the next K answers),
// silent (stops sending mid-answer and keeps the connection open), wrong (listed sizes that
// lie, a list that never ends, ranges ignored) or hostile (extra names in the listing that
// climb out of the folder). No Qt, no test framework.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TestCamera {
public:
    enum class Dialect { Xml, Vod, Html };

    // A file on the card: size bytes, zero except for the pieces (offset → bytes), so that a
    // card of many large recordings costs only their telemetry in memory.
    struct File {
        std::uint64_t size = 0;
        std::map<std::uint64_t, std::string> pieces;
        std::int64_t listedSize = -1; // what the listing claims, when it lies
    };

    explicit TestCamera(Dialect dialect) : m_dialect(dialect)
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::listen(m_listen, 64);
        socklen_t len = sizeof a;
        ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&a), &len);
        m_port = ntohs(a.sin_port);
        m_acceptor = std::thread([this] { acceptLoop(); });
    }

    ~TestCamera()
    {
        m_stop = true;
        if (m_acceptor.joinable())
            m_acceptor.join();
        std::vector<std::thread> threads;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            threads.swap(m_threads);
        }
        for (std::thread &t : threads)
            t.join();
        ::close(m_listen);
    }

    int port() const { return m_port; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port); }

    void addFile(const std::string &path, const std::string &bytes)
    {
        File f;
        f.size = bytes.size();
        f.pieces[0] = bytes;
        addFile(path, f);
    }
    void addFile(const std::string &path, File file)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_files[path] = std::move(file);
    }
    void setListedSize(const std::string &path, std::int64_t size)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_files[path].listedSize = size;
    }
    // A name written into the listing as it stands (FPATH, vod name or href), with no file behind it.
    void addHostileName(const std::string &raw)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_hostile.push_back(raw);
    }
    // The bytes of a file as served.
    std::string contents(const std::string &path)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return slice(m_files.at(path), 0, m_files.at(path).size);
    }

    std::atomic<int> delayMs{0};
    std::atomic<std::uint64_t> bytesPerSecond{0}; // 0: as fast as the loopback goes
    std::atomic<std::int64_t> dropAfterBytes{-1}; // body bytes before the connection is cut...
    std::atomic<int> drops{0};                    // ...for this many answers of files
    std::atomic<std::int64_t> stallAfterBytes{-1}; // body bytes before it falls silent (files and lists)
    std::atomic<bool> endlessList{false};
    std::atomic<bool> ignoreRange{false};
    std::atomic<bool> hideTotal{false}; // ranges answered "bytes a-b/*", the length kept back

    std::atomic<std::uint64_t> bytesSent{0}; // body bytes of every answer
    std::atomic<int> requestCount{0};
    std::vector<std::string> requests() // "path|range", "HEAD path|range" for a HEAD
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_log;
    }

private:
    static std::string slice(const File &f, std::uint64_t first, std::uint64_t count)
    {
        std::string out(count, '\0');
        for (const auto &[at, bytes] : f.pieces) {
            const std::uint64_t end = at + bytes.size();
            const std::uint64_t a = std::max(at, first), b = std::min(end, first + count);
            if (a < b)
                std::memcpy(out.data() + (a - first), bytes.data() + (a - at), b - a);
        }
        return out;
    }

    // A name as XML text (the hostile names go in raw).
    static std::string escaped(const std::string &s)
    {
        std::string out;
        for (char c : s)
            out += c == '<' ? std::string("&lt;") : c == '>' ? std::string("&gt;") : c == '&' ? std::string("&amp;") : std::string(1, c);
        return out;
    }

    static std::string decode(const std::string &s)
    {
        std::string out;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '%' && i + 2 < s.size()) {
                out += char(std::stoi(s.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                out += s[i];
            }
        }
        return out;
    }

    void acceptLoop()
    {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            std::lock_guard<std::mutex> lock(m_mutex);
            m_threads.emplace_back([this, fd] {
                serve(fd);
                ::close(fd);
            });
        }
    }

    bool sendAll(int fd, const char *p, std::size_t n)
    {
        while (n > 0 && !m_stop) {
            const ssize_t k = ::send(fd, p, n, MSG_NOSIGNAL);
            if (k <= 0)
                return false;
            p += k;
            n -= std::size_t(k);
        }
        return n == 0;
    }

    // Waits its turn under the bandwidth limit, shared by every connection.
    void pace(std::size_t n)
    {
        const std::uint64_t rate = bytesPerSecond;
        if (rate == 0)
            return;
        std::chrono::steady_clock::time_point until;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            const auto now = std::chrono::steady_clock::now();
            m_nextFree = std::max(m_nextFree, now) + std::chrono::microseconds(n * 1000000 / rate);
            until = m_nextFree;
        }
        while (!m_stop && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
                until - std::chrono::steady_clock::now(), std::chrono::milliseconds(20)));
    }

    void stall()
    {
        while (!m_stop)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    // Sends a body in pieces, applying the limit, the drop and the stall.
    void sendBody(int fd, const std::function<std::string(std::uint64_t, std::uint64_t)> &bytesAt,
                  std::uint64_t length, bool endless, bool isFile)
    {
        std::int64_t dropAt = -1;
        if (isFile && drops > 0 && dropAfterBytes >= 0) {
            --drops;
            dropAt = dropAfterBytes;
        }
        const std::int64_t stallAt = stallAfterBytes;
        std::uint64_t sent = 0;
        while (!m_stop && (endless || sent < length)) {
            std::uint64_t n = std::min<std::uint64_t>(16 * 1024, endless ? 16 * 1024 : length - sent);
            if (dropAt >= 0 && sent + n > std::uint64_t(dropAt))
                n = std::uint64_t(dropAt) - sent;
            if (stallAt >= 0 && sent + n > std::uint64_t(stallAt))
                n = std::uint64_t(stallAt) - sent;
            if (n > 0) {
                pace(std::size_t(n));
                const std::string chunk = bytesAt(sent, n);
                if (!sendAll(fd, chunk.data(), chunk.size()))
                    return;
                sent += n;
                bytesSent += n;
            }
            if (dropAt >= 0 && sent >= std::uint64_t(dropAt))
                return; // cut: the caller closes
            if (stallAt >= 0 && sent >= std::uint64_t(stallAt)) {
                stall();
                return;
            }
        }
    }

    std::string xmlList()
    {
        std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<LIST>\n";
        for (const auto &[path, f] : m_files) {
            std::string fpath = "A:\\" + escaped(path);
            std::replace(fpath.begin(), fpath.end(), '/', '\\');
            const std::uint64_t size = f.listedSize >= 0 ? std::uint64_t(f.listedSize) : f.size;
            x += "<ALLFile><File>\n<NAME>" + escaped(path.substr(path.find_last_of('/') + 1)) + "</NAME>\n<FPATH>" + fpath +
                 "</FPATH>\n<SIZE>" + std::to_string(size) +
                 "</SIZE>\n<TIMECODE>1234</TIMECODE>\n<TIME>2026/05/14 10:15:00</TIME>\n<ATTR>32</ATTR>\n</File>\n</ALLFile>\n";
        }
        for (const std::string &raw : m_hostile)
            x += "<ALLFile><File>\n<NAME>x.MP4</NAME>\n<FPATH>" + raw +
                 "</FPATH>\n<SIZE>10</SIZE>\n<TIME>2026/05/14 10:15:00</TIME>\n</File>\n</ALLFile>\n";
        return x + "</LIST>\n";
    }

    std::string vodList()
    {
        std::string v = "v:1.00\r\n";
        for (const auto &[path, f] : m_files) {
            const std::uint64_t size = f.listedSize >= 0 ? std::uint64_t(f.listedSize) : f.size;
            v += "n:/" + path + ",s:" + std::to_string(size) + "\r\n";
        }
        for (const std::string &raw : m_hostile)
            v += "n:" + raw + ",s:10\r\n";
        return v;
    }

    // The index of folder ("DCIM/"), or false when no file is under it.
    bool htmlIndex(const std::string &folder, std::string *page)
    {
        std::vector<std::string> names;
        for (const auto &[path, f] : m_files) {
            if (path.compare(0, folder.size(), folder) != 0)
                continue;
            const std::string rest = path.substr(folder.size());
            const std::size_t slash = rest.find('/');
            const std::string name = slash == std::string::npos ? rest : rest.substr(0, slash + 1);
            if (std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
        }
        if (names.empty() && folder != "DCIM/")
            return false;
        *page = "<html><head><title>Index of /" + folder + "</title></head><body><h1>Index of /" + folder +
                "</h1><a href=\"?C=N;O=D\">Name</a><br><a href=\"../\">Parent Directory</a><br>\n";
        for (const std::string &n : names)
            *page += "<a href=\"" + n + "\">" + n + "</a><br>\n";
        if (folder == "DCIM/") {
            for (const std::string &raw : m_hostile)
                *page += "<a href=\"" + raw + "\">x</a><br>\n";
        }
        *page += "</body></html>\n";
        return true;
    }

    void serve(int fd)
    {
        std::string head;
        char buf[4096];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384 && !m_stop) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                return;
            head.append(buf, std::size_t(n));
        }
        if (m_stop)
            return;
        const std::size_t sp1 = head.find(' '), sp2 = head.find(' ', sp1 + 1);
        const std::string target = head.substr(sp1 + 1, sp2 - sp1 - 1);
        const bool headOnly = head.compare(0, 5, "HEAD ") == 0;
        std::string range;
        for (std::size_t at = head.find("\r\n"); at != std::string::npos;) {
            const std::size_t next = head.find("\r\n", at + 2);
            const std::string line = head.substr(at + 2, next == std::string::npos ? std::string::npos : next - at - 2);
            std::string name = line.substr(0, 6);
            std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
            if (line.size() > 6 && name == "range:")
                range = line.substr(line.find('=') + 1);
            at = next;
        }
        ++requestCount;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_log.push_back((headOnly ? "HEAD " : "") + target + "|" + range);
        }
        for (int waited = 0; waited < delayMs && !m_stop; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));

        std::string listing;
        bool isListing = false, found = false;
        File file;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (target == "/?custom=1&cmd=3015" && m_dialect == Dialect::Xml) {
                listing = xmlList();
                isListing = true;
            } else if (target == "/blackvue_vod.cgi" && m_dialect == Dialect::Vod) {
                listing = vodList();
                isListing = true;
            } else if (m_dialect == Dialect::Html && target.size() > 1 && target.back() == '/') {
                isListing = htmlIndex(decode(target.substr(1)), &listing);
            }
            if (!isListing) {
                auto it = m_files.find(decode(target.substr(1)));
                if (it != m_files.end()) {
                    file = it->second;
                    found = true;
                }
            }
        }
        if (isListing) {
            if (endlessList) {
                const std::string head200 = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n";
                sendAll(fd, head200.data(), head200.size());
                const std::string repeat = m_dialect == Dialect::Vod ? "n:/Record/20260514_101500_NF.mp4,s:10\r\n"
                                                                     : "<File><NAME>a</NAME></File>\n";
                sendBody(fd, [&](std::uint64_t at, std::uint64_t n) {
                    std::string s;
                    while (s.size() < at % repeat.size() + n)
                        s += repeat;
                    return s.substr(at % repeat.size(), n);
                }, 0, true, false);
                return;
            }
            const std::string h = "HTTP/1.1 200 OK\r\nContent-Type: " +
                                  std::string(m_dialect == Dialect::Vod ? "text/plain" : "text/html") +
                                  "\r\nContent-Length: " + std::to_string(listing.size()) + "\r\nConnection: close\r\n\r\n";
            if (!sendAll(fd, h.data(), h.size()))
                return;
            sendBody(fd, [&](std::uint64_t at, std::uint64_t n) { return listing.substr(at, n); }, listing.size(),
                     false, false);
            return;
        }
        if (!found) {
            const std::string h = "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found";
            sendAll(fd, h.data(), h.size());
            return;
        }
        std::uint64_t first = 0, last = file.size ? file.size - 1 : 0;
        bool ranged = false;
        if (!range.empty() && !ignoreRange) {
            const std::size_t dash = range.find('-');
            first = std::stoull(range.substr(0, dash));
            if (dash + 1 < range.size())
                last = std::min<std::uint64_t>(std::stoull(range.substr(dash + 1)), file.size ? file.size - 1 : 0);
            ranged = true;
            if (first >= file.size) {
                const std::string h = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" +
                                      std::to_string(file.size) + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
                sendAll(fd, h.data(), h.size());
                return;
            }
        }
        const std::uint64_t length = file.size ? last - first + 1 : 0;
        std::string h = ranged ? "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(first) + "-" +
                                     std::to_string(last) + "/" + (hideTotal ? "*" : std::to_string(file.size)) + "\r\n"
                               : std::string("HTTP/1.1 200 OK\r\n");
        h += "Content-Length: " + std::to_string(length) + "\r\nContent-Type: video/mp4\r\nConnection: close\r\n\r\n";
        if (!sendAll(fd, h.data(), h.size()) || headOnly)
            return;
        sendBody(fd, [&](std::uint64_t at, std::uint64_t n) { return slice(file, first + at, n); }, length, false,
                 true);
    }

    Dialect m_dialect;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::vector<std::thread> m_threads;
    std::map<std::string, File> m_files;
    std::vector<std::string> m_hostile;
    std::vector<std::string> m_log;
    std::chrono::steady_clock::time_point m_nextFree{};
};
