#include "lockscreen/LockScreenDialog.h"

#include "lockcore/LockScreen.h"
#include "lockscreen/ScreenLockCore.h"
#include "lockscreen/resource.h"
#include "resident/display/CoverDialogs.h"
#include "resident/display/DisplayMonitors.h"
#include "resident/display/KeyboardHook.h"
#include "resident/display/LockLayout.h"
#include "resident/display/LockMessageBox.h"
#include "resident/display/MovingMessageWnd.h"
#include "resident/display/PasswordDialog.h"
#include "resident/display/TopmostWindowList.h"

namespace {

constexpr UINT kClockPeriod = 100;
constexpr UINT kCoverCheckPeriod = 1000;
constexpr UINT kLockCoreCheckPeriod = 1000;

RECT PrimaryMonitorRect()
{
    RECT rect{};
    CDisplayMonitors().GetPrimaryMonitorRect(rect);
    return rect;
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

} // namespace

CLockScreenDialog::CLockScreenDialog(CScreenLockCore& core, CTopmostWindowList& topmost)
    : CHideDialog(IDD_LOCK_SCREEN, nullptr), m_core(core), m_controller(core.Controller()), m_topmost(topmost)
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
        m_controller.Channel().Deliver([this](const CLockCommandChannel::SCommand& command) {
            OnLockCommand(command.code, command.argument);
            return LRESULT{0};
        });
        return Result(0);
    case WM_DESTROY:
        // Whatever ends the program, what showing set is taken back: the screen-saver
        // flag, the keyboard hooks.
        if (m_systemKeys.IsBlocked())
            HideLockScreen();
        break;
    default:
        break;
    }
    return CHideDialog::OnMessage(message, wParam, lParam);
}

bool CLockScreenDialog::OnCommand(WORD code, WORD id, HWND control)
{
    if (id == IDC_EXIT_BUTTON && code == BN_CLICKED) {
        OnExitButton();
        return true;
    }
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
        OnCoverCheck();
    }
}

// The resident program has gone. The single-instance lock goes first: the restarted
// resident program's new lock screen waits for it, and taking the windows down may take
// a while. Then nothing may stay on screen, and the program must end even when the check
// fired inside a box's or the password dialog's modal loop, or those loops would hold the
// program and its display: each loop ends, the handlers that opened them see the flag and
// send nothing, and the main loop ends last.
void CLockScreenDialog::OnResidentGone()
{
    m_residentGone = true;
    StopTimer(m_lockCoreCheckTimer);
    m_core.Stop();
    HideLockScreen();
    if (m_refusalBox)
        m_refusalBox->EndDialog(IDCANCEL);
    EndDialog(kResidentGone);
}

void CLockScreenDialog::OnLockCommand(int code, LPARAM argument)
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
    case LOCKCMD_SHOW_MESSAGE:
        ShowMovingMessage();
        break;
    case LOCKCMD_HIDE_MESSAGE:
        HideMovingMessage();
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
    case LOCKCMD_REFUSE_END_SESSION:
        ShowRefusal();
        break;
    case LOCKCMD_SHOW_PASSWORD_DIALOG:
        RunPasswordDialog();
        break;
    case LOCKCMD_PASSWORD_RESULT:
        OnPasswordResult();
        break;
    case LOCKCMD_PASSWORD_DIALOG_STATE:
        OnPasswordDialogState(static_cast<int>(argument));
        break;
    default:
        break;  // the other operations are events that go to the resident program
    }
}

INT_PTR CLockScreenDialog::OnControlColour(HDC dc, HWND control)
{
    return reinterpret_cast<INT_PTR>(locklayout::ControlColours(control, dc));
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
           !m_controller.IsMessageShown() && !m_passwordDialog && !m_exitBox && !m_refusalBox;
}

void CLockScreenDialog::OnExitButton()
{
    if (m_exitBox)
        return;
    CLockMessageBox box(m_topmost, GetSafeHwnd());
    box.SetMessage(IDS_CONFIRM_SHUTDOWN, 0, CLockMessageBox::kOkCancel);
    m_exitBox = &box;
    const INT_PTR result = box.DoModal();
    m_exitBox = nullptr;
    if (result == IDOK && !m_residentGone)
        m_controller.Shutdown();
}

