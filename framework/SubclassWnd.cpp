#include "framework/SubclassWnd.h"

#include "framework/Window.h"
#include "framework/WindowBinding.h"
#include "framework/WindowDestruction.h"

namespace fw {

namespace {
constexpr TWindowBinding<CSubclassWnd> kBinding("fw.CSubclassWnd");
}

CSubclassWnd::~CSubclassWnd()
{
    UnsubclassWindow();
}

bool CSubclassWnd::SubclassDlgItem(int id, HWND parent)
{
    return SubclassWindow(::GetDlgItem(parent, id));
}

bool CSubclassWnd::SubclassWindow(HWND hwnd)
{
    if (m_hwnd || !IsWindow(hwnd) || FromHandle(hwnd))
        return false;
    if (!kBinding.Bind(hwnd, this))
        return false;
    m_hwnd = hwnd;
    m_original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    if (!m_original) {
        kBinding.Unbind(hwnd);
        m_hwnd = nullptr;
        return false;
    }
    CWindowDestruction::Watch();
    return true;
}

void CSubclassWnd::UnsubclassWindow()
{
    if (!m_hwnd)
        return;
    SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_original));
    kBinding.Unbind(m_hwnd);
    CWindowDestruction::Unwatch(this);
    m_hwnd = nullptr;
    m_original = nullptr;
}

CSubclassWnd* CSubclassWnd::FromHandle(HWND hwnd)
{
    return kBinding.Find(hwnd);
}

bool CSubclassWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

LRESULT CSubclassWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(message, wParam, lParam);
}

LRESULT CSubclassWnd::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(m_original, m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CSubclassWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CSubclassWnd* self = FromHandle(hwnd);
    if (!self)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    if ((message == WM_DESTROY || message == WM_NCDESTROY) &&
        !CWindowDestruction::TakesNow(hwnd, self, message, [=] { self->Take(hwnd, message, 0, 0); })) {
        // Not the window's real destruction, or not yet known to be one: neither the object
        // nor the control acts on it. A framework window beneath judges it for its own
        // object, as this one does: a message held until the window is gone could no longer
        // find that object then.
        if (CWindow::IsWindowProcedure(self->m_original))
            return CallWindowProcA(self->m_original, hwnd, message, wParam, lParam);
        return 0;
    }
    return self->Take(hwnd, message, wParam, lParam);
}

LRESULT CSubclassWnd::Take(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY) {
        // The original procedure sees the last message; the binding ends with it.
        const WNDPROC original = m_original;
        UnsubclassWindow();
        return CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
    try {
        return OnMessage(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

} // namespace fw
