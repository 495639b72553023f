#include "framework/Dialog.h"

#include "framework/ModuleInstance.h"

namespace fw {

CDialog::CDialog(UINT templateId, HWND parent) : CDialogWindow(templateId), m_parent(parent) {}

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
    if (GetSafeHwnd())
        return false;
    const HINSTANCE instance = ThisModule();
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(TemplateId()), m_parent, DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::DestroyWindow()
{
    TakeHeldIfGone();
    if (GetSafeHwnd())
        ::DestroyWindow(GetSafeHwnd());  // WM_NCDESTROY unbinds the window
}

void CDialog::EndDialog(INT_PTR result)
{
    if (m_modalRunning) {
        m_modalResult = result;
        m_modalRunning = false;
        PostMessageA(GetSafeHwnd(), WM_NULL, 0, 0);  // wakes the loop if it waits
        return;
    }
    if (GetSafeHwnd())
        ShowWindow(GetSafeHwnd(), SW_HIDE);
}

INT_PTR CDialog::RunModal(bool showWhenIdle)
{
    const HINSTANCE instance = ThisModule();
    if (GetSafeHwnd() || !FindResourceA(instance, MAKEINTRESOURCEA(TemplateId()), MAKEINTRESOURCEA(5)))
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
        if (GetSafeHwnd())
            SetWindowPos(GetSafeHwnd(), nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    } catch (...) {
        m_modalRunning = false;
        result = -1;
    }
    if (disabledParent)
        EnableWindow(m_parent, TRUE);
    if (m_parent && GetSafeHwnd() && GetActiveWindow() == GetSafeHwnd())
        SetActiveWindow(m_parent);
    DestroyWindow();
    return result;
}

INT_PTR CDialog::RunModalLoop(bool showWhenIdle)
{
    MSG msg;
    while (m_modalRunning) {
        if (showWhenIdle && !IsWindowVisible(GetSafeHwnd()) && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            ShowWindow(GetSafeHwnd(), SW_SHOWNORMAL);
            UpdateWindow(GetSafeHwnd());
        }
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 && !EndsOnQuit())
            continue;
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside this one
            m_modalRunning = false;
            return -1;
        }
        if (got < 0) {
            m_modalRunning = false;
            return -1;
        }
        if (!IsDialogMessageA(GetSafeHwnd(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return m_modalResult;
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

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // lParam of WM_INITDIALOG is the object, as CreateDialogParam was given it.
    return Procedure(hwnd, message, wParam, lParam,
                     [](HWND, LPARAM object) -> CDialogWindow* { return reinterpret_cast<CDialog*>(object); });
}

} // namespace fw
