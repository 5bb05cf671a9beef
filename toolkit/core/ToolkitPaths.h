#pragma once
// The folders the toolkit hands to the rest of the program, each ending in
// the platform's separator. On Windows: the working directory, the Windows
// and system folders, the common files folder + "System\Ole DB\Data Links\"
// and the roaming application data + "Tervalen\Tervalen Suite\". On Linux:
//   ProgramDir   the working directory
//   WindowsDir   /etc/
//   SystemDir    /usr/lib/
//   DataLinksDir $TQ7_DATALINKS_DIR, else /etc/tervalen/Data Links/
//   SuiteDataDir $XDG_CONFIG_HOME (or ~/.config) + /Tervalen/Tervalen Suite/,
//                empty when it cannot be made

#include <string>

namespace toolkit {

struct ToolkitPaths {
    std::string ProgramDir, WindowsDir, SystemDir, DataLinksDir, SuiteDataDir;
};

const ToolkitPaths& Paths();

// Sets the paths and the install key from the working directory. Throws
// std::runtime_error("Unable to get Current path") when there is none, and on
// Windows "Unable to get Windows path" or "Unable to get System32 path".
void InitToolkitPaths();

} // namespace toolkit
