// The floater among other programs: hand-overs while it is busy, and a
// session where it cannot see other programs' windows.

#include "FloaterTestSupport.h"

#include "app/floater/SessionPlatform.h"
#include "app/floater/TQ7FloaterFrmOrvana.h"
#include "platform/memory/MemoryDesktop.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace floater;
using floater_test::TempSettings;

namespace {

// A lookup that, like the real one, lets messages run while it works: the
// first one receives a flood of hand-overs.
struct BusyLookup : app::PatientLookup {
    TQ7FloaterFrmOrvana* window = nullptr;
    platform::MemoryDesktop* desktop = nullptr;
    std::vector<std::string> calls;
    int depth = 0, maxDepth = 0;

    void LookupPatient(const std::string& number, bool) override
    {
        maxDepth = std::max(maxDepth, ++depth);
        calls.push_back(number);
        if (calls.size() == 1)
            for (int i = 0; i < 5000; ++i)
                window->DefaultHandler(handOver(i % 2 ? "193405067890" : "200102034455"));
        --depth;
    }
    platform::Message handOver(const std::string& number)
    {
        return {0, window->messages().setActivePersonnr, 0, desktop->addAtom(number)};
    }
};

TEST(FloaterSession, HandOversDuringALookupWaitAndTheNewestIsLookedUpOnce)
{
    TempSettings settings;
    platform::MemoryDesktop desktop;
    TQ7FloaterFrmOrvana w(&desktop, {});
    BusyLookup lookup;
    lookup.window = &w;
    lookup.desktop = &desktop;
    w.setLookup(&lookup);

    w.DefaultHandler(lookup.handOver("191212121212"));
    EXPECT_EQ(lookup.maxDepth, 1) << "a lookup ran inside another";
    EXPECT_EQ(lookup.calls, (std::vector<std::string>{"191212121212", "193405067890"}));
    w.setLookup(nullptr);
}

TEST(FloaterSession, AsksForXcbUnlessTheUserChoseAPlatform)
{
    using V = std::vector<std::string>;
    struct Case {
        V args;
        const char* env;
        std::optional<std::string> expected;
    } cases[] = {
        {{}, nullptr, "xcb"},
        {{"191212121212"}, "", "xcb"},
        {{}, "wayland", std::nullopt},
        {{"-platform", "offscreen"}, nullptr, std::nullopt},
        {{"--platform=vnc"}, nullptr, std::nullopt},
        {{"-platformtheme", "gtk3"}, nullptr, "xcb"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlatformToRequest(c.args, c.env), c.expected) << (c.env ? c.env : "(unset)");
}

TEST(FloaterSession, WithoutTheWindowSystemTheMessageLineSaysSo)
{
    TempSettings settings;
    TQ7FloaterFrmOrvana w(nullptr, {});
    EXPECT_EQ(w.messageText(), QString::fromUtf8(kNoWindowSystem));
    EXPECT_EQ(w.frontLayer(), Layer::Message);
    EXPECT_EQ(w.stateSnapshot()["messageText"].toString(), QString::fromUtf8(kNoWindowSystem));
}

} // namespace
