#include "utility/UtilitySheet.h"

#include "common/CompanionLink.h"
#include "common/PathUtil.h"
#include "common/SettingFile.h"
#include "framework/ResourceText.h"
#include "usbkey/FilterUsbCheckThread.h"
#include "utility/UtilityApp.h"
#include "utility/UtilityUnlockDialog.h"
#include "utility/resource.h"

namespace {

constexpr WORD kApplyNowButton = 0x3021;

} // namespace

CUtilitySheet::CUtilitySheet(CUtilityApp& app)
    : fw::CPropertySheet(IDS_MESSAGE_CAPTION), m_app(app), m_copy(app.Settings()), m_versionPage(IDD_VERSION_PAGE)
{
    PROPSHEETHEADERA& header = Header();
    header.dwFlags = (header.dwFlags | PSH_USEHICON) & ~PSH_HASHELP;
    header.hIcon = LoadIconA(header.hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    SetStartHidden();  // shown once the unlock passed
    AddPage(m_wholePage);
    AddPage(m_passwordPage);
    AddPage(m_lockPage);
    AddPage(m_keyPage);
    AddPage(m_versionPage);
}

const CLockSetting& CUtilitySheet::Saved() const
{
    return m_app.Settings();
}

// The window exists and is not shown yet: without the key or the password it never is.
void CUtilitySheet::OnSheetInitialized()
{
    CUtilityUnlockDialog unlock(m_app, nullptr);  // owned by no window, as by the desktop
    if (unlock.DoModal() != IDOK) {
        EndWithCancel();
        return;
    }
    m_openedByPassword = unlock.OpenedByPassword();
    ShowWindow(GetSafeHwnd(), SW_SHOWNORMAL);
    RegisterDeviceNotify();
}

void CUtilitySheet::RegisterDeviceNotify()
{
    m_app.UsbCheckThread().AddNotifyWindow(GetSafeHwnd(), usbkey::UM_DEVICE_LIST_CHANGED);
    m_app.UsbCheckThread().RequestCheck();
}

usbkey::CFilterUsbCheckThread& CUtilitySheet::UsbCheckThread() const
{
    return m_app.UsbCheckThread();
}

void CUtilitySheet::UnregisterDeviceNotify()
{
    m_app.UsbCheckThread().RemoveNotifyWindow(GetSafeHwnd());
}

bool CUtilitySheet::OnSheetMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    switch (message) {
    case WM_COMMAND:
        // OK and Apply save first; once saved, comctl32 goes on (the pages then report no change).
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == kApplyNowButton) {
            result = 0;
            return !SaveSettings();
        }
        return false;
    case WM_DEVICECHANGE:
        m_app.UsbCheckThread().RequestCheck();
        return false;
    case usbkey::UM_DEVICE_LIST_CHANGED:
        if (!m_openedByPassword && !m_app.IsKeyPresent())
            EndWithCancel();
        result = 0;
        return true;
    case WM_DESTROY:
        UnregisterDeviceNotify();
        return false;
    default:
        return false;
    }
}

// Every save starts from the settings as they are; each shown page writes what it shows,
// so a value set back after a failed save is never written from an earlier try.
bool CUtilitySheet::SaveSettings()
{
    m_copy = m_app.Settings();
    m_modified = false;
    if (!SendMessageA(GetSafeHwnd(), PSM_APPLY, 0, 0))
        return false;
    if (!m_modified)
        return true;
    if (!WriteSettings())
        return false;
    m_app.Settings() = m_copy;
    CCompanionLink::ReloadResidentSettings();
    return true;
}

bool CUtilitySheet::WriteSettings()
{
    try {
        CPathUtil::CreateSettingBaseFolder();
        CSettingFile(CPathUtil::GetSettingBaseFolder(), CSettingFile::kFileName).SaveSetting(m_copy);
        return true;
    } catch (...) {
        fw::ShowMessage(GetSafeHwnd(), IDS_SAVE_FAILED, IDS_MESSAGE_CAPTION, MB_ICONERROR);
        for (std::size_t i = 0; i < GetPageCount(); ++i)
            if (const HWND page = GetPage(i).GetSafeHwnd())
                SendMessageA(GetSafeHwnd(), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
        return false;
    }
}
