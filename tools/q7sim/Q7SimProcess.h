#pragma once
// Runs q7sim as a child process and feeds it commands, for tests and
// benchmarks that need Q7 on a real desktop (X11 or Win32).

#include <memory>
#include <string>
#include <vector>

namespace q7sim {

// The child process and the pipes to it; one implementation per system.
class ChildProcess {
public:
    virtual ~ChildProcess() = default;
    // Writes all of text; false when the child no longer reads.
    virtual bool write(const std::string& text) = 0;
    // One line of the child's output without its line end; false at its end.
    virtual bool readLine(std::string& line) = 0;
    // Closes the child's input and waits up to timeoutMs for it to end.
    virtual bool finish(int timeoutMs) = 0;
    virtual void kill() = 0;

    // Starts the program with the arguments; null when it cannot be started.
    static std::unique_ptr<ChildProcess> start(const std::string& path,
                                               const std::vector<std::string>& args);
};

class Q7SimProcess {
public:
    // Starts the program at path; on X11 it shows its windows on the named
    // display; check running().
    Q7SimProcess(const std::string& path, const std::string& display);
    ~Q7SimProcess();
    Q7SimProcess(const Q7SimProcess&) = delete;
    Q7SimProcess& operator=(const Q7SimProcess&) = delete;

    bool running() const { return child_ != nullptr; }
    // Writes commands (one or more lines) without waiting for q7sim to run
    // them. False when q7sim no longer reads.
    bool send(const std::string& commands);
    // Sends "sync" and waits for q7sim to answer that the window system has
    // everything sent so far. False when q7sim answered anything else
    // (an error line) or ended.
    bool sync();
    // Sends "quit" and waits for the process to end.
    bool quit();

private:
    std::unique_ptr<ChildProcess> child_;
};

} // namespace q7sim
