#include "framework/Dialog.h"

#include "framework/ModuleInstance.h"
#include "framework/SubclassWnd.h"

#include <vector>

namespace fw {

// Data exchange

CDataExchange::CDataExchange(CDialog& dialog, bool saveAndValidate)
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

// Dialog

CDialog::CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog()
{
    DestroyWindow();
}

INT_PTR CDialog::DoModal()
{
    return RunModal(true);
}

bool CDialog::Create()
{
    if (m_hwnd)
        return false;
    const HINSTANCE instance = ThisModule();
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(m_templateId), m_parent, DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::DestroyWindow()
{
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);  // WM_NCDESTROY clears m_hwnd
}

void CDialog::EndDialog(INT_PTR result)
{
    if (m_modalRunning) {
        m_modalResult = result;
        m_modalRunning = false;
        PostMessageA(m_hwnd, WM_NULL, 0, 0);  // wakes the loop if it waits
        return;
    }
    if (m_hwnd)
        ShowWindow(m_hwnd, SW_HIDE);
}

bool CDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(*this, saveAndValidate);
    try {
        DoDataExchange(dx);
        return true;
    } catch (const CDataExchangeFailure&) {
        return false;
    }
}

INT_PTR CDialog::RunModal(bool showWhenIdle)
{
    const HINSTANCE instance = ThisModule();
    if (m_hwnd || !FindResourceA(instance, MAKEINTRESOURCEA(m_templateId), MAKEINTRESOURCEA(5)))
        return -1;  // 5 is RT_DIALOG
    const bool disabledParent = m_parent && IsWindowEnabled(m_parent);
    if (disabledParent)
        EnableWindow(m_parent, FALSE);
    INT_PTR result = -1;
    try {
        m_modalResult = -1;
        m_modalRunning = true;
        if (Create() && m_modalRunning)
            result = RunModalLoop(showWhenIdle);
        else
            result = m_modalResult;  // ended (or failed) inside WM_INITDIALOG
        m_modalRunning = false;
        if (m_hwnd)
            SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    } catch (...) {
        m_modalRunning = false;
        result = -1;
    }
    if (disabledParent)
        EnableWindow(m_parent, TRUE);
    if (m_parent && m_hwnd && GetActiveWindow() == m_hwnd)
        SetActiveWindow(m_parent);
    DestroyWindow();
    return result;
}

INT_PTR CDialog::RunModalLoop(bool showWhenIdle)
{
    MSG msg;
    while (m_modalRunning) {
        if (showWhenIdle && !IsWindowVisible(m_hwnd) && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            ShowWindow(m_hwnd, SW_SHOWNORMAL);
            UpdateWindow(m_hwnd);
        }
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside this one
            m_modalRunning = false;
            return -1;
        }
        if (got < 0) {
            m_modalRunning = false;
            return -1;
        }
        if (!IsDialogMessageA(m_hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return m_modalResult;
}

INT_PTR CDialog::Result(LRESULT value)
{
    SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, value);
    return TRUE;
}

INT_PTR CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
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
INT_PTR CDialog::ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    CSubclassWnd* control = CSubclassWnd::FromHandle(item->hwndItem);
    LRESULT result = 0;
    if (!control || !control->OnChildNotify(message, wParam, lParam, result))
        return FALSE;
    return Result(result);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

bool CDialog::OnCommand(WORD, WORD id, HWND)
{
    switch (id) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

bool CDialog::OnNotify(NMHDR&, LRESULT&)
{
    return false;
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange&) {}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->m_hwnd = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    INT_PTR handled = TRUE;
    try {
        handled = self->OnMessage(message, wParam, lParam);
    } catch (...) {
        handled = TRUE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->m_hwnd = nullptr;
    }
    return handled;
}

} // namespace fw
