#pragma once
// The USB re-check worker: on request it enumerates the attached USB devices, replaces
// its snapshot and posts each registered window its message. Requests that arrive during
// a rebuild are folded into one more rebuild; none is lost.
#include "framework/Thread.h"
#include "usbkey/CheckRequestGate.h"
#include "usbkey/SnapshotHolder.h"
#include "usbkey/UsbDevice.h"
#include "usbkey/UsbDeviceEnumerator.h"
#include "usbkey/UsbDeviceList.h"

#include <windows.h>

#include <map>
#include <mutex>
#include <vector>

namespace usbkey {

// The window message that dialogs showing the attached devices register for.
constexpr UINT UM_DEVICE_LIST_CHANGED = WM_APP + 1;

class CFilterUsbCheckThread : public fw::CThread {
public:
    static constexpr UINT UM_CHECK_USB = WM_APP + 1;  // thread message

    // Starts a worker on the program's USB platform, or on `platform`; null when the
    // thread could not be started. Returns once the thread can take requests.
    static CFilterUsbCheckThread* Begin();
    static CFilterUsbCheckThread* Begin(CUsbPlatform& platform);
    // Stops the worker (WM_QUIT, 10000 ms, then forced) and deletes it; null is ignored.
    static void End(CFilterUsbCheckThread* thread);

    // Asks for a rebuild; FALSE when the request could not be posted.
    BOOL RequestCheck();
    // Rebuilds the snapshot now, on the calling thread; rebuilds never overlap.
    void UpdateDeviceList();
    void BuildDeviceList(CUsbDeviceList& list);
    // Replaces `list` with a copy of the snapshot.
    void GetDeviceList(CUsbDeviceList& list) const;
    const CSnapshotHolder<CUsbDeviceList>& GetSnapshot() const { return m_snapshot; }

    // A window keeps the message it was first registered with until it is removed.
    void AddNotifyWindow(HWND window, UINT message);
    void RemoveNotifyWindow(HWND window);
    void PurgeNotifyWindows();
    void NotifyWindows();
    std::size_t NotifyWindowCount() const;

protected:
    void OnThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    explicit CFilterUsbCheckThread(CUsbPlatform& platform);
    ~CFilterUsbCheckThread() override;
    void OnCheckUsb();

    mutable std::mutex m_registryLock;
    std::map<HWND, UINT> m_registry;
    CSnapshotHolder<CUsbDeviceList> m_snapshot;
    CCheckRequestGate m_gate;
    std::mutex m_rebuildLock;  // enumeration through snapshot replacement
    std::vector<CUsbDevice> m_devices;
    CUsbKeyDeviceEnumerator m_enumerator;
};

} // namespace usbkey
