// The companion programs end to end under Wine, as installed in one folder: the sample
// client receiving the resident program's events through ArdenvaleAPI.dll, the watchdog
// restarting a killed resident program, and the lock-now program.
#include <windows.h>

#include <psapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/CompanionLink.h"
#include "lockcore/EventMessage.h"
#include "tests/companions/support/InstalledPrograms.h"
#include "tests/companions/support/SampleClientProcess.h"
#include "tests/resident/support/ResidentProcess.h"

namespace {

constexpr DWORD kStartWait = 15000;
// Longer than the watchdog's 500 ms check plus a start of the resident program.
constexpr DWORD kNothingStartsWait = 3000;

std::string ExpectedEvents(CSampleClientProcess& client, std::vector<int> codes)
{
    std::string problems;
    for (const int expected : codes) {
        int again = -1;
        const std::optional<int> code = client.NextEvent(8000, &again);
        if (!code)
            return problems + "no event " + std::to_string(expected);
        if (*code != expected || again != 0)
            problems += "event " + std::to_string(*code) + " (again " + std::to_string(again) + ") for " +
                        std::to_string(expected) + "; ";
    }
    return problems;
}

class CompanionsEndToEnd : public ::testing::Test {
protected:
    std::string Folder() const { return programs->Path(""); }
    void StartResident()
    {
        ASSERT_TRUE(programs->Launch("Brontal.exe"));
        ASSERT_TRUE(WaitForResident(true, kStartWait));
    }
    void StartWatchdogWithResident()
    {
        ASSERT_TRUE(programs->Launch("Pernwick.exe"));
        ASSERT_TRUE(WaitUntil([] { return CCompanionLink::FindWatchdogWindow() != nullptr; }, kStartWait));
        ASSERT_TRUE(WaitForResident(true, kStartWait));
    }
    // Kills the resident program; true when the watchdog started it again in time.
    bool KilledResidentComesBack(DWORD timeout = kStartWait)
    {
        const DWORD killed = ProcessOf(kResidentExecutable);
        EXPECT_TRUE(KillProcessOf(kResidentExecutable));
        return WaitUntil([killed] {
            const DWORD now = ProcessOf(kResidentExecutable);
            return now && now != killed && ResidentWindow();
        }, timeout);
    }
    // No resident program comes up: its window is what counts, for an instance started
    // twice over ends at once without one.
    // Sent rather than posted as the programs do: once it returns, the watchdog has handled
    // it, and a check it was busy with (which may see the resident program killed right
    // after) has ended.
    static void Tell(UINT message)
    {
        DWORD_PTR result = 0;
        ASSERT_TRUE(SendMessageTimeoutA(CCompanionLink::FindWatchdogWindow(), message, 0, 0, SMTO_NORMAL, 10000,
                                        &result));
    }
    bool NoResidentStarts(DWORD quiet = kNothingStartsWait)
    {
        return !WaitForResident(true, quiet);
    }

    std::unique_ptr<CInstalledPrograms> programs;
    CSampleClientProcess client;
};

class ClientEndToEnd : public CompanionsEndToEnd {
protected:
    void SetUp() override
    {
        programs = std::make_unique<CInstalledPrograms>("client", CInstalledPrograms::WithoutWatchdog);
        CInstalledPrograms::RegisterKey();
    }
};

// Registered before the resident program runs: its event server's announcement brings
// the registration, and the events arrive in order, each read once.
TEST_F(ClientEndToEnd, ReceivesTheEventsInOrderFromAResidentProgramStartedLater)
{
    ASSERT_TRUE(client.Start(Folder()));
    StartResident();
    // Each change waits for its event: the resident program looks at the keys in its own time.
    programs->Pull();
    EXPECT_EQ("", ExpectedEvents(client, {EVENT_LOCK}));
    programs->Insert();
    EXPECT_EQ("", ExpectedEvents(client, {EVENT_UNLOCK}));
    PostMessageA(ResidentWindow(), UM_RELOAD_SETTINGS, 0, 0);
    programs->Pull();
    EXPECT_EQ("", ExpectedEvents(client, {EVENT_CHANGE_SETTING, EVENT_LOCK}));
}

// A window of the library in the client's process, found by its class.
HWND LibraryWindowOf(DWORD processId)
{
    for (const HWND window : testsupport::WindowsOf(processId)) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::string(name) == "ArdenvaleEventClientWnd")
            return window;
    }
    return nullptr;
}

SIZE_T PrivateBytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    return counters.PagefileUsage;
}

