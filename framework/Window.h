#pragma once
// A top-level (or child) window owned by a C++ object. The object comes with
// CreateWindowEx's lpCreateParams, is bound to its window at WM_NCCREATE (in a window
// property, see WindowBinding.h) and unbound at the WM_NCDESTROY of its real destruction;
// every message in between goes to OnMessage, but a WM_DESTROY or WM_NCDESTROY that some
// program sends or posts is dropped (WindowDestruction.h). An exception never leaves the
// window procedure: it ends at the message.
#include <windows.h>

namespace fw {

class CWindow {
public:
    CWindow() = default;
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;
    // Destroys the window if it still exists (from the thread that created it).
    virtual ~CWindow();

    // Registers the class on first use (one window procedure for every class made
    // here) and creates the window; FALSE when either fails.
    bool Create(const char* className, const char* title, DWORD style, DWORD exStyle = 0,
                HWND parent = nullptr);
    void Destroy();

    HWND GetHwnd() const { return m_hwnd; }
    // Whether `procedure` is the one of every framework window's class, which tells a real
    // destruction from a forged one itself.
    static bool IsWindowProcedure(WNDPROC procedure) { return procedure == &WindowProc; }

protected:
    // Handles one message; the default passes it to DefWindowProcA.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static bool RegisterWindowClass(const char* className);
    static void Bind(HWND window, CWindow* object);
    static void Unbind(HWND window, CWindow* object);
    // The message handled, and the binding ended at WM_NCDESTROY.
    LRESULT Take(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
};

} // namespace fw
