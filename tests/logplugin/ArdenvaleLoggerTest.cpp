// ArdenvaleLogger.dll in a stand-in log host (this process) under Wine: the exports as a
// host calls them, the filter file, the option page and the exclusions, and end to end
// the lock events of the test build of Brontal reaching the stand-in "ALogExAPI.dll".
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/CompanionLink.h"
#include "framework/File.h"
#include "tests/logplugin/LogHost.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SingleKeySession.h"

namespace {

using fw::CFile;
using testsupport::ProcessesNamed;

constexpr char kPluginGuidText[] = "{070166DD-1101-49AE-B105-371EB39F3E00}";
constexpr DWORD kEventWait = 10000;
constexpr DWORD kQuietWait = 1500;
const SSimulatedKey kKey{"key", CKeyDevice(0x0951, 0x1666, "KV-LOGGER-01")};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string Text(HMODULE module, UINT id)
{
    char text[512] = {};
    LoadStringA(module, id, text, sizeof text);
    return text;
}

BOOL CALLBACK CollectText(HWND child, LPARAM lParam)
{
    char text[512] = {};
    GetWindowTextA(child, text, sizeof text);
    reinterpret_cast<std::string*>(lParam)->append(text).append("\n");
    return TRUE;
}

// Answers every message box of this process from another thread, as a user would: with
// `button`, or OK where the box has no such button. Keeps the texts they showed.
class CMessageBoxAnswer {
public:
    explicit CMessageBoxAnswer(int button) : m_thread([this, button] { AnswerAll(button); }) {}
    ~CMessageBoxAnswer() { Texts(); }
    // Stops answering; the texts of every box answered so far.
    std::string Texts()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_texts;
    }

private:
    struct SSearch {
        DWORD process;
        HWND found;
    };
    static BOOL CALLBACK FindBox(HWND window, LPARAM lParam)
    {
        auto* search = reinterpret_cast<SSearch*>(lParam);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        if (process == search->process && IsWindowVisible(window) && std::strcmp(name, "#32770") == 0 &&
            (GetDlgItem(window, IDOK) || GetDlgItem(window, IDYES))) {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }
    void AnswerAll(int button)
    {
        while (!m_stop) {
            SSearch search{GetCurrentProcessId(), nullptr};
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
            if (!search.found) {
                Sleep(20);
                continue;
            }
            EnumChildWindows(search.found, CollectText, reinterpret_cast<LPARAM>(&m_texts));
            const int id = GetDlgItem(search.found, button) ? button : IDOK;
            PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(search.found, id)));
            for (int i = 0; i < 500 && IsWindow(search.found); ++i)
                Sleep(10);
        }
    }

    std::atomic<bool> m_stop{false};
    std::string m_texts;
    std::thread m_thread;
};

class ArdenvaleLogger : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Load());
        m_owner = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override { DestroyWindow(m_owner); }

    const SLoggerExports& Plugin() const { return host.Plugin(); }
    std::string PluginText(UINT id) const { return Text(host.Module(), id); }

    CLogHost host{"logger"};
    HWND m_owner = nullptr;
};

TEST_F(ArdenvaleLogger, InformationRecordCarriesTheGuidAndTheStringIds)
{
    unsigned char info[32] = {};
    Plugin().GetDllInfomation(info);
    const unsigned char expected[32] = {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 2,    0,    0,
                                        0,    4,    0,    0,    0,    0xDD, 0x66, 0x01, 0x07, 0x01, 0x11,
                                        0xAE, 0x49, 0xB1, 0x05, 0x37, 0x1E, 0xB3, 0x9F, 0x3E, 0x00};
    EXPECT_EQ(0, std::memcmp(expected, info, sizeof info));
    EXPECT_EQ("Kelvrane", PluginText(4));
}

