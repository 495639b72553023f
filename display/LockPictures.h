#pragma once
// The lock display's three pictures: the lock picture and the two alarm pictures, each
// the settings' file or, when there is no path or the file does not load, the program's
// own bitmap (131, 160, 163).
#include <windows.h>

#include <string>

#include "framework/Handle.h"

class CLockSetting;
class CPictureStatic;

// The picture file as a DIB section; when the path is empty or the file does not load,
// bitmap `fallback` of the program. The caller deletes it.
HBITMAP LoadLockDisplayPicture(const std::string& path, UINT fallback);

class CLockPictures {
public:
    // Loads them again from the settings; the picture control lets go of the old one first.
    void Reload(const CLockSetting& settings, CPictureStatic& control);
    // Shows picture `picture` (PICTURE_*; any other value is the lock picture) over the
    // whole width x height display. The lock picture is stretched once for the display,
    // an alarm picture at each paint.
    void Show(int picture, CPictureStatic& control, int width, int height) const;

private:
    fw::unique_hgdiobj m_lock;
    fw::unique_hgdiobj m_alarm1;
    fw::unique_hgdiobj m_alarm2;
};
