#pragma once
// Starting other programs the way a shell "open" does, without a shell in
// between (no text is ever interpreted by /bin/sh).

#include <string>
#include <vector>

namespace platform {

// Splits a parameter text at blanks; double quotes group words.
std::vector<std::string> splitParameters(const std::string& parameters);
// The command for opening a file: the file itself with its parameters when it
// is an executable program, else the desktop's default handler (xdg-open).
std::vector<std::string> shellOpenCommand(const std::string& file, const std::string& parameters);
// Starts the command detached from us, in workingDir when not empty. True when
// the program was started.
bool startDetached(const std::vector<std::string>& argv, const std::string& workingDir);

} // namespace platform
