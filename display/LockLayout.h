#pragma once
// The lock display's layout, clock and colours, shared by the resident program's own
// display and the lock-screen program: both templates carry the same controls.
#include <windows.h>

#include <string>

namespace locklayout {

constexpr int kPicture = 1001;
constexpr int kBand = 1002;
constexpr int kExitButton = 1003;
constexpr int kExitLabel = 1004;
constexpr int kMessage = 1005;
constexpr int kClock = 1015;
constexpr int kLogo = 1021;

// The controls that "hide controls" hides, in its order.
constexpr int kHideableControls[] = {kClock, kMessage, kExitLabel, kExitButton, kBand, kLogo};

// Places the controls for a width x height display: the picture over all of it, the band
// along the bottom, the exit button in its middle with its label below, the message to the
// right of the button, the logo at the left, then the clock.
void LayoutControls(HWND dialog, int width, int height);

// The short date, a blank and the time, in the user's formats.
std::string ClockText();
// Puts the clock text into its control, sized to the text, 5 pixels in from the bottom
// right corner.
void PlaceClock(HWND dialog, int width, int height);

// The lock message's font (21 pixels, "ＭＳ ゴシック"), also the moving message's, and
// the moving message's clock font (12 pixels, "ＭＳ Ｐゴシック"). The caller owns them.
HFONT CreateMessageFont();
HFONT CreateClockFont();

// WM_CTLCOLORSTATIC: the message and the exit label black on the picture (transparent),
// the clock black on grey; null for the other controls (default colours).
HBRUSH ControlColours(HWND control, HDC dc);

} // namespace locklayout
