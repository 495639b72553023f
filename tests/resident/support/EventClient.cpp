#include "tests/resident/support/EventClient.h"

#include <chrono>
#include <cstring>

namespace {

constexpr const char kEventGuid[] = "{25A4AB39-1122-4620-8042-D0ACA0B3E1DB}";
constexpr const char kAnnounceName[] = "{1D67ACE9-7654-4fc1-8639-6F9F975DE933}";
constexpr size_t kGuidLength = sizeof kEventGuid - 1;  // 38, no terminator
constexpr size_t kEventSize = kGuidLength + 4;
constexpr const char kClassName[] = "KvTestEventClient";

} // namespace

std::int64_t PerformanceNow()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double ElapsedMs(std::int64_t from, std::int64_t to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool CEventClient::InitInstance()
{
    m_registerMessage = RegisterWindowMessageA(kEventGuid);
    m_announceMessage = RegisterWindowMessageA(kAnnounceName);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);  // fails harmlessly when a second client registers it again
    m_window = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), this);
    if (!m_window)
        return false;
    Register();
    return true;
}

void CEventClient::ExitInstance()
{
    if (m_window)
        DestroyWindow(m_window);
    m_window = nullptr;
}

void CEventClient::Register() const
{
    PostMessageA(HWND_BROADCAST, m_registerMessage, reinterpret_cast<WPARAM>(m_window), 0);
}

std::optional<SReceivedEvent> CEventClient::Next(DWORD timeout)
{
    std::unique_lock<std::mutex> lock(m_lock);
    if (!m_arrived.wait_for(lock, std::chrono::milliseconds(timeout), [this] { return !m_events.empty(); }))
        return std::nullopt;
    const SReceivedEvent event = m_events.front();
    m_events.pop_front();
    return event;
}

void CEventClient::Clear()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_events.clear();
}

void CEventClient::OnCopyData(const COPYDATASTRUCT& data)
{
    if (data.cbData != kEventSize || std::memcmp(data.lpData, kEventGuid, kGuidLength) != 0)
        return;
    std::int32_t code = 0;
    std::memcpy(&code, static_cast<const char*>(data.lpData) + kGuidLength, sizeof code);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_events.push_back({code, PerformanceNow()});
    }
    m_arrived.notify_all();
}

LRESULT CALLBACK CEventClient::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CEventClient*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && message == WM_COPYDATA) {
        self->OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    }
    if (self && message == self->m_announceMessage && message != 0) {
        self->Register();
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
