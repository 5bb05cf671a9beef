// q7sim: plays Q7's windows on an X11 display for the floater's tests,
// benchmarks and demo. Usage: q7sim [--display NAME] [--stay] [SCENARIO...]
// Runs the scenario files, then commands from standard input; ends at "quit"
// or at the end of input (with --stay it keeps its windows until killed).

#include "Q7Sim.h"
#include "X11Backend.h"
#include "tools/ToolArguments.h"

#include <QGuiApplication>

#include <cstring>
#include <iostream>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: q7sim [--display NAME] [--stay] [SCENARIO...]\n"
    "Plays Q7's windows: runs the scenario files, then commands from standard input.\n";

} // namespace

int main(int argc, char** argv)
{
    const char* display = nullptr;
    bool stay = false;
    std::vector<std::string> scenarios;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--display") == 0 && i + 1 < argc)
            display = argv[++i];
        else if (std::strcmp(argv[i], "--stay") == 0)
            stay = true;
        else if (tools::IsHelpSwitch(argv[i])) {
            std::cout << kUsage;
            return 0;
        } else if (tools::LooksLikeSwitch(argv[i])) {
            std::cerr << kUsage;
            return 2;
        } else
            scenarios.emplace_back(argv[i]);
    }
    // Qt only renders the drawn numbers, off screen; the windows are ours.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1; // our switches are not Qt's
    QGuiApplication renderer(qtArgc, argv);
    platform::X11Desktop desktop(display);
    if (!desktop.ok()) {
        std::cerr << "q7sim: cannot open the display\n";
        return 1;
    }
    q7sim::X11Backend backend(desktop);
    q7sim::Q7Sim sim(backend, std::cout);
    bool quit = false;
    if (!q7sim::RunScenarioFiles(sim, scenarios, std::cerr, &quit))
        return quit ? 0 : 1;
    for (std::string line; std::getline(std::cin, line);)
        if (!sim.run(line))
            return 0;
    if (stay)
        pause();
    return 0;
}
