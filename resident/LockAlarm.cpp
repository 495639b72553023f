// The main window's side of the alarm: key-ups and clicks on the locked display go to
// the lock-display interface as events, which come back as commands to be counted.
#include "resident/LockMainDialog.h"

#include "lockcore/LockScreen.h"

bool CLockMainDialog::CanCountAlarmEvent() const
{
    return m_alarm.CanCountAlarmEvent(m_lockDisplay.Dialogs().IsAnyOpen());
}

void CLockMainDialog::OnKeyReleased()
{
    if (CanCountAlarmEvent())
        m_display->KeyEvent();
}

void CLockMainDialog::OnButtonUp()
{
    if (CanCountAlarmEvent())
        m_display->MouseEvent();
}
