#include "Q7SimProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace q7sim {

Q7SimProcess::Q7SimProcess(const std::string& path, const std::string& display)
{
    int toChild[2], fromChild[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, toChild) != 0)
        return;
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    std::string displayArg = display;
    char* argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>("--display"),
                    displayArg.data(), nullptr};
    if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    in_ = toChild[1];
    out_ = fdopen(fromChild[0], "r");
}

Q7SimProcess::~Q7SimProcess()
{
    if (!quit() && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (out_)
        std::fclose(out_);
}

bool Q7SimProcess::send(const std::string& commands)
{
    std::string text = commands;
    if (text.empty() || text.back() != '\n')
        text += '\n';
    std::size_t done = 0;
    while (in_ >= 0 && done < text.size()) {
        const ssize_t n = ::send(in_, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return done == text.size();
}

bool Q7SimProcess::sync()
{
    if (!running())
        return false;
    if (!send("sync"))
        return false;
    char line[512];
    if (!std::fgets(line, sizeof line, out_))
        return false;
    return std::string(line) == "ok\n";
}

bool Q7SimProcess::quit()
{
    if (pid_ <= 0)
        return true;
    if (in_ >= 0) {
        send("quit");
        close(in_);
        in_ = -1;
    }
    // Give it a moment to close its windows; never wait for ever.
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace q7sim
