#include "cli/progressline.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace {

void writeAll(int fd, const std::string &s)
{
    std::size_t at = 0;
    while (at < s.size()) {
        const ssize_t n = ::write(fd, s.data() + at, s.size() - at);
        if (n <= 0)
            return; // a terminal that went away: the progress line is not worth an error
        at += std::size_t(n);
    }
}

} // namespace

ProgressLine::ProgressLine(int fd, std::size_t files, std::uint64_t bytes)
    : m_fd(fd), m_files(files), m_bytes(bytes), m_start(std::chrono::steady_clock::now()), m_lastDraw(m_start)
{
}

ProgressLine::~ProgressLine() { clear(); }

void ProgressLine::advance(std::uint64_t bytes)
{
    ++m_done;
    m_doneBytes += bytes;
}

std::string ProgressLine::text(std::size_t done, std::size_t files, std::uint64_t doneBytes, std::uint64_t bytes,
                               double seconds)
{
    // Plain ASCII and '.' decimals whatever the locale: the figures are printed by hand.
    char line[128];
    const double rate = seconds > 0 ? double(doneBytes) / 1e6 / seconds : 0;
    const int tenths = int(std::lround(rate * 10));
    int n = std::snprintf(line, sizeof line, "%zu/%zu files, %d.%d MB/s", done, files, tenths / 10, tenths % 10);
    if (doneBytes > 0 && seconds >= 0.5 && bytes >= doneBytes) {
        const double left = double(bytes - doneBytes) / (double(doneBytes) / seconds);
        const long s = left < 359999 ? std::lround(left) : 359999;
        std::snprintf(line + n, sizeof line - std::size_t(n), ", %ld:%02ld:%02ld left", s / 3600, s / 60 % 60,
                      s % 60);
    }
    return line;
}

void ProgressLine::draw(bool force)
{
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - m_lastDraw < std::chrono::milliseconds(200))
        return;
    m_lastDraw = now;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    writeAll(m_fd, "\r\033[K" + text(m_done, m_files, m_doneBytes, m_bytes, seconds));
    m_shown = true;
}

void ProgressLine::clear()
{
    if (!m_shown)
        return;
    writeAll(m_fd, "\r\033[K");
    m_shown = false;
}
