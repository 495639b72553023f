#include "installer/InstallerApp.h"

#include "common/CompanionLink.h"
#include "common/PathUtil.h"
#include "common/ProcessFinderFactory.h"
#include "common/PsapiLibrary.h"
#include "common/SettingFile.h"
#include "common/ToolhelpLibrary.h"
#include "framework/File.h"
#include "framework/Handle.h"
#include "installer/UninstallDialog.h"
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
        // A missing file registers no key; one that exists yet cannot be read might,
        // and must not let the uninstall pass unchecked.
        return fw::CFile::Exists(file.GetPath()) ? ELoad::Unreadable : ELoad::Missing;
    }
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
    CCompanionLink::StopCompanions();
    RemoveSettings();
    return kDone;
}

bool CInstallerApp::Confirm(const CLockSetting& setting, HWND owner)
{
    if (!m_usbCheckThread)
        return false;  // no worker, no key check: nothing may pass unchecked
    CUninstallDialog dialog(*this, setting, owner);
    return dialog.DoModal() == IDOK;
}

void CInstallerApp::RemoveSettings()
{
    const std::string folder = CPathUtil::GetSettingBaseFolder();
    try {
        CPathUtil::DeleteFileInFolder(folder, CSettingFile::kFileName);
    } catch (...) {
        // the folders then stay, as they are not empty
    }
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(CPathUtil::GetCompanyFolder().c_str());
}

bool CInstallerApp::IsKeyPresent(const CLockSetting& setting) const
{
    CUsbDeviceList attached;
    m_usbCheckThread->GetDeviceList(attached);
    if (setting.KeyType == 2)
        return attached.HasAllKeys(setting.KeyDevices) != 0;
    return attached.HasAnyKey(setting.KeyDevices) != 0;
}
