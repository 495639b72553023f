#pragma once
// The names a loaded DLL exports, read from its export directory as a caller's
// GetProcAddress sees them.
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// Sorted; empty when the module has no export directory.
std::vector<std::string> ExportedNames(HMODULE module);

} // namespace testsupport
