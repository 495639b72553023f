#include "tests/resident/support/EventClient.h"

#include "lockcore/EventMessage.h"

#include <chrono>

namespace {

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
    m_registerMessage = RegisterWindowMessageA(kEventRegisterMessage);
    m_announceMessage = RegisterWindowMessageA(kEventAnnounceMessage);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);  // fails harmlessly when a second client registers it again
    m_window = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), this);
    return m_window != nullptr;
}

void CEventClient::ExitInstance()
{
    if (m_window)
        DestroyWindow(m_window);
    m_window = nullptr;
}

void CEventClient::Follow(DWORD processId)
{
    m_serverProcess = processId;
    Register();
}

namespace {

struct SRegistration {
    DWORD process;
    UINT message;
    HWND client;
};

BOOL CALLBACK PostRegistration(HWND window, LPARAM parameter)
{
    const auto* registration = reinterpret_cast<const SRegistration*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == registration->process)
        PostMessageA(window, registration->message, reinterpret_cast<WPARAM>(registration->client), 0);
    return TRUE;
}

} // namespace

void CEventClient::Register() const
{
    const SRegistration registration{m_serverProcess, m_registerMessage, m_window};
    if (registration.process && registration.client)
        EnumWindows(PostRegistration, reinterpret_cast<LPARAM>(&registration));
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
    std::int32_t code = 0;
    if (data.dwData != 0 || !ParseEventMessage(data.lpData, data.cbData, code))
        return;
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
