// Setwarden.dll as an installer uses it, under Wine: a stand-in installer program loads the
// library and calls one export; this test drives the uninstall dialog from outside, with
// the simulated USB machine for the key and the test builds of Brontal and Pernwick
// running. (The build checks the library's export table.)
#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/CompanionLink.h"
#include "common/PathUtil.h"
#include "common/SettingFile.h"
#include "framework/File.h"
#include "framework/Handle.h"
#include "tests/common/HelperProcess.h"
#include "tests/companions/support/InstalledPrograms.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SimulatedKeys.h"

namespace {

using namespace testsupport;
using fw::CFile;

constexpr int kPassed = 0;
constexpr int kRefused = -1;
constexpr DWORD kWindowWait = 15000;
constexpr DWORD kQuietWait = 1500;  // how long nothing has to happen for "stays open"
constexpr int kPromptControl = 1005;
constexpr int kPasswordControl = 1020;

// The library's texts, as it loads them.
enum : UINT {
    kPromptKeyOrPassword = 3000,
    kPromptKeyAndPassword = 3001,
    kAttachKey = 3004,
    kWrongPassword = 3005,
    kPromptPassword = 3006,
    kCompanionRuns = 3007,
};

const SSimulatedKey kKey{"key", CKeyDevice(0x0951, 0x1666, "KVU-0001")};
const char kPassword[] = "s3cret";

const std::string kShippedDll = WindowsPathOf(KV_SETWARDEN);
const std::string kSimulatedDll = WindowsPathOf(KV_SETWARDEN_SIMULATED);
const std::string kBrontal = WindowsPathOf(KV_SIMULATED_BRONTAL);

std::string SettingsPath()
{
    return CPathUtil::GetSettingBaseFolder() + "\\" + CSettingFile::kFileName;
}

// The name under which a half-done save of another process kept the settings.
std::string KeptCopyPath()
{
    return SettingsPath() + ".4242.tmp";
}

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

std::string TextOf(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsDialogClass(HWND window)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return std::string(name) == "#32770";
}

// Polls the process's top-level windows until one satisfies `wanted`.
HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& wanted, DWORD timeout = kWindowWait)
{
    const DWORD start = GetTickCount();
    do {
        for (const HWND window : WindowsOf(processId)) {
            if (IsWindowVisible(window) && wanted(window))
                return window;
        }
        Sleep(20);
    } while (GetTickCount() - start < timeout);
    return nullptr;
}

BOOL CALLBACK CollectText(HWND child, LPARAM lParam)
{
    reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(TextOf(child));
    return TRUE;
}

std::vector<std::string> ChildTexts(HWND window)
{
    std::vector<std::string> texts;
    EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

// One run of the stand-in installer calling one export of the library.
class CInstallerRun {
public:
    CInstallerRun(const std::string& dll, const std::string& exportName, const std::string& argument = "")
        : m_process(WindowsPathOf(KV_INSTALLER_DRIVER),
                    Quote(dll) + " " + exportName + (argument.empty() ? "" : " " + Quote(argument)))
    {
    }

    // The export's result; nullopt when the program did not end in time.
    std::optional<int> Result(DWORD timeout = 30000) const
    {
        if (!m_process.WaitForExit(timeout))
            return std::nullopt;
        return static_cast<int>(m_process.ExitCode());
    }

    DWORD Id() const { return m_process.Id(); }

    HWND WaitForDialog() const
    {
        return WaitForWindow(Id(), [](HWND w) { return IsDialogClass(w) && GetDlgItem(w, kPasswordControl); });
    }

    // The message box over the dialog; its texts land in `texts`.
    HWND WaitForMessageBox(HWND dialog, std::vector<std::string>& texts, DWORD timeout = kWindowWait) const
    {
        const HWND box = WaitForWindow(
            Id(), [dialog](HWND w) { return w != dialog && IsDialogClass(w) && GetWindow(w, GW_OWNER) == dialog; },
            timeout);
        if (box)
            texts = ChildTexts(box);
        return box;
    }

private:
    CHelperProcess m_process;
};

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    CFile file(path, CFile::modeCreate | CFile::modeWrite);
    file.Write(bytes.data(), bytes.size());
    file.Close();
}

