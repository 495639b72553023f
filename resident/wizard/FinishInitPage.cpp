#include "resident/wizard/FinishInitPage.h"

#include "common/PathUtil.h"
#include "common/SettingFile.h"
#include "framework/ResourceText.h"
#include "resident/wizard/InitWizard.h"
#include "resident/wizard/WizardResource.h"

namespace {

UINT PasswordLineId(const CPasswordSetting& password)
{
    if (!password.UsePassword)
        return IDS_NO_PASSWORD;
    return password.PasswordType == 2 ? IDS_PASSWORD_AND_KEY : IDS_PASSWORD_ALONE;
}

} // namespace

CFinishInitPage::CFinishInitPage() : fw::CPropertyPage(IDD_FINISH_INIT) {}

CInitWizard& CFinishInitPage::Wizard() const
{
    return *static_cast<CInitWizard*>(GetParentSheet());
}

BOOL CFinishInitPage::OnInitDialog()
{
    m_keyList.SubclassDlgItem(IDC_KEY_LIST, GetSafeHwnd());
    m_keyList.InitColumns();
    return fw::CPropertyPage::OnInitDialog();
}

void CFinishInitPage::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Text(dx, IDC_SUMMARY_KEY_REMOVED, m_keyRemovedLine);
    fw::DDX_Text(dx, IDC_SUMMARY_PASSWORD, m_passwordLine);
    fw::DDX_Text(dx, IDC_SUMMARY_NO_INPUT, m_noInputLine);
    fw::DDX_Text(dx, IDC_SUMMARY_STARTUP, m_startupLine);
    fw::DDX_Text(dx, IDC_SUMMARY_UTILITY, m_utilityLine);
}

BOOL CFinishInitPage::OnSetActive()
{
    SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    ShowSummary();
    m_keyList.DeleteAllItems();
    m_keyList.SetKeyDevices(Wizard().Setting().KeyDevices);
    return TRUE;
}

void CFinishInitPage::ShowSummary()
{
    const CLockSetting& setting = Wizard().Setting();
    const CPasswordSetting& password = setting.PasswordSetting;
    m_keyRemovedLine = fw::LoadText(setting.LockKeyRemoved ? IDS_KEY_REMOVED_LOCKS : IDS_KEY_REMOVED_KEEPS);
    m_startupLine = fw::LoadText(setting.LockStartup ? IDS_STARTUP_LOCKS : IDS_STARTUP_KEEPS);
    m_noInputLine = fw::LoadText(setting.LockNoInput ? IDS_NO_INPUT_LOCKS : IDS_NO_INPUT_KEEPS);
    m_passwordLine = fw::LoadText(PasswordLineId(password));
    m_utilityLine = password.UsePassword && password.UtilityNeedPassword ? fw::LoadText(IDS_UTILITY_NEEDS_PASSWORD)
                                                                         : std::string();
    UpdateData(false);
}

BOOL CFinishInitPage::OnWizardFinish()
{
    try {
        CPathUtil::CreateSettingBaseFolder();
        CSettingFile(CPathUtil::GetSettingBaseFolder(), CSettingFile::kFileName).SaveSetting(Wizard().Setting());
        return TRUE;
    } catch (...) {
        ShowWizardMessage(GetSheetHwnd(), IDS_SAVE_FAILED, MB_ICONHAND);
        return FALSE;
    }
}