TEST_F(ArdenvaleLogger, ListTextsOfItsOwnRecordsOnly)
{
    ASSERT_EQ(0, Plugin().OnInit(FALSE));
    const int column0 = 0;
    const int column1 = 1;
    const SPluginRecord lock(1);
    const std::string lockText = PluginText(7);
    char buffer[64];

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(int(lockText.size()), Plugin().GetListViewDrawData(&lock.record, &column0, buffer, sizeof buffer));
    EXPECT_EQ(lockText, buffer);

    std::memset(buffer, '#', sizeof buffer);  // a short buffer: cut, unterminated, full length told
    EXPECT_EQ(int(lockText.size()), Plugin().GetListViewDrawData(&lock.record, &column0, buffer, 4));
    EXPECT_EQ(0, std::memcmp(lockText.data(), buffer, 4));
    EXPECT_EQ('#', buffer[4]);

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(0, Plugin().GetListViewDrawData(&lock.record, &column1, buffer, 8));
    EXPECT_EQ(std::string(8, '\0'), std::string(buffer, 8));
    EXPECT_EQ('#', buffer[8]);

    // Not its record, or what the host passes is unusable: 0 and the buffer untouched.
    SPluginRecord other(1);
    other.record.source.Data1 ^= 1;
    const SPluginRecord wrongSize(1, 8);
    const SPluginRecord unknownCode(9);
    tagALOGEX_DATA noData = lock.record;
    noData.data = nullptr;
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(0, Plugin().GetListViewDrawData(&other.record, &column0, buffer, sizeof buffer));
    EXPECT_EQ(0, Plugin().GetListViewDrawData(&wrongSize.record, &column0, buffer, sizeof buffer));
    EXPECT_EQ(0, Plugin().GetListViewDrawData(&unknownCode.record, &column0, buffer, sizeof buffer));
    EXPECT_EQ(0, Plugin().GetListViewDrawData(&noData, &column0, buffer, sizeof buffer));
    EXPECT_EQ(0, Plugin().GetListViewDrawData(nullptr, &column0, buffer, sizeof buffer));
    EXPECT_EQ(0, Plugin().GetListViewDrawData(&lock.record, nullptr, buffer, sizeof buffer));
    EXPECT_EQ(0, Plugin().GetListViewDrawData(&lock.record, &column1, buffer, 0));
    EXPECT_EQ(0, Plugin().GetListViewDrawData(&lock.record, &column1, buffer, -5));
    EXPECT_EQ(0, Plugin().GetListViewDrawData(&lock.record, &column0, nullptr, 8));
    EXPECT_EQ(std::string(sizeof buffer, '#'), std::string(buffer, sizeof buffer));
}

TEST_F(ArdenvaleLogger, ExclusionAsksSavesAndThenSaysItIsExcluded)
{
    ASSERT_EQ(0, Plugin().OnInit(FALSE));
    const SPluginRecord unlock(2);
    {
        CMessageBoxAnswer no(IDNO);
        Plugin().AddExclusion(&unlock.record, m_owner);
        EXPECT_NE(std::string::npos, no.Texts().find(PluginText(110))) << "the question names the event";
    }
    EXPECT_FALSE(CFile::Exists(host.FilterFile()));
    {
        CMessageBoxAnswer yes(IDYES);
        Plugin().AddExclusion(&unlock.record, m_owner);
        yes.Texts();
    }
    EXPECT_EQ("[Log]\r\nLogLock=1\r\nLogUnlock=0\r\nLogChangeSetting=1\r\nLogAlarm=1\r\n\r\n",
              ReadFile(host.FilterFile()));
    {
        CMessageBoxAnswer ok(IDOK);
        Plugin().AddExclusion(&unlock.record, m_owner);
        const std::string already = PluginText(112);
        EXPECT_NE(std::string::npos, ok.Texts().find(already.substr(already.find("%s") + 2)));
    }
    // Records the plug-in does not own, or unusable ones, ask nothing.
    SPluginRecord other(1);
    other.record.source.Data1 ^= 1;
    const SPluginRecord unknownCode(7);
    Plugin().AddExclusion(&other.record, m_owner);
    Plugin().AddExclusion(&unknownCode.record, m_owner);
    Plugin().AddExclusion(nullptr, m_owner);
}

TEST_F(ArdenvaleLogger, OptionPageAppliesAndRetriesAFailedSave)
{
    ASSERT_EQ(0, Plugin().OnInit(FALSE));
    const HWND page = Plugin().OnCreateOptionPage(m_owner, 0);
    ASSERT_TRUE(page);
    EXPECT_EQ(nullptr, Plugin().OnCreateOptionPage(m_owner, 0)) << "one page at a time";
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, 4000));

    EXPECT_TRUE(Plugin().OnApplayOptionPage(0));
    EXPECT_FALSE(CFile::Exists(host.FilterFile())) << "nothing changed, nothing written";

    // The plug-in's folder cannot be made: a file stands in its way.
    const std::string blocker = host.SettingFolder() + "\\ArdenvaleLogger";
    WriteFile(blocker, "in the way");
    CheckDlgButton(page, 4000, BST_UNCHECKED);
    {
        CMessageBoxAnswer ok(IDOK);
        EXPECT_FALSE(Plugin().OnApplayOptionPage(0));
        EXPECT_NE(std::string::npos, ok.Texts().find(PluginText(12)));
    }
    // With the way clear, the next Apply writes although the page did not change since.
    DeleteFileA(blocker.c_str());
    EXPECT_TRUE(Plugin().OnApplayOptionPage(0));
    EXPECT_EQ("[Log]\r\nLogLock=0\r\nLogUnlock=1\r\nLogChangeSetting=1\r\nLogAlarm=1\r\n\r\n",
              ReadFile(host.FilterFile()));

    Plugin().OnDestroyOptionPage(0);
    EXPECT_FALSE(IsWindow(page));
    EXPECT_TRUE(Plugin().OnApplayOptionPage(0)) << "no page: nothing to apply";

    // Uninstall takes the file and the folder; OnInit with wipe does the same first.
    Plugin().Uninstall();
    EXPECT_FALSE(CFile::Exists(host.SettingFolder() + "\\ArdenvaleLogger"));
}

