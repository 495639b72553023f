#pragma once
// A lock display that records every call as one line of text, for the tests.
#include <mutex>
#include <string>
#include <vector>

#include "common/LockSetting.h"
#include "lockcore/LockScreen.h"

class RecordingScreen : public Corvantis::SLockScreen {
public:
    int queryResult = 1;
    CLockSetting lastSettings;  // what SetSettings was last given

    std::vector<std::string> Calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    void Clear()
    {
        std::lock_guard lock(m_mutex);
        m_calls.clear();
    }

    int ReloadPictures() override { return Record("ReloadPictures"); }
    int SelectPicture(int picture) override { return Record("SelectPicture " + std::to_string(picture)); }
    int ShowLockScreen() override { return Record("ShowLockScreen"); }
    int HideLockScreen() override { return Record("HideLockScreen"); }
    int IsLockScreenShown() override { return Record("IsLockScreenShown"); }
    int ShowMessage() override { return Record("ShowMessage"); }
    int HideMessage() override { return Record("HideMessage"); }
    int IsMessageShown() override { return Record("IsMessageShown"); }
    int HideControls() override { return Record("HideControls"); }
    int ShowControls() override { return Record("ShowControls"); }
    int AreControlsHidden() override { return Record("AreControlsHidden"); }
    int KeyEvent() override { return Record("KeyEvent"); }
    int MouseEvent() override { return Record("MouseEvent"); }
    int SetSettings(const CLockSetting& settings) override
    {
        {
            std::lock_guard lock(m_mutex);
            lastSettings = settings;
        }
        return Record("SetSettings");
    }
    int RefuseEndSession() override { return Record("RefuseEndSession"); }
    int ShowPasswordDialog() override { return Record("ShowPasswordDialog"); }
    int QueryMayUnlock() override
    {
        Record("QueryMayUnlock");
        return queryResult;
    }
    int WatchKeyState() override { return Record("WatchKeyState"); }
    int RequestUnlock(const Corvantis::SUnlockRequest& r) override
    {
        return Record("RequestUnlock " + std::to_string(r.kind) + " " + std::to_string(r.value) + " " +
                      std::to_string(r.flag));
    }
    int CheckPassword(const std::string& typed) override { return Record("CheckPassword [" + typed + "]"); }
    int SetPasswordResult(const Corvantis::SPasswordResult& r) override
    {
        return Record("SetPasswordResult " + std::to_string(r.ok) + " " + std::to_string(r.mayUnlock) + " " +
                      std::to_string(r.raiseAlarm));
    }
    int SetPasswordDialogState(int state) override
    {
        return Record("SetPasswordDialogState " + std::to_string(state));
    }
    int Shutdown() override { return Record("Shutdown"); }

private:
    int Record(std::string call)
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
        return 1;
    }

    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
};
