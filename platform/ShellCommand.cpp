#include "ShellCommand.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

std::vector<std::string> splitParameters(const std::string& parameters)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : parameters) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

std::vector<std::string> openDocumentCommand(const std::string& file)
{
    return {"xdg-open", file};
}

std::vector<std::string> programCommand(const std::string& file, const std::string& parameters)
{
    std::vector<std::string> argv{file.find('/') == std::string::npos ? "./" + file : file};
    for (std::string& p : splitParameters(parameters))
        argv.push_back(std::move(p));
    return argv;
}

bool startDetached(const std::vector<std::string>& argv, const std::string& workingDir)
{
    if (argv.empty())
        return false;
    // The pipe closes on a successful exec; an error code arrives otherwise.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        ::setsid();
        // Double fork so the program is not our child and leaves no zombie.
        const pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        int err = 0;
        if (!workingDir.empty() && ::chdir(workingDir.c_str()) != 0)
            err = errno;
        if (err == 0) {
            std::vector<char*> args;
            for (const std::string& a : argv)
                args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            // execvp would hand a file without a #! line to /bin/sh.
            if (argv[0].find('/') == std::string::npos)
                ::execvp(args[0], args.data());
            else
                ::execv(args[0], args.data());
            err = errno;
        }
        [[maybe_unused]] auto n = ::write(fds[1], &err, sizeof err);
        ::_exit(127);
    }
    ::close(fds[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    int err = 0;
    const ssize_t got = ::read(fds[0], &err, sizeof err);
    ::close(fds[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

} // namespace platform
