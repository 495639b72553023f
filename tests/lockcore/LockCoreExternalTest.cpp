// The lock core from Windows 8 on: the display is the lock-screen program, here the stub
// built as "Marrowpane.exe" beside this test program.
#include "lockcore/ResidentLockCore.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "common/PathUtil.h"
#include "lockcore/PipeProtocol.h"
#include "lockcore/ServerThread.h"
#include "lockcore/SettingPayload.h"
#include "tests/lockcore/Bytes.h"
#include "tests/lockcore/ChildProcess.h"
#include "tests/lockcore/CommandWindow.h"
#include "tests/lockcore/RecordingScreen.h"
#include "tests/lockcore/StandInScreen.h"
#include "tests/lockcore/TestLog.h"
#include "tests/lockcore/WineVersion.h"

namespace {

const auto* const kWindows10 = ::testing::AddGlobalTestEnvironment(new WineVersionEnvironment("win10", true));

using Lines = std::vector<std::string>;

const char kHello[] = "01 00 00 00";

class LockCoreExternalTest : public ::testing::Test {
protected:
    const std::string log = TestProgramFolder() + "Marrowpane-" + std::to_string(GetCurrentProcessId()) + ".log";
    CommandWindow window;
    CLockSetting settings;
    CResidentLockCore core;
    Corvantis::SLockScreen* screen = nullptr;

    LockCoreExternalTest()
    {
        DeleteFileA(log.c_str());
        settings.SetDefaults();
        settings.LockMessage = "\x83\x8D\x83\x62\x83\x4E";
        settings.KeyDevices.push_back(CKeyDevice(0x0781, 0x5567, "4C53"));
        core.AttachSettings(&settings);
        screen = core.GetController(window.Get(), UM_LOCK_COMMAND);
        window.Listen(core.Commands());
    }

    ~LockCoreExternalTest() override
    {
        core.Stop();
        KillStub();
        DeleteFileA(log.c_str());
    }

    // The command requests the stub got, as hex, once there are `count` of them.
    Lines WaitForCommands(size_t count, DWORD timeout = 10000) const
    {
        return Commands(WaitForLines(log, [&](const Lines& l) { return Commands(l).size() >= count; }, timeout));
    }

    static Lines Commands(const Lines& lines)
    {
        Lines commands;
        for (const auto& line : lines) {
            if (line.rfind("cmd ", 0) == 0)
                commands.push_back(line.substr(4));
        }
        return commands;
    }

    DWORD StubProcessId() const
    {
        for (const auto& line : ReadLines(log)) {
            if (line.rfind("start ", 0) == 0)
                return static_cast<DWORD>(std::stoul(line.substr(6)));
        }
        return 0;
    }

    // Ends the stub named in the log. It may have ended by itself already and Wine hands
    // its process id to the next program at once (another test): so the process is held
    // open, which keeps the id its own, and ended only when it is the stub.
    void KillStub() const
    {
        const DWORD id = StubProcessId();
        if (id == 0)
            return;
        fw::unique_handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (process && IsLockScreenProgram(id)) {
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 5000);
        }
    }

    static bool IsLockScreenProgram(DWORD id)
    {
        const fw::unique_hfile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));  // INVALID_HANDLE_VALUE on failure
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
            if (entry.th32ProcessID == id)
                return lstrcmpiA(entry.szExeFile, CPathUtil::kLockScreenProgram) == 0;
        }
        return false;
    }

    std::string SettingsRequest() const { return ToHex(EncodeSettingsRequest(settings)); }
};

TEST_F(LockCoreExternalTest, FreshLockScreenGetsHelloSettingsAndTheReplayInOrder)
{
    screen->ShowLockScreen();  // recorded before any display exists
    screen->HideControls();
    window.Clear();
    ASSERT_TRUE(core.Connect());
    EXPECT_TRUE(core.IsExternal());
    const Lines expected = {kHello,        SettingsRequest(),         "04 00 00 00", "05 00 00 00 01 00 00 00",
                            "02 00 00 00", "07 00 00 00",             "05 00 00 00 02 00 00 00",
                            "08 00 00 00"};
    EXPECT_EQ(expected, WaitForCommands(expected.size()));
    EXPECT_TRUE(window.Commands().empty());
    EXPECT_TRUE(core.IsAlive());
}

