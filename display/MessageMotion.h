#pragma once
// The motion of the moving message, tick by tick: each pass starts at the right edge on a
// random row and moves the text 20 pixels to the left every (11 - speed) ticks until it
// has left the window; drawing is the window's.
class CMessageMotion {
public:
    static constexpr int kStep = 20;
    static constexpr int kLeftMargin = 25;

    // The window and the message's extent in pixels; an empty message still repaints the
    // window once per pass.
    void SetSizes(int width, int height, int textWidth, int textHeight);
    void SetSpeed(int speed) { m_speed = speed; }

    // Where the message is drawn on a tick, if at all.
    struct SDraw {
        bool draw = false;
        int x = 0;
        int y = 0;
    };

    // One timer tick; `random` picks the row when a pass starts.
    SDraw Tick(unsigned random, bool emptyMessage);

    int X() const { return m_x; }
    int Y() const { return m_y; }
    int State() const { return m_state; }
    bool FullRedraw() const { return m_fullRedraw; }
    void RequestFullRedraw() { m_fullRedraw = true; }
    void FullRedrawDone() { m_fullRedraw = false; }

    // The row of a new pass: a random one where the whole line fits, else the top row.
    static int ChooseRow(unsigned random, int height, int textHeight);

private:

    int m_width = 100;
    int m_height = 100;
    int m_textWidth = 0;
    int m_textHeight = 0;
    int m_x = 0;
    int m_y = 0;
    int m_speed = 2;
    int m_wait = 0;
    int m_state = 0;
    bool m_fullRedraw = true;
};
