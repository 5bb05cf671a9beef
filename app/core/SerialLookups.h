#pragma once
// Lookups one at a time. A lookup lets window messages run while it works
// (the display repaints, the caption reader moves the floater), so a
// hand-over or a timer tick can arrive in the middle of one. Started there,
// each would run inside the other, and a flood of hand-overs would grow the
// stack until the program crashes. Instead work that arrives while other work
// runs waits: a tracking pass is skipped (the next tick comes), and of the
// handed-over numbers that wait only the newest is looked up, after the
// running work.

#include <functional>
#include <optional>
#include <string>

namespace app {

class SerialLookups {
public:
    // lookUp looks up a handed-over number (without the push to Orvana).
    explicit SerialLookups(std::function<void(const std::string&)> lookUp);

    // A number from a second instance: looked up at once when nothing runs,
    // else after the running work; it replaces a number that still waits.
    void handOver(std::string number);
    // Runs work (a tracking pass, the start-up lookup) unless other work runs;
    // false when it did not run. Numbers handed over meanwhile follow it.
    bool run(const std::function<void()>& work);
    bool busy() const { return busy_; }

private:
    std::function<void(const std::string&)> lookUp_;
    std::optional<std::string> waiting_;
    bool busy_ = false;
};

} // namespace app
