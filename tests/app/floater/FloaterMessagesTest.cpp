#include "app/floater/FloaterMessages.h"
#include "platform/memory/MemoryDesktop.h"

#include <gtest/gtest.h>

using namespace floater;

TEST(FloaterMessages, RegistersTheFourMessagesInOrder)
{
    platform::MemoryDesktop d;
    const RegisteredMessages m = registerMessages(d);
    EXPECT_EQ(d.registerMessage("SET_ACTIVE_FLIK"), m.setActiveFlik);
    EXPECT_EQ(d.registerMessage("SET_ACTIVE_PERSONNR"), m.setActivePersonnr);
    EXPECT_LT(m.setActiveFlik, m.setActivePatient);
    EXPECT_LT(m.setActiveBildflik, m.setActivePersonnr);
}

TEST(FloaterMessages, FindsTheRunningFloaterOnlyWithItsApplicationWindow)
{
    platform::MemoryDesktop d;
    d.add(0, "TQ7FloaterFrmOrvana", "x");
    EXPECT_EQ(findRunningFloater(d), 0u); // no application window
    const auto app = d.createApplicationWindow("TApplication", "Tervalen Q7-koppling");
    d.add(0, "Other", "y");
    const auto floaterWindow = d.add(0, "tq7floaterfrmorvana", ""); // case does not matter
    EXPECT_EQ(findRunningFloater(d), floaterWindow); // the first one, front to back
    d.remove(floaterWindow);
    EXPECT_EQ(d.className(findRunningFloater(d)), "TQ7FloaterFrmOrvana");
    EXPECT_NE(findRunningFloater(d), app);
}

TEST(FloaterMessages, HandOverNumberTakesTheFirstFittingParameter)
{
    using V = std::vector<std::string>;
    struct Case { V args; std::string expected; } cases[] = {
        {{"191212121212"}, "191212121212"},
        {{"SHOWCOUNT", "19121212-1212"}, "19121212-1212"},
        {{" 191212121212"}, ""},             // the character test sees the blank
        {{"1912121212", "19121212121212"}, ""}, // 10 and 14 characters
        {{"19121212x212", "191212121212"}, "191212121212"},
        {{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(handOverNumber(c.args), c.expected);
}

TEST(FloaterMessages, DeliverUsesAnAtomOnlyForRealText)
{
    platform::MemoryDesktop d;
    const auto target = d.add(0, "TOrvanaMainform", "");
    ASSERT_TRUE(deliverMessage(d, target, 7, -1, "Modality - CR", 0));
    EXPECT_EQ(d.sent.back().atomText, "Modality - CR");
    EXPECT_EQ(d.sent.back().message.wParam, -1);
    // Deleted after sending, as the Windows peer's global atoms must be. X11
    // cannot delete an atom: there hand-overs use a window property instead
    // (HandOverX11Test checks that no trace is left).
    EXPECT_EQ(d.liveAtoms(), 0u);
    for (const std::string text : {"", " ", "\t"}) {
        ASSERT_TRUE(deliverMessage(d, target, 7, 3, text, 42));
        EXPECT_EQ(d.sent.back().message.lParam, 42);
    }
    EXPECT_FALSE(deliverMessage(d, target, 7, 0, std::string(300, 'x'), 0)); // no atom: not sent
    EXPECT_FALSE(deliverMessage(d, 0, 7, 0, "x", 0));
}

TEST(FloaterMessages, ReceivedNumberMustBeAWholePersonalNumber)
{
    platform::MemoryDesktop d;
    const auto received = [&](std::int64_t lParam) { return receivedPersonnr(d, {1, 2, 0, lParam}); };
    EXPECT_EQ(received(0), "");
    EXPECT_EQ(received(d.addAtom("  12345  ")), "");
    EXPECT_EQ(received(d.addAtom("123456")), "");
    EXPECT_EQ(received(d.addAtom("%")), "");
    EXPECT_EQ(received(d.addAtom(" 191212121212 ")), "191212121212");
    EXPECT_EQ(received(999999), ""); // unknown atom
}
