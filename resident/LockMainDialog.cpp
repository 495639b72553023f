#include "resident/LockMainDialog.h"

#include "common/CompanionLink.h"
#include "common/PathUtil.h"
#include "common/SettingFile.h"
#include "common/SettingsRead.h"
#include "lockcore/EventMessage.h"
#include "lockcore/EventPublisher.h"
#include "lockcore/LockScreen.h"
#include "lockcore/ResidentLockCore.h"
#include "resident/ResidentApp.h"
#include "resident/ResidentMessages.h"
#include "resident/SoundPlatform.h"
#include "display/KeyboardHook.h"
#include "display/MovingMessageWnd.h"
#include "resident/resource.h"
#include "usbkey/FilterUsbCheckThread.h"

namespace {

constexpr UINT kNoInputPeriod = 500;
constexpr UINT kLockCoreCheckPeriod = 1000;
// How long a queried suspend may take to come before watching goes on: Windows waits for
// every program's answer first.
constexpr UINT kSuspendQueryWait = 60000;
// Ends the main window, and so the program, when the lock display is lost.
constexpr INT_PTR kLockCoreLost = 2;
#ifndef WM_WTSSESSION_CHANGE
constexpr UINT WM_WTSSESSION_CHANGE = 0x02B1;
#endif

CSettingFile LockStateFile()
{
    return CSettingFile(CPathUtil::GetSettingBaseFolder(), CSettingFile::kFileName);
}

CLockStateWriter::Store StoreInLockStateFile()
{
    return [file = LockStateFile()](int lock, bool wait) {
        if (!wait)
            return file.SaveLockStateAtOnce(lock);
        file.SaveLockState(lock);
        return true;
    };
}

} // namespace

CLockMainDialog::CLockMainDialog(CResidentApp& app, CResidentLockCore& core)
    : CHideDialog(IDD_LOCK_MAIN, nullptr), m_app(app), m_core(core), m_engine(app.Settings()),
      m_alarm(app.Settings(), m_engine, display::DefaultMixerPlatform(), DefaultSoundPlatform(),
              [this](int event) { Publish(event); }),
      m_lockDisplay(app.Settings(), app.TopmostWindows()), m_lockState(StoreInLockStateFile())
{
}

BOOL CLockMainDialog::OnInitDialog()
{
    SetUpWindow();
    m_lockDisplay.Attach(GetSafeHwnd());
    m_display = m_core.GetController(GetSafeHwnd(), UM_LOCK_COMMAND);
    m_alarm.Attach(GetSafeHwnd(), m_display);
    if (!m_core.Connect()) {
        EndDialog(kLockCoreLost);
        return FALSE;
    }
    // Windows delivers session notices only to windows that ask for them.
    m_sessionNotices.Register(GetSafeHwnd());
    StartWatching(false);
    if (!m_lockCoreCheckTimer)
        m_lockCoreCheckTimer = SetTimer(GetSafeHwnd(), TIMER_LOCK_CORE_CHECK, kLockCoreCheckPeriod, nullptr);
    return TRUE;
}

// The icon and the marker by which the other programs find this window.
void CLockMainDialog::SetUpWindow()
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SetWindowLongPtrA(GetSafeHwnd(), GWL_EXSTYLE, GetWindowLongPtrA(GetSafeHwnd(), GWL_EXSTYLE) | WS_EX_APPWINDOW);
    SetDlgItemTextA(GetSafeHwnd(), IDC_WINDOW_MARKER, kResidentMarker);
}

bool CLockMainDialog::IsLocked() const
{
    return m_display && m_display->IsLockScreenShown() != 0;
}

void CLockMainDialog::Lock()
{
    // Locked already (a resume or a return to the session): the one display stays, and
    // the clients heard of this lock when it was taken.
    const bool relock = IsLocked();
    // The keys attached as the lock is taken: a key put in once the lock event went out,
    // while the display still comes up, opens the lock and need not be pulled first.
    CKeyDeviceList found;
    const bool present = m_app.IsKeyPresent(&found);
    // The clients hear of the lock no later than it shows; the file holds it by then
    // unless another program holds the file, and as soon as it lets go.
    WriteLockState(1);
    if (!relock) {
        Publish(EVENT_LOCK);
        SetWindowPos(GetSafeHwnd(), HWND_TOPMOST, -10, -10, 1, 1, SWP_HIDEWINDOW);
        ShowWindow(GetSafeHwnd(), SW_SHOW);
        m_display->ShowLockScreen();
    }
    m_engine.OnLocked(GetTickCount(), present, found);
    m_alarm.ResetAlarmCounters();
}

