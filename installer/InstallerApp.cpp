#include "installer/InstallerApp.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/CompanionLink.h"
#include "common/PathText.h"
#include "common/PathUtil.h"
#include "common/ProcessFinder.h"
#include "common/ProcessFinderFactory.h"
#include "common/PsapiLibrary.h"
#include "common/ReplacementFile.h"
#include "common/SettingFile.h"
#include "common/ToolhelpLibrary.h"
#include "common/ToolhelpProcessFinder.h"
#include "framework/File.h"
#include "framework/Handle.h"
#include "framework/ResourceText.h"
#include "installer/UninstallDialog.h"
#include "installer/resource.h"
#include "usbkey/FilterUsbCheckThread.h"

namespace {

enum class ELoad { Loaded, Missing, Unreadable };

ELoad LoadSettings(CLockSetting& setting)
{
    const CSettingFile file(CPathUtil::GetSettingBaseFolder(), CSettingFile::kFileName);
    try {
        file.LoadSetting(setting);
        return ELoad::Loaded;
    } catch (...) {
        // Missing settings register no key; settings that exist (the file, or the copy a
        // half-done save kept) yet cannot be read might, and must not let it pass unchecked.
        return file.IsPresent() ? ELoad::Unreadable : ELoad::Missing;
    }
}

using SCompanionIds = std::pair<DWORD, DWORD>;  // the resident program's, the watchdog's; 0: none

SCompanionIds CompanionsOfThisSession()
{
    const CProcessFinder finder;
    return {finder.FindProcessId(kResidentExecutable), finder.FindProcessId(kWatchdogExecutable)};
}

constexpr int kEndRounds = 4;

// Each round ends one process of each companion. Another round follows while one is left
// that the last round did not fail to end: a second one, or one started again meanwhile.
void EndCompanions()
{
    SCompanionIds running = CompanionsOfThisSession();
    for (int round = 0; round < kEndRounds; ++round) {
        CCompanionLink::StopCompanions();
        const SCompanionIds left = CompanionsOfThisSession();
        if (left == SCompanionIds() || left == running)
            return;
        running = left;
    }
}

// The ends reach this session's companions only; another session's count all the same.
bool RunsInAnySession(const char* executableName)
{
    CToolhelpLibrary& toolhelp = CToolhelpLibrary::Instance();
    if (!toolhelp.Load())
        return CProcessFinder().IsRunning(executableName);  // Windows NT 4, which has no sessions
    const CSessionFunctions everySession;                   // unbound: every process counts
    return CToolhelpProcessFinder(toolhelp, everySession).FindProcess(executableName).has_value();
}

// The names of the companions still running, for the message; empty when none runs.
std::string RunningCompanions()
{
    std::string names;
    const std::pair<const char*, const char*> companions[] = {{kResidentExecutable, "Brontal"},
                                                              {kWatchdogExecutable, "Pernwick"}};
    for (const auto& [executable, name] : companions) {
        if (RunsInAnySession(executable))
            names += (names.empty() ? "" : ", ") + std::string(name);
    }
    return names;
}

void ShowStillRunning(HWND owner, const std::string& names)
{
    std::string text = fw::LoadText(IDS_COMPANION_RUNS);
    if (const std::size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, names);
    MessageBoxA(owner, text.c_str(), fw::LoadText(IDS_MESSAGE_CAPTION).c_str(), MB_ICONEXCLAMATION);
}

} // namespace

int CInstallerApp::Uninstall(HWND owner)
{
    ChooseProcessFinder();
    const fw::scope_exit releaseFinder([] {
        CProcessFinderFactoryHolder::Instance().Install(nullptr);
        CPsapiLibrary::Instance().Unload();
        CToolhelpLibrary::Instance().Unload();
    });
    m_usbCheckThread = usbkey::CFilterUsbCheckThread::Begin();
    const fw::scope_exit stopWorker([this] {
        usbkey::CFilterUsbCheckThread::End(m_usbCheckThread);
        m_usbCheckThread = nullptr;
    });
    return ConfirmAndRemove(owner);
}

int CInstallerApp::ConfirmAndRemove(HWND owner)
{
    CLockSetting setting;
    if (LoadSettings(setting) == ELoad::Unreadable)
        return kRefused;
    if (!setting.KeyDevices.empty() && !Confirm(setting, owner))
        return kRefused;
    CCompanionLink::PauseWatchdog();
    EndCompanions();
    // One left running would write its lock state into a new settings file.
    if (const std::string running = RunningCompanions(); !running.empty()) {
        ShowStillRunning(owner, running);
        return kFailed;
    }
    return RemoveSettings() ? kDone : kFailed;
}

bool CInstallerApp::Confirm(const CLockSetting& setting, HWND owner)
{
    if (!m_usbCheckThread)
        return false;  // no worker, no key check: nothing may pass unchecked
    CUninstallDialog dialog(*this, setting, owner);
    return dialog.DoModal() == IDOK;
}

// With the file go the temporary files of its saves: the next read would take one that a
// half-done save kept, and a reinstall would find the old settings in force. The copy that
// reads take (the file, or the newest kept copy) goes last, once every other one has gone:
// an uninstall that fails on one leaves the settings as they read before it.
bool CInstallerApp::RemoveSettings()
{
    const std::string folder = CPathUtil::GetSettingBaseFolder();
    const std::string path = PathText::AppendBackslash(folder) + CSettingFile::kFileName;
    const std::string readCopy = CReplacementFile::FindKeptCopy(path).value_or(path);
    const auto othersLeft = [&] {
        const std::vector<std::string> temps = CReplacementFile::ListTempFiles(path);
        return std::any_of(temps.begin(), temps.end(), [&](const std::string& temp) { return temp != readCopy; });
    };
    for (const std::string& temp : CReplacementFile::ListTempFiles(path)) {
        if (temp != readCopy)
            DeleteFileA(temp.c_str());
    }
    if (!othersLeft())
        DeleteFileA(readCopy.c_str());
    const bool removed = !fw::CFile::Exists(path) && CReplacementFile::ListTempFiles(path).empty();
    // Each goes only when empty.
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(CPathUtil::GetCompanyFolder().c_str());
    return removed;
}

bool CInstallerApp::IsKeyPresent(const CLockSetting& setting) const
{
    CUsbDeviceList attached;
    m_usbCheckThread->GetDeviceList(attached);
    if (setting.KeyType == 2)
        return attached.HasAllKeys(setting.KeyDevices) != 0;
    return attached.HasAnyKey(setting.KeyDevices) != 0;
}
