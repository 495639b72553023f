#pragma once
// The utility's file box for pictures and sounds ("参照").
#include <windows.h>

#include <optional>
#include <string>

// The chosen file, or nothing after Cancel. `seed` starts the box when it fits its
// 512-character buffer (a longer one is left out rather than overflowing it); an empty
// `folder` lets the box choose where to start.
std::optional<std::string> BrowseForFile(HWND owner, UINT filterTextId, const char* pattern, const std::string& seed,
                                         const std::string& folder);