// Any program can hand the library's window records of any size: it keeps 42 bytes of
// each, so a hundred unread 1 MB records cost the client next to nothing.
TEST_F(ClientEndToEnd, ForeignMegabyteRecordsAreKeptAt42Bytes)
{
    ASSERT_TRUE(client.Start(Folder(), true));
    const HWND library = LibraryWindowOf(client.ProcessId());
    ASSERT_TRUE(library);
    std::vector<uint8_t> record = BuildEventMessage(EVENT_ALARM);
    record.resize(1 << 20, 0x33);
    constexpr int kRecords = 100;
    const SIZE_T before = PrivateBytes(client.Process());
    for (int i = 0; i < kRecords; ++i) {
        COPYDATASTRUCT data{0, static_cast<DWORD>(record.size()), record.data()};
        DWORD_PTR result = 0;
        ASSERT_TRUE(SendMessageTimeoutA(library, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                                        5000, &result));
    }
    for (int i = 0; i < kRecords; ++i)
        ASSERT_TRUE(client.Next("pending ")) << i;
    const SIZE_T after = PrivateBytes(client.Process());
    EXPECT_LT(after, before + 20 * 1024 * 1024) << before << " -> " << after;

    ASSERT_TRUE(client.Command("read"));
    for (int i = 0; i < kRecords; ++i)
        ASSERT_EQ(EVENT_ALARM, client.NextEvent()) << i;
}

// Unloading without UnRegGetEvent neither stalls nor leaves the worker in unmapped code:
// the client goes on and ends normally.
TEST_F(ClientEndToEnd, FreeLibraryWithoutUnregisteringReturnsWithinASecond)
{
    ASSERT_TRUE(client.Start(Folder()));
    StartResident();
    ASSERT_TRUE(client.Command("free"));
    const std::optional<std::string> freed = client.Next("freed ");
    ASSERT_TRUE(freed);
    EXPECT_LT(std::stoul(freed->substr(6)), 1000u) << *freed;
    programs->Pull();  // the worker still runs: the event arrives and is noticed
    Sleep(500);
    ASSERT_TRUE(client.Command("quit"));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.Process(), 5000));
    DWORD exitCode = 1;
    GetExitCodeProcess(client.Process(), &exitCode);
    EXPECT_EQ(0u, exitCode);
}

TEST_F(ClientEndToEnd, UnregisteredClientReceivesNothing)
{
    ASSERT_TRUE(client.Start(Folder()));
    StartResident();
    ASSERT_TRUE(client.Command("unregister"));
    EXPECT_EQ("unregistered 0", client.Next("unregistered ").value_or(""));
    programs->Pull();
    EXPECT_FALSE(client.NextEvent(1500));
}

class WatchdogEndToEnd : public CompanionsEndToEnd {
protected:
    void SetUp() override
    {
        programs = std::make_unique<CInstalledPrograms>("watchdog", CInstalledPrograms::WithWatchdog);
        CInstalledPrograms::RegisterKey();
        ASSERT_TRUE(client.Start(Folder()));
        StartWatchdogWithResident();
    }
};

TEST_F(WatchdogEndToEnd, AKilledResidentProgramComesBackLocked)
{
    programs->Pull();
    ASSERT_EQ(EVENT_LOCK, client.NextEvent());
    ASSERT_TRUE(KilledResidentComesBack());
    EXPECT_EQ(EVENT_LOCK, client.NextEvent()) << "the restarted program locks from the stored state";
    EXPECT_EQ(0, lstrcmpiA(programs->Path("Brontal.exe").c_str(),
                           testsupport::ProcessPath(ProcessOf(kResidentExecutable)).c_str()));
}

TEST_F(WatchdogEndToEnd, PausedNothingStartsUntilResumed)
{
    Tell(UM_WATCHDOG_PAUSE);
    ASSERT_TRUE(KillProcessOf(kResidentExecutable));
    EXPECT_TRUE(NoResidentStarts());
    ASSERT_TRUE(CCompanionLink::ResumeWatchdog());
    EXPECT_TRUE(WaitForResident(true, kStartWait));
}

TEST_F(WatchdogEndToEnd, StoppedNeverStartsAgainEvenWhenResumed)
{
    Tell(UM_WATCHDOG_STOP);
    ASSERT_TRUE(KillProcessOf(kResidentExecutable));
    ASSERT_TRUE(CCompanionLink::ResumeWatchdog());
    EXPECT_TRUE(NoResidentStarts());
    EXPECT_TRUE(CCompanionLink::FindWatchdogWindow()) << "it stays alive";
}

