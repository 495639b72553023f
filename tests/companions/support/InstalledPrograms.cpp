#include "tests/companions/support/InstalledPrograms.h"

#include <dbt.h>

#include <cstdio>

#include "common/CompanionLink.h"
#include "common/LockSetting.h"
#include "common/ProcessFinderFactory.h"
#include "tests/resident/support/ResidentProcess.h"

using testsupport::ProcessesNamed;

const SSimulatedKey kInstalledKey{"key", CKeyDevice(0x0951, 0x1666, "KV-COMPANION-01")};

namespace {

struct SProgramFile {
    const char* built;  // the build's file, a Unix path
    const char* installed;
};

const SProgramFile kProgramFiles[] = {
    {KV_SIMULATED_BRONTAL, "Brontal.exe"},
    {KV_SIMULATED_MARROWPANE, "Marrowpane.exe"},
    {KV_TOLLHATCH, "Tollhatch.exe"},
    {KV_ARDENVALE_API, "ArdenvaleAPI.dll"},
    {KV_SAMPLE_CLIENT, "SampleClient.exe"},
};

void WriteSettingsWith(const CKeyDeviceList& keys, const std::string& lockMessage = {})
{
    CLockSetting setting;
    setting.SetDefaults();
    setting.LockStartup = 0;
    setting.LockNoInput = 0;
    setting.KeyDevices = keys;
    setting.LockMessage = lockMessage;
    WriteSettings(setting);
}

void PostToResident(UINT message, WPARAM wParam)
{
    if (const HWND window = ResidentWindow())
        PostMessageA(window, message, wParam, 0);
}

} // namespace

CInstalledPrograms::CInstalledPrograms(const std::string& tag, Watchdog watchdog)
    : m_folder(tag), m_keys(m_folder / "usb-scenario.txt", {kInstalledKey})
{
    ChooseProcessFinder();
    EndAll();
    for (const SProgramFile& file : kProgramFiles)
        CopyFileA(WindowsPathOf(file.built).c_str(), Path(file.installed).c_str(), FALSE);
    if (watchdog == WithWatchdog)
        CopyFileA(WindowsPathOf(KV_PERNWICK).c_str(), Path("Pernwick.exe").c_str(), FALSE);
    // Inherited by every program started from here on, also through the watchdog.
    SetEnvironmentVariableA("KV_USB_SCENARIO", m_keys.Path().c_str());
}

CInstalledPrograms::~CInstalledPrograms()
{
    EndAll();
}

void CInstalledPrograms::RegisterKey(const std::string& lockMessage)
{
    WriteSettingsWith({kInstalledKey.identity}, lockMessage);
}

void CInstalledPrograms::RegisterNoKey()
{
    WriteSettingsWith({});
}

DWORD CInstalledPrograms::Launch(const char* fileName, const std::string& arguments) const
{
    const std::string program = Path(fileName);
    std::string commandLine = testsupport::Quote(program) + " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", program.c_str(), GetLastError());
        return 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return process.dwProcessId;
}

void CInstalledPrograms::Pull()
{
    m_keys.Pull(kInstalledKey.tag);
    PostToResident(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
}

void CInstalledPrograms::Insert()
{
    m_keys.Insert(kInstalledKey.tag);
    PostToResident(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
}

void CInstalledPrograms::EndAll()
{
    // Rounds: a resident program killed in the first may just have started a watchdog.
    for (int round = 0; round < 3; ++round) {
        for (const char* name : {kWatchdogExecutable, kResidentExecutable, "TOLLHATCH.EXE"}) {
            testsupport::KillProcessesNamed(name);
        }
    }
}

HWND ResidentWindow()
{
    return CCompanionLink::FindResidentWindow();
}

bool WaitForResident(bool running, DWORD timeout)
{
    return WaitUntil([running] { return (ResidentWindow() != nullptr) == running; }, timeout);
}

DWORD ProcessOf(const char* fileName)
{
    const std::vector<DWORD> ids = ProcessesNamed(fileName);
    return ids.empty() ? 0 : ids.front();
}

bool KillProcessOf(const char* fileName)
{
    const fw::unique_handle process =
        testsupport::OpenProcessNamed(ProcessOf(fileName), fileName, SYNCHRONIZE | PROCESS_TERMINATE);
    if (!process)
        return false;
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), 5000);
    return true;
}