// The host destroys its options window, and the page with it, without OnDestroyOptionPage:
// the gone page's empty check boxes are never saved, and a new page can be made.
TEST_F(ArdenvaleLogger, PageDestroyedByTheHostSavesNothingAndCanBeMadeAgain)
{
    ASSERT_EQ(0, Plugin().OnInit(FALSE));
    const HWND options =
        CreateWindowExA(0, "STATIC", "options", WS_POPUP, 0, 0, 10, 10, m_owner, nullptr, nullptr, nullptr);
    ASSERT_TRUE(Plugin().OnCreateOptionPage(options, 0));
    DestroyWindow(options);

    EXPECT_TRUE(Plugin().OnApplayOptionPage(0));
    EXPECT_FALSE(CFile::Exists(host.FilterFile())) << "a gone page has nothing to save";
    const HWND page = Plugin().OnCreateOptionPage(m_owner, 0);
    ASSERT_TRUE(page);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, 4003)) << "the filter kept every event on";
    Plugin().OnDestroyOptionPage(0);
}

TEST_F(ArdenvaleLogger, FilterFileIsReadAtInit)
{
    CreateDirectoryA((host.SettingFolder() + "\\ArdenvaleLogger").c_str(), nullptr);
    WriteFile(host.FilterFile(), "[Log]\r\nLogLock=0=1\r\nLogAlarm=0\r\n");
    ASSERT_EQ(0, Plugin().OnInit(FALSE));
    const HWND page = Plugin().OnCreateOptionPage(m_owner, 0);
    ASSERT_TRUE(page);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, 4000)) << "a line of three parts is ignored";
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, 4003));
    Plugin().OnDestroyOptionPage(0);

    ASSERT_EQ(0, Plugin().OnInit(TRUE)) << "wipe";
    EXPECT_FALSE(CFile::Exists(host.FilterFile()));
}

// Without a settings folder from the host the plug-in does not start, and nothing is read,
// written or deleted at the root of the current drive.
TEST_F(ArdenvaleLogger, NoSettingFolderIsAFailedStart)
{
    const std::string atRoot = "C:\\ArdenvaleLogger";
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof saved, saved);
    SetCurrentDirectoryA(host.SettingFolder().c_str());  // on drive C:
    for (const char* answer : {"empty", "unterminated"}) {
        SetEnvironmentVariableA("KV_ALOG_ANSWER", answer);
        EXPECT_EQ(-1, Plugin().OnInit(TRUE)) << answer;
        EXPECT_EQ(-1, Plugin().LoggingStart()) << answer;
        const SPluginRecord lock(1);
        {
            CMessageBoxAnswer yes(IDYES);  // the question, then the save failure
            Plugin().AddExclusion(&lock.record, m_owner);
        }
        Plugin().Uninstall();
        EXPECT_FALSE(CFile::Exists(atRoot)) << answer;
    }
    SetCurrentDirectoryA(saved);
}

TEST_F(ArdenvaleLogger, WithoutTheClientLibraryNothingStarts)
{
    host.Unload();
    CLogHost bare("logger-bare", CLogHost::WithoutClientLibrary);
    ASSERT_TRUE(bare.Load());
    EXPECT_EQ(-1, bare.Plugin().OnInit(FALSE));
    EXPECT_EQ(-1, bare.Plugin().LoggingStart());
    EXPECT_EQ(0, bare.Plugin().LoggingStop());
    EXPECT_EQ(0, bare.Plugin().OnExit());
}

