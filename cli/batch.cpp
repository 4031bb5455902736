#include "cli/batch.h"

#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>

#include "telemetry/kalgpsapi.h"
#include "cli/progressline.h"

namespace {

// A worker's message: status, then the lengths and bytes of reason, text and G-sensor text.
struct Header {
    std::int32_t status;
    std::uint64_t lengths[3];
};

// Moves all size bytes through io (::read or ::write), across interruptions and short counts.
template <typename Byte, typename Io>
bool transferAll(Io io, int fd, Byte *p, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = io(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

bool writeAll(int fd, const void *data, std::size_t size)
{
    return transferAll(::write, fd, static_cast<const char *>(data), size);
}

std::string encode(const Extraction &e)
{
    Header h{e.status, {e.reason.size(), e.text.size(), e.gsensor.size()}};
    std::string bytes(reinterpret_cast<const char *>(&h), sizeof h);
    return bytes + e.reason + e.text + e.gsensor;
}

std::optional<Extraction> decode(const std::string &bytes)
{
    Header h{};
    if (bytes.size() < sizeof h)
        return std::nullopt;
    std::memcpy(&h, bytes.data(), sizeof h);
    std::uint64_t total = sizeof h;
    for (std::uint64_t n : h.lengths) {
        if (n > bytes.size())
            return std::nullopt;
        total += n;
    }
    if (total != bytes.size() || h.status < Extraction::Found || h.status > Extraction::Unreadable)
        return std::nullopt;
    Extraction e;
    e.status = h.status;
    std::size_t at = sizeof h;
    e.reason = bytes.substr(at, h.lengths[0]);
    at += h.lengths[0];
    e.text = bytes.substr(at, h.lengths[1]);
    at += h.lengths[1];
    e.gsensor = bytes.substr(at, h.lengths[2]);
    return e;
}

// The length of the first whole message in bytes, or 0 while it is incomplete.
std::size_t messageLength(const std::string &bytes)
{
    Header h{};
    if (bytes.size() < sizeof h)
        return 0;
    std::memcpy(&h, bytes.data(), sizeof h);
    std::uint64_t total = sizeof h;
    for (std::uint64_t n : h.lengths) {
        if (n > (std::uint64_t(1) << 40))
            return std::size_t(-1); // not a message of ours: the worker is broken
        total += n;
    }
    return bytes.size() >= total ? std::size_t(total) : 0;
}

bool readAll(int fd, void *data, std::size_t size)
{
    return transferAll(::read, fd, static_cast<char *>(data), size);
}

// A worker process reads the files whose numbers it is sent, one at a time, and answers each
// with a message on the same socket. A socket, not a pipe: the parent sends with MSG_NOSIGNAL,
// so a worker that died costs its file, not the whole run.
struct Worker {
    pid_t pid = -1;
    int fd = -1;
    bool busy = false;
    std::size_t index = 0;
    std::string bytes;
};

bool spawn(Worker &w, const std::vector<Input> &inputs, bool extended, const std::vector<Worker> &all)
{
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return false;
    std::fflush(nullptr); // the worker must not write out the parent's buffered output again
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        for (const Worker &other : all) {
            if (other.fd >= 0)
                close(other.fd);
        }
        std::uint64_t index = 0;
        while (readAll(fds[1], &index, sizeof index) && index < inputs.size()) {
            const std::string message = encode(extractFile(inputs[index], extended));
            if (!writeAll(fds[1], message.data(), message.size()))
                _exit(3);
        }
        _exit(0);
    }
    close(fds[1]);
    w = Worker{pid, fds[0], false, 0, {}};
    return true;
}

// Ends a worker (closing its socket makes it leave its loop) and returns how it ended.
int reap(Worker &w)
{
    if (w.fd >= 0)
        close(w.fd);
    int status = 0;
    while (w.pid > 0 && waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
    }
    w = Worker{};
    return status;
}

// The file a worker was reading when it died: reported, and the rest go on.
Extraction lost(int status)
{
    Extraction e;
    e.status = Extraction::Unreadable;
    if (WIFSIGNALED(status))
        e.reason = std::string("the reader stopped on signal ") + std::to_string(WTERMSIG(status)) + " (" +
                   strsignal(WTERMSIG(status)) + ")";
    else
        e.reason = "the reader gave no result";
    return e;
}

RemoteExtractor &remoteExtractor()
{
    static RemoteExtractor extractor;
    return extractor;
}

} // namespace

void setRemoteExtractor(RemoteExtractor extractor)
{
    remoteExtractor() = std::move(extractor);
}

Extraction extractFile(const Input &input, bool extended)
{
    Extraction e;
    if (!input.unreadable.empty()) {
        e.status = Extraction::Unreadable;
        e.reason = input.unreadable;
        return e;
    }
    if (input.path.rfind("http://", 0) == 0 && remoteExtractor())
        return remoteExtractor()(input, extended);
    kalGpsInit();
    if (!extended) {
        char *text = nullptr;
        if (kalGpsDecode(&text, input.path.c_str(), 0) > 0 && text) {
            e.text = text;
            e.status = Extraction::Found;
        }
        std::free(text);
    } else {
        char *track = nullptr;
        char *gsensor = nullptr;
        const int n = kalGpsDecodeEx(&track, &gsensor, input.path.c_str(), 0);
        if (n > 0 || track) {
            e.text = track ? track : "";
            e.gsensor = gsensor ? gsensor : "";
            e.status = Extraction::Found;
        }
        std::free(track);
        std::free(gsensor);
    }
    kalGpsExit();
    return e;
}

int availableCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return CPU_COUNT(&set);
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? int(n) : 1;
}

