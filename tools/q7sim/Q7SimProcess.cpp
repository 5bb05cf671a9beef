#include "Q7SimProcess.h"

namespace q7sim {

Q7SimProcess::Q7SimProcess(const std::string& path, const std::string& display)
    : child_(ChildProcess::start(path, {"--display", display}))
{
}

Q7SimProcess::~Q7SimProcess()
{
    if (!quit() && child_)
        child_->kill();
}

bool Q7SimProcess::send(const std::string& commands)
{
    if (!child_)
        return false;
    std::string text = commands;
    if (text.empty() || text.back() != '\n')
        text += '\n';
    return child_->write(text);
}

bool Q7SimProcess::sync()
{
    std::string line;
    return send("sync") && child_->readLine(line) && line == "ok";
}

bool Q7SimProcess::quit()
{
    if (!child_)
        return true;
    send("quit");
    // Give it a moment to close its windows; never wait for ever.
    if (!child_->finish(2000))
        return false;
    child_.reset();
    return true;
}

} // namespace q7sim
