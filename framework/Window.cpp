#include "framework/Window.h"

#include "framework/WindowBinding.h"
#include "framework/ModuleInstance.h"
#include "framework/WindowDestruction.h"

namespace fw {
namespace {

constexpr TWindowBinding<CWindow> kBinding("fw.CWindow");

// What a message answers when its handler threw: creation fails, anything else is 0.
LRESULT AnswerAfterException(UINT message)
{
    switch (message) {
    case WM_NCCREATE: return FALSE;
    case WM_CREATE: return -1;
    default: return 0;
    }
}

} // namespace

CWindow::~CWindow()
{
    Destroy();
}

bool CWindow::Create(const char* className, const char* title, DWORD style, DWORD exStyle,
                     HWND parent)
{
    if (m_hwnd || !RegisterWindowClass(className))
        return false;
    const HWND window = CreateWindowExA(exStyle, className, title, style, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent,
                                        nullptr, ThisModule(), this);
    if (!window)
        m_hwnd = nullptr; // a refused creation may end without WM_NCDESTROY
    return window != nullptr;
}

void CWindow::Destroy()
{
    CWindowDestruction::TakeHeldIfGone(this);
    if (m_hwnd)
        DestroyWindow(m_hwnd); // WM_NCDESTROY clears m_hwnd
}

LRESULT CWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(message, wParam, lParam);
}

LRESULT CWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(m_hwnd, message, wParam, lParam);
}

bool CWindow::RegisterWindowClass(const char* className)
{
    const HINSTANCE instance = ThisModule();
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, className, &existing))
        return existing.lpfnWndProc == &CWindow::WindowProc;

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &CWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    return RegisterClassExA(&windowClass) != 0;
}

void CWindow::Bind(HWND window, CWindow* object)
{
    if (!kBinding.Bind(window, object))
        return;
    object->m_hwnd = window;
    CWindowDestruction::Watch();
}

void CWindow::Unbind(HWND window, CWindow* object)
{
    kBinding.Unbind(window);
    object->m_hwnd = nullptr;
    CWindowDestruction::Unwatch(object);
}

LRESULT CALLBACK CWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (auto* created = static_cast<CWindow*>(create->lpCreateParams)) {
            Bind(window, created);
            if (!created->m_hwnd)
                return FALSE;  // no binding: the creation fails rather than run unbound
        }
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) have no object yet.
    CWindow* object = kBinding.Find(window);
    if (!object)
        return DefWindowProcA(window, message, wParam, lParam);
    if ((message == WM_DESTROY || message == WM_NCDESTROY) &&
        !CWindowDestruction::TakesNow(window, object, message, [=] { object->Take(window, message, 0, 0); }))
        return 0;  // not the window's real destruction: neither the object nor Windows acts on it
    return object->Take(window, message, wParam, lParam);
}

LRESULT CWindow::Take(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY)
        Unbind(window, this);
    return result;
}

LRESULT CWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return OnMessage(message, wParam, lParam);
    } catch (...) {
        return AnswerAfterException(message);
    }
}

} // namespace fw
