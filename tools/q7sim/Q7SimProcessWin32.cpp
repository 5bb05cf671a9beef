#include "Q7SimProcess.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace q7sim {

namespace {

class Win32Child : public ChildProcess {
public:
    Win32Child(HANDLE process, HANDLE in, HANDLE out) : process_(process), in_(in), out_(out) {}
    ~Win32Child() override
    {
        for (HANDLE h : {process_, in_, out_})
            if (h)
                CloseHandle(h);
    }

    bool write(const std::string& text) override
    {
        std::size_t done = 0;
        while (in_ && done < text.size()) {
            DWORD n = 0;
            if (!WriteFile(in_, text.data() + done, static_cast<DWORD>(text.size() - done), &n,
                           nullptr) ||
                n == 0)
                return false;
            done += n;
        }
        return done == text.size();
    }

    bool readLine(std::string& line) override
    {
        line.clear();
        char c = 0;
        DWORD n = 0;
        while (ReadFile(out_, &c, 1, &n, nullptr) && n == 1) {
            if (c == '\n')
                return true;
            if (c != '\r')
                line += c;
        }
        return false;
    }

    bool finish(int timeoutMs) override
    {
        if (in_) {
            CloseHandle(in_);
            in_ = nullptr;
        }
        return WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
    }

    void kill() override
    {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }

private:
    HANDLE process_, in_, out_;
};

std::wstring quoted(const std::string& word)
{
    return L"\"" + platform::widen(word) + L"\"";
}

} // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const std::string& path,
                                                  const std::vector<std::string>& args)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, toChild = nullptr, fromChild = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &toChild, &inherit, 0))
        return nullptr;
    if (!CreatePipe(&fromChild, &childOut, &inherit, 0)) {
        CloseHandle(childIn);
        CloseHandle(toChild);
        return nullptr;
    }
    // Our ends stay ours.
    SetHandleInformation(toChild, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(fromChild, HANDLE_FLAG_INHERIT, 0);

    std::wstring commandLine = quoted(path);
    for (const std::string& a : args)
        commandLine += L" " + quoted(a);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = childIn;
    si.hStdOutput = childOut;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    // Under Wine a start now and then fails while the wine server is busy
    // with other processes; a few tries ride that out.
    BOOL started = FALSE;
    for (int tries = 0; tries < 5 && !started; ++tries) {
        if (tries > 0)
            Sleep(200);
        started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &si, &pi);
    }
    CloseHandle(childIn);
    CloseHandle(childOut);
    if (!started) {
        CloseHandle(toChild);
        CloseHandle(fromChild);
        return nullptr;
    }
    CloseHandle(pi.hThread);
    return std::make_unique<Win32Child>(pi.hProcess, toChild, fromChild);
}

} // namespace q7sim
