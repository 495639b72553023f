#pragma once
// An up-down control that sets the number of its buddy edit.
#include <windows.h>

namespace fw {

// The edit takes at most `maxChars` characters; the control's buddy is the edit, its
// range lowest..highest and its position `value`.
void SetUpNumberSpin(HWND edit, HWND spin, int maxChars, int lowest, int highest, int value);

} // namespace fw
