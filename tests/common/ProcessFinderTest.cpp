// Both strategies against real helper processes. Each test names its helper copies with
// its own process id, so tests running side by side never find each other's.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "HelperProcess.h"
#include "common/ProcessFinder.h"
#include "common/ProcessFinderFactory.h"
#include "common/PsapiProcessFinder.h"
#include "common/ToolhelpProcessFinder.h"
#include "framework/Handle.h"

namespace {

using namespace testsupport;

enum class Strategy { Psapi, Toolhelp };

void Install(Strategy strategy)
{
    if (strategy == Strategy::Psapi)
        UsePsapiProcessFinder();
    else
        UseToolhelpProcessFinder();
}

std::string OwnName()
{
    return std::string("PF") + std::to_string(GetCurrentProcessId()) + ".EXE";
}

class ProcessFinderStrategy : public testing::TestWithParam<Strategy> {
protected:
    void SetUp() override { Install(GetParam()); }

    // Starts a copy of the helper under the given file name with hidden windows
    // (Wine takes about two seconds to end a program with a shown window: only the
    // window test shows one.)
    std::unique_ptr<CHelperProcess> StartHelper(const std::string& fileName, int windows = 1,
                                                bool showFirst = false)
    {
        const std::string program = m_folder / fileName;
        CopyFileA(HelperPath("CompanionHelper.exe").c_str(), program.c_str(), FALSE);
        std::vector<std::string> specs;
        for (int i = 0; i < windows; ++i)
            specs.push_back(std::string("w") + std::to_string(i) + "|t" + std::to_string(i) + "||" +
                            (i == 0 && showFirst ? "1" : "0"));
        auto helper = std::make_unique<CHelperProcess>(
            program, RecordArguments(m_folder / (fileName + ".log"), specs));
        EXPECT_TRUE(helper->WaitForWindows(windows)) << fileName;
        return helper;
    }

