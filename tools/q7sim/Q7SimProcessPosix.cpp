#include "Q7SimProcess.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace q7sim {

namespace {

class PosixChild : public ChildProcess {
public:
    PosixChild(pid_t pid, int in, std::FILE* out) : pid_(pid), in_(in), out_(out) {}
    ~PosixChild() override
    {
        if (in_ >= 0)
            close(in_);
        if (out_)
            std::fclose(out_);
    }

    bool write(const std::string& text) override
    {
        std::size_t done = 0;
        while (in_ >= 0 && done < text.size()) {
            const ssize_t n = ::send(in_, text.data() + done, text.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return done == text.size();
    }

    bool readLine(std::string& line) override
    {
        char buf[512];
        if (!out_ || !std::fgets(buf, sizeof buf, out_))
            return false;
        line = buf;
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        return true;
    }

    bool finish(int timeoutMs) override
    {
        if (in_ >= 0) {
            close(in_);
            in_ = -1;
        }
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    void kill() override
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_;
    int in_; // socket to the child's standard input (no SIGPIPE when it ends)
    std::FILE* out_;
};

} // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const std::string& path,
                                                  const std::vector<std::string>& args)
{
    int toChild[2], fromChild[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, toChild) != 0)
        return nullptr;
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    std::vector<std::string> words{path};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const bool started = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    if (!started) {
        close(toChild[1]);
        close(fromChild[0]);
        return nullptr;
    }
    return std::make_unique<PosixChild>(pid, toChild[1], fdopen(fromChild[0], "r"));
}

} // namespace q7sim