void CLockMainDialog::Unlock()
{
    m_alarm.StopAlarm();
    m_display->HideLockScreen();
    m_engine.OnUnlocked(GetTickCount());
    m_alarm.ResetAlarmCounters();
    WriteLockState(0);
    Publish(EVENT_UNLOCK);
}

void CLockMainDialog::StartWatching(bool reload)
{
    if (reload)
        m_core.ReloadSettings();
    m_engine.BeginWatching(GetTickCount());
    CFilterUsbCheckThread* worker = m_app.GetUsbCheckThread();
    if (worker)
        worker->UpdateDeviceList();  // decide on the devices attached now
    ApplyDisplaySettings();
    switch (m_engine.StartupAction(ReadLockState(), m_app.IsKeyPresent(), IsLocked())) {
    case EStartupAction::Lock:
        Lock();
        break;
    case EStartupAction::LockAndAskPassword:
        Lock();
        m_display->ShowPasswordDialog();
        break;
    case EStartupAction::None:
        break;
    }
    if (worker)
        worker->AddNotifyWindow(GetSafeHwnd(), UM_KEY_LIST_CHANGED);
    RequestUsbCheck();
}

void CLockMainDialog::StopWatching()
{
    StopNoInputTimer();
    if (CFilterUsbCheckThread* worker = m_app.GetUsbCheckThread())
        worker->RemoveNotifyWindow(GetSafeHwnd());
}

// The key notices and the idle timer come back; a check catches up on the devices that
// changed meanwhile.
void CLockMainDialog::ContinueWatching()
{
    if (m_engine.WantsNoInputTimer())
        StartNoInputTimer();
    if (CFilterUsbCheckThread* worker = m_app.GetUsbCheckThread())
        worker->AddNotifyWindow(GetSafeHwnd(), UM_KEY_LIST_CHANGED);
    RequestUsbCheck();
}

void CLockMainDialog::ApplyDisplaySettings()
{
    m_display->ReloadPictures();
    m_alarm.UpdatePicture(false);  // the lock picture, or the alarm's while it runs
    if (m_engine.WantsNoInputTimer())
        StartNoInputTimer();
    else
        StopNoInputTimer();
}

void CLockMainDialog::StartNoInputTimer()
{
    if (!m_noInputTimer)
        m_noInputTimer = SetTimer(GetSafeHwnd(), TIMER_NO_INPUT, kNoInputPeriod, nullptr);
}

void CLockMainDialog::StopNoInputTimer()
{
    if (m_noInputTimer) {
        KillTimer(GetSafeHwnd(), m_noInputTimer);
        m_noInputTimer = 0;
    }
}

void CLockMainDialog::OnKeyListChanged()
{
    CKeyDeviceList found;
    const bool present = m_app.IsKeyPresent(&found);
    switch (m_engine.OnKeyListChanged(IsLocked(), present, found)) {
    case EKeyAction::Lock:
        Lock();
        break;
    case EKeyAction::Unlock:
        Unlock();
        break;
    case EKeyAction::ShowPasswordDialog:
        m_display->ShowPasswordDialog();
        break;
    case EKeyAction::None:
        break;
    }
}

void CLockMainDialog::OnKeyStateChanged()
{
    CKeyDeviceList found;
    const bool present = m_app.IsKeyPresent(&found);
    m_display->SetPasswordDialogState(m_engine.PasswordDialogKeyState(present, found));
}

void CLockMainDialog::OnNoInputTick()
{
    LASTINPUTINFO input = {sizeof input, 0};
    if (!GetLastInputInfo(&input))
        return;
    const bool locked = IsLocked();
    switch (m_engine.OnNoInputTick(locked, input.dwTime, GetTickCount(), m_display->IsMessageShown() != 0)) {
    case EIdleAction::HideMessage:
        m_display->HideMessage();
        break;
    case EIdleAction::Lock:
        Lock();
        break;
    case EIdleAction::ShowMessage:
        m_display->ShowMessage();
        break;
    case EIdleAction::None:
        break;
    }
}