// The user's shell folder `name` points to a folder that does not exist, so the shell does
// not find it, until the object goes.
class CShellFolderGone {
public:
    explicit CShellFolderGone(std::string name) : m_name(std::move(name))
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &m_key, nullptr);
        char value[1024] = {};
        DWORD size = sizeof value;
        if (RegQueryValueExA(m_key, m_name.c_str(), nullptr, &m_type, reinterpret_cast<BYTE*>(value), &size) ==
            ERROR_SUCCESS)
            m_saved.assign(value, size);
        const char missing[] = "C:\\kv-no-such-folder\\pictures";
        RegSetValueExA(m_key, m_name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(missing), sizeof missing);
    }
    ~CShellFolderGone()
    {
        if (m_saved.empty())
            RegDeleteValueA(m_key, m_name.c_str());
        else
            RegSetValueExA(m_key, m_name.c_str(), 0, m_type, reinterpret_cast<const BYTE*>(m_saved.data()),
                           static_cast<DWORD>(m_saved.size()));
        RegCloseKey(m_key);
    }

private:
    static constexpr char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    std::string m_name;
    HKEY m_key = nullptr;
    DWORD m_type = REG_SZ;
    std::string m_saved;
};

// The process's current folder, for the programs it starts, until the object goes.
class CCurrentFolder {
public:
    explicit CCurrentFolder(const std::string& folder)
    {
        GetCurrentDirectoryA(sizeof m_saved, m_saved);
        SetCurrentDirectoryA(folder.c_str());
    }
    ~CCurrentFolder() { SetCurrentDirectoryA(m_saved); }

private:
    char m_saved[MAX_PATH] = {};
};

// A companion stand-in under the program's name (the test helper), each in a folder of its
// own: with the marked window it ends on WM_QUIT; `endable` false gives it no window to
// quit by and an access list that lets others find it and wait for it but not end it, as
// another user's program in another session.
class CStandInCompanion {
public:
    CStandInCompanion(const std::string& fileName, bool endable)
        : m_folder("stand-in-" + std::to_string(++s_started))
    {
        const std::string program = m_folder / fileName;
        CopyFileA(WindowsPathOf(KV_COMPANION_HELPER).c_str(), program.c_str(), FALSE);
        const bool resident = fileName == kResidentExecutable;
        const std::string window = endable ? (resident ? "main||" + std::string(kResidentMarker) + "|0"
                                                       : "wd|" + std::string(kWatchdogMarker) + "||0")
                                           : "plain|plain||0";
        std::string commandLine = Quote(program) + " " + RecordArguments(m_folder / "record.txt", {window});
        // SYNCHRONIZE, PROCESS_QUERY_INFORMATION, PROCESS_QUERY_LIMITED_INFORMATION and
        // PROCESS_VM_READ for everyone; no PROCESS_TERMINATE.
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!endable)
            ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;0x101410;;;WD)", SDDL_REVISION_1, &descriptor,
                                                                 nullptr);
        const fw::unique_hlocal freeDescriptor(descriptor);
        SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessA(program.c_str(), commandLine.data(), descriptor ? &attributes : nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &info))
            return;
        CloseHandle(info.hThread);
        m_process.reset(info.hProcess);  // the creator's handle may end it
        m_id = info.dwProcessId;
    }
    ~CStandInCompanion()
    {
        if (m_process) {
            TerminateProcess(m_process.get(), 1);
            WaitForSingleObject(m_process.get(), 5000);
        }
    }

    bool Started() const
    {
        return m_process && WaitUntil([this] { return HelperWindowCount(m_id) > 0; }, kWindowWait);
    }
    bool Runs() const { return m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT; }