void extractAll(const std::vector<Input> &inputs, bool extended, int jobs, ProgressLine *progress,
                const std::function<void(std::size_t, Extraction &)> &sink)
{
    auto deliver = [&](std::size_t i, Extraction &e) {
        if (progress) {
            progress->advance(inputs[i].size);
            progress->clear();
        }
        sink(i, e);
        if (progress)
            progress->draw();
    };
    if (jobs <= 1 || inputs.size() <= 1) {
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            if (progress)
                progress->draw(i == 0);
            Extraction e = extractFile(inputs[i], extended);
            deliver(i, e);
        }
        return;
    }

    // Results that wait for an earlier, slower file are held; the window bounds how many.
    const std::size_t window = std::size_t(jobs) * 4;
    std::vector<Worker> workers(std::size_t(std::min<std::size_t>(std::size_t(jobs), inputs.size())));
    std::map<std::size_t, Extraction> done;
    std::size_t next = 0, emitted = 0;
    if (progress)
        progress->draw(true);
    while (emitted < inputs.size()) {
        for (Worker &w : workers) {
            while (!w.busy && next < inputs.size() && next < emitted + window) {
                if (!inputs[next].unreadable.empty()) {
                    done[next] = extractFile(inputs[next], extended); // nothing to read: no worker
                    ++next;
                    continue;
                }
                if (w.fd < 0 && !spawn(w, inputs, extended, workers))
                    break;
                const std::uint64_t index = next;
                if (send(w.fd, &index, sizeof index, MSG_NOSIGNAL) != ssize_t(sizeof index)) {
                    done[next] = lost(reap(w));
                } else {
                    w.busy = true;
                    w.index = next;
                }
                ++next;
            }
        }
        std::vector<pollfd> fds;
        std::vector<Worker *> polled;
        for (Worker &w : workers) {
            if (w.busy) {
                fds.push_back({w.fd, POLLIN, 0});
                polled.push_back(&w);
            }
        }
        if (fds.empty() && next < inputs.size() && !done.count(emitted)) {
            // No process to spare at all: read the next file here.
            done[next] = extractFile(inputs[next], extended);
            ++next;
        }
        if (!fds.empty() && poll(fds.data(), fds.size(), 200) < 0 && errno != EINTR) {
            std::perror("trava-gps: poll");
            std::exit(2);
        }
        for (std::size_t k = 0; k < fds.size(); ++k) {
            if (!(fds[k].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            Worker &w = *polled[k];
            char buffer[65536];
            const ssize_t n = read(w.fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                done[w.index] = lost(reap(w));
                continue;
            }
            w.bytes.append(buffer, std::size_t(n));
            const std::size_t length = messageLength(w.bytes);
            if (length == std::size_t(-1)) {
                done[w.index] = lost(reap(w));
                continue;
            }
            if (length == 0)
                continue;
            std::optional<Extraction> e = decode(w.bytes.substr(0, length));
            w.bytes.erase(0, length);
            w.busy = false;
            if (e)
                done[w.index] = std::move(*e);
            else
                done[w.index] = lost(reap(w));
        }
        for (auto it = done.find(emitted); it != done.end(); it = done.find(emitted)) {
            deliver(emitted, it->second);
            done.erase(it);
            ++emitted;
        }
        if (progress)
            progress->draw();
    }
    for (Worker &w : workers)
        reap(w);
}