void CLockMainDialog::OnLockCoreCheck()
{
    if (m_engine.ShouldCheckWatchdog())
        CCompanionLink::StartWatchdog();
    if (!m_core.IsAlive())
        EndDialog(kLockCoreLost);
    // Only the settings utility suspends the locks: ended without resuming them (killed,
    // crashed), it would leave them suspended for good.
    if (m_engine.IsSuspended() && !CCompanionLink::IsUtilityRunning()) {
        m_engine.OnSuspendLock(false);
        RequestUsbCheck();
    }
    CheckSessionAway();
    KeepInputOnDisplayDesktop();
}

// Any program can post a session lock or disconnect notice: the watch stays off only while
// the input desktop shows the session locked, or its connect state disconnected.
void CLockMainDialog::CheckSessionAway()
{
    if (m_engine.IsSessionLocked())
        Act(m_engine.OnSessionLockCheck(IsSessionLockDesktop(InputDesktopName())));
    if (m_engine.IsSessionDisconnected())
        Act(m_engine.OnSessionDisconnectCheck(IsSessionDisconnectedState(SessionConnectState())));
}

// A program that switches the input to a desktop of its own would leave the person at the
// PC working there, past the lock. The display shows on this thread's desktop on both
// roads: the lock-screen program is started on it.
void CLockMainDialog::KeepInputOnDisplayDesktop()
{
    if (!IsLocked())
        return;
    const std::optional<std::string> display = WinThreadDesktopName();
    if (IsInputSwitchedAway(InputDesktopName(), display))
        SwitchInputDesktop(*display);
}

// The window itself is being destroyed (with another program's window that it was made a
// child of): nothing could unlock or reach this program any more. It ends, its boxes and
// dialogs first, and the watchdog starts it again, locked as the stored lock state says.
void CLockMainDialog::OnDisplayLost()
{
    m_alarm.StopAlarm();
    StopWatching();
    if (m_lockDisplay.IsShown())
        m_lockDisplay.Hide();
    m_lockDisplay.Dialogs().EndRefusal();
    EndDialog(kLockCoreLost);
    PostMessageA(nullptr, WM_NULL, 0, 0);  // wakes the loop: the window can no longer take it
}

void CLockMainDialog::OnTimer(UINT_PTR id)
{
    if (id == m_lockCoreCheckTimer)
        OnLockCoreCheck();
    else if (id == m_noInputTimer)
        OnNoInputTick();
    else if (id == TIMER_SUSPEND_QUERY)
        OnSuspendQueryTimeout();
    else
        m_lockDisplay.OnTimer(id);
    m_alarm.OnTimer(id);
}

void CLockMainDialog::Act(EWatchAction action)
{
    if (action == EWatchAction::StartWatching)
        StartWatching(true);
    else if (action == EWatchAction::StopWatching)
        StopWatching();
    else if (action == EWatchAction::ContinueWatching)
        ContinueWatching();
}

void CLockMainDialog::OnSuspendQueryTimeout()
{
    KillTimer(GetSafeHwnd(), TIMER_SUSPEND_QUERY);
    Act(m_engine.OnSuspendQueryTimeout());
}

// A queried suspend that never comes must not leave the key watch off for good: the wait
// runs from the query that began it, and no later power notice, a query again among them,
// stretches it.
void CLockMainDialog::FollowSuspendQuery(bool wasWaiting)
{
    if (!m_engine.IsSuspendQueryPending())
        KillTimer(GetSafeHwnd(), TIMER_SUSPEND_QUERY);
    else if (!wasWaiting)
        SetTimer(GetSafeHwnd(), TIMER_SUSPEND_QUERY, kSuspendQueryWait, nullptr);
}

