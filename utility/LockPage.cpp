#include "utility/LockPage.h"

#include "common/PictureFolder.h"
#include "framework/ResourceText.h"
#include "framework/SpinButton.h"
#include "utility/AlarmDetailDialog.h"
#include "utility/FileBrowse.h"
#include "utility/UtilitySheet.h"
#include "utility/resource.h"

namespace {

constexpr int kMinWaitMinutes = 1;
constexpr int kMaxWaitMinutes = 9999;
constexpr int kFallbackWaitMinutes = 10;

bool IsSameAlarm(const CAlarmSetting& a, const CAlarmSetting& b)
{
    return a.UseAlarm == b.UseAlarm && a.AlarmKeySec == b.AlarmKeySec && a.AlarmKeyCount == b.AlarmKeyCount &&
           a.AlarmMouseSec == b.AlarmMouseSec && a.AlarmMouseCount == b.AlarmMouseCount &&
           a.AlarmPasswordErrorCount == b.AlarmPasswordErrorCount && a.AlarmPlaySec == b.AlarmPlaySec &&
           a.AlarmChangeBmp == b.AlarmChangeBmp && a.AlarmBmpPath1 == b.AlarmBmpPath1 &&
           a.AlarmBmpPath2 == b.AlarmBmpPath2 && a.AlarmWavPath == b.AlarmWavPath;
}

} // namespace

CLockPage::CLockPage() : CUtilityPage(IDD_LOCK_PAGE) {}

BOOL CLockPage::OnInitDialog()
{
    const CLockSetting& saved = Sheet().Saved();
    m_message = saved.LockMessage;
    m_picturePath = saved.LockBmpFilePath;
    m_useScreenSaver = saved.UseScreenSaver;
    m_screenSaverMinutes = saved.ScreenSaverSec / 60;
    m_alarm = saved.AlarmSetting;
    CUtilityPage::OnInitDialog();
    fw::SetUpNumberSpin(GetDlgItem(IDC_SCREEN_SAVER_MINUTES), GetDlgItem(IDC_SCREEN_SAVER_SPIN), 4, kMinWaitMinutes,
                        kMaxWaitMinutes, m_screenSaverMinutes);
    OnScreenSaverCheck();
    OnAlarmCheck();
    return TRUE;
}

void CLockPage::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Text(dx, IDC_LOCK_MESSAGE, m_message);
    fw::DDX_Text(dx, IDC_PICTURE_PATH, m_picturePath);
    fw::DDX_Check(dx, IDC_USE_SCREEN_SAVER, m_useScreenSaver);
    fw::DDX_IntText(dx, IDC_SCREEN_SAVER_MINUTES, m_screenSaverMinutes);
    fw::DDX_Check(dx, IDC_USE_ALARM, m_alarm.UseAlarm);
}

bool CLockPage::OnCommand(WORD code, WORD id, HWND)
{
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_BROWSE_PICTURE: OnBrowsePicture(); return true;
        case IDC_USE_SCREEN_SAVER: OnScreenSaverCheck(); return true;
        case IDC_USE_ALARM: OnAlarmCheck(); return true;
        case IDC_ALARM_DETAILS: OnAlarmDetails(); return true;
        default: return false;
        }
    }
    if (code == EN_CHANGE && (id == IDC_PICTURE_PATH || id == IDC_LOCK_MESSAGE || id == IDC_SCREEN_SAVER_MINUTES)) {
        OnChange();
        return true;
    }
    return false;
}

void CLockPage::OnScreenSaverCheck()
{
    UpdateData(true);
    EnableWindow(GetDlgItem(IDC_SCREEN_SAVER_MINUTES), m_useScreenSaver != 0);
    EnableWindow(GetDlgItem(IDC_SCREEN_SAVER_SPIN), m_useScreenSaver != 0);
    SetModified(IsChanged());
}

void CLockPage::OnAlarmCheck()
{
    UpdateData(true);
    EnableWindow(GetDlgItem(IDC_ALARM_DETAILS), m_alarm.UseAlarm != 0);
    SetModified(IsChanged());
}

// The file box starts at the stored picture, or in the picture folder when there is none.
void CLockPage::OnBrowsePicture()
{
    UpdateData(true);
    const std::string folder = m_picturePath.empty() ? GetPictureFolder() : std::string();
    const std::optional<std::string> chosen =
        BrowseForFile(GetSafeHwnd(), IDS_PICTURE_FILTER, "*.bmp", m_picturePath, folder);
    if (!chosen)
        return;
    m_picturePath = *chosen;
    UpdateData(false);
    UpdateData(true);
    SetModified(IsChanged());
}

// The sheet owns the dialog, so that its OK, Apply and tabs wait for it.
void CLockPage::OnAlarmDetails()
{
    CAlarmDetailDialog details(m_alarm, GetSheetHwnd());
    if (details.DoModal() != IDOK)
        return;
    UpdateData(true);
    SetModified(IsChanged());
}

bool CLockPage::IsChanged() const
{
    const CLockSetting& saved = Sheet().Saved();
    return m_message != saved.LockMessage || m_picturePath != saved.LockBmpFilePath ||
           m_useScreenSaver != saved.UseScreenSaver || m_screenSaverMinutes != saved.ScreenSaverSec / 60 ||
           !IsSameAlarm(m_alarm, saved.AlarmSetting);
}

BOOL CLockPage::OnApply()
{
    UpdateData(true);
    if (m_screenSaverMinutes < kMinWaitMinutes || m_screenSaverMinutes > kMaxWaitMinutes) {
        if (m_useScreenSaver) {
            SetActive();
            fw::ShowMessage(GetSafeHwnd(), IDS_BAD_SCREEN_SAVER_TIME, IDS_MESSAGE_CAPTION, MB_ICONINFORMATION);
            SetFocus(GetDlgItem(IDC_SCREEN_SAVER_MINUTES));
            return FALSE;
        }
        m_screenSaverMinutes = kFallbackWaitMinutes;
        UpdateData(false);
    }
    CLockSetting& copy = Sheet().Copy();
    copy.LockMessage = m_message;
    copy.LockBmpFilePath = m_picturePath;
    copy.UseScreenSaver = m_useScreenSaver;
    copy.ScreenSaverSec = SecondsFromMinutes(m_screenSaverMinutes, Sheet().Saved().ScreenSaverSec);
    copy.AlarmSetting = m_alarm;
    if (IsChanged())
        Sheet().NoteModified();
    return TRUE;
}
