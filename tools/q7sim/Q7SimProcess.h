#pragma once
// Runs q7sim as a child process and feeds it commands, for tests and
// benchmarks that need Q7 on an X11 display.

#include <cstdio>
#include <string>
#include <sys/types.h>

namespace q7sim {

class Q7SimProcess {
public:
    // Starts the program at path on the named display; check running().
    Q7SimProcess(const std::string& path, const std::string& display);
    ~Q7SimProcess();
    Q7SimProcess(const Q7SimProcess&) = delete;
    Q7SimProcess& operator=(const Q7SimProcess&) = delete;

    bool running() const { return pid_ > 0 && in_ >= 0 && out_; }
    // Writes commands (one or more lines) without waiting for q7sim to run
    // them. False when q7sim no longer reads.
    bool send(const std::string& commands);
    // Sends "sync" and waits for q7sim to answer that the X server has
    // everything sent so far. False when q7sim answered anything else
    // (an error line) or ended.
    bool sync();
    // Sends "quit" and waits for the process to end.
    bool quit();

private:
    pid_t pid_ = -1;
    int in_ = -1; // socket to q7sim's standard input (no SIGPIPE when it ends)
    std::FILE* out_ = nullptr; // its standard output
};

} // namespace q7sim
