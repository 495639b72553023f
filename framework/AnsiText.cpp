#include "framework/AnsiText.h"

#include <windows.h>

#include <vector>

namespace fw {

std::string AnsiFromUtf8(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::vector<wchar_t> text(static_cast<size_t>(wide > 0 ? wide : 0));
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), wide);
    const int ansi = WideCharToMultiByte(CP_ACP, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(ansi > 0 ? ansi : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), wide, result.data(), ansi, nullptr, nullptr);
    return result;
}

} // namespace fw
