// The companion lookups, posts and the watchdog start against helper processes that
// run under the real names "BRONTAL.EXE" and "PERNWICK.EXE" and record what they receive.
// These names are the system's own, so the cases run one at a time.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

#include "HelperProcess.h"
#include "common/CompanionLink.h"
#include "common/ExecutableName.h"
#include "common/ProcessFinderFactory.h"
#include "common/ProcessFinderImpl.h"
#include "framework/Handle.h"

namespace {

using namespace testsupport;

enum class Strategy { Psapi, Toolhelp };

std::string Window(const std::string& label, const std::string& title, const std::string& child,
                   bool shown)
{
    return label + "|" + title + "|" + child + "|" + (shown ? "1" : "0");
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

class CompanionLinkTest : public testing::TestWithParam<Strategy> {
protected:
    void SetUp() override
    {
        if (GetParam() == Strategy::Psapi)
            UsePsapiProcessFinder();
        else
            UseToolhelpProcessFinder();
        ASSERT_TRUE(ProcessesNamed(kWatchdogExecutable).empty()) << "a watchdog is left running";
        ASSERT_TRUE(ProcessesNamed(kResidentExecutable).empty()) << "a resident is left running";
    }

    // A helper copy named fileName owning the windows described; its record is log(fileName).
    CHelperProcess& Start(const std::string& fileName, const std::vector<std::string>& windows)
    {
        const std::string folder = m_folder / (std::to_string(m_helpers.size()) + "\\");
        CreateDirectoryA(folder.c_str(), nullptr);
        const std::string program = folder + fileName;
        EXPECT_TRUE(CopyFileA(HelperPath("CompanionHelper.exe").c_str(), program.c_str(), FALSE));
        m_helpers.push_back(
            std::make_unique<CHelperProcess>(program, RecordArguments(Log(fileName), windows)));
        EXPECT_TRUE(m_helpers.back()->WaitForWindows(windows.size())) << fileName;
        return *m_helpers.back();
    }

    std::string Log(const std::string& fileName) const { return m_folder / (fileName + ".log"); }

    // Ends every helper (each has handled all that was posted before) and reads one's record.
    std::vector<std::string> Received(const std::string& fileName)
    {
        for (auto& helper : m_helpers)
            helper->End();
        return ReadLines(Log(fileName));
    }

    static HWND WindowTitled(DWORD processId, const char* title)
    {
        for (const HWND window : WindowsOf(processId)) {
            char text[512] = {};
            GetWindowTextA(window, text, sizeof text);
            if (std::string(text) == title)
                return window;
        }
        return nullptr;
    }

    CTempFolder m_folder{"link"};
    std::vector<std::unique_ptr<CHelperProcess>> m_helpers;
};

TEST_P(CompanionLinkTest, FindsTheMarkedWindowsAmongTheProgramsOthers)
{
    const CHelperProcess& resident =
        Start(kResidentExecutable, {Window("plain", "plain", "", true),
                                    Window("other-child", "other", "SS-{other}", false),
                                    Window("main", "main", kResidentMarker, false)});
    const CHelperProcess& watchdog =
        Start(kWatchdogExecutable,
              {Window("plain", "plain", "", false), Window("wd", kWatchdogMarker, "", false)});
    EXPECT_EQ(WindowTitled(resident.Id(), "main"), CCompanionLink::FindResidentWindow());
    EXPECT_EQ(WindowTitled(watchdog.Id(), kWatchdogMarker), CCompanionLink::FindWatchdogWindow());
    EXPECT_NE(nullptr, CCompanionLink::FindResidentWindow());
    EXPECT_NE(nullptr, CCompanionLink::FindWatchdogWindow());
}

struct Post {
    const char* name;
    std::function<BOOL()> operation;
    const char* receiver; // the helper file name
    const char* line;     // what the marked window records
};

const Post kPosts[] = {
    {"StopWatchdog", CCompanionLink::StopWatchdog, kWatchdogExecutable, "wd 0x461 0 0"},
    {"PauseWatchdog", CCompanionLink::PauseWatchdog, kWatchdogExecutable, "wd 0x462 0 0"},
    {"ResumeWatchdog", CCompanionLink::ResumeWatchdog, kWatchdogExecutable, "wd 0x463 0 0"},
    {"ReloadResidentSettings", CCompanionLink::ReloadResidentSettings, kResidentExecutable,
     "main 0x470 0 0"},
    {"SuspendResidentLock", CCompanionLink::SuspendResidentLock, kResidentExecutable,
     "main 0x471 0 0"},
    {"ResumeResidentLock", CCompanionLink::ResumeResidentLock, kResidentExecutable,
     "main 0x471 1 0"},
    {"LockNow", CCompanionLink::LockNow, kResidentExecutable, "main 0x473 0 0"},
    {"PostWatchdogState TRUE", [] { return CCompanionLink::PostWatchdogState(TRUE); },
     kResidentExecutable, "main 0x8100 1 0"},
    {"PostWatchdogState FALSE", [] { return CCompanionLink::PostWatchdogState(FALSE); },
     kResidentExecutable, "main 0x8100 0 0"},
};

TEST_P(CompanionLinkTest, EveryPostArrivesAtTheMarkedWindowWithItsMessageAndWParam)
{
    Start(kResidentExecutable,
          {Window("decoy", "decoy", "", false), Window("main", "main", kResidentMarker, false)});
    Start(kWatchdogExecutable,
          {Window("decoy", "decoy", "", false), Window("wd", kWatchdogMarker, "", false)});
    std::vector<std::string> expectedResident, expectedWatchdog;
    for (const Post& post : kPosts) {
        EXPECT_TRUE(post.operation()) << post.name;
        (std::string(post.receiver) == kResidentExecutable ? expectedResident : expectedWatchdog)
            .push_back(post.line);
    }
    EXPECT_EQ(expectedResident, Received(kResidentExecutable));
    EXPECT_EQ(expectedWatchdog, Received(kWatchdogExecutable));
}

TEST_P(CompanionLinkTest, MarkedWindowsOfOtherProgramsAreNeverTaken)
{
    // Right markers in a program of another name; in the right programs, markers that
    // differ in case or stand in the wrong place.
    Start("DECOY.EXE", {Window("main", "main", kResidentMarker, false),
                        Window("wd", kWatchdogMarker, "", false)});
    Start(kResidentExecutable, {Window("lower", "main", Lower(kResidentMarker), false),
                                Window("title", kResidentMarker, "", false)});
    Start(kWatchdogExecutable, {Window("lower", Lower(kWatchdogMarker), "", false),
                                Window("child", "wd", kWatchdogMarker, false)});
    EXPECT_EQ(nullptr, CCompanionLink::FindResidentWindow());
    EXPECT_EQ(nullptr, CCompanionLink::FindWatchdogWindow());
    for (const Post& post : kPosts)
        EXPECT_FALSE(post.operation()) << post.name;
    EXPECT_TRUE(Received("DECOY.EXE").empty());
    EXPECT_TRUE(Received(kResidentExecutable).empty());
    EXPECT_TRUE(Received(kWatchdogExecutable).empty());
}

TEST_P(CompanionLinkTest, NothingIsPostedWhenNoCompanionRuns)
{
    EXPECT_EQ(nullptr, CCompanionLink::FindResidentWindow());
    EXPECT_EQ(nullptr, CCompanionLink::FindWatchdogWindow());
    for (const Post& post : kPosts)
        EXPECT_FALSE(post.operation()) << post.name;
}

// Ends the watchdogs a test started through StartWatchdog.
struct WatchdogsEnded {
    ~WatchdogsEnded()
    {
        for (const DWORD id : ProcessesNamed(kWatchdogExecutable))
            EndProcess(id, kWatchdogExecutable);
    }
};

// The program file of a process just started: its module list is empty for a moment.
std::string LoadedPath(DWORD processId)
{
    std::string path;
    for (int i = 0; i < 250 && (path = ProcessPath(processId)).empty(); ++i)
        Sleep(20);
    return path;
}

std::vector<DWORD> WaitForWatchdogs(std::size_t count)
{
    std::vector<DWORD> ids;
    for (int i = 0; i < 500 && (ids = ProcessesNamed(kWatchdogExecutable)).size() < count; ++i)
        Sleep(20);
    return ids;
}

TEST_P(CompanionLinkTest, StartsTheWatchdogFromTheCallersFolder)
{
    const WatchdogsEnded ended;
    CCompanionLink::StartWatchdog();
    const std::vector<DWORD> watchdogs = WaitForWatchdogs(1);
    ASSERT_EQ(1u, watchdogs.size());
    const std::string path = LoadedPath(watchdogs[0]);
    EXPECT_EQ(0, lstrcmpiA((OwnFolder() + kWatchdogExecutable).c_str(), path.c_str())) << path;
}

TEST_P(CompanionLinkTest, StartsNothingWhileAWatchdogRuns)
{
    const WatchdogsEnded ended;
    const CHelperProcess& running = Start(kWatchdogExecutable, {Window("wd", kWatchdogMarker, "", false)});
    CCompanionLink::StartWatchdog(); // a start would have created the process on return
    EXPECT_EQ(std::vector<DWORD>{running.Id()}, ProcessesNamed(kWatchdogExecutable));
}

// A caller in a folder whose name ends in "表" (95 5C): its second byte is the "\" byte
// and must not be taken for the separator. Each start finds its program beside the caller.
TEST_P(CompanionLinkTest, StartsCompanionsBesideACallerInADoubleByteFolder)
{
    const WatchdogsEnded ended;
    const std::string strategy = GetParam() == Strategy::Psapi ? "psapi" : "toolhelp";
    struct Case {
        std::string arguments;
        const char* started;
    } cases[] = {{"start-watchdog " + strategy, kWatchdogExecutable},
                 {"start-resident " + strategy, kResidentExecutable},
                 {"launch-watchdog", kWatchdogExecutable}};
    const std::string folder = m_folder / "\x83\x5C\x95\x5C\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string starter = folder + "STARTER.EXE";
    ASSERT_TRUE(CopyFileA(HelperPath("CompanionHelper.exe").c_str(), starter.c_str(), FALSE));
    for (const char* name : {kWatchdogExecutable, kResidentExecutable})
        ASSERT_TRUE(CopyFileA(HelperPath("CompanionHelper.exe").c_str(), (folder + name).c_str(), FALSE));
    for (const Case& c : cases) {
        CHelperProcess caller(starter, c.arguments);
        ASSERT_TRUE(caller.WaitForExit());
        std::vector<DWORD> started;
        for (int i = 0; i < 500 && (started = ProcessesNamed(c.started)).empty(); ++i)
            Sleep(20);
        ASSERT_EQ(1u, started.size()) << c.arguments;
        const std::string path = LoadedPath(started[0]);
        EXPECT_EQ(0, lstrcmpiA((folder + c.started).c_str(), path.c_str())) << c.arguments << ": " << path;
        EndProcess(started[0], c.started);
    }
}

// Unlike the start, the launch does not look first; it reports whether the file started.
TEST_P(CompanionLinkTest, LaunchesAWatchdogWithoutLookingForOne)
{
    const WatchdogsEnded ended;
    const CHelperProcess& running = Start(kWatchdogExecutable, {Window("wd", kWatchdogMarker, "", false)});
    const std::string folder = m_folder / "launcher\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string launcher = folder + "LAUNCHER.EXE";
    ASSERT_TRUE(CopyFileA(HelperPath("CompanionHelper.exe").c_str(), launcher.c_str(), FALSE));
    {
        CHelperProcess alone(launcher, "launch-watchdog");  // no watchdog beside it
        ASSERT_TRUE(alone.WaitForExit());
        EXPECT_EQ(0u, alone.ExitCode());
    }
    ASSERT_TRUE(CopyFileA(HelperPath("CompanionHelper.exe").c_str(), (folder + kWatchdogExecutable).c_str(), FALSE));
    CHelperProcess caller(launcher, "launch-watchdog");
    ASSERT_TRUE(caller.WaitForExit());
    EXPECT_EQ(1u, caller.ExitCode());
    const std::vector<DWORD> watchdogs = WaitForWatchdogs(2);
    EXPECT_EQ(2u, watchdogs.size());
    EXPECT_NE(watchdogs.end(), std::find(watchdogs.begin(), watchdogs.end(), running.Id()));
}

TEST_P(CompanionLinkTest, StartsNoResidentProgramWhileOneRuns)
{
    const CHelperProcess& running = Start(kResidentExecutable, {Window("main", "", kResidentMarker, false)});
    CCompanionLink::StartResident(); // a start would have created the process on return
    EXPECT_EQ(std::vector<DWORD>{running.Id()}, ProcessesNamed(kResidentExecutable));
}

// The uninstall's end of a companion: its marked windows get WM_QUIT and it ends on its
// own; a program that does not react is terminated after the 3000 ms wait.
TEST_P(CompanionLinkTest, EndsCompanionsByQuitAndTerminatesOnesThatStay)
{
    CHelperProcess& resident = Start(kResidentExecutable, {Window("main", "main", kResidentMarker, false)});
    CHelperProcess& watchdog = Start(kWatchdogExecutable, {Window("wd", kWatchdogMarker, "", false)});
    // Each ends by its own loop, well before the wait would run out and terminate it.
    DWORD start = GetTickCount();
    EXPECT_TRUE(CCompanionLink::EndResident());
    EXPECT_TRUE(resident.WaitForExit(0));
    EXPECT_TRUE(CCompanionLink::EndWatchdog());
    EXPECT_TRUE(watchdog.WaitForExit(0));
    EXPECT_LT(GetTickCount() - start, 2900u);

    // No marked window: nothing is posted, and after the wait the process is terminated.
    CHelperProcess& unmarked = Start(kResidentExecutable, {Window("plain", "plain", "", false)});
    start = GetTickCount();
    EXPECT_FALSE(CCompanionLink::EndResident());
    EXPECT_GE(GetTickCount() - start, 2900u);
    EXPECT_TRUE(unmarked.WaitForExit(0));
    EXPECT_FALSE(CCompanionLink::EndWatchdog());  // none runs: no wait at all
}

// The strategy's finder, except that its first answers are ids that no longer name the
// program: it ended and its id went to the next process at once (Wine does so, Windows
// too), or it was restarted under another id. Later lookups see the truth.
class CStaleAnswers : public CProcessFinderImpl {
public:
    CStaleAnswers(std::unique_ptr<CProcessFinderImpl> real, std::deque<DWORD>& staleIds)
        : m_real(std::move(real)), m_staleIds(staleIds) {}
    bool EnumModules(DWORD processId, CModuleList& modules) override { return m_real->EnumModules(processId, modules); }
    std::optional<DWORD> FindProcess(std::string_view executableName) override
    {
        if (m_staleIds.empty())
            return m_real->FindProcess(executableName);
        const DWORD stale = m_staleIds.front();
        m_staleIds.pop_front();
        return stale;
    }
    std::vector<HWND> EnumProcessWindows(DWORD processId) override { return m_real->EnumProcessWindows(processId); }

private:
    std::unique_ptr<CProcessFinderImpl> m_real;
    std::deque<DWORD>& m_staleIds;
};

class CStaleAnswersFactory : public CProcessFinderFactory {
public:
    CStaleAnswersFactory(std::unique_ptr<CProcessFinderFactory> real, std::deque<DWORD> staleIds)
        : m_real(std::move(real)), m_staleIds(std::move(staleIds)) {}
    std::unique_ptr<CProcessFinderImpl> Create() const override
    {
        return std::make_unique<CStaleAnswers>(m_real->Create(), m_staleIds);
    }

private:
    std::unique_ptr<CProcessFinderFactory> m_real;
    mutable std::deque<DWORD> m_staleIds;
};

std::unique_ptr<CProcessFinderFactory> StrategyFactory(Strategy strategy)
{
    if (strategy == Strategy::Psapi)
        return std::make_unique<CPsapiProcessFinderFactory>();
    return std::make_unique<CToolhelpProcessFinderFactory>();
}

// An id found for the companion that now belongs to another program: that program is
// neither waited for nor terminated.
TEST_P(CompanionLinkTest, EndsNoOtherProgramThatTookTheCompanionsId)
{
    const CHelperProcess& other = Start("OTHER.EXE", {Window("plain", "plain", "", false)});
    CProcessFinderFactoryHolder::Instance().Install(
        std::make_unique<CStaleAnswersFactory>(StrategyFactory(GetParam()), std::deque<DWORD>{other.Id()}));
    const DWORD start = GetTickCount();
    EXPECT_FALSE(CCompanionLink::EndResident());
    EXPECT_LT(GetTickCount() - start, 2900u) << "waited for a process that is not the companion";
    EXPECT_FALSE(other.WaitForExit(0)) << "an unrelated program was ended";
}

// The companion was restarted under another id (by the watchdog, say) between the lookup
// and the check: the one found at the check is ended, and the program that took the old
// id is left alone.
TEST_P(CompanionLinkTest, EndsTheCompanionRestartedUnderAnotherId)
{
    const CHelperProcess& other = Start("OTHER.EXE", {Window("plain", "plain", "", false)});
    CHelperProcess& resident = Start(kResidentExecutable, {Window("main", "main", kResidentMarker, false)});
    CProcessFinderFactoryHolder::Instance().Install(
        std::make_unique<CStaleAnswersFactory>(StrategyFactory(GetParam()), std::deque<DWORD>{other.Id()}));
    const DWORD start = GetTickCount();
    EXPECT_TRUE(CCompanionLink::EndResident());
    EXPECT_TRUE(resident.WaitForExit(0)) << "the restarted companion still runs";
    EXPECT_LT(GetTickCount() - start, 2900u) << "it should have ended on its WM_QUIT";
    EXPECT_FALSE(other.WaitForExit(0)) << "an unrelated program was ended";
}

// A companion whose id changes at every look is given up after a few rounds: nothing is
// ended, and the call does not chase it for good.
TEST_P(CompanionLinkTest, GivesUpOnACompanionWhoseIdKeepsChanging)
{
    const CHelperProcess& first = Start("FIRST.EXE", {Window("plain", "plain", "", false)});
    const CHelperProcess& second = Start("SECOND.EXE", {Window("plain", "plain", "", false)});
    CHelperProcess& resident = Start(kResidentExecutable, {Window("main", "main", kResidentMarker, false)});
    std::deque<DWORD> changing;
    for (int i = 0; i < 10; ++i)
        changing.push_back(i % 2 ? second.Id() : first.Id());
    CProcessFinderFactoryHolder::Instance().Install(
        std::make_unique<CStaleAnswersFactory>(StrategyFactory(GetParam()), changing));
    const DWORD start = GetTickCount();
    EXPECT_FALSE(CCompanionLink::EndResident());
    EXPECT_LT(GetTickCount() - start, 2900u);
    EXPECT_FALSE(first.WaitForExit(0));
    EXPECT_FALSE(second.WaitForExit(0));
    EXPECT_FALSE(resident.WaitForExit(0));
    EXPECT_EQ(std::vector<std::string>{}, Received(kResidentExecutable));
}

TEST_P(CompanionLinkTest, StopCompanionsStopsAndSuspendsBeforeTheEnd)
{
    Start(kResidentExecutable, {Window("main", "main", kResidentMarker, false)});
    Start(kWatchdogExecutable, {Window("wd", kWatchdogMarker, "", false)});
    EXPECT_TRUE(CCompanionLink::StopCompanions());
    EXPECT_TRUE(ProcessesNamed(kResidentExecutable).empty());
    EXPECT_TRUE(ProcessesNamed(kWatchdogExecutable).empty());
    EXPECT_EQ(std::vector<std::string>{"main 0x471 0 0"}, Received(kResidentExecutable));
    EXPECT_EQ(std::vector<std::string>{"wd 0x461 0 0"}, Received(kWatchdogExecutable));
}

TEST(UtilityRunning, TheUtilitysMutexMeansItRuns)
{
    EXPECT_FALSE(CCompanionLink::IsUtilityRunning());
    {
        const fw::unique_handle mutex(CreateMutexA(nullptr, TRUE, kUtilityInstanceMutex));
        ASSERT_TRUE(mutex);
        EXPECT_TRUE(CCompanionLink::IsUtilityRunning());
    }
    EXPECT_FALSE(CCompanionLink::IsUtilityRunning());
}

// An elevated utility's mutex refuses a program that runs without elevation; Wine keeps no
// access list on a mutex, so the refusal is told to the decision directly.
TEST(UtilityRunning, AMutexThatRefusesAccessStillExists)
{
    const struct {
        bool opened;
        DWORD error;
        bool exists;
    } cases[] = {{true, 0, true},
                 {false, ERROR_ACCESS_DENIED, true},
                 {false, ERROR_FILE_NOT_FOUND, false},
                 {false, ERROR_INVALID_NAME, false}};
    for (const auto& c : cases)
        EXPECT_EQ(c.exists, NamedMutexExists(c.opened, c.error)) << c.opened << " " << c.error;
}

INSTANTIATE_TEST_SUITE_P(Strategies, CompanionLinkTest,
                         testing::Values(Strategy::Psapi, Strategy::Toolhelp),
                         [](const testing::TestParamInfo<Strategy>& info) {
                             return info.param == Strategy::Psapi ? "Psapi" : "Toolhelp";
                         });

} // namespace
