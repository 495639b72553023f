#include "display/SystemKeyBlock.h"

#include "display/ScreenSaver.h"

CSystemKeyBlock::~CSystemKeyBlock()
{
    if (m_blocked)
        Unblock();
}

void CSystemKeyBlock::Block()
{
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, nullptr, 0);
    m_blocked = true;
    m_hook.Install(LockKeyboardProc, LockLowLevelKeyboardProc);
}

void CSystemKeyBlock::Unblock()
{
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, 0);
    m_blocked = false;
    m_hook.Remove();
}

bool CSystemKeyBlock::IsScreenSaverRunning() const
{
    if (!m_blocked) {
        BOOL running = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
        return running != FALSE;
    }
    return IsScreenSaverWindow(GetForegroundWindow());
}
