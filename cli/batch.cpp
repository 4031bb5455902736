#include "cli/batch.h"

#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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

bool writeAll(int fd, const void *data, std::size_t size)
{
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
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

struct Worker {
    pid_t pid;
    int fd;
    std::size_t index;
    std::string bytes;
};

// Starts a worker for one input; nullopt when the system refuses a pipe or a process.
std::optional<Worker> start(const Input &input, bool extended, std::size_t index, const std::map<int, Worker> &others)
{
    int fds[2];
    if (pipe(fds) != 0)
        return std::nullopt;
    std::fflush(nullptr); // the worker must not write out the parent's buffered output again
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        close(fds[0]);
        for (const auto &[fd, w] : others)
            close(fd);
        const std::string message = encode(extractFile(input, extended));
        _exit(writeAll(fds[1], message.data(), message.size()) ? 0 : 3);
    }
    close(fds[1]);
    return Worker{pid, fds[0], index, {}};
}

// The outcome of a finished worker: its message, or the reason it gave none.
Extraction finish(Worker &w)
{
    close(w.fd);
    int status = 0;
    while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) {
        // One hostile file must not end the whole run: it is reported and the rest go on.
        Extraction e;
        e.status = Extraction::Unreadable;
        e.reason = std::string("the reader stopped on signal ") + std::to_string(WTERMSIG(status)) + " (" +
                   strsignal(WTERMSIG(status)) + ")";
        return e;
    }
    if (std::optional<Extraction> e = decode(w.bytes); e && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return std::move(*e);
    Extraction e;
    e.status = Extraction::Unreadable;
    e.reason = "the reader gave no result";
    return e;
}

} // namespace

Extraction extractFile(const Input &input, bool extended)
{
    Extraction e;
    if (!input.unreadable.empty()) {
        e.status = Extraction::Unreadable;
        e.reason = input.unreadable;
        return e;
    }
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
    std::map<int, Worker> running; // by pipe
    std::map<std::size_t, Extraction> done;
    std::size_t next = 0, emitted = 0;
    if (progress)
        progress->draw(true);
    while (emitted < inputs.size()) {
        while (running.size() < std::size_t(jobs) && next < inputs.size() && next < emitted + window) {
            if (!inputs[next].unreadable.empty()) {
                done[next] = extractFile(inputs[next], extended); // nothing to read: no worker
            } else if (std::optional<Worker> w = start(inputs[next], extended, next, running)) {
                running[w->fd] = std::move(*w);
            } else if (running.empty()) {
                done[next] = extractFile(inputs[next], extended); // no process to spare: read it here
            } else {
                break; // wait for a worker to finish, then try again
            }
            ++next;
        }
        if (!running.empty()) {
            std::vector<pollfd> fds;
            for (const auto &[fd, w] : running)
                fds.push_back({fd, POLLIN, 0});
            if (poll(fds.data(), fds.size(), 200) < 0 && errno != EINTR) {
                std::perror("trava-gps: poll");
                std::exit(2);
            }
            for (const pollfd &p : fds) {
                if (!(p.revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                Worker &w = running[p.fd];
                char buffer[65536];
                const ssize_t n = read(p.fd, buffer, sizeof buffer);
                if (n > 0) {
                    w.bytes.append(buffer, std::size_t(n));
                } else if (n == 0 || errno != EINTR) {
                    done[w.index] = finish(w);
                    running.erase(p.fd);
                }
            }
        }
        for (auto it = done.find(emitted); it != done.end(); it = done.find(emitted)) {
            deliver(emitted, it->second);
            done.erase(it);
            ++emitted;
        }
        if (progress)
            progress->draw();
    }
}