// A session end that some program refused leaves the watchdog watching; only a real one
// ends the watching, and the watchdog's end then starts its successor.
TEST_F(WatchdogEndToEnd, OnlyARealSessionEndStopsTheWatching)
{
    const HWND watchdog = CCompanionLink::FindWatchdogWindow();
    SendMessageA(watchdog, WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(KilledResidentComesBack());

    SendMessageA(watchdog, WM_ENDSESSION, TRUE, 0);
    ASSERT_TRUE(KillProcessOf(kResidentExecutable));
    ASSERT_TRUE(CCompanionLink::ResumeWatchdog());
    EXPECT_TRUE(NoResidentStarts());

    const DWORD first = ProcessOf(kWatchdogExecutable);
    PostMessageA(watchdog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([first] {
        const DWORD now = ProcessOf(kWatchdogExecutable);
        return now && now != first && CCompanionLink::FindWatchdogWindow();
    }, kStartWait)) << "no successor";
    EXPECT_TRUE(WaitForResident(true, kStartWait)) << "the successor watches";
}

TEST_F(WatchdogEndToEnd, ASecondWatchdogEndsAfterAboutThreeSeconds)
{
    const HANDLE second = OpenProcess(SYNCHRONIZE, FALSE, programs->Launch("Pernwick.exe"));
    ASSERT_TRUE(second);
    const DWORD start = GetTickCount();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 10000));
    const DWORD elapsed = GetTickCount() - start;
    CloseHandle(second);
    EXPECT_GE(elapsed, 2500u);
    EXPECT_LE(elapsed, 6000u);
    EXPECT_TRUE(KilledResidentComesBack()) << "the first one watches on";
}

// What the watchdog tells the resident program at a session end, seen by a stand-in that
// runs under its name with its marked window and writes down each message.
TEST(WatchdogState, EachSessionEndIsToldWithItsEndingFlag)
{
    CInstalledPrograms programs("state", CInstalledPrograms::WithWatchdog);
    const std::string standIn = programs.Path("stand-in\\");
    ASSERT_TRUE(CreateDirectoryA(standIn.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(WindowsPathOf(KV_COMPANION_HELPER).c_str(), (standIn + "BRONTAL.EXE").c_str(), FALSE));
    const std::string record = programs.Path("messages.txt");
    const std::string markedWindow = "main||" + std::string(kResidentMarker) + "|0";
    testsupport::CHelperProcess resident(standIn + "BRONTAL.EXE", testsupport::RecordArguments(record, {markedWindow}));
    ASSERT_TRUE(resident.WaitForWindows(1));
    ASSERT_TRUE(programs.Launch("Pernwick.exe"));  // finds the resident program running
    HWND watchdog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (watchdog = CCompanionLink::FindWatchdogWindow()) != nullptr; }, kStartWait));

    SendMessageA(watchdog, WM_ENDSESSION, FALSE, 0);
    SendMessageA(watchdog, WM_ENDSESSION, TRUE, 0);
    const std::vector<std::string> expected{"main 0x8100 0 0", "main 0x8100 1 0"};
    WaitUntil([&] { return testsupport::ReadLines(record) == expected; }, 5000);
    EXPECT_EQ(expected, testsupport::ReadLines(record));
}

// A killed watchdog leaves its mutex abandoned: the next one (started here, or by the
// resident program, which starts one when it finds none) takes it at once.
TEST_F(WatchdogEndToEnd, AKilledWatchdogsSuccessorWatchesAtOnce)
{
    ASSERT_TRUE(KillProcessOf(kWatchdogExecutable));
    const DWORD start = GetTickCount();
    ASSERT_TRUE(programs->Launch("Pernwick.exe"));
    ASSERT_TRUE(WaitUntil([] { return CCompanionLink::FindWatchdogWindow() != nullptr; }, kStartWait));
    EXPECT_LT(GetTickCount() - start, 2500u);
    EXPECT_TRUE(KilledResidentComesBack());
}

class LockNowEndToEnd : public CompanionsEndToEnd {
protected:
    void SetUp() override
    {
        programs = std::make_unique<CInstalledPrograms>("locknow", CInstalledPrograms::WithWatchdog);
        CopyFileA(WindowsPathOf(KV_TOLLHATCH_AS_USER).c_str(), programs->Path("TollhatchAsUser.exe").c_str(),
                  FALSE);
        ASSERT_TRUE(client.Start(Folder()));
    }
    // Runs the program to its end.
    void Run(const char* fileName)
    {
        const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, programs->Launch(fileName));
        ASSERT_TRUE(process);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, kStartWait));
        CloseHandle(process);
    }
};

TEST_F(LockNowEndToEnd, WithAKeyRegisteredTheResidentProgramLocks)
{
    CInstalledPrograms::RegisterKey();
    StartResident();
    Run("Tollhatch.exe");
    EXPECT_EQ(EVENT_LOCK, client.NextEvent());
}

