#pragma once
// The lock-screen program's display interface. Commands from the command-pipe thread go
// to the dialog through the in-process command channel, in order (UM_LOCK_COMMAND only
// tells it to look, so no other program can command the display); the display's events
// become requests on the resident program's event pipe.
//
// A command that carries a record (the settings, a password result) keeps it in a queue
// of its own under a lock, so nothing but a value ever travels: the dialog takes the
// record when it carries the command out, and a record whose command could not be posted
// is taken back and freed at once.
#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

#include "common/LockSetting.h"
#include "lockcore/LockCommandChannel.h"
#include "lockcore/LockScreen.h"

class CResidentLink;

// Records handed from the command-pipe thread to the dialog's thread, oldest first.
template <typename T>
class CRecordQueue {
public:
    void Push(std::unique_ptr<T> record)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_records.push_back(std::move(record));
    }
    // The oldest record; null when none waits.
    std::unique_ptr<T> Take()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_records.empty())
            return nullptr;
        std::unique_ptr<T> record = std::move(m_records.front());
        m_records.pop_front();
        return record;
    }
    // Drops the newest record (whose message never went out).
    void DropNewest()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_records.empty())
            m_records.pop_back();
    }
    size_t Size()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_records.size();
    }

private:
    std::mutex m_lock;
    std::deque<std::unique_ptr<T>> m_records;
};

class CScreenController : public Corvantis::SLockScreen {
public:
    int ReloadPictures() override;
    int SelectPicture(int picture) override;
    int ShowLockScreen() override;
    int HideLockScreen() override;
    int IsLockScreenShown() override { return m_shown; }
    int ShowMessage() override;
    int HideMessage() override;
    int IsMessageShown() override { return m_messageShown; }
    int HideControls() override;
    int ShowControls() override;
    int AreControlsHidden() override { return m_controlsHidden; }
    int KeyEvent() override;
    int MouseEvent() override;
    int SetSettings(const CLockSetting& settings) override;
    int RefuseEndSession() override;
    int ShowPasswordDialog() override;
    int QueryMayUnlock() override;
    int WatchKeyState() override;
    int RequestUnlock(const Corvantis::SUnlockRequest& request) override;
    int CheckPassword(const std::string& typed) override;
    int SetPasswordResult(const Corvantis::SPasswordResult& result) override;
    int SetPasswordDialogState(int state) override;
    int Shutdown() override;

    // Where the commands go: the dialog and UM_LOCK_COMMAND.
    void SetTarget(HWND window, UINT message) { m_channel.SetTarget(window, message); }
    // The dialog carries the commands out from here.
    CLockCommandChannel& Channel() { return m_channel; }
    // Events reach the resident program from now on (null: not any more).
    void SetLink(CResidentLink* link) { m_link = link; }

    // The records of codes 11 and 18, for the dialog; null when none waits.
    std::unique_ptr<CLockSetting> TakeSettings() { return m_settings.Take(); }
    std::unique_ptr<Corvantis::SPasswordResult> TakePasswordResult() { return m_passwordResults.Take(); }
    size_t PendingRecords() { return m_settings.Size() + m_passwordResults.Size(); }

private:
    BOOL Post(int code, LPARAM argument = 0);
    template <typename T>
    BOOL PostRecord(int code, CRecordQueue<T>& queue, std::unique_ptr<T> record);
    // The event request; FALSE without a link or when it failed.
    BOOL SendEvent(int32_t code) const;
    BOOL SendEvent(const std::vector<uint8_t>& request, std::vector<uint8_t>& payload) const;

    std::atomic<int> m_shown{0};
    std::atomic<int> m_messageShown{0};
    std::atomic<int> m_controlsHidden{0};
    CLockCommandChannel m_channel;
    CResidentLink* m_link = nullptr;
    CRecordQueue<CLockSetting> m_settings;
    CRecordQueue<Corvantis::SPasswordResult> m_passwordResults;
};
