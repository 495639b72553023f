#include "utility/UtilityApp.h"

#include "common/CompanionLink.h"
#include "common/PathUtil.h"
#include "common/ProcessFinderFactory.h"
#include "common/SettingFile.h"
#include "common/SettingsRead.h"
#include "framework/ResourceText.h"
#include "usbkey/FilterUsbCheckThread.h"
#include "utility/UtilitySheet.h"
#include "utility/resource.h"

namespace {

constexpr DWORD kInstanceWait = 10;

} // namespace

CUtilityApp::CUtilityApp(bool (*isAdministrator)()) : m_instance(kUtilityInstanceMutex), m_isAdministrator(isAdministrator)
{
    m_setting.SetDefaults();
    m_setting.LockKeyRemoved = 0;  // the utility starts from "off" where the file has no value
}

void CUtilityApp::InitInstance()
{
    if (!m_instance.Lock(kInstanceWait))
        return;  // another instance runs
    ChooseProcessFinder();
    if (!m_isAdministrator()) {
        fw::ShowMessage(nullptr, IDS_NEEDS_ADMINISTRATOR, IDS_MESSAGE_CAPTION, MB_ICONERROR);
    } else {
        m_usbCheckThread = usbkey::CFilterUsbCheckThread::Begin();
        const bool loaded = LoadSettings();
        if (!m_usbCheckThread)
            ;  // no worker: nothing can be checked, the program ends
        else if (!loaded)
            fw::ShowMessage(nullptr, IDS_READ_FAILED, IDS_MESSAGE_CAPTION, MB_ICONERROR);
        else if (!m_setting.KeyDevices.empty())
            RunSettings();
        else
            OfferFirstSetup();
        usbkey::CFilterUsbCheckThread::End(m_usbCheckThread);
        m_usbCheckThread = nullptr;
    }
    ReleaseProcessFinder();
    m_instance.Unlock();
}

// A missing file leaves the record as it was: without keys, the set-up is offered. False
// when the file is there but cannot be read (another program saving it): it holds settings
// that neither the set-up question nor a sheet of starting values may stand in for.
bool CUtilityApp::LoadSettings()
{
    return ReadSettingsFile(CSettingFile(CPathUtil::GetSettingBaseFolder(), CSettingFile::kFileName),
                            [this](const CSettingFile& file) { file.LoadSetting(m_setting); }) !=
           ESettingsRead::Unreadable;
}

// The sheet is the program's window from the unlock on: it asks for the key or the
// password while it is being made.
void CUtilityApp::RunSettings()
{
    CUtilitySheet sheet(*this);
    sheet.DoModal();
}

void CUtilityApp::OfferFirstSetup()
{
    if (fw::ShowMessage(nullptr, IDS_ASK_FIRST_SETUP, IDS_MESSAGE_CAPTION, MB_ICONWARNING | MB_OKCANCEL) != IDOK)
        return;
    // A paused watchdog is resumed; only when none answers is one started.
    if (!CCompanionLink::ResumeWatchdog())
        CCompanionLink::LaunchWatchdog();
}

bool CUtilityApp::IsKeyPresent() const
{
    CUsbDeviceList attached;
    m_usbCheckThread->GetDeviceList(attached);
    if (m_setting.KeyType == 2)
        return attached.HasAllKeys(m_setting.KeyDevices) != 0;
    return attached.HasAnyKey(m_setting.KeyDevices) != 0;
}
