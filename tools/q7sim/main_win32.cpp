// q7sim.exe: plays Q7's windows on Windows for the floater's tests.
// Usage: q7sim [--stay] [SCENARIO...]
// Runs the scenario files, then commands from standard input; ends at "quit"
// or at the end of input (with --stay it keeps its windows until killed).
// The windows' thread keeps processing messages while it waits for the next
// command, so other programs can read its controls at any time.

#include "Q7Sim.h"
#include "Win32Backend.h"
#include "tools/ToolArguments.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>
#include <thread>

namespace {

constexpr UINT kCommand = WM_APP;    // LPARAM: the command line
constexpr UINT kEndOfInput = WM_APP + 1;

struct Runner {
    q7sim::Q7Sim* sim = nullptr;
    bool stay = false;
};

LRESULT CALLBACK commandProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* runner = reinterpret_cast<Runner*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (msg == kCommand && runner) {
        if (!runner->sim->run(*reinterpret_cast<const std::string*>(lParam)))
            PostQuitMessage(0);
        return 0;
    }
    if (msg == kEndOfInput && runner) {
        if (!runner->stay)
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(h, msg, wParam, lParam);
}

} // namespace

int main(int argc, char** argv)
{
    // Replies are read line by line by the driver: no "\r".
    _setmode(_fileno(stdout), _O_BINARY);
    Runner runner;
    std::vector<std::string> scenarios;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--stay") == 0)
            runner.stay = true;
        else if (std::strcmp(argv[i], "--display") == 0 && i + 1 < argc)
            ++i; // the X11 driver's option; Windows has one desktop
        else if (tools::IsHelpSwitch(argv[i])) {
            std::cout << "usage: q7sim [--stay] [SCENARIO...]\n";
            return 0;
        } else if (tools::LooksLikeSwitch(argv[i])) {
            std::cerr << "usage: q7sim [--stay] [SCENARIO...]\n";
            return 2;
        } else
            scenarios.emplace_back(argv[i]);
    }
    q7sim::Win32Backend backend;
    q7sim::Q7Sim sim(backend, std::cout);
    runner.sim = &sim;
    bool quit = false;
    if (!q7sim::RunScenarioFiles(sim, scenarios, std::cerr, &quit))
        return quit ? 0 : 1;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = commandProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"q7simCommands";
    RegisterClassExW(&wc);
    HWND commands = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    wc.hInstance, nullptr);
    if (!commands) {
        std::cerr << "q7sim: cannot create the command window\n";
        return 1;
    }
    SetWindowLongPtrW(commands, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&runner));

    // Standard input is read on a thread of its own; each line runs on the
    // windows' thread (SendMessage waits until it has).
    // It reads the handle itself, without the C library's stream, whose lock
    // it would otherwise hold while the process ends.
    std::thread([commands] {
        HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
        std::string pending;
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(in, buf, sizeof buf, &got, nullptr) && got > 0) {
            pending.append(buf, got);
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                SendMessageW(commands, kCommand, 0, reinterpret_cast<LPARAM>(&line));
            }
        }
        if (!pending.empty())
            SendMessageW(commands, kCommand, 0, reinterpret_cast<LPARAM>(&pending));
        SendMessageW(commands, kEndOfInput, 0, 0);
    }).detach();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
