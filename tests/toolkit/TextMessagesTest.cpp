#include "platform/memory/MemoryDesktop.h"
#include "toolkit/core/TextMessages.h"

#include <gtest/gtest.h>

using namespace toolkit;

namespace {

struct Received {
    std::vector<std::string> pieces; // atom texts along the chain, head first
    std::string text;                // the chain read back
};

// Plays the receiver: reads the chain while the message is delivered and
// deletes every atom but the head, as a receiver must.
class ChainReceiver {
public:
    explicit ChainReceiver(platform::MemoryDesktop& desktop) : desktop_(desktop)
    {
        desktop_.onMessage = [this](const platform::Message& m) { read(m.lParam); };
    }
    Received got;

private:
    void read(std::int64_t lParam)
    {
        auto atom = static_cast<platform::AtomId>(lParam);
        bool head = true;
        while (atom != 0) {
            const std::string piece = desktop_.atomName(atom, 255);
            got.pieces.push_back(piece);
            if (!head)
                desktop_.deleteAtom(atom);
            head = false;
            const auto mark = piece.find(kAtomChainMark);
            got.text += piece.substr(0, mark);
            atom = mark == std::string::npos ? 0 : std::stoul(piece.substr(mark + 4));
        }
    }
    platform::MemoryDesktop& desktop_;
};

std::string digits(std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += static_cast<char>('0' + i % 10);
    return s;
}

class SendTextMessageTest : public ::testing::Test {
protected:
    platform::MemoryDesktop desktop;
    platform::WindowId target = desktop.add(0, "TReceiver", "mottagare");
    platform::MessageId msg = desktop.registerMessage("KX_TEST");
};

} // namespace

TEST_F(SendTextMessageTest, SixHundredCharactersMakeThreeChainedAtoms)
{
    ChainReceiver receiver(desktop);
    const std::string text = digits(600);
    ASSERT_TRUE(SendTextMessage(desktop, target, msg, 7, text));
    const auto& p = receiver.got.pieces;
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].substr(0, 118), text.substr(0, 118));
    EXPECT_EQ(p[0].substr(118, 4), "@OM>");
    EXPECT_EQ(p[1].substr(0, 241), text.substr(118, 241));
    EXPECT_EQ(p[1].substr(241, 4), "@OM>");
    EXPECT_EQ(p[2], text.substr(359));
    EXPECT_EQ(receiver.got.text, text);
    // The head is deleted by the sender, the rest by the receiver.
    EXPECT_EQ(desktop.liveAtoms(), 0u);
    ASSERT_EQ(desktop.sent.size(), 1u);
    EXPECT_EQ(desktop.sent[0].message.wParam, 7);
}

TEST_F(SendTextMessageTest, ChainStartsAt256Characters)
{
    const std::pair<std::size_t, std::size_t> cases[] = {{255, 1}, {256, 2}, {481, 2}, {482, 3}, {1000, 5}};
    for (const auto& [length, atoms] : cases) {
        ChainReceiver receiver(desktop);
        const std::string text = digits(length);
        ASSERT_TRUE(SendTextMessage(desktop, target, msg, 0, text));
        EXPECT_EQ(receiver.got.pieces.size(), atoms) << length;
        EXPECT_EQ(receiver.got.text, text) << length;
        for (const std::string& piece : receiver.got.pieces)
            EXPECT_LE(piece.size(), 255u);
    }
    EXPECT_EQ(desktop.liveAtoms(), 0u);
}

TEST_F(SendTextMessageTest, BlankTextTravelsAsAtomZero)
{
    ASSERT_TRUE(SendTextMessage(desktop, target, msg, 1, "  "));
    ASSERT_EQ(desktop.sent.size(), 1u);
    EXPECT_EQ(desktop.sent[0].message.lParam, 0);
}

TEST_F(SendTextMessageTest, NoWindowSendsNothing)
{
    EXPECT_FALSE(SendTextMessage(desktop, 0, msg, 1, "text"));
    EXPECT_TRUE(desktop.sent.empty());
    EXPECT_EQ(desktop.liveAtoms(), 0u);
}

TEST_F(SendTextMessageTest, UndeliveredChainIsDeleted)
{
    const platform::WindowId gone = target + 1000;
    EXPECT_FALSE(SendTextMessage(desktop, gone, msg, 1, digits(600)));
    EXPECT_FALSE(SendTextMessage(desktop, gone, msg, 1, "kort"));
    EXPECT_EQ(desktop.liveAtoms(), 0u);
}