void CLockScreenDialog::ShowRefusal()
{
    if (m_refusalBox)
        return;
    CLockMessageBox box(m_topmost, GetSafeHwnd());
    box.SetMessage(IDS_END_SESSION_REFUSED, CLockMessageBox::kIconInformation, CLockMessageBox::kOkOnly);
    m_refusalBox = &box;
    box.DoModal();
    m_refusalBox = nullptr;
}

// Opens only when the resident program allows a password now; it asks for the key state
// and shows the dialog when the answer (code 19) comes. Its end goes back as an unlock
// request.
void CLockScreenDialog::RunPasswordDialog()
{
    if (m_passwordDialog || m_controller.QueryMayUnlock() == 0)
        return;
    CPasswordDialog dialog(&m_controller, m_topmost, GetSafeHwnd());
    m_passwordDialog = &dialog;
    const INT_PTR result = dialog.DoModal();
    m_passwordDialog = nullptr;
    const Corvantis::SUnlockRequest request{static_cast<int32_t>(result), dialog.MayUnlock(), dialog.Alarm()};
    if (!m_residentGone)
        m_controller.RequestUnlock(request);
}

void CLockScreenDialog::OnPasswordResult()
{
    const std::unique_ptr<Corvantis::SPasswordResult> result = m_controller.TakePasswordResult();
    if (m_passwordDialog && result)
        m_passwordDialog->OnCheckResult(result.get());
}

void CLockScreenDialog::OnPasswordDialogState(int state)
{
    if (m_passwordDialog)
        m_passwordDialog->SetDialogState(state);
}

void CLockScreenDialog::ShowLockScreen()
{
    FitToPrimaryMonitor();
    m_topmost.Add(GetSafeHwnd());
    SetKeyReleaseWindow(GetSafeHwnd());
    m_systemKeys.Block();
    m_covers.Create(m_core.GetSettings()->LockBmpFilePath);
    StartTimer(m_clockTimer, TIMER_CLOCK, kClockPeriod);
    StartTimer(m_coverCheckTimer, TIMER_COVER_CHECK, kCoverCheckPeriod);
}

void CLockScreenDialog::HideLockScreen()
{
    StopTimer(m_coverCheckTimer);
    StopTimer(m_clockTimer);
    HideMovingMessage();
    if (m_exitBox)
        m_exitBox->EndDialog(IDCANCEL);
    if (m_passwordDialog)
        m_passwordDialog->Close(IDCANCEL);
    ShowWindow(GetSafeHwnd(), SW_HIDE);
    m_topmost.Remove(GetSafeHwnd());
    m_systemKeys.Unblock();
    m_covers.Destroy();
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

void CLockScreenDialog::OnCoverCheck()
{
    CheckPrimaryMonitor();
    m_covers.Check(m_core.GetSettings()->LockBmpFilePath);
    if (m_systemKeys.IsScreenSaverRunning())
        return;
    m_topmost.BringLastToTop(HWND_TOPMOST);
    m_covers.Restack(m_topmost);
}

void CLockScreenDialog::ShowMovingMessage()
{
    if (m_movingMessage)
        return;
    auto window = std::make_unique<CMovingMessageWnd>(m_topmost);
    window->SetMessage(m_core.GetSettings()->LockMessage);
    if (!window->Create(Width(), Height(), GetSafeHwnd()))
        return;
    SetWindowPos(window->GetHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    m_movingMessage = std::move(window);
}

void CLockScreenDialog::HideMovingMessage()
{
    m_movingMessage.reset();  // destroys the window
}

void CLockScreenDialog::LayoutControls()
{
    locklayout::LayoutControls(GetSafeHwnd(), Width(), Height());
}

void CLockScreenDialog::UpdateClock()
{
    if (!m_movingMessage)  // it shows the time itself
        locklayout::PlaceClock(GetSafeHwnd(), Width(), Height());
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
    SetWindowPos(m_picture.GetSafeHwnd(), nullptr, 0, 0, Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    SetDlgItemTextA(GetSafeHwnd(), IDC_MESSAGE, m_messageText.c_str());
}

void CLockScreenDialog::ShowControls(bool show)
{
    for (const int id : locklayout::kHideableControls)
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
