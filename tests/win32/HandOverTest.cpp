// SET_ACTIVE_PERSONNR between two Win32 processes: this test plays the
// running floater (its application window and floater window), a second
// program hands over the number as a registered message with a global atom.

#include "WineSupport.h"

#include "app/floater/FloaterMessages.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/WideText.h"

#include <gtest/gtest.h>

#include <windows.h>

using platform::Message;

namespace {

struct Received {
    Message message;
    std::string atomText; // read while the message was handled
    std::string number;   // what the floater would look up
};

class HandOver : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!win32test::haveDesktop())
            GTEST_SKIP() << "TQ7_TEST_DISPLAY is not set";
        messages = floater::registerMessages(desktop);
        desktop.setMessageHandler([this](const Message& m) -> std::optional<std::int64_t> {
            if (m.id != messages.setActivePersonnr)
                return std::nullopt;
            received.push_back({m, desktop.atomName(static_cast<platform::AtomId>(m.lParam), 255),
                                floater::receivedPersonnr(desktop, m)});
            return 1;
        });
    }

    void startFloater()
    {
        ASSERT_NE(desktop.createApplicationWindow(floater::kApplicationClass,
                                                  floater::kApplicationTitle),
                  0u);
        floaterWindow = desktop.createApplicationWindow(floater::kFloaterClass, "Q7-koppling");
        ASSERT_NE(floaterWindow, 0u);
    }

    // Runs the second program with the arguments while this one keeps
    // answering messages; its exit code.
    DWORD runSecond(const std::string& args)
    {
        std::wstring commandLine =
            L"\"" + platform::widen(win32test::windowsPath(TQ7_HANDOVER_SENDER)) + L"\" " +
            platform::widen(args);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &pi))
            return 99;
        CloseHandle(pi.hThread);
        DWORD code = 98;
        if (!desktop.processMessages(30000, pi.hProcess))
            TerminateProcess(pi.hProcess, code);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        return code;
    }

    platform::Win32Desktop desktop;
    floater::RegisteredMessages messages;
    platform::WindowId floaterWindow = 0;
    std::vector<Received> received;
};

TEST_F(HandOver, NumberTravelsAsAnAtomThatIsGoneAfterwards)
{
    startFloater();
    EXPECT_EQ(runSecond("191212121212"), 0u);
    ASSERT_EQ(received.size(), 1u);
    const Received& r = received.front();
    EXPECT_EQ(r.message.target, floaterWindow);
    EXPECT_EQ(r.message.wParam, 0);
    EXPECT_NE(r.message.lParam, 0);
    EXPECT_EQ(r.atomText, "191212121212");
    EXPECT_EQ(r.number, "191212121212");
    // The sender deleted the atom once the message was handled.
    EXPECT_EQ(GlobalFindAtomW(L"191212121212"), 0);
}

TEST_F(HandOver, WithoutANumberTheMessageCarriesNoAtom)
{
    startFloater();
    EXPECT_EQ(runSecond("UPDATE_ALL"), 0u);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received.front().message.lParam, 0);
    EXPECT_EQ(received.front().number, "");
}

TEST_F(HandOver, WithoutARunningFloaterTheSecondProgramFindsNone)
{
    EXPECT_EQ(runSecond("19121212-1212"), 2u);
    EXPECT_TRUE(received.empty());
}

TEST(Win32Desktop, RegisteredMessagesAndAtoms)
{
    platform::Win32Desktop desktop;
    const platform::MessageId id = desktop.registerMessage("SET_ACTIVE_PERSONNR");
    EXPECT_GE(id, 0xC000u); // the registered range
    EXPECT_EQ(desktop.registerMessage("SET_ACTIVE_PERSONNR"), id);
    EXPECT_NE(desktop.registerMessage("SET_ACTIVE_PATIENT"), id);

    EXPECT_EQ(desktop.addAtom(std::string(256, 'x')), 0u);
    EXPECT_EQ(desktop.addAtom(""), 0u);
    const platform::AtomId a = desktop.addAtom("Modality - CR åäö");
    ASSERT_NE(a, 0u);
    EXPECT_EQ(desktop.atomName(a, 255), "Modality - CR åäö");
    EXPECT_EQ(desktop.atomName(a, 8), "Modality");
    desktop.deleteAtom(a);
    EXPECT_EQ(desktop.atomName(a, 255), "");
}

TEST(Win32Desktop, MessagesToOurOwnWindowReachTheHandler)
{
    platform::Win32Desktop desktop;
    const platform::MessageId id = desktop.registerMessage("SET_ACTIVE_BILDFLIK");
    std::vector<Message> got;
    desktop.setMessageHandler([&](const Message& m) -> std::optional<std::int64_t> {
        if (m.id != id)
            return std::nullopt;
        got.push_back(m);
        return 1;
    });
    const platform::WindowId w = desktop.createApplicationWindow("TQ7TestWindow", "Test");
    ASSERT_NE(w, 0u);
    EXPECT_EQ(desktop.windowText(w, 10), "Test");
    EXPECT_EQ(desktop.className(w), "TQ7TestWindow");
    EXPECT_TRUE(desktop.sendMessage(w, id, -1, 42));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].wParam, -1); // a modality tile's WPARAM
    EXPECT_EQ(got[0].lParam, 42);
    desktop.destroyWindow(w);
    EXPECT_FALSE(desktop.sendMessage(w, id, 0, 0));
}

} // namespace
