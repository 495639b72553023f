#include "lockscreen/LockScreenDialog.h"

#include "lockcore/LockScreen.h"
#include "lockscreen/ScreenLockCore.h"
#include "lockscreen/resource.h"

namespace {

constexpr UINT UM_KEY_RELEASED = WM_APP + 5;
constexpr UINT kClockPeriod = 100;
constexpr UINT kCoverCheckPeriod = 1000;
constexpr UINT kLockCoreCheckPeriod = 1000;
constexpr int kClockMargin = 5;
constexpr int kMessageGap = 60;
constexpr int kLabelGap = 10;
constexpr COLORREF kClockBackground = RGB(157, 157, 157);

RECT PrimaryMonitorRect()
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info))
        rect = info.rcMonitor;
    return rect;
}

// A control's rectangle in its dialog's client coordinates.
RECT ControlRect(HWND dialog, int id)
{
    RECT rect{};
    const HWND control = GetDlgItem(dialog, id);
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void MoveControl(HWND dialog, int id, int x, int y, int width, int height)
{
    MoveWindow(GetDlgItem(dialog, id), x, y, width, height, TRUE);
}

// Centres a control horizontally under `above`, `gap` pixels below its bottom edge.
void CenterBelow(HWND dialog, int id, const RECT& above, int gap)
{
    const RECT rect = ControlRect(dialog, id);
    const int width = rect.right - rect.left;
    const int x = above.left + (above.right - above.left) / 2 - width / 2;
    MoveControl(dialog, id, x, above.bottom + gap, width, rect.bottom - rect.top);
}

// The picture file, or the program's own bitmap when there is no path or it does not load.
HBITMAP LoadPicture(const std::string& path, UINT fallback)
{
    HANDLE picture = nullptr;
    if (!path.empty())
        picture = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (!picture)
        picture = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(fallback));
    return static_cast<HBITMAP>(picture);
}

std::string DateAndTime()
{
    char date[256] = {};
    char time[256] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, LOCALE_USE_CP_ACP, nullptr, nullptr, time, sizeof time);
    return std::string(date) + " " + time;
}

SIZE TextExtent(HWND control, const std::string& text)
{
    SIZE size{};
    const HDC dc = GetDC(control);
    if (!dc)
        return size;
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

void SetScreenSaverRunning(BOOL running)
{
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running, &previous, 0);
}

} // namespace

CLockScreenDialog::CLockScreenDialog(CScreenLockCore& core)
    : CHideDialog(IDD_LOCK_SCREEN, nullptr), m_core(core), m_controller(core.Controller())
{
}

CLockScreenDialog::~CLockScreenDialog() = default;

BOOL CLockScreenDialog::OnInitDialog()
{
    SetUpWindow();
    m_core.GetController(GetSafeHwnd(), UM_LOCK_COMMAND);
    if (!m_core.Connect()) {
        EndDialog(kResidentGone);
        return FALSE;
    }
    StartTimer(m_lockCoreCheckTimer, TIMER_LOCK_CORE_CHECK, kLockCoreCheckPeriod);
    return TRUE;
}

void CLockScreenDialog::SetUpWindow()
{
    const HWND window = GetSafeHwnd();
    m_icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    m_exitButton.AutoLoad(IDC_EXIT_BUTTON, window);
    m_picture.SubclassDlgItem(IDC_PICTURE, window);
    m_messageFont.reset(CreateFontA(21, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0x20, "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E"));
    SendDlgItemMessageA(window, IDC_MESSAGE, WM_SETFONT, reinterpret_cast<WPARAM>(m_messageFont.get()), TRUE);
    SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_APPWINDOW);
}

INT_PTR CLockScreenDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        if (!IsIconic(GetSafeHwnd()))
            break;
        {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(GetSafeHwnd(), &paint);
            RECT client{};
            GetClientRect(GetSafeHwnd(), &client);
            DrawIcon(dc, (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
                     (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, m_icon);
            EndPaint(GetSafeHwnd(), &paint);
        }
        return TRUE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_icon);
    case WM_TIMER:
        OnTimer(wParam);
        return FALSE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        OnMouseUp(message, wParam);
        return FALSE;
    case WM_QUERYENDSESSION:
        return OnQueryEndSession();
    case UM_KEY_RELEASED:
        if (IsActivityReported())
            m_controller.KeyEvent();
        return Result(0);
    case UM_LOCK_COMMAND:
        OnLockCommand(wParam, lParam);
        return Result(0);
    case WM_DESTROY:
        // Whatever ends the program, what showing set is taken back.
        if (m_screenSaverFlagSet)
            HideLockScreen();
        break;
    default:
        break;
    }
    return CHideDialog::OnMessage(message, wParam, lParam);
}

