#include "utility/FileBrowse.h"

#include <commdlg.h>

#include <vector>

#include "framework/ResourceText.h"
#include "utility/resource.h"

namespace {

constexpr size_t kFileBufferSize = 512;

} // namespace

std::optional<std::string> BrowseForFile(HWND owner, UINT filterTextId, const char* pattern, const std::string& seed,
                                         const std::string& folder)
{
    const std::string title = fw::LoadText(IDS_BROWSE_TITLE);
    std::string filter = fw::LoadText(filterTextId);
    filter += '\0';
    filter += pattern;
    filter += '\0';
    std::vector<char> file(kFileBufferSize, '\0');
    if (seed.size() < kFileBufferSize)
        seed.copy(file.data(), seed.size());
    OPENFILENAMEA box{};
    box.lStructSize = sizeof box;
    box.hwndOwner = owner;
    box.lpstrFilter = filter.c_str();
    box.lpstrFile = file.data();
    box.nMaxFile = static_cast<DWORD>(file.size());
    box.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    box.lpstrTitle = title.c_str();
    box.Flags = OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&box))
        return std::nullopt;
    return std::string(file.data());
}
