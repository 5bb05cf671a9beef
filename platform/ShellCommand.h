#pragma once
// Starting other programs the way a shell "open" does, without a shell in
// between (no text is ever interpreted by /bin/sh).

#include <string>
#include <vector>

namespace platform {

// Splits a parameter text at blanks; double quotes group words.
std::vector<std::string> splitParameters(const std::string& parameters);
// The command that opens a document with the desktop's default handler
// (xdg-open). An execute bit on the file changes nothing: documents on network
// shares often carry one.
std::vector<std::string> openDocumentCommand(const std::string& file);
// The command that runs a program file with its parameters. A bare name means
// the file in the working directory, never one found on PATH.
std::vector<std::string> programCommand(const std::string& file, const std::string& parameters);
// Starts the command detached from us, in workingDir when not empty. True when
// the program was started. A path is executed as it is: a file the system
// cannot execute is an error, never handed to /bin/sh; a bare name (xdg-open)
// is looked up on PATH.
bool startDetached(const std::vector<std::string>& argv, const std::string& workingDir);

} // namespace platform