bool CLockScreenDialog::OnCommand(WORD code, WORD id, HWND control)
{
    if (id == IDC_EXIT_BUTTON && code == BN_CLICKED)
        return true;
    return CHideDialog::OnCommand(code, id, control);
}

void CLockScreenDialog::OnTimer(UINT_PTR id)
{
    if (m_lockCoreCheckTimer && id == m_lockCoreCheckTimer) {
        if (!m_core.IsAlive())
            OnResidentGone();
    } else if (m_clockTimer && id == m_clockTimer) {
        UpdateClock();
    } else if (m_coverCheckTimer && id == m_coverCheckTimer) {
        CheckPrimaryMonitor();
    }
}

// The resident program has gone: nothing may stay on screen, and the program must end
// even from inside a box's modal loop, so the next instance can take the lock.
void CLockScreenDialog::OnResidentGone()
{
    StopTimer(m_lockCoreCheckTimer);
    HideLockScreen();
    EndDialog(kResidentGone);
}

void CLockScreenDialog::OnLockCommand(WPARAM code, LPARAM argument)
{
    switch (code) {
    case LOCKCMD_SHOW_LOCK_SCREEN:
        ShowLockScreen();
        break;
    case LOCKCMD_HIDE_LOCK_SCREEN:
        HideLockScreen();
        break;
    case LOCKCMD_RELOAD_PICTURES:
        ReloadPictures();
        break;
    case LOCKCMD_SELECT_PICTURE:
        SelectPicture(argument);
        break;
    case LOCKCMD_HIDE_CONTROLS:
        ShowControls(false);
        break;
    case LOCKCMD_SHOW_CONTROLS:
        ShowControls(true);
        break;
    case LOCKCMD_SET_SETTINGS:
        TakeSettings();
        break;
    case LOCKCMD_PASSWORD_RESULT:
        m_controller.TakePasswordResult();
        break;
    default:
        break;  // the other operations are events that go to the resident program
    }
}

INT_PTR CLockScreenDialog::OnControlColour(HDC dc, HWND control)
{
    switch (GetDlgCtrlID(control)) {
    case IDC_MESSAGE:
    case IDC_EXIT_LABEL:
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        break;
    case IDC_CLOCK:
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, kClockBackground);
        SetBkMode(dc, OPAQUE);
        break;
    default:
        return FALSE;
    }
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_3DFACE));
}

void CLockScreenDialog::OnMouseUp(UINT message, WPARAM keys)
{
    const bool shortcut = message == WM_LBUTTONUP && (keys & MK_SHIFT) && (keys & MK_CONTROL);
    if (shortcut && !m_controller.AreControlsHidden())
        m_controller.ShowPasswordDialog();
    if (IsActivityReported())
        m_controller.MouseEvent();
}

INT_PTR CLockScreenDialog::OnQueryEndSession()
{
    if (!m_controller.IsLockScreenShown())
        return Result(TRUE);
    m_controller.RefuseEndSession();
    return Result(FALSE);
}

bool CLockScreenDialog::IsActivityReported() const
{
    return m_core.GetSettings()->AlarmSetting.UseAlarm == 1 && !m_controller.AreControlsHidden() &&
           !m_controller.IsMessageShown();
}

void CLockScreenDialog::ShowLockScreen()
{
    FitToPrimaryMonitor();
    SetScreenSaverRunning(TRUE);
    m_screenSaverFlagSet = true;
    StartTimer(m_clockTimer, TIMER_CLOCK, kClockPeriod);
    StartTimer(m_coverCheckTimer, TIMER_COVER_CHECK, kCoverCheckPeriod);
}

void CLockScreenDialog::HideLockScreen()
{
    StopTimer(m_coverCheckTimer);
    StopTimer(m_clockTimer);
    ShowWindow(GetSafeHwnd(), SW_HIDE);
    SetScreenSaverRunning(FALSE);
    m_screenSaverFlagSet = false;
}

void CLockScreenDialog::FitToPrimaryMonitor()
{
    m_primary = PrimaryMonitorRect();
    SetWindowPos(GetSafeHwnd(), HWND_TOPMOST, m_primary.left, m_primary.top, Width(), Height(), SWP_HIDEWINDOW);
    LayoutControls();
    ShowWindow(GetSafeHwnd(), SW_SHOW);
}

void CLockScreenDialog::CheckPrimaryMonitor()
{
    const RECT primary = PrimaryMonitorRect();
    if (!EqualRect(&m_primary, &primary))
        FitToPrimaryMonitor();
}

