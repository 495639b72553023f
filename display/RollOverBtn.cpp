#include "display/RollOverBtn.h"

#include "display/ButtonImage.h"

#include <commctrl.h>

#include <string>

namespace {

HBITMAP LoadNamedBitmap(const std::string& name)
{
    return LoadBitmapA(GetModuleHandleA(nullptr), name.c_str());
}

} // namespace

bool CRollOverBtn::AutoLoad(int id, HWND parentDialog)
{
    if (!SubclassDlgItem(id, parentDialog))
        return false;
    char caption[256] = {};
    GetWindowTextA(GetSafeHwnd(), caption, sizeof caption);
    const std::string base = caption;
    m_normal.reset(LoadNamedBitmap(base + "U"));
    m_selected.reset(LoadNamedBitmap(base + "D"));
    m_focus.reset(LoadNamedBitmap(base + "F"));
    m_disabled.reset(LoadNamedBitmap(base + "X"));
    m_rollOver.reset(LoadNamedBitmap(base + "R"));
    if (!m_normal)
        return false;
    BITMAP info = {};
    GetObjectA(m_normal.get(), sizeof info, &info);
    SetWindowPos(GetSafeHwnd(), nullptr, 0, 0, info.bmWidth, info.bmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool CRollOverBtn::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT& result)
{
    if (message != WM_DRAWITEM)
        return false;
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    result = TRUE;
    return true;
}

LRESULT CRollOverBtn::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        if (!m_hovering) {
            m_hovering = true;
            InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, GetSafeHwnd(), HOVER_DEFAULT};
            _TrackMouseEvent(&track);
        }
        return DefaultProc(message, wParam, lParam);
    case WM_MOUSELEAVE:
        m_hovering = false;
        RedrawWindow(GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return 0;
    default:
        return DefaultProc(message, wParam, lParam);
    }
}

HBITMAP CRollOverBtn::ImageFor(const DRAWITEMSTRUCT& item) const
{
    const SButtonState state{(item.itemState & ODS_SELECTED) != 0, (item.itemState & ODS_DISABLED) != 0,
                             m_hovering, (item.itemState & ODS_FOCUS) != 0};
    const SButtonImages images{static_cast<bool>(m_selected), static_cast<bool>(m_focus),
                               static_cast<bool>(m_disabled), static_cast<bool>(m_rollOver)};
    switch (ChooseButtonImage(state, images)) {
    case EButtonImage::Selected:
        return static_cast<HBITMAP>(m_selected.get());
    case EButtonImage::Disabled:
        return static_cast<HBITMAP>(m_disabled.get());
    case EButtonImage::RollOver:
        return static_cast<HBITMAP>(m_rollOver.get());
    case EButtonImage::Focus:
        return static_cast<HBITMAP>(m_focus.get());
    case EButtonImage::Normal:
        break;
    }
    return static_cast<HBITMAP>(m_normal.get());
}

void CRollOverBtn::DrawItem(const DRAWITEMSTRUCT& item) const
{
    const HDC memory = CreateCompatibleDC(item.hDC);
    if (!memory)
        return;
    const HGDIOBJ old = SelectObject(memory, ImageFor(item));
    if (old) {
        const RECT& r = item.rcItem;
        BitBlt(item.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
    }
    DeleteDC(memory);
}
