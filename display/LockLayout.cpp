#include "display/LockLayout.h"

#include "display/WindowPlacement.h"

namespace locklayout {

namespace {

constexpr COLORREF kClockBackground = RGB(157, 157, 157);
// The faces in code page 932, as CreateFontA reads them: "ＭＳ ゴシック", "ＭＳ Ｐゴシック".
constexpr char kGothic[] = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";
constexpr char kProportionalGothic[] = "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

HFONT CreateLockFont(int height, const char* face)
{
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, face);
}

SIZE SizeOf(HWND control)
{
    RECT r = {};
    GetWindowRect(control, &r);
    return {r.right - r.left, r.bottom - r.top};
}

void Place(HWND control, int x, int y, int width = -1, int height = -1)
{
    const UINT keepSize = width < 0 ? SWP_NOSIZE : 0;
    SetWindowPos(control, nullptr, x, y, width, height, keepSize | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Centred horizontally under `above`, 10 pixels below its bottom edge.
void CenterBelow(HWND control, HWND above)
{
    const RECT anchor = ChildRect(above);
    const SIZE size = SizeOf(control);
    Place(control, anchor.left + (anchor.right - anchor.left) / 2 - size.cx / 2, anchor.bottom + 10);
}

} // namespace

void LayoutControls(HWND dialog, int width, int height)
{
    const HWND band = GetDlgItem(dialog, kBand);
    const HWND button = GetDlgItem(dialog, kExitButton);
    Place(GetDlgItem(dialog, kPicture), 0, 0, width, height);
    const int bandHeight = SizeOf(band).cy;
    const int bandTop = height - bandHeight;
    Place(band, 0, bandTop, width, bandHeight);
    const SIZE buttonSize = SizeOf(button);
    const int buttonX = width / 2 - buttonSize.cx / 2;
    const int buttonY = bandTop + bandHeight / 2 - buttonSize.cy / 2;
    Place(button, buttonX, buttonY);
    const int messageX = buttonX + buttonSize.cx + 60;
    Place(GetDlgItem(dialog, kMessage), messageX, buttonY, width - messageX, height - buttonY);
    CenterBelow(GetDlgItem(dialog, kExitLabel), button);
    const HWND logo = GetDlgItem(dialog, kLogo);
    Place(logo, (width / 100) * 3, bandTop + bandHeight / 2 - SizeOf(logo).cy / 2);
    PlaceClock(dialog, width, height);
}

std::string ClockText()
{
    char date[256] = {};
    char time[256] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, LOCALE_USE_CP_ACP, nullptr, nullptr, time, sizeof time);
    return std::string(date) + " " + time;
}

void PlaceClock(HWND dialog, int width, int height)
{
    const HWND clock = GetDlgItem(dialog, kClock);
    const std::string text = ClockText();
    SIZE extent = {0, 0};
    if (const HDC dc = GetDC(clock)) {
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(clock, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, old);
        ReleaseDC(clock, dc);
    }
    Place(clock, width - extent.cx - 5, height - extent.cy - 5, extent.cx, extent.cy);
    SetWindowTextA(clock, text.c_str());
}

HFONT CreateMessageFont()
{
    return CreateLockFont(21, kGothic);
}

HFONT CreateClockFont()
{
    return CreateLockFont(-12, kProportionalGothic);
}

HBRUSH ControlColours(HWND control, HDC dc)
{
    switch (GetDlgCtrlID(control)) {
    case kMessage:
    case kExitLabel:
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        break;
    case kClock:
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, kClockBackground);
        SetBkMode(dc, OPAQUE);
        break;
    default:
        return nullptr;
    }
    return GetSysColorBrush(COLOR_3DFACE);
}

} // namespace locklayout