void CLockMainDialog::OnEndSession(bool ending)
{
    // Windows may end the program once this is answered: a lock state still on its way
    // lands first, or a restart with the key in would come up open.
    if (ending)
        m_lockState.Finish();
    m_engine.OnEndSession(ending);
    if (ending)
        CCompanionLink::PauseWatchdog();
    else
        CCompanionLink::ResumeWatchdog();
}

int CLockMainDialog::ReadLockState() const
{
    if (const std::optional<int> unwritten = m_lockState.Unwritten())
        return *unwritten;  // what the file is about to hold
    int lock = 0;
    // A lock that cannot be confirmed fails closed: the key or the password opens it as
    // usual. Only a missing file (no lock state ever stored) counts as not locked.
    if (ReadSettingsFile(LockStateFile(), [&lock](const CSettingFile& file) { file.LoadLockState(lock); }) ==
        ESettingsRead::Unreadable)
        return 1;
    return lock;
}

void CLockMainDialog::WriteLockState(int lock)
{
    m_lockState.Write(lock);
}

void CLockMainDialog::RequestUsbCheck()
{
    if (CFilterUsbCheckThread* worker = m_app.GetUsbCheckThread())
        worker->RequestCheck();
}

void CLockMainDialog::Publish(int event)
{
    m_app.EventPublisher().Publish(event);
}

INT_PTR CLockMainDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR displayResult = FALSE;
    if (OnDisplayMessage(message, wParam, lParam, displayResult))
        return displayResult;
    switch (message) {
    case UM_RELOAD_SETTINGS:
        Publish(EVENT_CHANGE_SETTING);
        m_core.ReloadSettings();
        ApplyDisplaySettings();
        m_engine.OnReloadSettings();
        RequestUsbCheck();
        return Result(0);
    case UM_SUSPEND_LOCK:
        m_engine.OnSuspendLock(wParam == 0);
        if (wParam != 0)
            RequestUsbCheck();
        return Result(0);
    case UM_LOCK_NOW:
        m_engine.OnLockNow();
        if (!IsLocked())
            Lock();
        return Result(0);
    case UM_KEY_LIST_CHANGED:
        OnKeyListChanged();
        return Result(0);
    case UM_KEY_STATE_CHANGED:
        OnKeyStateChanged();
        return Result(0);
    case UM_LOCK_COMMAND:
        // Only says "look": the commands come from this program's own lock core.
        m_core.Commands().Deliver(
            [this](const CLockCommandChannel::SCommand& command) { return OnLockCommand(command.code, command.argument); });
        return Result(0);
    case UM_KEY_RELEASED:
        OnKeyReleased();
        return Result(0);
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        OnButtonUp();
        return FALSE;
    case UM_WATCHDOG_STATE:
        m_engine.OnWatchdogState(wParam != 0);
        return Result(0);
    case WM_TIMER:
        OnTimer(wParam);
        return FALSE;
    case WM_DEVICECHANGE:
        RequestUsbCheck();
        return FALSE;
    case WM_POWERBROADCAST: {
        const bool waiting = m_engine.IsSuspendQueryPending();
        Act(m_engine.OnPowerBroadcast(static_cast<unsigned>(wParam)));
        FollowSuspendQuery(waiting);
        return Result(TRUE);
    }
    case WM_WTSSESSION_CHANGE:
        Act(m_engine.OnSessionChange(static_cast<unsigned>(wParam)));
        CheckSessionAway();
        return Result(0);
    case WM_QUERYENDSESSION:
        return Result(CLockDisplayDialogs::AnswerQueryEndSession(m_display));
    case WM_ENDSESSION:
        OnEndSession(wParam != 0);
        return Result(0);
    case WM_SYSCOMMAND:
        if (m_lockDisplay.RefusesSystemCommand(wParam))
            return Result(0);
        return CHideDialog::OnMessage(message, wParam, lParam);
    case WM_DESTROY:
        // Only the end of the modal run destroys the window; one that another program
        // sends leaves it, and the key watch, as they are.
        if (IsModalRunning())
            return TRUE;
        // Whatever ends the window, the alarm must not keep sounding at full volume.
        m_alarm.StopAlarm();
        StopWatching();
        m_sessionNotices.Unregister();
        return FALSE;
    default:
        return CHideDialog::OnMessage(message, wParam, lParam);
    }
}