private:
    static inline int s_started = 0;
    CTempFolder m_folder;
    fw::unique_handle m_process;
    DWORD m_id = 0;
};

void Click(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void TypePassword(HWND dialog, const std::string& text)
{
    SetDlgItemTextA(dialog, kPasswordControl, text.c_str());
}

bool Contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class Setwarden : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ProcessesNamed(kResidentExecutable).empty()) << "a resident is left running";
        ASSERT_TRUE(ProcessesNamed(kWatchdogExecutable).empty()) << "a watchdog is left running";
        SetEnvironmentVariableA("KV_USB_SCENARIO", m_keys.Path().c_str());
        m_texts.reset(LoadLibraryExA(kSimulatedDll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(m_texts);
    }

    // Every later read would take a kept copy left behind for the settings.
    void TearDown() override { DeleteFileA(KeptCopyPath().c_str()); }

    // The library's text `id` as code page 932 bytes.
    std::string Text(UINT id) const
    {
        char text[512] = {};
        LoadStringA(static_cast<HMODULE>(m_texts.get()), id, text, sizeof text);
        return text;
    }

    // Settings with the key registered (and the password, when given).
    void Register(int usePassword = 0, int passwordType = 0, int utilityNeedPassword = 0)
    {
        CLockSetting setting;
        setting.SetDefaults();
        setting.LockStartup = 0;
        setting.LockNoInput = 0;
        setting.KeyDevices = {kKey.identity};
        setting.PasswordSetting.SetPassword(usePassword, kPassword);
        setting.PasswordSetting.PasswordType = passwordType;
        setting.PasswordSetting.UtilityNeedPassword = utilityNeedPassword;
        WriteSettings(setting);
    }

    // Its window is there before its start-up is done: once the window answers, Brontal has
    // read its lock state, so a test that then holds the settings file does not make it
    // start locked, a lock state it cannot read counting as locked.
    void StartBrontal()
    {
        ASSERT_TRUE(m_resident.Start(kBrontal));
        ASSERT_TRUE(SendMessageTimeoutA(m_resident.Window(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr));
    }

    // The dialog's prompt and its staying open for a while.
    void ExpectWaitingDialog(const CInstallerRun& run, HWND dialog, UINT prompt)
    {
        ASSERT_TRUE(dialog);
        EXPECT_EQ(Text(prompt), TextOf(GetDlgItem(dialog, kPromptControl)));
        EXPECT_FALSE(run.Result(kQuietWait)) << "the dialog closed by itself";
    }

    // Types the password, presses OK and expects the message `text`, then closes it.
    void ExpectMessageAfterPassword(const CInstallerRun& run, HWND dialog, const std::string& password, UINT text)
    {
        TypePassword(dialog, password);
        Click(dialog, IDOK);
        std::vector<std::string> texts;
        const HWND box = run.WaitForMessageBox(dialog, texts);
        ASSERT_TRUE(box);
        EXPECT_TRUE(Contains(texts, Text(text))) << text;
        Click(box, IDOK);
        EXPECT_FALSE(run.Result(kQuietWait)) << "the dialog closed after the message";
    }

    void ExpectUninstalled()
    {
        EXPECT_FALSE(CFile::Exists(SettingsPath()));
        EXPECT_FALSE(CFile::Exists(CPathUtil::GetSettingBaseFolder()));
        EXPECT_FALSE(CFile::Exists(CPathUtil::GetCompanyFolder()));
        EXPECT_TRUE(ProcessesNamed(kResidentExecutable).empty());
    }

    CSimulatedKeys m_keys{TempPath("setwarden-" + std::to_string(GetCurrentProcessId()) + ".txt"), {kKey}};
    fw::unique_hmodule m_texts;
    CResidentProcess m_resident;
};

TEST_F(Setwarden, CreatesTheSettingFolder)
{
    DeleteFileA(SettingsPath().c_str());
    RemoveDirectoryA(CPathUtil::GetSettingBaseFolder().c_str());
    ASSERT_FALSE(CFile::Exists(CPathUtil::GetSettingBaseFolder()));
    EXPECT_EQ(kPassed, CInstallerRun(kShippedDll, "CreateSettingBaseFolder").Result());
    EXPECT_TRUE(CFile::Exists(CPathUtil::GetSettingBaseFolder()));
}

// The picture folder under My Pictures (Wine reports Windows 7: no release flag).
TEST_F(Setwarden, PictureExportsFillAndEmptyThePictureFolder)
{
    std::string pictures;
    ASSERT_TRUE(CPathUtil::GetSpecialFolderPath(CSIDL_MYPICTURES, pictures));
    const std::string folder = pictures + "\\Kelvrane for Morlindex";
    const CTempFolder source("pictures");
    const std::string picture = source / "lock.bmp";
    WriteFileBytes(picture, "BM picture");

    EXPECT_EQ(kPassed, CInstallerRun(kShippedDll, "CreateImageFolder").Result());
    EXPECT_TRUE(CFile::Exists(folder));
    EXPECT_EQ(kPassed, CInstallerRun(kShippedDll, "CopyImageFile", picture).Result());
    EXPECT_TRUE(CFile::Exists(folder + "\\lock.bmp"));
    EXPECT_EQ(kPassed, CInstallerRun(kShippedDll, "CopyImageFile", source.Path()).Result());  // no name: nothing
    EXPECT_EQ(kPassed, CInstallerRun(kShippedDll, "CopyImageFile").Result());                 // no path: nothing

    EXPECT_EQ(kPassed, CInstallerRun(kShippedDll, "DeleteImageFolder").Result());
    EXPECT_TRUE(CFile::Exists(folder)) << "a folder with pictures stays";
    EXPECT_EQ(kPassed, CInstallerRun(kShippedDll, "DelImageFile", "D:\\elsewhere\\lock.bmp").Result());
    EXPECT_FALSE(CFile::Exists(folder + "\\lock.bmp"));
    EXPECT_EQ(kPassed, CInstallerRun(kShippedDll, "DeleteImageFolder").Result());
    EXPECT_FALSE(CFile::Exists(folder));
}

// With no My Pictures folder the exports do nothing at all: nothing lands in the root of
// the current drive, nothing is deleted there.
TEST_F(Setwarden, PictureExportsDoNothingWithoutAPictureFolder)
{
    const CShellFolderGone gone("My Pictures");
    std::string pictures;
    ASSERT_FALSE(CPathUtil::GetSpecialFolderPath(CSIDL_MYPICTURES, pictures)) << pictures;
    const CTempFolder source("nopictures");
    const std::string picture = source / "kv-setwarden-root-probe.bmp";
    WriteFileBytes(picture, "BM picture");
    const std::string atRoot = "C:\\kv-setwarden-root-probe.bmp";
    const std::string kept = "C:\\kv-setwarden-keep.bmp";
    WriteFileBytes(kept, "keep");
    const CCurrentFolder inTemp(source.Path());  // the stand-in installer starts on drive C:

    EXPECT_EQ(kPassed, CInstallerRun(kShippedDll, "CreateImageFolder").Result());
    EXPECT_EQ(kPassed, CInstallerRun(kShippedDll, "CopyImageFile", picture).Result());
    EXPECT_FALSE(CFile::Exists(atRoot));
    EXPECT_EQ(kPassed, CInstallerRun(kShippedDll, "DelImageFile", kept).Result());
    EXPECT_TRUE(CFile::Exists(kept));
    DeleteFileA(atRoot.c_str());
    DeleteFileA(kept.c_str());
}

// Pernwick and Brontal as installed in one folder, the watchdog having started the
// resident program; the key registration is gone by the time of the uninstall.
TEST_F(Setwarden, UninstallWithoutKeysEndsBothProgramsAndRemovesTheSettings)
{
    CInstalledPrograms programs("setwarden-installed", CInstalledPrograms::WithWatchdog);
    CInstalledPrograms::RegisterKey();
    ASSERT_NE(0u, programs.Launch("Pernwick.exe"));
    ASSERT_TRUE(WaitForResident(true, kWindowWait));
    CInstalledPrograms::RegisterNoKey();
    const DWORD start = GetTickCount();
    EXPECT_EQ(kPassed, CInstallerRun(kSimulatedDll, "Uninstall").Result());
    EXPECT_LT(GetTickCount() - start, 6000u) << "both ended by themselves within the waits";
    ExpectUninstalled();
    EXPECT_TRUE(ProcessesNamed(kWatchdogExecutable).empty());
    Sleep(kQuietWait);
    EXPECT_TRUE(ProcessesNamed(kResidentExecutable).empty()) << "the resident program was started again";
}

TEST_F(Setwarden, UninstallWithoutASettingsFilePasses)
{
    DeleteFileA(SettingsPath().c_str());
    EXPECT_EQ(kPassed, CInstallerRun(kSimulatedDll, "Uninstall").Result());
    ExpectUninstalled();
}

TEST_F(Setwarden, AttachedKeyPassesAtOnce)
{
    Register();
    StartBrontal();
    EXPECT_EQ(kPassed, CInstallerRun(kSimulatedDll, "Uninstall").Result());
    ExpectUninstalled();
}

TEST_F(Setwarden, KeyInsertedWhileTheDialogWaitsPasses)
{
    Register();
    m_keys.Pull(kKey.tag);
    const CInstallerRun run(kSimulatedDll, "Uninstall");
    const HWND dialog = run.WaitForDialog();
    ExpectWaitingDialog(run, dialog, kPromptKeyOrPassword);
    m_keys.Insert(kKey.tag);
    PostMessageA(dialog, WM_DEVICECHANGE, 7, 0);  // DBT_DEVNODES_CHANGED, as Windows sends it
    EXPECT_EQ(kPassed, run.Result());
}

TEST_F(Setwarden, RightPasswordPassesAndAWrongOneIsRefused)
{
    Register(1, 1);
    m_keys.Pull(kKey.tag);
    const CInstallerRun run(kSimulatedDll, "Uninstall");
    const HWND dialog = run.WaitForDialog();
    ExpectWaitingDialog(run, dialog, kPromptKeyOrPassword);
    ExpectMessageAfterPassword(run, dialog, "wrong", kWrongPassword);
    TypePassword(dialog, kPassword);
    Click(dialog, IDOK);
    EXPECT_EQ(kPassed, run.Result());
    ExpectUninstalled();
}

TEST_F(Setwarden, CancelChangesNothing)
{
    Register(1, 1);
    StartBrontal();
    m_keys.Pull(kKey.tag);
    const CInstallerRun run(kSimulatedDll, "Uninstall");
    const HWND dialog = run.WaitForDialog();
    ASSERT_TRUE(dialog);
    Click(dialog, IDCANCEL);
    EXPECT_EQ(kRefused, run.Result());
    EXPECT_TRUE(CFile::Exists(SettingsPath()));
    EXPECT_EQ(std::vector<DWORD>{m_resident.ProcessId()}, ProcessesNamed(kResidentExecutable));
}

TEST_F(Setwarden, KeyAndPasswordNeedBoth)
{
    Register(1, 2);
    m_keys.Pull(kKey.tag);
    const CInstallerRun run(kSimulatedDll, "Uninstall");
    const HWND dialog = run.WaitForDialog();
    ExpectWaitingDialog(run, dialog, kPromptKeyAndPassword);
    ExpectMessageAfterPassword(run, dialog, kPassword, kAttachKey);
    m_keys.Insert(kKey.tag);
    PostMessageA(dialog, WM_DEVICECHANGE, 7, 0);
    EXPECT_FALSE(run.Result(kQuietWait)) << "the key alone passed";
    Click(dialog, IDOK);
    EXPECT_EQ(kPassed, run.Result());
}

// The utility's password makes the key alone not enough, whatever its value; the prompt
// asks for the password on 1 only.
TEST_F(Setwarden, UtilityPasswordNeedsThePasswordWithTheKeyAttached)
{
    for (const auto& [utilityNeedPassword, prompt] : {std::pair{1, kPromptPassword}, {2, kPromptKeyOrPassword}}) {
        SCOPED_TRACE(utilityNeedPassword);
        Register(1, 0, utilityNeedPassword);
        const CInstallerRun run(kSimulatedDll, "Uninstall");
        const HWND dialog = run.WaitForDialog();
        ExpectWaitingDialog(run, dialog, prompt);
        ExpectMessageAfterPassword(run, dialog, "wrong", kWrongPassword);
        TypePassword(dialog, kPassword);
        Click(dialog, IDOK);
        EXPECT_EQ(kPassed, run.Result());
    }
}

// Without a password in use the utility's password setting does not count: the key passes
// (counted, no one could ever uninstall: every password is refused).
TEST_F(Setwarden, UtilityPasswordDoesNotCountWithoutAPassword)
{
    Register(0, 0, 1);
    EXPECT_EQ(kPassed, CInstallerRun(kSimulatedDll, "Uninstall").Result());
    ExpectUninstalled();
}

TEST_F(Setwarden, NoPasswordInUseRefusesEveryPassword)
{
    Register(0, 0, 0);
    m_keys.Pull(kKey.tag);
    const CInstallerRun run(kSimulatedDll, "Uninstall");
    const HWND dialog = run.WaitForDialog();
    ExpectWaitingDialog(run, dialog, kPromptKeyOrPassword);
    ExpectMessageAfterPassword(run, dialog, kPassword, kWrongPassword);
    Click(dialog, IDCANCEL);
    EXPECT_EQ(kRefused, run.Result());
}

// Settings that exist but cannot be read may register keys: refused, nothing changed. So
// where the only settings are the copy a half-done save kept, which the next read takes.
TEST_F(Setwarden, UnreadableSettingsFileRefuses)
{
    Register();
    StartBrontal();
    for (const std::string& path : {SettingsPath(), KeptCopyPath()}) {
        SCOPED_TRACE(path);
        if (path != SettingsPath()) {
            ASSERT_TRUE(MoveFileA(SettingsPath().c_str(), path.c_str()));
        }
        {
            fw::unique_hfile locked;  // Brontal's start-up read may hold the file a moment
            ASSERT_TRUE(WaitUntil(
                [&] {
                    locked.reset(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
                    return bool(locked);
                },
                5000));
            EXPECT_EQ(kRefused, CInstallerRun(kSimulatedDll, "Uninstall").Result());
        }
        EXPECT_TRUE(CFile::Exists(path));
        EXPECT_EQ(std::vector<DWORD>{m_resident.ProcessId()}, ProcessesNamed(kResidentExecutable));
    }
}

// A reinstall reads what the uninstall leaves: the settings file, the copy a half-done save
// kept in its stead, or a cut-off save's temporary file. All go, and a copy that cannot be
// deleted fails the uninstall, which then leaves the settings as they read before it: the
// copy that reads take goes last.
TEST_F(Setwarden, UninstallRemovesEveryCopyOfTheSettings)
{
    const std::string kept = KeptCopyPath(), cutOff = SettingsPath() + ".77.tmp",
                      unfinished = SettingsPath() + ".78-0.part.tmp";
    const struct {
        const char* what;
        std::vector<std::string> files;  // oldest first
        std::string held;                // open without delete sharing during the uninstall
        int result;
    } cases[] = {
        {"only a kept copy", {kept}, "", kPassed},
        {"the file and a cut-off save's", {cutOff, unfinished, SettingsPath()}, "", kPassed},
        {"a copy that cannot be deleted", {kept, cutOff}, kept, kRefused},
        {"the file and an old copy that cannot be deleted", {kept, SettingsPath()}, kept, kRefused},
        {"the file and an unfinished write that cannot be deleted", {SettingsPath(), unfinished}, unfinished,
         kRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CPathUtil::CreateSettingBaseFolder();
        DeleteFileA(SettingsPath().c_str());  // another test program's settings may be there
        FILETIME written;
        GetSystemTimeAsFileTime(&written);
        written.dwHighDateTime -= 10;
        for (const std::string& path : c.files) {
            CLockSetting setting;  // no key: no dialog
            setting.LockMessage = path;
            WriteFileBytes(path, CSettingFile::Serialize(&setting, nullptr));
            const fw::unique_hfile file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, 0, nullptr));
            ++written.dwHighDateTime;  // each newer than the last
            SetFileTime(file.get(), nullptr, nullptr, &written);
        }
        const CSettingFile settings(CPathUtil::GetSettingBaseFolder(), CSettingFile::kFileName);
        CLockSetting before;
        settings.LoadSetting(before);
        {
            const fw::unique_hfile held(c.held.empty() ? nullptr
                                                       : CreateFileA(c.held.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                                     nullptr, OPEN_EXISTING, 0, nullptr));
            EXPECT_EQ(c.result, CInstallerRun(kSimulatedDll, "Uninstall").Result());
        }
        if (c.held.empty()) {
            ExpectUninstalled();
            continue;
        }
        EXPECT_TRUE(CFile::Exists(c.held));
        EXPECT_TRUE(CFile::Exists(CPathUtil::GetSettingBaseFolder()));
        CLockSetting after;
        EXPECT_NO_THROW(settings.LoadSetting(after));
        EXPECT_EQ(before.LockMessage, after.LockMessage);
        for (const std::string& path : c.files)
            DeleteFileA(path.c_str());
    }
}

// Two resident processes (one of another session, or one started again meanwhile): the
// uninstall ends both before it removes the settings.
TEST_F(Setwarden, UninstallEndsEveryResidentProcess)
{
    const CStandInCompanion first(kResidentExecutable, true), second(kResidentExecutable, true);
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(second.Started());
    CInstalledPrograms::RegisterNoKey();
    EXPECT_EQ(kPassed, CInstallerRun(kSimulatedDll, "Uninstall").Result());
    ExpectUninstalled();
}

// A companion that cannot be ended would write the lock state into a new settings file
// after the removal: the uninstall names it and removes nothing.
TEST_F(Setwarden, UninstallRemovesNothingWhileACompanionStillRuns)
{
    const std::pair<const char*, const char*> companions[] = {{kResidentExecutable, "Brontal"},
                                                              {kWatchdogExecutable, "Pernwick"}};
    for (const auto& [fileName, name] : companions) {
        SCOPED_TRACE(fileName);
        const CStandInCompanion companion(fileName, false);
        ASSERT_TRUE(companion.Started());
        CInstalledPrograms::RegisterNoKey();
        const CInstallerRun run(kSimulatedDll, "Uninstall");
        const HWND box = WaitForWindow(run.Id(), IsDialogClass, 30000);  // after the waits of the end
        ASSERT_TRUE(box);
        std::string expected = Text(kCompanionRuns);
        expected.replace(expected.find("%s"), 2, name);
        EXPECT_TRUE(Contains(ChildTexts(box), expected)) << expected;
        Click(box, IDOK);
        EXPECT_EQ(kRefused, run.Result());
        EXPECT_TRUE(CFile::Exists(SettingsPath()));
        EXPECT_TRUE(companion.Runs());
    }
}

} // namespace
