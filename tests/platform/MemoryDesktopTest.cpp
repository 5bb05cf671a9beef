#include "platform/memory/MemoryDesktop.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(MemoryDesktop, DescendantsAreDepthFirstInChildOrder)
{
    MemoryDesktop d;
    const WindowId top = d.add(0, "Main", "Q7");
    const WindowId a = d.add(top, "A", "");
    const WindowId a1 = d.add(a, "A1", "");
    const WindowId b = d.add(top, "B", "");
    EXPECT_EQ(d.descendants(top), (std::vector<WindowId>{a, a1, b}));
    EXPECT_EQ(d.findChild(top, "B"), b);
    EXPECT_EQ(d.findWindow(std::string("Main"), std::string("Q7")), top);
    EXPECT_EQ(d.findWindow(std::nullopt, std::string("Q")), 0u);
}

TEST(MemoryDesktop, VisibilityFollowsParentsAndRemovedWindowsAreGone)
{
    MemoryDesktop d;
    const WindowId top = d.add(0, "Main", "Q7", false);
    const WindowId child = d.add(top, "Edit", "x");
    EXPECT_FALSE(d.isVisible(child));
    d.window(top).visible = true;
    EXPECT_TRUE(d.isVisible(child));
    d.remove(top);
    EXPECT_FALSE(d.isVisible(child));
    EXPECT_EQ(d.windowText(child, 10), "");
    EXPECT_FALSE(d.sendMessage(child, 1, 0, 0));
}

TEST(MemoryDesktop, AtomsHoldAtMost255Characters)
{
    MemoryDesktop d;
    EXPECT_EQ(d.addAtom(std::string(256, 'x')), 0u);
    const AtomId a = d.addAtom(std::string(255, 'x'));
    ASSERT_NE(a, 0u);
    EXPECT_EQ(d.atomName(a, 10), std::string(10, 'x'));
    d.deleteAtom(a);
    EXPECT_EQ(d.atomName(a, 255), "");
}

TEST(MemoryDesktop, RegisteredMessagesAreStablePerName)
{
    MemoryDesktop d;
    const MessageId m = d.registerMessage("SET_ACTIVE_PERSONNR");
    EXPECT_NE(m, 0u);
    EXPECT_EQ(d.registerMessage("SET_ACTIVE_PERSONNR"), m);
    EXPECT_NE(d.registerMessage("SET_ACTIVE_PATIENT"), m);
}

TEST(MemoryDesktop, WindowFactsReadOnlyWhatIsAskedAndNothingOfGoneWindows)
{
    MemoryDesktop d;
    const WindowId top = d.add(0, "Main", "Q7 Kliniksystem", false);
    const WindowId edit = d.add(top, "Edit", "19121212-1212");
    const WindowId gone = d.add(top, "Edit", "x");
    d.remove(gone);
    EXPECT_EQ(d.windowFacts({top, edit, gone}, {.className = true, .textChars = 5, .visible = true}),
              (std::vector<WindowFacts>{{"Main", "Q7 Kl", false}, {"Edit", "19121", false}, {}}));
    EXPECT_EQ(d.windowFacts({edit}, {.className = true}),
              (std::vector<WindowFacts>{{"Edit", "", false}}));
    d.window(top).visible = true;
    EXPECT_EQ(d.windowFacts({edit}, {.visible = true}), (std::vector<WindowFacts>{{"", "", true}}));
}