// End to end: Brontal with a simulated key, the plug-in logging in this host.
class ArdenvaleLoggerWithBrontal : public ArdenvaleLogger {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ProcessesNamed(kResidentExecutable).empty()) << "a resident is left running";
        ArdenvaleLogger::SetUp();
        ASSERT_TRUE(session.Start(WindowsPathOf(KV_SIMULATED_BRONTAL).c_str()));
    }

    void Pull() { session.Pull(); }
    void Insert() { session.Insert(); }

    // Starts logging and waits until the client library is registered with Brontal: a
    // reload (event 3) is logged.
    void StartLogging()
    {
        ASSERT_EQ(0, Plugin().OnInit(FALSE));
        ASSERT_EQ(0, Plugin().LoggingStart());
        const DWORD start = GetTickCount();
        while (host.Records().empty() && GetTickCount() - start < kEventWait) {
            session.Resident().Post(UM_RELOAD_SETTINGS);
            host.WaitForRecords(1, 300);
        }
        ASSERT_FALSE(host.Records().empty()) << "no event reached the log library";
        m_seen = host.Records().size();
    }

    // The lock and unlock codes of the records that arrived since the last look (a late
    // settings-change record of the start is left out).
    std::vector<int> NewCodes(std::size_t count, DWORD timeout)
    {
        std::vector<int> codes;
        const DWORD start = GetTickCount();
        while (codes.size() < count && GetTickCount() - start < timeout) {
            const std::vector<SLogRecord> records = host.WaitForRecords(m_seen + 1, 50);
            for (; m_seen < records.size(); ++m_seen) {
                const SLogRecord& record = records[m_seen];
                EXPECT_EQ(kPluginGuidText, record.guid);
                EXPECT_EQ(4u, record.size);
                EXPECT_EQ(0u, record.reserved);
                EXPECT_EQ(1u, record.flags);
                if (record.code != 3)
                    codes.push_back(record.code);
            }
        }
        return codes;
    }

    CSingleKeySession session{kKey, "logger-e2e-" + std::to_string(GetCurrentProcessId()) + ".txt"};
    std::size_t m_seen = 0;
};

TEST_F(ArdenvaleLoggerWithBrontal, PullAndInsertArriveAsLockAndUnlock)
{
    StartLogging();
    const unsigned long before = static_cast<unsigned long>(time(nullptr));
    Pull();
    EXPECT_EQ(std::vector<int>{1}, NewCodes(1, kEventWait));
    Insert();
    EXPECT_EQ(std::vector<int>{2}, NewCodes(1, kEventWait));
    const std::vector<SLogRecord> records = host.Records();
    EXPECT_LE(before, records.back().time);
    EXPECT_LE(records.back().time, static_cast<unsigned long>(time(nullptr)));
    EXPECT_EQ(0, Plugin().LoggingStop());
}

TEST_F(ArdenvaleLoggerWithBrontal, UnlockOffLogsTheLockOnly)
{
    CreateDirectoryA((host.SettingFolder() + "\\ArdenvaleLogger").c_str(), nullptr);
    WriteFile(host.FilterFile(), "[Log]\r\nLogUnlock=0\r\n");
    StartLogging();
    Pull();
    EXPECT_EQ(std::vector<int>{1}, NewCodes(1, kEventWait));
    Insert();
    EXPECT_EQ(std::vector<int>{}, NewCodes(1, kQuietWait));
    EXPECT_EQ(0, Plugin().OnExit());
}

// A second start keeps one window; an unload without a stop takes the window and its class
// along, so a broadcast afterwards finds no window whose code is gone.
TEST_F(ArdenvaleLoggerWithBrontal, SecondStartAndUnloadWithoutStopLeaveNothingBehind)
{
    StartLogging();
    EXPECT_EQ(0, Plugin().LoggingStart());
    EXPECT_EQ(HWND(nullptr), FindWindowExA(nullptr, FindWindowA("ArdenvaleLoggerWnd", nullptr), "ArdenvaleLoggerWnd",
                                           nullptr))
        << "a second window";
    Pull();
    EXPECT_EQ(std::vector<int>{1}, NewCodes(1, kEventWait)) << "logged once";

    const HMODULE plugin = host.Module();
    host.Unload();
    WNDCLASSA unused;
    EXPECT_FALSE(GetClassInfoA(plugin, "ArdenvaleLoggerWnd", &unused));
    EXPECT_EQ(HWND(nullptr), FindWindowA("ArdenvaleLoggerWnd", nullptr));
    const UINT probe = RegisterWindowMessageA("KvLoggerUnloadProbe");
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(HWND_BROADCAST, probe, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
    Insert();
    CLogHost::Pump(kQuietWait);  // events of the ended registration reach nothing here
    EXPECT_TRUE(IsWindow(m_owner)) << "the host lives on";
}

} // namespace
