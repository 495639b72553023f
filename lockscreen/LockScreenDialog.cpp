#include "lockscreen/LockScreenDialog.h"

#include "lockcore/LockScreen.h"
#include "lockscreen/ScreenLockCore.h"
#include "lockscreen/resource.h"
#include "resident/display/CoverDialogs.h"
#include "resident/display/DisplayMonitors.h"
#include "resident/display/KeyboardHook.h"
#include "resident/display/LockLayout.h"
#include "resident/display/MovingMessageWnd.h"
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

} // namespace

CLockScreenDialog::CLockScreenDialog(CScreenLockCore& core, CTopmostWindowList& topmost)
    : CHideDialog(IDD_LOCK_SCREEN, nullptr), m_core(core), m_controller(core.Controller()), m_topmost(topmost),
      m_dialogs(topmost)
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
    m_messageFont.reset(locklayout::CreateMessageFont());
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
        return Result(CLockDisplayDialogs::AnswerQueryEndSession(&m_controller));
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
    m_dialogs.EndRefusal();
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
        m_dialogs.ShowRefusal(GetSafeHwnd());
        break;
    case LOCKCMD_SHOW_PASSWORD_DIALOG:
        RunPasswordDialog();
        break;
    case LOCKCMD_PASSWORD_RESULT:
        OnPasswordResult();
        break;
    case LOCKCMD_PASSWORD_DIALOG_STATE:
        m_dialogs.OnPasswordDialogState(static_cast<int>(argument));
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

bool CLockScreenDialog::IsActivityReported() const
{
    return m_core.GetSettings()->AlarmSetting.UseAlarm == 1 && !m_controller.AreControlsHidden() &&
           !m_controller.IsMessageShown() && !m_dialogs.IsAnyOpen();
}

void CLockScreenDialog::OnExitButton()
{
    if (m_dialogs.ConfirmExit(GetSafeHwnd()) && !m_residentGone)
        m_controller.Shutdown();
}

// The resident program answers the password dialog on the command pipe (codes 18 and 19);
// its end goes back as an unlock request.
void CLockScreenDialog::RunPasswordDialog()
{
    const std::optional<Corvantis::SUnlockRequest> request = m_dialogs.RunPasswordDialog(m_controller, GetSafeHwnd());
    if (request && !m_residentGone)
        m_controller.RequestUnlock(*request);
}

void CLockScreenDialog::OnPasswordResult()
{
    if (const std::unique_ptr<Corvantis::SPasswordResult> result = m_controller.TakePasswordResult())
        m_dialogs.OnPasswordResult(result.get());
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
    m_dialogs.EndOnHide();
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
    m_pictures.Reload(settings, m_picture);
    SetDlgItemTextA(GetSafeHwnd(), IDC_MESSAGE, m_messageText.c_str());
}

void CLockScreenDialog::SelectPicture(LPARAM picture)
{
    m_pictures.Show(static_cast<int>(picture), m_picture, Width(), Height());
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