TEST_F(LockCoreExternalTest, KilledLockScreenIsReplacedAndGetsTheReplay)
{
    ASSERT_TRUE(core.Connect());
    ASSERT_EQ(7u, WaitForCommands(7).size());
    screen->ShowLockScreen();
    screen->ShowMessage();
    const DWORD first = StubProcessId();
    ASSERT_NE(0u, first);
    KillStub();
    DeleteFileA(log.c_str());  // the same log name: the same "/id"

    const DWORD start = GetTickCount();
    BOOL alive = FALSE;
    for (int tick = 0; tick < 5 && !alive; ++tick) {  // the main window checks every 1000 ms
        alive = core.IsAlive();
        if (!alive)
            Sleep(1000);
    }
    ASSERT_TRUE(alive);
    const Lines expected = {kHello, SettingsRequest(), "04 00 00 00", "05 00 00 00 01 00 00 00",
                            "02 00 00 00", "06 00 00 00", "09 00 00 00"};
    EXPECT_EQ(expected, WaitForCommands(expected.size()));
    EXPECT_LT(GetTickCount() - start, 2500u);
    EXPECT_NE(first, StubProcessId());
    EXPECT_TRUE(core.IsAlive());
}

TEST_F(LockCoreExternalTest, CommandsGoOverThePipeAndEventsToTheWindow)
{
    ASSERT_TRUE(core.Connect());
    ASSERT_EQ(7u, WaitForCommands(7).size());
    window.Clear();
    EXPECT_TRUE(screen->ShowMessage());
    EXPECT_TRUE(screen->SelectPicture(PICTURE_ALARM2));
    EXPECT_TRUE(screen->SetPasswordResult({1, 1, 0}));
    EXPECT_TRUE(screen->SetPasswordDialogState(0));
    settings.LockMessage = "changed";
    core.ReloadSettings();  // no settings file here: the record stays and is sent again
    EXPECT_NE(0, screen->RefuseEndSession());
    EXPECT_EQ(0, screen->SetSettings(settings));
    screen->KeyEvent();
    const Lines expected = {"06 00 00 00", "05 00 00 00 03 00 00 00",
                            "0C 00 00 00 01 00 00 00 01 00 00 00 00 00 00 00", "0D 00 00 00 00 00 00 00",
                            SettingsRequest()};
    const Lines all = WaitForCommands(7 + expected.size());
    EXPECT_EQ(expected, Lines(all.begin() + 7, all.end()));
    EXPECT_EQ(Lines{"posted 9 0"}, window.Commands());
}

TEST_F(LockCoreExternalTest, StopHandlesAnEventSentToTheWaitingMainThread)
{
    SetEnvironmentVariableA("KV_STUB_CHECK_AT_START", "1");  // inherited by the stub
    ASSERT_TRUE(core.Connect());
    SetEnvironmentVariableA("KV_STUB_CHECK_AT_START", nullptr);
    Sleep(500);  // not handling messages: the password check waits inside SendMessage
    EXPECT_FALSE(HasLine(ReadLines(log), "check ok"));
    const DWORD start = GetTickCount();
    core.Stop();
    EXPECT_LT(GetTickCount() - start, 3000u);  // not the forced end after 10 s
    EXPECT_TRUE(HasLine(window.Commands(), "sent 17 [secret]"));
    EXPECT_TRUE(HasLine(WaitForLines(log, [](const Lines& l) { return HasLine(l, "check ok"); }), "check ok"));
}

// A program that creates the command pipe first would stand in for the lock-screen
// program and show nothing: where Windows names a pipe's server, the core talks only to
// the process it launched, sends the stand-in nothing and keeps its own display.
TEST_F(LockCoreExternalTest, AStandInServerCreatedFirstIsRefused)
{
    ASSERT_TRUE(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetNamedPipeServerProcessId"))
        << "the platform under test names a pipe's server";
    StandInScreen standIn(InstanceIdOf(GetCurrentProcessId()));
    const auto thread = CServerThread::Start(standIn);
    ASSERT_TRUE(thread);
    window.Clear();
    EXPECT_FALSE(core.Connect());
    EXPECT_EQ(0, standIn.requests.load());
    EXPECT_FALSE(window.Commands().empty()) << "no replay to the program's own display";
}

TEST(LockScreenLink, BothPipesCarryARequestAtOnce)
{
    const std::string log = TestProgramFolder() + "Marrowpane-" + std::to_string(GetCurrentProcessId()) + ".log";
    DeleteFileA(log.c_str());
    RecordingScreen listener;
    CLockScreenLink link;
    ASSERT_TRUE(link.Start(&listener));
    ASSERT_TRUE(link.Client());
    EXPECT_TRUE(link.IsAlive());
    // The lock-screen side holds this reply until its password check on the event pipe is answered.
    const DWORD start = GetTickCount();
    EXPECT_TRUE(link.Client()->ShowPasswordDialog());
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(Lines{"CheckPassword [secret]"}, listener.Calls());
    const Lines lines = ReadLines(log);
    EXPECT_TRUE(HasLine(lines, "check ok"));
    EXPECT_TRUE(HasLine(lines, "cmd 0B 00 00 00"));
    link.Stop();
    EXPECT_FALSE(link.IsAlive());
    EXPECT_FALSE(link.Client());
    // The stub sees the event server go and ends by itself.
    Sleep(100);
    DeleteFileA(log.c_str());
}

} // namespace
