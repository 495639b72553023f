#include "display/LockMessageBox.h"

#include "common/LineReader.h"
#include "display/DisplayResource.h"
#include "display/TopmostWindowList.h"
#include "display/WindowPlacement.h"

#include <algorithm>
#include <string>

namespace {

constexpr int kButtonGap = 10;

const char* SystemIconFor(int kind)
{
    switch (kind) {
    case CLockMessageBox::kIconError: return IDI_HAND;
    case CLockMessageBox::kIconQuestion: return IDI_QUESTION;
    case CLockMessageBox::kIconInformation: return IDI_ASTERISK;
    default: return IDI_EXCLAMATION;
    }
}

std::string LoadText(UINT id)
{
    char text[2048] = {};
    const int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return std::string(text, static_cast<std::size_t>(std::max(length, 0)));
}

int Width(const RECT& r)
{
    return r.right - r.left;
}

int Height(const RECT& r)
{
    return r.bottom - r.top;
}

} // namespace

CLockMessageBox::CLockMessageBox(CTopmostWindowList& topmost, HWND parent)
    : CDialog(IDD_LOCK_MESSAGE_BOX, parent), m_topmost(topmost)
{
}

void CLockMessageBox::SetMessage(UINT messageId, int iconKind, int buttonSet)
{
    m_messageId = messageId;
    m_iconKind = iconKind;
    m_buttonSet = buttonSet;
}

BOOL CLockMessageBox::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon();
    const std::string text = LoadText(m_messageId);
    const SIZE extent = MeasureText(text);
    const HWND textControl = GetDlgItem(IDC_BOX_TEXT);
    SetWindowPos(textControl, nullptr, 0, 0, extent.cx, extent.cy, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowTextA(textControl, text.c_str());
    PlaceText(extent);

    // The left margin repeated on the right, and never narrower than the buttons.
    const RECT textRect = ChildRect(textControl);
    const RECT iconRect = ChildRect(GetDlgItem(IDC_BOX_ICON));
    const int width = std::max<int>(textRect.right + iconRect.left, MinimumWidth());
    RECT window = {};
    GetWindowRect(GetSafeHwnd(), &window);
    SetWindowPos(GetSafeHwnd(), HWND_TOPMOST, 0, 0, width, Height(window), SWP_NOMOVE | SWP_NOACTIVATE);
    PlaceButtons(width);
    m_topmost.Add(GetSafeHwnd());
    CenterOnOwner(GetSafeHwnd());
    return TRUE;
}

INT_PTR CLockMessageBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        m_topmost.Remove(GetSafeHwnd());
    return CDialog::OnMessage(message, wParam, lParam);
}

// A shared system icon: nothing to release afterwards.
void CLockMessageBox::SetIcon()
{
    const HICON icon = LoadIconA(nullptr, SystemIconFor(m_iconKind));
    SendDlgItemMessageA(GetSafeHwnd(), IDC_BOX_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

// As wide as the widest line, as high as all lines together, in the text control's font.
SIZE CLockMessageBox::MeasureText(const std::string& text) const
{
    SIZE block = {0, 0};
    if (text.empty())
        return block;
    const HWND control = GetDlgItem(IDC_BOX_TEXT);
    const HDC dc = GetDC(control);
    if (!dc)
        return block;
    const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    CLineReader reader;
    reader.SetText(text);
    reader.Rewind();
    std::string line;
    for (bool more = true; more;) {
        more = reader.ReadLine(line);
        SIZE extent = {0, 0};
        GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &extent);
        block.cx = std::max(block.cx, extent.cx);
        block.cy += extent.cy;
    }
    SelectObject(dc, oldFont);
    ReleaseDC(control, dc);
    return block;
}

// A text lower than the icon is centred on it; a higher one starts at the icon's top.
void CLockMessageBox::PlaceText(SIZE text)
{
    const HWND textControl = GetDlgItem(IDC_BOX_TEXT);
    const RECT iconRect = ChildRect(GetDlgItem(IDC_BOX_ICON));
    const RECT textRect = ChildRect(textControl);
    const int top = text.cy < Height(iconRect) ? iconRect.top + Height(iconRect) / 2 - text.cy / 2 : iconRect.top;
    SetWindowPos(textControl, nullptr, textRect.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// The buttons are centred on the window width (below), which is wider than the client
// area by the frame: both margins must hold the frame too.
int CLockMessageBox::MinimumWidth() const
{
    const int okWidth = Width(ChildRect(GetDlgItem(IDOK)));
    const int cancelWidth = Width(ChildRect(GetDlgItem(IDCANCEL)));
    int span = 0;
    if (m_buttonSet == kOkCancel)
        span = okWidth + cancelWidth + 2 * kButtonGap;
    else if (m_buttonSet == kOkOnly)
        span = okWidth;
    else
        return 0;
    RECT window = {}, client = {};
    GetWindowRect(GetSafeHwnd(), &window);
    GetClientRect(GetSafeHwnd(), &client);
    const int frame = Width(window) - Width(client);
    const int margin = ChildRect(GetDlgItem(IDC_BOX_ICON)).left;
    return span + 2 * (margin + frame);
}

void CLockMessageBox::PlaceButtons(int width)
{
    const HWND ok = GetDlgItem(IDOK);
    const HWND cancel = GetDlgItem(IDCANCEL);
    const RECT okRect = ChildRect(ok);
    const RECT cancelRect = ChildRect(cancel);
    const UINT keep = SWP_NOSIZE | SWP_NOZORDER;
    if (m_buttonSet == kOkCancel) {
        const int okX = width / 2 - (Width(okRect) + Width(cancelRect) + 2 * kButtonGap) / 2;
        SetWindowPos(ok, nullptr, okX, okRect.top, 0, 0, keep);
        SetWindowPos(cancel, nullptr, okX + Width(okRect) + kButtonGap, cancelRect.top, 0, 0, keep);
    } else if (m_buttonSet == kOkOnly) {
        ShowWindow(cancel, SW_HIDE);
        SetWindowPos(ok, nullptr, width / 2 - Width(okRect) / 2, okRect.top, 0, 0, keep);
    }
}
