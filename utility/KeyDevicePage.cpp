#include "utility/KeyDevicePage.h"

#include "common/CompanionLink.h"
#include "framework/ResourceText.h"
#include "utility/AddKeyDeviceDialog.h"
#include "utility/UtilitySheet.h"
#include "utility/resource.h"

#include <vector>

namespace {

constexpr int kAnyKeyChoice = 0;
constexpr int kAllKeysChoice = 1;

int KeyTypeOfChoice(int choice) { return choice == kAllKeysChoice ? 2 : 1; }

} // namespace

CKeyDevicePage::CKeyDevicePage() : CUtilityPage(IDD_KEY_PAGE) {}

BOOL CKeyDevicePage::OnInitDialog()
{
    const CLockSetting& saved = Sheet().Saved();
    m_keyTypeChoice = saved.KeyType == 2 ? kAllKeysChoice : kAnyKeyChoice;
    m_keys = saved.KeyDevices;
    m_keyList.SubclassDlgItem(IDC_KEY_LIST, GetSafeHwnd());
    m_keyList.InitColumns();
    m_keyList.SetKeyDevices(m_keys);
    CUtilityPage::OnInitDialog();
    OnKeyListChanged();
    return TRUE;
}

void CKeyDevicePage::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Radio(dx, IDC_ANY_KEY, IDC_ALL_KEYS, m_keyTypeChoice);
}

bool CKeyDevicePage::OnCommand(WORD code, WORD id, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_ADD_KEY: OnAddKey(); return true;
    case IDC_DELETE_KEY: OnDeleteKey(); return true;
    case IDC_ANY_KEY:
    case IDC_ALL_KEYS: OnChange(); return true;
    default: return false;
    }
}

bool CKeyDevicePage::OnNotify(NMHDR& header, LRESULT& result)
{
    if (header.idFrom != IDC_KEY_LIST || header.code != LVN_ITEMCHANGED)
        return false;
    OnKeyListChanged();
    result = 0;
    return true;
}

bool CKeyDevicePage::IsChanged() const
{
    const CLockSetting& saved = Sheet().Saved();
    const bool typeDiffers = (m_keyTypeChoice == kAnyKeyChoice && saved.KeyType != 1) ||
                             (m_keyTypeChoice == kAllKeysChoice && saved.KeyType != 2);
    return typeDiffers || !IsEqualKeyDeviceList(m_keys, saved.KeyDevices);
}

void CKeyDevicePage::OnKeyListChanged()
{
    const int selected = static_cast<int>(SendMessageA(m_keyList.GetSafeHwnd(), LVM_GETSELECTEDCOUNT, 0, 0));
    const int rows = m_keyList.GetItemCount();
    EnableWindow(GetDlgItem(IDC_DELETE_KEY), rows > 1 && selected != 0 && selected != rows);
}

void CKeyDevicePage::ShowKeys()
{
    m_keyList.DeleteAllItems();
    m_keyList.SetKeyDevices(m_keys);
    OnKeyListChanged();
}

void CKeyDevicePage::OnDeleteKey()
{
    if (fw::ShowMessage(GetSafeHwnd(), IDS_ASK_DELETE_KEYS, IDS_MESSAGE_CAPTION, MB_ICONWARNING | MB_OKCANCEL) != IDOK)
        return;
    // Rows were added in list order, so a row's index is its key's position.
    std::vector<int> selected;
    for (int row = m_keyList.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_keyList.GetNextItem(row, LVNI_SELECTED))
        selected.push_back(row);
    for (auto row = selected.rbegin(); row != selected.rend(); ++row)
        if (static_cast<std::size_t>(*row) < m_keys.size())
            m_keys.erase(m_keys.begin() + *row);
    ShowKeys();
    OnChange();
}

// While the dialog runs the sheet stops following the devices (it would close itself when
// the opening key is pulled) and Brontal suspends its automatic locks; both come back
// whatever happens in the dialog. The sheet owns the dialog, so that its OK, Apply and
// tabs wait for the choice.
void CKeyDevicePage::OnAddKey()
{
    Sheet().UnregisterDeviceNotify();
    CCompanionLink::SuspendResidentLock();
    try {
        CAddKeyDeviceDialog dialog(m_keys, Sheet().UsbCheckThread(), GetSheetHwnd());
        if (dialog.DoModal() == IDOK) {
            m_keys.insert(m_keys.end(), dialog.ChosenDevices().begin(), dialog.ChosenDevices().end());
            ShowKeys();
            OnChange();
        }
    } catch (...) {
        // The dialog's failure loses only the choice; the sheet and the locks come back below.
    }
    Sheet().RegisterDeviceNotify();
    CCompanionLink::ResumeResidentLock();
}

BOOL CKeyDevicePage::OnApply()
{
    UpdateData(true);
    if (m_keyTypeChoice != kAnyKeyChoice && m_keyTypeChoice != kAllKeysChoice)
        return FALSE;
    CLockSetting& copy = Sheet().Copy();
    copy.KeyType = KeyTypeOfChoice(m_keyTypeChoice);
    copy.KeyDevices = m_keys;
    if (IsChanged())
        Sheet().NoteModified();
    return TRUE;
}