void CLockScreenDialog::LayoutControls()
{
    const HWND dialog = GetSafeHwnd();
    const int width = Width();
    const int height = Height();
    MoveControl(dialog, IDC_PICTURE, 0, 0, width, height);

    const RECT band = ControlRect(dialog, IDC_BAND);
    const int bandHeight = band.bottom - band.top;
    const int bandTop = height - bandHeight;
    MoveControl(dialog, IDC_BAND, 0, bandTop, width, bandHeight);

    const RECT button = ControlRect(dialog, IDC_EXIT_BUTTON);
    const int buttonWidth = button.right - button.left;
    const int buttonHeight = button.bottom - button.top;
    const int x = width / 2 - buttonWidth / 2;
    const int y = bandTop + bandHeight / 2 - buttonHeight / 2;
    MoveControl(dialog, IDC_EXIT_BUTTON, x, y, buttonWidth, buttonHeight);

    const int messageLeft = x + buttonWidth + kMessageGap;
    MoveControl(dialog, IDC_MESSAGE, messageLeft, y, width - messageLeft, height - y);
    CenterBelow(dialog, IDC_EXIT_LABEL, RECT{x, y, x + buttonWidth, y + buttonHeight}, kLabelGap);

    const RECT logo = ControlRect(dialog, IDC_LOGO);
    const int logoHeight = logo.bottom - logo.top;
    MoveControl(dialog, IDC_LOGO, width / 100 * 3, bandTop + bandHeight / 2 - logoHeight / 2, logo.right - logo.left,
                logoHeight);
    UpdateClock();
}

void CLockScreenDialog::UpdateClock()
{
    const HWND clock = GetDlgItem(IDC_CLOCK);
    m_clockText = DateAndTime();
    const SIZE size = TextExtent(clock, m_clockText);
    MoveWindow(clock, Width() - size.cx - kClockMargin, Height() - size.cy - kClockMargin, size.cx, size.cy, TRUE);
    char shown[256] = {};
    GetWindowTextA(clock, shown, sizeof shown);
    if (m_clockText != shown)  // the same text again would only flicker
        SetWindowTextA(clock, m_clockText.c_str());
}

void CLockScreenDialog::ReloadPictures()
{
    const CLockSetting& settings = *m_core.GetSettings();
    m_messageText = settings.LockMessage;
    m_picture.ClearPicture(false);
    m_lockPicture.reset(LoadPicture(settings.LockBmpFilePath, IDB_LOCK_PICTURE));
    m_alarmPicture1.reset(LoadPicture(settings.AlarmSetting.AlarmBmpPath1, IDB_ALARM_PICTURE1));
    m_alarmPicture2.reset(LoadPicture(settings.AlarmSetting.AlarmBmpPath2, IDB_ALARM_PICTURE2));
    SetDlgItemTextA(GetSafeHwnd(), IDC_MESSAGE, m_messageText.c_str());
}

void CLockScreenDialog::SelectPicture(LPARAM picture)
{
    switch (picture) {
    case PICTURE_ALARM1:
        m_picture.SetBitmap(static_cast<HBITMAP>(m_alarmPicture1.get()), false);
        break;
    case PICTURE_ALARM2:
        m_picture.SetBitmap(static_cast<HBITMAP>(m_alarmPicture2.get()), false);
        break;
    default:
        m_picture.SetBitmap(static_cast<HBITMAP>(m_lockPicture.get()), true);
        break;
    }
    MoveControl(GetSafeHwnd(), IDC_PICTURE, 0, 0, Width(), Height());
    SetDlgItemTextA(GetSafeHwnd(), IDC_MESSAGE, m_messageText.c_str());
}

void CLockScreenDialog::ShowControls(bool show)
{
    for (const int id : {IDC_CLOCK, IDC_MESSAGE, IDC_EXIT_LABEL, IDC_EXIT_BUTTON, IDC_BAND, IDC_LOGO})
        ShowWindow(GetDlgItem(id), show ? SW_SHOW : SW_HIDE);
}

void CLockScreenDialog::TakeSettings()
{
    if (const std::unique_ptr<CLockSetting> settings = m_controller.TakeSettings())
        m_core.SetSettings(*settings);
}

void CLockScreenDialog::StartTimer(UINT_PTR& handle, UINT_PTR id, UINT period)
{
    if (!handle)
        handle = SetTimer(GetSafeHwnd(), id, period, nullptr);
}

void CLockScreenDialog::StopTimer(UINT_PTR& handle)
{
    if (handle)
        KillTimer(GetSafeHwnd(), handle);
    handle = 0;
}
