#include "resident/LockEngine.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

bool MatchRegisteredKeys(const CLockSetting& setting, const CUsbDeviceList* attached, CKeyDeviceList* found)
{
    if (found)
        found->clear();
    if (!attached || setting.KeyDevices.empty())
        return false;
    if (setting.KeyType == 2)
        return attached->HasAllKeys(setting.KeyDevices, found) != 0;
    return attached->HasAnyKey(setting.KeyDevices, found) != 0;
}

namespace {

// Desktop names, as Windows compares them: without regard to the case of ASCII letters.
bool IsSameDesktop(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

constexpr std::string_view kLockDesktop = "Winlogon";
constexpr std::string_view kScreenSaverDesktop = "Screen-saver";

} // namespace

bool IsSessionLockDesktop(const std::optional<std::string>& inputDesktop)
{
    return !inputDesktop || IsSameDesktop(*inputDesktop, kLockDesktop);
}

bool IsInputSwitchedAway(const std::optional<std::string>& inputDesktop,
                         const std::optional<std::string>& displayDesktop)
{
    if (!inputDesktop || !displayDesktop)
        return false;
    if (IsSameDesktop(*inputDesktop, kLockDesktop) || IsSameDesktop(*inputDesktop, kScreenSaverDesktop))
        return false;
    return !IsSameDesktop(*inputDesktop, *displayDesktop);
}

bool IsSessionDisconnectedState(std::optional<unsigned> connectState)
{
    constexpr unsigned kDisconnected = 4;  // WTSDisconnected
    return connectState == kDisconnected;
}

// Key snapshot

void CKeySnapshot::Take(bool present, const CKeyDeviceList& found)
{
    m_held = present;
    m_keys = present ? found : CKeyDeviceList{};
}

void CKeySnapshot::Clear()
{
    m_held = false;
    m_keys.clear();
}

namespace {

// The same devices in any order, each device of one list answering one of the other.
bool SameDevices(const CKeyDeviceList& snapshot, CKeyDeviceList fresh)
{
    for (const CKeyDevice& key : snapshot) {
        const auto match = std::find_if(fresh.begin(), fresh.end(),
                                        [&](const CKeyDevice& device) { return IsSameKeyDevice(key, device); });
        if (match == fresh.end())
            return false;
        fresh.erase(match);
    }
    return fresh.empty();
}

} // namespace

void CKeySnapshot::Check(bool present, const CKeyDeviceList& fresh)
{
    if (!m_held)
        return;
    if (!present || fresh.size() > m_keys.size())
        Clear();
    else if (fresh.size() < m_keys.size())
        m_keys = fresh;
    else if (!SameDevices(m_keys, fresh))
        Clear();
}

// Engine

void CLockEngine::BeginWatching(Tick now)
{
    m_lockTick = now;
    m_unlockTick = now;
    m_lastInput = 0;
    m_passwordUnlock = false;
    m_suspended = false;
    m_checkWatchdog = true;
}

EStartupAction CLockEngine::StartupAction(int storedLock, bool keyPresent, bool locked) const
{
    if (storedLock == 0 && m_setting.LockStartup == 0)
        return EStartupAction::None;
    if (!keyPresent)
        return EStartupAction::Lock;
    if (KeyAndPasswordNeeded())
        return EStartupAction::LockAndAskPassword;
    if (storedLock != 0 && !locked)
        return EStartupAction::Lock;
    return EStartupAction::None;
}

void CLockEngine::OnLocked(Tick now, bool keyPresent, const CKeyDeviceList& found)
{
    m_lockTick = now;
    m_snapshot.Take(keyPresent, found);
    m_passwordErrors = 0;
    m_passwordAccepted = {};
}

void CLockEngine::OnUnlocked(Tick now)
{
    m_unlockTick = now;
    m_snapshot.Clear();
    m_passwordErrors = 0;
    m_passwordAccepted = {};
}

EKeyAction CLockEngine::OnKeyListChanged(bool locked, bool present, const CKeyDeviceList& found)
{
    m_snapshot.Check(present, found);
    if (locked) {
        if (!present || m_snapshot.IsHeld())
            return EKeyAction::None;
        return KeyAndPasswordNeeded() ? EKeyAction::ShowPasswordDialog : EKeyAction::Unlock;
    }
    if (!present && m_setting.LockKeyRemoved != 0 && AutomaticLockAllowed())
        return EKeyAction::Lock;
    return EKeyAction::None;
}

int CLockEngine::PasswordDialogKeyState(bool present, const CKeyDeviceList& found)
{
    if (m_snapshot.IsHeld()) {
        m_snapshot.Check(present, found);
        present = present && !m_snapshot.IsHeld();
    }
    if (m_setting.PasswordSetting.PasswordType == 2)
        return present ? 0 : 2;
    return present ? 1 : 0;
}

int CLockEngine::QueryMayUnlock(bool keyPresent) const
{
    const CPasswordSetting& password = m_setting.PasswordSetting;
    if (password.UsePassword == 0 || password.PasswordType == 1)
        return 1;
    if (password.PasswordType == 2)
        return keyPresent ? 1 : 0;
    return 0;
}

SPasswordVerdict CLockEngine::CheckPassword(const std::string& typed)
{
    SPasswordVerdict verdict;
    const CPasswordSetting& password = m_setting.PasswordSetting;
    if (password.UsePassword == 1 && password.IsPasswordMatch(typed)) {
        verdict.ok = 1;
        verdict.mayUnlock = password.PasswordType == 2 ? 0 : 1;
        m_passwordAccepted = {true, verdict.mayUnlock != 0};
        return verdict;
    }
    ++m_passwordErrors;
    const CAlarmSetting& alarm = m_setting.AlarmSetting;
    verdict.raiseAlarm = alarm.UseAlarm == 1 && m_passwordErrors >= alarm.AlarmPasswordErrorCount ? 1 : 0;
    return verdict;
}

bool CLockEngine::AcceptUnlock(bool locked, bool keyPresent, int value)
{
    const SAcceptedPassword password = m_passwordAccepted;
    m_passwordAccepted = {};
    if (!locked)
        return false;
    const bool byPassword =
        password.accepted && (m_setting.PasswordSetting.PasswordType != 2 || keyPresent);
    if (!byPassword && !KeyOpens(keyPresent))
        return false;
    OnPasswordUnlock(byPassword && password.mayUnlock && value != 0);
    return true;
}

bool CLockEngine::WantsNoInputTimer() const
{
    return m_setting.LockNoInput == 1 || m_setting.UseScreenSaver == 1;
}

std::uint32_t CLockEngine::IdleSeconds(Tick since, Tick now) const
{
    const Tick sinceEvent = now - since;  // unsigned: modulo 2^32
    const Tick sinceInput = now - m_lastInput;
    return std::min(sinceEvent, sinceInput) / 1000;
}

EIdleAction CLockEngine::OnNoInputTick(bool locked, Tick lastInput, Tick now, bool messageShown)
{
    if (lastInput != m_lastInput) {
        m_lastInput = lastInput;
        return messageShown ? EIdleAction::HideMessage : EIdleAction::None;
    }
    if (!locked) {
        if (m_setting.LockNoInput == 1 &&
            static_cast<std::uint32_t>(m_setting.LockNoInputSec) <= IdleSeconds(m_unlockTick, now) &&
            AutomaticLockAllowed())
            return EIdleAction::Lock;
        return EIdleAction::None;
    }
    if (m_setting.UseScreenSaver != 0 &&
        static_cast<std::uint32_t>(m_setting.ScreenSaverSec) <= IdleSeconds(m_lockTick, now) && !messageShown)
        return EIdleAction::ShowMessage;
    return EIdleAction::None;
}

void CLockEngine::OnLockNow()
{
    m_passwordUnlock = false;
    m_suspended = false;
}

EWatchAction CLockEngine::OnPowerBroadcast(unsigned event)
{
    switch (event) {
    case kPowerQuerySuspend:
        // Away from the session, watching waits for its return instead.
        if (IsAwayFromSession())
            return EWatchAction::None;
        // Windows never asks again while a wait runs; a query repeated by some program
        // begins no wait of its own, or it could keep watching off for good.
        if (!std::exchange(m_suspendQueried, true))
            m_suspendNoticed = false;
        return EWatchAction::StopWatching;
    case kPowerQuerySuspendFailed:
        return EndSuspendWait();
    case kPowerSuspend:
        m_suspendNoticed = m_suspendQueried;
        return EWatchAction::None;
    case kPowerResumeSuspend:
        m_suspendQueried = false;
        m_suspendNoticed = false;
        return IsAwayFromSession() ? EWatchAction::None : EWatchAction::StartWatching;
    default:
        return EWatchAction::None;
    }
}

EWatchAction CLockEngine::OnSuspendQueryTimeout()
{
    return EndSuspendWait();
}

// The suspend did not come, or its resume has not been heard of: a wait that ends after a
// suspend notice may be the first word after a real wake, which needs the start-up check.
EWatchAction CLockEngine::EndSuspendWait()
{
    if (!std::exchange(m_suspendQueried, false))
        return EWatchAction::None;
    const bool noticed = std::exchange(m_suspendNoticed, false);
    if (IsAwayFromSession())
        return EWatchAction::None;
    return noticed ? EWatchAction::StartWatching : EWatchAction::ContinueWatching;
}

EWatchAction CLockEngine::OnSessionChange(unsigned event)
{
    switch (event) {
    case kSessionConsoleConnect:
    case kSessionRemoteConnect:
        if (!m_sessionDisconnected)
            return EWatchAction::None;
        m_sessionDisconnected = false;
        return EWatchAction::StartWatching;
    case kSessionConsoleDisconnect:
    case kSessionRemoteDisconnect:
        m_sessionDisconnected = true;
        return EWatchAction::StopWatching;
    case kSessionLock:
        m_sessionLocked = true;
        return EWatchAction::StopWatching;
    case kSessionUnlock:
        m_sessionLocked = false;
        return m_sessionDisconnected ? EWatchAction::None : EWatchAction::StartWatching;
    default:
        return EWatchAction::None;
    }
}

EWatchAction CLockEngine::OnSessionLockCheck(bool reallyLocked)
{
    if (!m_sessionLocked || reallyLocked)
        return EWatchAction::None;
    return OnSessionChange(kSessionUnlock);
}

EWatchAction CLockEngine::OnSessionDisconnectCheck(bool reallyDisconnected)
{
    if (!m_sessionDisconnected || reallyDisconnected)
        return EWatchAction::None;
    m_sessionDisconnected = false;
    return m_sessionLocked ? EWatchAction::None : EWatchAction::StartWatching;
}

bool CLockEngine::KeyAndPasswordNeeded() const
{
    return m_setting.PasswordSetting.UsePassword != 0 && m_setting.PasswordSetting.PasswordType == 2;
}

// As the key decision unlocks: a key attached that is not one of the snapshot's, and no
// password needed beside it.
bool CLockEngine::KeyOpens(bool keyPresent) const
{
    return keyPresent && !m_snapshot.IsHeld() && !KeyAndPasswordNeeded();
}
