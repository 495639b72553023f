#include "utility/UtilityPasswordPage.h"

#include "framework/ResourceText.h"
#include "utility/UtilitySheet.h"
#include "utility/resource.h"

namespace {

constexpr int kPasswordFields[] = {IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD, IDC_PASSWORD_ALONE, IDC_KEY_AND_PASSWORD,
                                   IDC_UTILITY_NEEDS_PASSWORD};

int ChoiceOf(int passwordType)
{
    return passwordType == 2 ? 1 : 0;
}

// Choices other than the two radio buttons count as agreeing.
bool ChoiceAgrees(int choice, int passwordType)
{
    return (choice != 0 && choice != 1) || ChoiceOf(passwordType) == choice;
}

} // namespace

CUtilityPasswordPage::CUtilityPasswordPage() : CUtilityPage(IDD_PASSWORD_PAGE) {}

BOOL CUtilityPasswordPage::OnInitDialog()
{
    const CPasswordSetting& saved = Sheet().Saved().PasswordSetting;
    m_usePassword = saved.UsePassword;
    m_utilityNeedPassword = saved.UtilityNeedPassword;
    m_password.clear();
    m_confirmation.clear();
    m_choice = ChoiceOf(saved.PasswordType);
    CUtilityPage::OnInitDialog();
    OnUsePasswordCheck();
    return TRUE;
}

void CUtilityPasswordPage::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Check(dx, IDC_USE_PASSWORD, m_usePassword);
    fw::DDX_Text(dx, IDC_NEW_PASSWORD, m_password);
    fw::DDX_Text(dx, IDC_CONFIRM_PASSWORD, m_confirmation);
    fw::DDX_Radio(dx, IDC_PASSWORD_ALONE, IDC_KEY_AND_PASSWORD, m_choice);
    fw::DDX_Check(dx, IDC_UTILITY_NEEDS_PASSWORD, m_utilityNeedPassword);
}

bool CUtilityPasswordPage::OnCommand(WORD code, WORD id, HWND)
{
    if (id == IDC_USE_PASSWORD && code == BN_CLICKED) {
        OnUsePasswordCheck();
        return true;
    }
    const bool edited = (id == IDC_NEW_PASSWORD || id == IDC_CONFIRM_PASSWORD) && code == EN_CHANGE;
    const bool clicked =
        (id == IDC_PASSWORD_ALONE || id == IDC_KEY_AND_PASSWORD || id == IDC_UTILITY_NEEDS_PASSWORD) && code == BN_CLICKED;
    if (!edited && !clicked)
        return false;
    OnChange();
    return true;
}

void CUtilityPasswordPage::OnUsePasswordCheck()
{
    UpdateData(true);
    for (const int id : kPasswordFields)
        EnableWindow(GetDlgItem(id), m_usePassword != 0);
    SetModified(IsChanged());
}

bool CUtilityPasswordPage::IsPasswordUnchanged() const
{
    if (m_password.empty() && m_confirmation.empty())
        return true;
    return m_password == m_confirmation && Sheet().Saved().PasswordSetting.IsPasswordMatch(m_password);
}

bool CUtilityPasswordPage::IsChanged() const
{
    const CPasswordSetting& saved = Sheet().Saved().PasswordSetting;
    if ((m_usePassword != 0) != (saved.UsePassword != 0))
        return true;
    if (!m_usePassword)
        return false;
    return !IsPasswordUnchanged() || !ChoiceAgrees(m_choice, saved.PasswordType) ||
           m_utilityNeedPassword != saved.UtilityNeedPassword;
}

// A choice left as it was shown keeps the stored type, which the two buttons cannot always
// show: a file may hold a password in use with type 0, under which the password alone
// does not unlock; shown as the first button, it must not be saved as type 1.
int CUtilityPasswordPage::PasswordTypeToStore() const
{
    const CPasswordSetting& saved = Sheet().Saved().PasswordSetting;
    if (!m_usePassword)
        return 0;
    if (saved.UsePassword && ChoiceAgrees(m_choice, saved.PasswordType))
        return saved.PasswordType;
    return m_choice == 1 ? 2 : 1;
}

bool CUtilityPasswordPage::Validate()
{
    UINT problem = 0;
    if (!m_usePassword)
        return true;
    if (m_password != m_confirmation)
        problem = IDS_PASSWORDS_DIFFER;
    else if (m_password.empty() && !Sheet().Saved().PasswordSetting.UsePassword)
        problem = IDS_PASSWORD_REQUIRED;  // none stored yet either
    if (!problem)
        return true;
    SetActive();
    fw::ShowMessage(GetSafeHwnd(), problem, IDS_MESSAGE_CAPTION, MB_ICONINFORMATION);
    SetFocus(GetDlgItem(IDC_NEW_PASSWORD));
    return false;
}

BOOL CUtilityPasswordPage::OnApply()
{
    UpdateData(true);
    if (!Validate())
        return FALSE;
    const bool changed = IsChanged();
    CPasswordSetting& copy = Sheet().Copy().PasswordSetting;
    // Both fields left empty while a password is stored keep that password.
    if (!m_usePassword || !m_password.empty() || !Sheet().Saved().PasswordSetting.UsePassword)
        copy.SetPassword(m_usePassword, m_password);
    copy.PasswordType = PasswordTypeToStore();
    copy.UtilityNeedPassword = m_usePassword ? m_utilityNeedPassword : 0;
    if (changed)
        Sheet().NoteModified();
    return TRUE;
}
