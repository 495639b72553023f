#pragma once
// The lock display's screen saver: a borderless, disabled, top-most window over the lock
// display in which the lock message crosses from right to left, white on black, a new
// random row each pass, with the date and time in the bottom right corner. The mouse
// pointer is invisible while it exists. Every drawing goes through a memory bitmap and
// one BitBlt, so nothing flickers; between full repaints only the message's row is drawn.
#include "framework/Handle.h"
#include "framework/Window.h"
#include "display/MessageMotion.h"

#include <string>

class CTopmostWindowList;

class CMovingMessageWnd : public fw::CWindow {
public:
    static constexpr UINT_PTR TIMER_MESSAGE_MOVE = 0x2400;

    explicit CMovingMessageWnd(CTopmostWindowList& topmost);
    ~CMovingMessageWnd() override;

    // The owner sets the message before Create.
    void SetMessage(std::string message) { m_message = std::move(message); }
    // A cx x cy window at 0,0 owned by `parent` (none: the desktop); false on failure.
    bool Create(int cx, int cy, HWND parent);

    const CMessageMotion& Motion() const { return m_motion; }
    SIZE TextSize() const { return {m_textWidth, m_textHeight}; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnCreate();
    void OnDestroy();
    void OnTimer();
    void OnPaint();
    void MeasureMessage();
    void DrawMessage(HDC dc, int x, int y);
    void DrawClock(HDC dc);

    CTopmostWindowList& m_topmost;
    int m_width = 100;
    int m_height = 100;
    UINT_PTR m_timer = 0;
    std::string m_message;
    fw::unique_hgdiobj m_messageFont;
    fw::unique_hgdiobj m_clockFont;
    int m_textWidth = 0;
    int m_textHeight = 0;
    CMessageMotion m_motion;
    bool m_clockOn = false;
    HCURSOR m_cursor = nullptr;
};
