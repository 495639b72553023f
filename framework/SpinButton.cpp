#include "framework/SpinButton.h"

#include <commctrl.h>

namespace fw {

void SetUpNumberSpin(HWND edit, HWND spin, int maxChars, int lowest, int highest, int value)
{
    SendMessageA(edit, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
    SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(lowest), highest);
    SendMessageA(spin, UDM_SETPOS32, 0, value);
}

} // namespace fw