    CTempFolder m_folder{"pf"};
};

TEST_P(ProcessFinderStrategy, FindsTheProgramByItsWholeFileNameIgnoringCase)
{
    const auto helper = StartHelper(OwnName());
    const CProcessFinder finder;
    std::string lower = OwnName();
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    EXPECT_EQ(helper->Id(), finder.FindProcessId(OwnName()));
    EXPECT_EQ(helper->Id(), finder.FindProcessId(lower));
    EXPECT_TRUE(finder.IsRunning(lower));

    const std::string misses[] = {std::string("PF") + std::to_string(GetCurrentProcessId()), OwnName() + ".BAK",
                                  m_folder / OwnName(), std::string("\\") + OwnName(), std::string("X") + OwnName()};
    for (const std::string& miss : misses) {
        EXPECT_EQ(0u, finder.FindProcessId(miss)) << miss;
        EXPECT_FALSE(finder.IsRunning(miss)) << miss;
    }
}

TEST_P(ProcessFinderStrategy, ProgramWithAnAddedExtensionIsNotTheWantedOne)
{
    const auto helper = StartHelper(OwnName() + ".BAK");
    const CProcessFinder finder;
    EXPECT_EQ(helper->Id(), finder.FindProcessId(OwnName() + ".BAK"));
    EXPECT_EQ(0u, finder.FindProcessId(OwnName()));
}

TEST_P(ProcessFinderStrategy, EndedProgramIsNoLongerFound)
{
    auto helper = StartHelper(OwnName());
    ASSERT_TRUE(CProcessFinder().IsRunning(OwnName()));
    helper->End();
    EXPECT_FALSE(CProcessFinder().IsRunning(OwnName()));
    EXPECT_EQ(0u, CProcessFinder().FindProcessId(OwnName()));
}

TEST_P(ProcessFinderStrategy, OfTwoProgramsOfOneNameFindsOne)
{
    const auto first = StartHelper(OwnName());
    const auto second = StartHelper(OwnName());
    const DWORD found = CProcessFinder().FindProcessId(OwnName());
    EXPECT_TRUE(found == first->Id() || found == second->Id()) << found;
}

TEST_P(ProcessFinderStrategy, ListsEveryTopLevelWindowOfTheProcessHiddenOnesToo)
{
    const auto helper = StartHelper(OwnName(), 3, true);
    const std::vector<HWND> found = CProcessFinder().EnumProcessWindows(helper->Id());
    const std::vector<HWND> expected = WindowsOf(helper->Id());
    EXPECT_EQ(std::set<HWND>(expected.begin(), expected.end()),
              std::set<HWND>(found.begin(), found.end()));
    std::set<std::string> titles;
    for (const HWND window : found) {
        char title[16] = {};
        GetWindowTextA(window, title, sizeof title);
        titles.insert(title);
    }
    for (const char* title : {"t0", "t1", "t2"})
        EXPECT_EQ(1u, titles.count(title)) << title;
    EXPECT_TRUE(CProcessFinder().EnumProcessWindows(0xFFFFFFF0).empty());
}

TEST_P(ProcessFinderStrategy, ListsTheModulesWithTheProgramFileApart)
{
    const auto helper = StartHelper(OwnName());
    CModuleList modules;
    modules.Add("C:\\STALE.EXE", reinterpret_cast<HMODULE>(0x1000));
    modules.Add("C:\\STALE.DLL", reinterpret_cast<HMODULE>(0x2000));
    ASSERT_TRUE(CProcessFinder().EnumModules(helper->Id(), modules));
    ASSERT_TRUE(modules.MainModule().has_value());
    EXPECT_EQ(0, lstrcmpiA((m_folder / OwnName()).c_str(), modules.MainModule()->path.c_str()))
        << modules.MainModule()->path;
    const auto& others = modules.OtherModules();
    EXPECT_TRUE(std::any_of(others.begin(), others.end(), [](const CModuleEntry& entry) {
        const std::string& path = entry.path;
        return path.size() >= 12 && lstrcmpiA(path.c_str() + path.size() - 12, "KERNEL32.DLL") == 0;
    }));
    EXPECT_TRUE(std::none_of(others.begin(), others.end(),
                             [](const CModuleEntry& entry) { return entry.path == "C:\\STALE.DLL"; }));
}

TEST_P(ProcessFinderStrategy, ModulesOfNoProcessAreNotRead)
{
    CModuleList modules;
    EXPECT_FALSE(CProcessFinder().EnumModules(0, modules));
    EXPECT_FALSE(CProcessFinder().EnumModules(0xFFFFFFF0, modules));
    EXPECT_FALSE(modules.MainModule().has_value());
}

// Sessions as a fake query reports them: the caller and most processes in session 1, the
// processes in `elsewhere` in session 2, those in `unreadable` in none.
struct FakeSessions {
    static std::set<DWORD> elsewhere;
    static std::set<DWORD> unreadable;
    static BOOL WINAPI Query(DWORD processId, DWORD* session)
    {
        if (unreadable.count(processId)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        *session = elsewhere.count(processId) ? 2 : 1;
        return TRUE;
    }
};
std::set<DWORD> FakeSessions::elsewhere;
std::set<DWORD> FakeSessions::unreadable;

std::unique_ptr<CProcessFinderImpl> StrategyWith(Strategy strategy, const CSessionFunctions& sessions)
{
    if (strategy == Strategy::Psapi) {
        EXPECT_TRUE(CPsapiLibrary::Instance().Load());
        return std::make_unique<CPsapiProcessFinder>(CPsapiLibrary::Instance(), sessions);
    }
    EXPECT_TRUE(CToolhelpLibrary::Instance().Load());
    return std::make_unique<CToolhelpProcessFinder>(CToolhelpLibrary::Instance(), sessions);
}

// Another session's program of the same name (fast user switching, terminal sessions) is
// not this session's: Wine runs everything in one session, so a fake query tells them apart.
TEST_P(ProcessFinderStrategy, CountsOnlyTheProcessesOfTheCallersSession)
{
    const auto first = StartHelper(OwnName());
    const auto second = StartHelper(OwnName());
    CSessionFunctions fake;
    fake.processIdToSessionId = &FakeSessions::Query;
    const std::unique_ptr<CProcessFinderImpl> finder = StrategyWith(GetParam(), fake);
    struct Case {
        std::set<DWORD> elsewhere, unreadable;
        DWORD found;  // 0: none; 1: either helper
    } cases[] = {
        {{first->Id()}, {}, second->Id()},
        {{second->Id()}, {}, first->Id()},
        {{first->Id(), second->Id()}, {}, 0},
        {{first->Id()}, {second->Id()}, 0},        // a session that cannot be read is not ours
        {{first->Id()}, {GetCurrentProcessId()}, 1}, // our own unknown: every process counts
    };
    for (const Case& c : cases) {
        FakeSessions::elsewhere = c.elsewhere;
        FakeSessions::unreadable = c.unreadable;
        const DWORD found = finder->FindProcess(OwnName()).value_or(0);
        if (c.found == 1)
            EXPECT_TRUE(found == first->Id() || found == second->Id()) << found;
        else
            EXPECT_EQ(c.found, found) << "elsewhere " << c.elsewhere.size() << ", unreadable " << c.unreadable.size();
    }
    FakeSessions::elsewhere.clear();
    FakeSessions::unreadable.clear();

    // Without sessions (NT 4, 9x: the query is not bound) every process counts.
    const CSessionFunctions none;
    EXPECT_TRUE(StrategyWith(GetParam(), none)->FindProcess(OwnName()).has_value());
}

INSTANTIATE_TEST_SUITE_P(Strategies, ProcessFinderStrategy,
                         testing::Values(Strategy::Psapi, Strategy::Toolhelp),
                         [](const testing::TestParamInfo<Strategy>& info) {
                             return info.param == Strategy::Psapi ? "Psapi" : "Toolhelp";
                         });

TEST(ProcessFinder, WithoutAStrategyEveryAnswerIsEmpty)
{
    CProcessFinderFactoryHolder::Instance().Install(nullptr);
    const fw::unique_hwnd window(CreateWindowExA(0, "STATIC", "mine", WS_OVERLAPPED, 0, 0, 10, 10,
                                                 nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    const CProcessFinder finder;
    EXPECT_FALSE(finder.IsRunning("PLATFORMTEST.EXE"));
    EXPECT_EQ(0u, finder.FindProcessId("PLATFORMTEST.EXE"));
    EXPECT_TRUE(finder.EnumProcessWindows(GetCurrentProcessId()).empty());
    CModuleList modules;
    modules.Add("C:\\STALE.EXE", reinterpret_cast<HMODULE>(0x1000));
    EXPECT_FALSE(finder.EnumModules(GetCurrentProcessId(), modules));
    EXPECT_FALSE(modules.MainModule().has_value());
}

TEST(ProcessFinder, UnboundStrategiesAnswerNothing)
{
    const CPsapiFunctions noPsapi;
    const CToolhelpFunctions noToolhelp;
    const CSessionFunctions& sessions = CSessionLibrary::Loaded();
    CPsapiProcessFinder psapi(noPsapi, sessions);
    CToolhelpProcessFinder toolhelp(noToolhelp, sessions);
    CModuleList modules;
    for (CProcessFinderImpl* impl : {static_cast<CProcessFinderImpl*>(&psapi),
                                     static_cast<CProcessFinderImpl*>(&toolhelp)}) {
        EXPECT_FALSE(impl->FindProcess("PLATFORMTEST.EXE").has_value());
        EXPECT_FALSE(impl->EnumModules(GetCurrentProcessId(), modules));
    }
}

TEST(ProcessFinder, EachProgramPicksPsapiWhenItBinds)
{
    CProcessFinderFactoryHolder::Instance().Install(nullptr);
    ChooseProcessFinder();
    EXPECT_NE(nullptr, dynamic_cast<const CPsapiProcessFinderFactory*>(
                           CProcessFinderFactoryHolder::Instance().Factory()));
    EXPECT_NE(nullptr, dynamic_cast<CPsapiProcessFinder*>(CreateProcessFinderImpl().get()));
    UseToolhelpProcessFinder();
    EXPECT_NE(nullptr, dynamic_cast<CToolhelpProcessFinder*>(CreateProcessFinderImpl().get()));
}

// A system with more processes than the first id buffer holds: 300 ids of which only
// the last is a real process (this one).
struct FakeProcessList {
    static std::vector<DWORD> bufferSizes;
    static BOOL WINAPI EnumProcesses(DWORD* ids, DWORD bytes, DWORD* returned)
    {
        bufferSizes.push_back(bytes);
        const DWORD count = std::min<DWORD>(300, bytes / sizeof(DWORD));
        for (DWORD i = 0; i < count; ++i)
            ids[i] = i == 299 ? GetCurrentProcessId() : 0xFFFF0000 + 4 * i;
        *returned = count * sizeof(DWORD);
        return TRUE;
    }
    static BOOL WINAPI Fails(DWORD*, DWORD, DWORD*) { return FALSE; }
};
std::vector<DWORD> FakeProcessList::bufferSizes;

TEST(ProcessFinder, PsapiIdBufferGrowsUntilTheListFits)
{
    ASSERT_TRUE(CPsapiLibrary::Instance().Load());
    CPsapiFunctions functions = CPsapiLibrary::Instance();
    functions.enumProcesses = &FakeProcessList::EnumProcesses;
    CPsapiProcessFinder finder(functions, CSessionLibrary::Loaded());
    EXPECT_EQ(GetCurrentProcessId(), finder.FindProcess("platformtest.exe").value_or(0));
    EXPECT_EQ((std::vector<DWORD>{1024, 2048}), FakeProcessList::bufferSizes);

    functions.enumProcesses = &FakeProcessList::Fails;
    EXPECT_FALSE(CPsapiProcessFinder(functions, CSessionLibrary::Loaded()).FindProcess("platformtest.exe").has_value());
}

} // namespace
