#pragma once
// Runs a shell command line and keeps what it wrote and how it ended, for tests that
// drive the command-line tool or check a written file with another program.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

struct ProcessOutcome {
    int code = -1;   // exit code; -1 when it could not start or did not exit normally
    std::string out; // standard output
    std::string err; // standard error, when asked for
};

// Standard error goes to the test's own unless captureErr is set.
inline ProcessOutcome runProcess(const std::string &command, bool captureErr = false)
{
    ProcessOutcome r;
    const std::string errFile = "/tmp/trava-test-err-" + std::to_string(::getpid());
    const std::string line = captureErr ? command + " 2>" + errFile : command;
    FILE *pipe = ::popen(line.c_str(), "r");
    if (!pipe)
        return r;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe))
        r.out.append(buf, n);
    const int status = ::pclose(pipe);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (captureErr) {
        std::ifstream e(errFile);
        std::stringstream ss;
        ss << e.rdbuf();
        r.err = ss.str();
        std::remove(errFile.c_str());
    }
    return r;
}
