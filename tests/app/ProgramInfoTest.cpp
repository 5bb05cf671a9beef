#include "app/core/ProgramInfo.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Case {
    std::vector<std::string> args;
    std::optional<int> rc;
    const char* starts; // what the output begins with ("" with no answer)
};

std::string joined(const std::vector<std::string>& args)
{
    std::string s;
    for (const std::string& a : args)
        s += "[" + a + "]";
    return s;
}

} // namespace

TEST(AnswerInfoSwitch, AnswersOnlyItsOwnSwitches)
{
    const Case cases[] = {
        {{"--version"}, 0, "q7floater 4.12.1\n"},
        {{"191212121212", "--version"}, 0, "q7floater 4.12.1\n"},
        {{"--help"}, 0, "Usage: q7floater "},
        {{"-h"}, 0, "Usage: q7floater "},
        {{"UPDATE_ALL", "--help"}, 0, "Usage: q7floater "},
        {{}, std::nullopt, ""},
        {{"191212121212"}, std::nullopt, ""},
        {{"UPDATE_ALL", "-SHOWCOUNT"}, std::nullopt, ""},
        {{"--state-file", "/tmp/state.json"}, std::nullopt, ""},
        {{"--versions"}, std::nullopt, ""},
        {{"version"}, std::nullopt, ""},
        {{"-help"}, std::nullopt, ""},
        {{"--help-me"}, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(joined(c.args));
        std::ostringstream out;
        EXPECT_EQ(app::AnswerInfoSwitch(c.args, out), c.rc);
        if (c.rc)
            EXPECT_TRUE(out.str().starts_with(c.starts)) << out.str();
        else
            EXPECT_EQ(out.str(), "");
    }
}

TEST(AnswerInfoSwitch, HelpNamesEveryArgumentAndTheSettingsRoots)
{
    std::ostringstream out;
    app::AnswerInfoSwitch({"--help"}, out);
    for (const char* word : {"PERSONNR", "UPDATE_ALL", "-SHOWCOUNT", ".udl", "--state-file", "--version",
                             "/etc/tervalen/machine.reg", "TQ7_REGISTRY_USER", "XDG_STATE_HOME", "q7floater(1)"})
        EXPECT_NE(out.str().find(word), std::string::npos) << word;
}
