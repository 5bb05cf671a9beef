#pragma once
// What `q7floater --help` and `--version` print. Answered before any window or
// display is opened, so both work on a machine without a session.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace app {

// The program's version, as the tray menu shows it after "Version:".
inline constexpr const char* kProgramVersion = TQ7_VERSION;

// Writes the usage text (for "--help" or "-h") or "q7floater <version>" (for
// "--version") to out and gives the exit code; nullopt when neither switch
// is among the arguments (without the program name).
std::optional<int> AnswerInfoSwitch(const std::vector<std::string>& args, std::ostream& out);

} // namespace app
