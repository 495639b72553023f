#include "usbkey/FilterUsbCheckThread.h"

#include "usbkey/DefaultUsbPlatform.h"
#include "usbkey/DeviceListBuilder.h"

#include <new>

namespace usbkey {

CFilterUsbCheckThread::CFilterUsbCheckThread(CUsbPlatform& platform) : m_enumerator(platform, m_devices) {}

CFilterUsbCheckThread::~CFilterUsbCheckThread()
{
    Stop();
}

CFilterUsbCheckThread* CFilterUsbCheckThread::Begin()
{
    return Begin(DefaultUsbPlatform());
}

CFilterUsbCheckThread* CFilterUsbCheckThread::Begin(CUsbPlatform& platform)
{
    auto* thread = new (std::nothrow) CFilterUsbCheckThread(platform);
    if (thread && !thread->Start()) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void CFilterUsbCheckThread::End(CFilterUsbCheckThread* thread)
{
    if (!thread)
        return;
    thread->Stop(10000);
    delete thread;
}

BOOL CFilterUsbCheckThread::RequestCheck()
{
    if (!m_gate.RequestOrFold())
        return TRUE;
    return PostThreadMessage(UM_CHECK_USB) ? TRUE : FALSE;
}

void CFilterUsbCheckThread::OnThreadMessage(UINT message, WPARAM, LPARAM)
{
    if (message == UM_CHECK_USB)
        OnCheckUsb();
}

void CFilterUsbCheckThread::OnCheckUsb()
{
    PurgeNotifyWindows();
    m_gate.RunRebuilds([this] {
        UpdateDeviceList();
        NotifyWindows();
    });
}

void CFilterUsbCheckThread::UpdateDeviceList()
{
    const std::lock_guard lock(m_rebuildLock);
    CUsbDeviceList list;
    BuildDeviceList(list);
    m_snapshot.Replace(std::move(list));
}

void CFilterUsbCheckThread::BuildDeviceList(CUsbDeviceList& list)
{
    list.RemoveAll();
    m_enumerator.Enumerate();
    usbkey::BuildDeviceList(m_devices, list);
}

void CFilterUsbCheckThread::GetDeviceList(CUsbDeviceList& list) const
{
    m_snapshot.CopyOut(list);
}

void CFilterUsbCheckThread::AddNotifyWindow(HWND window, UINT message)
{
    const std::lock_guard lock(m_registryLock);
    m_registry.emplace(window, message);
}

void CFilterUsbCheckThread::RemoveNotifyWindow(HWND window)
{
    const std::lock_guard lock(m_registryLock);
    m_registry.erase(window);
}

void CFilterUsbCheckThread::PurgeNotifyWindows()
{
    const std::lock_guard lock(m_registryLock);
    std::erase_if(m_registry, [](const auto& entry) { return !IsWindow(entry.first); });
}

void CFilterUsbCheckThread::NotifyWindows()
{
    const std::lock_guard lock(m_registryLock);
    for (const auto& [window, message] : m_registry)
        if (IsWindow(window))
            PostMessageA(window, message, 0, 0);
}

std::size_t CFilterUsbCheckThread::NotifyWindowCount() const
{
    const std::lock_guard lock(m_registryLock);
    return m_registry.size();
}

} // namespace usbkey
