#pragma once
// The one-line progress report of a batch run on a terminal: files done of total, MB/s
// and time left, redrawn in place on stderr at most five times a second.
#include <chrono>
#include <cstdint>
#include <string>

class ProgressLine {
public:
    ProgressLine(int fd, std::size_t files, std::uint64_t bytes);
    ~ProgressLine();

    // One more file read, of the given size.
    void advance(std::uint64_t bytes);
    // Redraws the line when due (or when force is set).
    void draw(bool force = false);
    // Removes the line so that other text can be written to the terminal.
    void clear();

    // The text of the line, for given figures (seconds elapsed).
    static std::string text(std::size_t done, std::size_t files, std::uint64_t doneBytes, std::uint64_t bytes,
                            double seconds);

private:
    int m_fd;
    std::size_t m_files, m_done = 0;
    std::uint64_t m_bytes, m_doneBytes = 0;
    std::chrono::steady_clock::time_point m_start, m_lastDraw;
    bool m_shown = false;
};
