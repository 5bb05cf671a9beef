#include "ProgramInfo.h"

#include <algorithm>
#include <ostream>

namespace app {

namespace {

constexpr const char* kUsage = R"(Usage: q7floater [PERSONNR] [UPDATE_ALL] [-SHOWCOUNT] [FILE.udl] [--state-file PATH]

The floater beside Q7: follows the patient Q7 shows and brings Orvana to the
same patient. A second start hands its personal number to the running floater.

  PERSONNR            a personal number to show first (191212121212 or 19121212-1212)
  UPDATE_ALL          sync every patient of the journal from Q7, then end
  -SHOWCOUNT          show the lookup counters on the "Gå till Orvana" button
  FILE.udl            the data-provider file naming the journal database
  --state-file PATH   write what the floater shows as JSON to PATH (owner only)
  -h, --help          show this text and end
  --version           show the version and end

Settings: ~/.config/tervalen/user.reg and /etc/tervalen/machine.reg
(TQ7_REGISTRY_USER, TQ7_REGISTRY_MACHINE). The batch log is kept in
$XDG_STATE_HOME/tervalen (~/.local/state/tervalen). See q7floater(1).
)";

bool has(const std::vector<std::string>& args, const char* name)
{
    return std::find(args.begin(), args.end(), name) != args.end();
}

} // namespace

std::optional<int> AnswerInfoSwitch(const std::vector<std::string>& args, std::ostream& out)
{
    if (has(args, "--help") || has(args, "-h")) {
        out << kUsage;
        return 0;
    }
    if (has(args, "--version")) {
        out << "q7floater " << kProgramVersion << '\n';
        return 0;
    }
    return std::nullopt;
}

} // namespace app
