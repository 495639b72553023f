#include "resident/ResidentApp.h"

#include "common/CompanionLink.h"
#include "common/ProcessFinderFactory.h"
#include "resident/LockEngine.h"
#include "resident/LockMainDialog.h"
#include "display/KeyboardHook.h"
#include "resident/resource.h"
#include "resident/wizard/InitWizard.h"
#include "usbkey/FilterUsbCheckThread.h"

namespace {

constexpr const char* kInstanceMutexName = "SS-{4327F27F-6452-4f27-8874-3B2975B294F4}";
constexpr DWORD kInstanceWait = 10;
// Between two tries at settings that are there but cannot be read: another program's save
// holds the file only for a moment.
constexpr DWORD kSettingsRetryPause = 250;

} // namespace

CResidentApp::CResidentApp(bool (*isAdministrator)())
    : m_instanceMutex(kInstanceMutexName), m_isAdministrator(isAdministrator)
{
    m_setting.SetDefaults();
}

CResidentApp::~CResidentApp()
{
    StopUsbCheckThread();
    m_instanceMutex.Unlock();
}

BOOL CResidentApp::InitInstance()
{
    if (!m_instanceMutex.Lock(kInstanceWait))
        return FALSE;  // another instance runs: end quietly
    ChooseProcessFinder();
    try {
        m_lockCore.Start();
    } catch (...) {
    }
    GetUsbCheckThread();
    m_eventPublisher.Start();
    m_lockCore.AttachSettings(&m_setting);
    LoadSettingsAtStart();
    CCompanionLink::ResumeWatchdog();
    if (m_setting.KeyDevices.empty() && !RunFirstRunWizard()) {
        CCompanionLink::PauseWatchdog();
        return FALSE;
    }
    RunMainWindow();
    return FALSE;
}

// Settings that are there but cannot be read are waited for: taken as none, they would
// bring the first-run wizard over them, or end the program and leave the PC open.
void CResidentApp::LoadSettingsAtStart()
{
    while (!m_lockCore.ReloadSettings())
        Sleep(kSettingsRetryPause);
}

void CResidentApp::RunMainWindow()
{
    CLockMainDialog dialog(*this, m_lockCore);
    dialog.DoModal();
}

int CResidentApp::ExitInstance()
{
    CKeyboardHook().Remove();
    m_eventPublisher.Stop();
    StopUsbCheckThread();
    try {
        m_lockCore.Stop();
    } catch (...) {
    }
    m_instanceMutex.Unlock();
    ReleaseProcessFinder();
    return 0;
}

CFilterUsbCheckThread* CResidentApp::GetUsbCheckThread()
{
    if (!m_usbCheckThread)
        m_usbCheckThread = CFilterUsbCheckThread::Begin();
    return m_usbCheckThread;
}

void CResidentApp::StopUsbCheckThread()
{
    CFilterUsbCheckThread::End(m_usbCheckThread);
    m_usbCheckThread = nullptr;
}

bool CResidentApp::IsKeyPresent(CKeyDeviceList* found)
{
    if (!m_usbCheckThread)
        return MatchRegisteredKeys(m_setting, nullptr, found);
    CUsbDeviceList attached;
    m_usbCheckThread->GetDeviceList(attached);
    return MatchRegisteredKeys(m_setting, &attached, found);
}

bool CResidentApp::RunFirstRunWizard()
{
    if (!m_isAdministrator())
        return false;
    CInitWizard wizard(&m_setting, GetUsbCheckThread(), IDS_WIZARD_CAPTION, GetDesktopWindow());
    const INT_PTR result = wizard.DoModal();
    return result == fw::ID_WIZFINISH && !m_setting.KeyDevices.empty();
}