// Without a key device a user who is no administrator still gets the lock.
TEST_F(LockNowEndToEnd, NoKeyAndNoAdministratorLocksAllTheSame)
{
    CInstalledPrograms::RegisterKey();
    StartResident();
    CInstalledPrograms::RegisterNoKey();  // what the lock-now program reads from now on
    Run("TollhatchAsUser.exe");
    EXPECT_EQ(EVENT_LOCK, client.NextEvent());
}

// Settings that are there but cannot be read now (another program saving them) are no
// first run: the lock still comes, with no set-up question in its way.
TEST_F(LockNowEndToEnd, ASettingsFileThatCannotBeReadStillLocks)
{
    CInstalledPrograms::RegisterKey();
    StartResident();
    const fw::unique_hfile held(CreateFileA(SettingsFilePath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
    Run("Tollhatch.exe");  // ends: no question waits for an answer
    EXPECT_EQ(EVENT_LOCK, client.NextEvent());
}

TEST_F(LockNowEndToEnd, WhileAnotherInstanceWorksNothingHappens)
{
    CInstalledPrograms::RegisterKey();
    StartResident();
    const HANDLE other = CreateMutexA(nullptr, TRUE, "SS-{6980E53F-3CE1-427c-985E-2CD7012E256E}");
    ASSERT_TRUE(other);
    Run("Tollhatch.exe");
    EXPECT_FALSE(client.NextEvent(1500));
    ReleaseMutex(other);
    CloseHandle(other);
    Run("Tollhatch.exe");
    EXPECT_EQ(EVENT_LOCK, client.NextEvent());
}

// The question's window of the lock-now process, with its text.
HWND QuestionOf(DWORD processId)
{
    for (const HWND window : testsupport::WindowsOf(processId)) {
        wchar_t title[128] = {};
        GetWindowTextW(window, title, 128);
        if (std::wstring(title) == L"Kelvrane4 コンピュータのロック")
            return window;
    }
    return nullptr;
}

bool HasChildText(HWND dialog, const std::wstring& text)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t buffer[256] = {};
        GetWindowTextW(child, buffer, 256);
        if (text == buffer)
            return true;
    }
    return false;
}

TEST_F(LockNowEndToEnd, NoKeyAsAdministratorAsksAndOkStartsTheWatchdog)
{
    CInstalledPrograms::RegisterNoKey();
    const DWORD lockNow = programs->Launch("Tollhatch.exe");
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (question = QuestionOf(lockNow)) != nullptr; }, kStartWait));
    // Its title comes with the window, its text a moment later.
    EXPECT_TRUE(WaitUntil([&] { return HasChildText(question, L"初期設定されていません。初期設定しますか？"); }, 5000));

    CInstalledPrograms::RegisterKey();  // as the first-run set-up would
    PostMessageA(question, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([] { return CCompanionLink::FindWatchdogWindow() != nullptr; }, kStartWait));
    EXPECT_EQ(0, lstrcmpiA(programs->Path("Pernwick.exe").c_str(),
                           testsupport::ProcessPath(ProcessOf(kWatchdogExecutable)).c_str()));
    EXPECT_TRUE(WaitForResident(true, kStartWait)) << "the watchdog starts the resident program";
}

TEST_F(LockNowEndToEnd, OkResumesAPausedWatchdogAndStartsNoSecondOne)
{
    CInstalledPrograms::RegisterKey();
    StartWatchdogWithResident();
    const DWORD watchdog = ProcessOf(kWatchdogExecutable);
    Tell(UM_WATCHDOG_PAUSE);
    ASSERT_TRUE(KillProcessOf(kResidentExecutable));

    CInstalledPrograms::RegisterNoKey();
    const DWORD lockNow = programs->Launch("Tollhatch.exe");
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (question = QuestionOf(lockNow)) != nullptr; }, kStartWait));
    CInstalledPrograms::RegisterKey();
    PostMessageA(question, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForResident(true, kStartWait)) << "the resumed watchdog starts the resident program";
    EXPECT_EQ(std::vector<DWORD>{watchdog}, testsupport::ProcessesNamed(kWatchdogExecutable));
}

TEST_F(LockNowEndToEnd, CancelStartsNothing)
{
    CInstalledPrograms::RegisterNoKey();
    const DWORD lockNow = programs->Launch("Tollhatch.exe");
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (question = QuestionOf(lockNow)) != nullptr; }, kStartWait));
    PostMessageA(question, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([lockNow] { return !testsupport::ProcessPath(lockNow).size(); }, kStartWait));
    EXPECT_FALSE(WaitUntil([] { return ProcessOf(kWatchdogExecutable) != 0; }, 1500));
}

} // namespace
