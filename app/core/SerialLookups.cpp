#include "SerialLookups.h"

#include <utility>

namespace app {

SerialLookups::SerialLookups(std::function<void(const std::string&)> lookUp) : lookUp_(std::move(lookUp))
{
}

void SerialLookups::handOver(std::string number)
{
    waiting_ = std::move(number);
    run([] {});
}

bool SerialLookups::run(const std::function<void()>& work)
{
    if (busy_)
        return false;
    struct Busy {
        bool& flag;
        explicit Busy(bool& f) : flag(f) { flag = true; }
        ~Busy() { flag = false; }
    } busy(busy_);
    work();
    while (waiting_) {
        const std::string number = std::move(*waiting_);
        waiting_.reset();
        lookUp_(number);
    }
    return true;
}

} // namespace app
