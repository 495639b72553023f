#include "display/MovingMessageWnd.h"

#include "display/DisplayResource.h"
#include "display/LockLayout.h"
#include "display/TopmostWindowList.h"

#include <cstdlib>
#include <ctime>

namespace {

constexpr COLORREF kTextColour = RGB(255, 255, 255);
constexpr COLORREF kBackground = RGB(0, 0, 0);
constexpr int kSpeed = 2;

// A memory bitmap of one size drawn with one font, white on black, then copied out.
class COffscreen {
public:
    COffscreen(HDC target, int width, int height, HGDIOBJ font)
        : m_target(target), m_dc(CreateCompatibleDC(target)),
          m_bitmap(CreateCompatibleBitmap(target, width, height)), m_width(width), m_height(height)
    {
        if (!Ready())
            return;
        m_oldBitmap = SelectObject(m_dc, m_bitmap.get());
        m_oldFont = SelectObject(m_dc, font);
        const RECT all = {0, 0, width, height};
        SetBkColor(m_dc, kBackground);
        ExtTextOutA(m_dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);  // fills with the background
        SetTextColor(m_dc, kTextColour);
    }
    ~COffscreen()
    {
        if (!m_dc)
            return;
        if (m_oldBitmap) {
            SelectObject(m_dc, m_oldFont);
            SelectObject(m_dc, m_oldBitmap);
        }
        DeleteDC(m_dc);
    }
    COffscreen(const COffscreen&) = delete;
    COffscreen& operator=(const COffscreen&) = delete;

    bool Ready() const { return m_dc && m_bitmap; }
    void Text(int x, int y, const std::string& text)
    {
        TextOutA(m_dc, x, y, text.c_str(), static_cast<int>(text.size()));
    }
    void CopyTo(int x, int y) { BitBlt(m_target, x, y, m_width, m_height, m_dc, 0, 0, SRCCOPY); }

private:
    HDC m_target;
    HDC m_dc;
    fw::unique_hgdiobj m_bitmap;
    int m_width;
    int m_height;
    HGDIOBJ m_oldBitmap = nullptr;
    HGDIOBJ m_oldFont = nullptr;
};

SIZE TextExtent(HDC dc, HGDIOBJ font, const std::string& text)
{
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    return size;
}

} // namespace

CMovingMessageWnd::CMovingMessageWnd(CTopmostWindowList& topmost) : m_topmost(topmost)
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
}

// The window goes while this object still handles its WM_DESTROY.
CMovingMessageWnd::~CMovingMessageWnd()
{
    Destroy();
}

bool CMovingMessageWnd::Create(int cx, int cy, HWND parent)
{
    m_width = cx;
    m_height = cy;
    if (!CWindow::Create("KvMovingMessage", "", WS_POPUP | WS_DISABLED, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, parent))
        return false;
    SetWindowPos(GetHwnd(), nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

LRESULT CMovingMessageWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (DefaultProc(message, wParam, lParam) == -1)
            return -1;
        return OnCreate();
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_TIMER:
        if (wParam == TIMER_MESSAGE_MOVE)
            OnTimer();
        break;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // every drawing paints the whole area it covers
    case WM_SETCURSOR:
        SetCursor(m_cursor);
        return TRUE;
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

LRESULT CMovingMessageWnd::OnCreate()
{
    if (!m_clockFont)
        m_clockFont.reset(locklayout::CreateClockFont());
    if (!m_timer)
        m_timer = SetTimer(GetHwnd(), TIMER_MESSAGE_MOVE, 1, nullptr);
    MeasureMessage();
    m_motion.RequestFullRedraw();
    ShowWindow(GetHwnd(), SW_SHOW);
    m_cursor = static_cast<HCURSOR>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_BLANK_CURSOR), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
    m_topmost.Add(GetHwnd());
    return 0;
}

void CMovingMessageWnd::OnDestroy()
{
    if (m_cursor)
        DestroyCursor(m_cursor);
    m_cursor = nullptr;
    m_messageFont.reset();
    m_clockFont.reset();
    if (m_timer)
        KillTimer(GetHwnd(), m_timer);
    m_timer = 0;
    m_topmost.Remove(GetHwnd());
}

void CMovingMessageWnd::MeasureMessage()
{
    if (!m_messageFont)
        m_messageFont.reset(locklayout::CreateMessageFont());
    const HDC dc = GetDC(GetHwnd());
    const SIZE extent = dc ? TextExtent(dc, m_messageFont.get(), m_message) : SIZE{0, 0};
    if (dc)
        ReleaseDC(GetHwnd(), dc);
    m_textWidth = extent.cx;
    m_textHeight = extent.cy;
    m_motion.SetSizes(m_width, m_height, m_textWidth, m_textHeight);
    m_motion.SetSpeed(kSpeed);
}

void CMovingMessageWnd::OnTimer()
{
    SetCursor(m_cursor);
    const HDC dc = GetDC(GetHwnd());
    const CMessageMotion::SDraw draw = m_motion.Tick(static_cast<unsigned>(std::rand()), m_message.empty());
    if (draw.draw) {
        DrawMessage(dc, draw.x, draw.y);
        m_clockOn = true;
    }
    if (m_clockOn)
        DrawClock(dc);
    if (dc)
        ReleaseDC(GetHwnd(), dc);
}

// A full repaint covers the window; otherwise only the message's row is drawn again,
// which also erases its previous position.
void CMovingMessageWnd::DrawMessage(HDC dc, int x, int y)
{
    if (!dc)
        return;
    if (m_motion.FullRedraw()) {
        COffscreen canvas(dc, m_width, m_height, m_messageFont.get());
        if (!canvas.Ready())
            return;
        canvas.Text(x, y, m_message);
        canvas.CopyTo(0, 0);
        m_motion.FullRedrawDone();
        return;
    }
    COffscreen row(dc, m_width, m_textHeight, m_messageFont.get());
    if (!row.Ready())
        return;
    row.Text(x, 0, m_message);
    row.CopyTo(0, y);
}

void CMovingMessageWnd::DrawClock(HDC dc)
{
    if (!dc)
        return;
    const std::string text = locklayout::ClockText();
    const SIZE size = TextExtent(dc, m_clockFont.get(), text);
    COffscreen clock(dc, size.cx, size.cy, m_clockFont.get());
    if (!clock.Ready())
        return;
    clock.Text(0, 0, text);
    clock.CopyTo(m_width - size.cx - 5, m_height - size.cy - 5);
}

// A paint in the middle of a pass redraws the message where it is; the next step then
// repaints the whole window.
void CMovingMessageWnd::OnPaint()
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(GetHwnd(), &paint);
    if (!m_motion.FullRedraw())
        DrawMessage(dc, m_motion.X(), m_motion.Y());
    m_motion.RequestFullRedraw();
    EndPaint(GetHwnd(), &paint);
}
