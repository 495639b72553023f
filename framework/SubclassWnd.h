#pragma once
// A C++ object over an existing window (usually a dialog control): its window
// procedure is replaced by one that calls OnMessage, and DefaultProc calls the original.
// The object is bound like a framework window's (WindowBinding.h), under a kind of its
// own; the binding ends when the window is destroyed or the object goes away.
#include <windows.h>

namespace fw {

class CSubclassWnd {
public:
    CSubclassWnd() = default;
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;
    virtual ~CSubclassWnd();

    // False when the control does not exist or is already bound to an object.
    bool SubclassDlgItem(int id, HWND parent);
    bool SubclassWindow(HWND hwnd);
    // Gives the window its own procedure back.
    void UnsubclassWindow();

    HWND GetSafeHwnd() const { return m_hwnd; }
    // The object bound to a window, or null.
    static CSubclassWnd* FromHandle(HWND hwnd);

    // Messages a parent hands back to the control that caused them (WM_DRAWITEM);
    // true when handled, with the parent's result in `result`.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The message handled, and the binding ended at WM_NCDESTROY.
    LRESULT Take(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    WNDPROC m_original = nullptr;
};

} // namespace fw
