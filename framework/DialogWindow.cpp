#include "framework/DialogWindow.h"

#include "framework/SubclassWnd.h"
#include "framework/WindowDestruction.h"

#include <vector>

namespace fw {

// Data exchange

CDataExchange::CDataExchange(CDialogWindow& dialog, bool saveAndValidate)
    : CDataExchange(dialog.GetSafeHwnd(), saveAndValidate)
{
}

CDataExchange::CDataExchange(HWND dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_dialog(dialog)
{
}

HWND CDataExchange::PrepareCtrl(int id)
{
    m_lastControl = ::GetDlgItem(m_dialog, id);
    return m_lastControl;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_lastControl) {
        SetFocus(m_lastControl);
        if (SendMessageA(m_lastControl, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
            SendMessageA(m_lastControl, EM_SETSEL, 0, -1);
    }
    throw CDataExchangeFailure{};
}

void DDX_Text(CDataExchange& dx, int id, std::string& value)
{
    const HWND control = dx.PrepareCtrl(id);
    if (!dx.m_bSaveAndValidate) {
        SetWindowTextA(control, value.c_str());
        return;
    }
    const int length = GetWindowTextLengthA(control);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(control, text.data(), length + 1);
    value.assign(text.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

void DDX_Check(CDataExchange& dx, int id, int& value)
{
    const HWND control = dx.PrepareCtrl(id);
    if (dx.m_bSaveAndValidate)
        value = static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

// Dialog window

bool CDialogWindow::UpdateData(bool saveAndValidate)
{
    if (m_exchanging)
        return false;
    m_exchanging = true;
    CDataExchange dx(*this, saveAndValidate);
    bool exchanged = true;
    try {
        DoDataExchange(dx);
    } catch (const CDataExchangeFailure&) {
        exchanged = false;
    } catch (...) {
        m_exchanging = false;
        throw;
    }
    m_exchanging = false;
    return exchanged;
}

INT_PTR CDialogWindow::Result(LRESULT value)
{
    SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, value);
    return TRUE;
}

INT_PTR CDialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (!OnNotify(*reinterpret_cast<NMHDR*>(lParam), result))
            return FALSE;
        return Result(result);
    }
    case WM_DRAWITEM:
        return ReflectToControl(message, wParam, lParam);
    default:
        return FALSE;
    }
}

// Owner-drawn controls bound to an object draw themselves.
INT_PTR CDialogWindow::ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    CSubclassWnd* control = CSubclassWnd::FromHandle(item->hwndItem);
    LRESULT result = 0;
    if (!control || !control->OnChildNotify(message, wParam, lParam, result))
        return FALSE;
    return Result(result);
}

BOOL CDialogWindow::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

bool CDialogWindow::OnCommand(WORD, WORD, HWND)
{
    return false;
}

bool CDialogWindow::OnNotify(NMHDR&, LRESULT&)
{
    return false;
}

void CDialogWindow::DoDataExchange(CDataExchange&) {}

INT_PTR CDialogWindow::OnHandlerFailed(UINT, LPARAM)
{
    return TRUE;
}

void CDialogWindow::TakeHeldIfGone()
{
    CWindowDestruction::TakeHeldIfGone(this);
}

INT_PTR CDialogWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, BindAtInit bind)
{
    CDialogWindow* self = reinterpret_cast<CDialogWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        if (self)
            return FALSE;  // the window has its object: this one came from someone else
        self = bind(hwnd, lParam);
        self->m_hwnd = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        CWindowDestruction::Watch();
    }
    if (!self)
        return FALSE;
    const bool lastMessages = message == WM_DESTROY || message == WM_NCDESTROY;
    if (lastMessages &&
        !CWindowDestruction::TakesNow(hwnd, self, message, [=] { self->Take(hwnd, message, 0, 0); }))
        return TRUE;  // not the window's real destruction: neither the object nor Windows acts on it
    return self->Take(hwnd, message, wParam, lParam);
}

INT_PTR CDialogWindow::Take(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR handled = TRUE;
    try {
        handled = OnMessage(message, wParam, lParam);
    } catch (...) {
        handled = OnHandlerFailed(message, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        m_hwnd = nullptr;
        CWindowDestruction::Unwatch(this);
    }
    return handled;
}

} // namespace fw
