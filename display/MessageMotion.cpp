#include "display/MessageMotion.h"

void CMessageMotion::SetSizes(int width, int height, int textWidth, int textHeight)
{
    m_width = width;
    m_height = height;
    m_textWidth = textWidth;
    m_textHeight = textHeight;
}

int CMessageMotion::ChooseRow(unsigned random, int height, int textHeight)
{
    const int rows = height - textHeight;
    return rows > 0 ? static_cast<int>(random % static_cast<unsigned>(rows)) : 0;
}

// States: 0 just created, 1 a new pass, 2 waiting, 3 a step. An empty message is drawn
// only for the full repaint that starts each pass.
CMessageMotion::SDraw CMessageMotion::Tick(unsigned random, bool emptyMessage)
{
    SDraw result;
    switch (m_state) {
    case 0:
        m_state = 1;
        break;
    case 1:
        m_x = m_width;
        m_fullRedraw = true;
        m_y = ChooseRow(random, m_height, m_textHeight);
        m_state = 2;
        break;
    case 2:
        if (m_wait < 11 - m_speed) {
            ++m_wait;
        } else {
            m_wait = 0;
            m_state = 3;
        }
        break;
    default:
        result = {!emptyMessage || m_fullRedraw, m_x, m_y};
        m_x -= kStep;
        m_state = m_x >= -kLeftMargin - m_textWidth ? 2 : 1;
        break;
    }
    return result;
}
