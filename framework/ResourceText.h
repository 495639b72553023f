#pragma once
// String resources of the program's own module, and message boxes made of them.
#include <windows.h>

#include <string>

namespace fw {

// Empty when the string does not exist.
std::string LoadText(UINT id);
// The system message box with the text and caption of these string ids.
int ShowMessage(HWND owner, UINT textId, UINT captionId, UINT type);

} // namespace fw
