#include "utility/AlarmDetailDialog.h"

#include "framework/PropertyPage.h"  // DDX_IntText
#include "framework/ResourceText.h"
#include "framework/SpinButton.h"
#include "utility/FileBrowse.h"
#include "utility/resource.h"

namespace {

constexpr int kLowest = 1;
constexpr int kHighest = 9999;

// A number field: its edit, up-down control, the value and the message when it is out of range.
struct SNumberField {
    int editId;
    int spinId;
    int CAlarmSetting::*value;
    UINT badValueTextId;
};

// In the order the fields are checked.
constexpr SNumberField kNumberFields[] = {
    {IDC_ALARM_KEY_SEC, IDC_ALARM_KEY_SEC_SPIN, &CAlarmSetting::AlarmKeySec, IDS_BAD_ALARM_KEY_SEC},
    {IDC_ALARM_KEY_COUNT, IDC_ALARM_KEY_COUNT_SPIN, &CAlarmSetting::AlarmKeyCount, IDS_BAD_ALARM_KEY_COUNT},
    {IDC_ALARM_MOUSE_SEC, IDC_ALARM_MOUSE_SEC_SPIN, &CAlarmSetting::AlarmMouseSec, IDS_BAD_ALARM_MOUSE_SEC},
    {IDC_ALARM_MOUSE_COUNT, IDC_ALARM_MOUSE_COUNT_SPIN, &CAlarmSetting::AlarmMouseCount, IDS_BAD_ALARM_MOUSE_COUNT},
    {IDC_ALARM_PASSWORD_COUNT, IDC_ALARM_PASSWORD_COUNT_SPIN, &CAlarmSetting::AlarmPasswordErrorCount,
     IDS_BAD_ALARM_PASSWORD_COUNT},
    {IDC_ALARM_PLAY_SEC, IDC_ALARM_PLAY_SEC_SPIN, &CAlarmSetting::AlarmPlaySec, IDS_BAD_ALARM_PLAY_SEC},
};

} // namespace

CAlarmDetailDialog::CAlarmDetailDialog(CAlarmSetting& target, HWND parent)
    : fw::CDialog(IDD_ALARM_DETAILS, parent), m_target(target), m_values(target)
{
}

BOOL CAlarmDetailDialog::OnInitDialog()
{
    fw::CDialog::OnInitDialog();
    for (const SNumberField& field : kNumberFields)
        fw::SetUpNumberSpin(GetDlgItem(field.editId), GetDlgItem(field.spinId), 4, kLowest, kHighest,
                            m_values.*field.value);
    OnChangeBmpCheck();
    return TRUE;
}

void CAlarmDetailDialog::DoDataExchange(fw::CDataExchange& dx)
{
    for (const SNumberField& field : kNumberFields)
        fw::DDX_IntText(dx, field.editId, m_values.*field.value);
    fw::DDX_Check(dx, IDC_ALARM_CHANGE_BMP, m_values.AlarmChangeBmp);
    fw::DDX_Text(dx, IDC_ALARM_PICTURE1, m_values.AlarmBmpPath1);
    fw::DDX_Text(dx, IDC_ALARM_PICTURE2, m_values.AlarmBmpPath2);
    fw::DDX_Text(dx, IDC_ALARM_SOUND, m_values.AlarmWavPath);
}

bool CAlarmDetailDialog::OnCommand(WORD code, WORD id, HWND control)
{
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_BROWSE_ALARM_PICTURE1: Browse(m_values.AlarmBmpPath1, IDS_PICTURE_FILTER, "*.bmp"); return true;
        case IDC_BROWSE_ALARM_PICTURE2: Browse(m_values.AlarmBmpPath2, IDS_PICTURE_FILTER, "*.bmp"); return true;
        case IDC_BROWSE_ALARM_SOUND: Browse(m_values.AlarmWavPath, IDS_SOUND_FILTER, "*.wav"); return true;
        case IDC_ALARM_CHANGE_BMP: OnChangeBmpCheck(); return true;
        default: break;
        }
    }
    return fw::CDialog::OnCommand(code, id, control);
}

void CAlarmDetailDialog::OnChangeBmpCheck()
{
    UpdateData(true);
    EnableWindow(GetDlgItem(IDC_ALARM_PICTURE2), m_values.AlarmChangeBmp != 0);
    EnableWindow(GetDlgItem(IDC_BROWSE_ALARM_PICTURE2), m_values.AlarmChangeBmp != 0);
}

void CAlarmDetailDialog::Browse(std::string& path, UINT filterTextId, const char* pattern)
{
    UpdateData(true);
    if (const std::optional<std::string> chosen = BrowseForFile(GetSafeHwnd(), filterTextId, pattern, path, "")) {
        path = *chosen;
        UpdateData(false);
    }
}

bool CAlarmDetailDialog::Validate()
{
    for (const SNumberField& field : kNumberFields) {
        const int value = m_values.*field.value;
        if (value >= kLowest && value <= kHighest)
            continue;
        fw::ShowMessage(GetSafeHwnd(), field.badValueTextId, IDS_MESSAGE_CAPTION, MB_ICONINFORMATION);
        SetFocus(GetDlgItem(field.editId));
        return false;
    }
    return true;
}

void CAlarmDetailDialog::OnOK()
{
    UpdateData(true);
    if (!Validate())
        return;
    m_target = m_values;  // the alarm switch, which stays on the page, is as it came
    EndDialog(IDOK);
}
