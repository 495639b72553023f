#include "common/ExecutableName.h"

#include "framework/Mbcs.h"

namespace exename {

bool IsLeadByte(unsigned char byte)
{
    return fw::IsLeadByte932(byte);
}

std::string UpperCase(std::string_view text)
{
    std::string result(text);
    for (std::size_t i = 0; i < result.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(result[i]);
        if (IsLeadByte(byte))
            ++i; // its trail byte may look like a letter
        else if (byte >= 'a' && byte <= 'z')
            result[i] = static_cast<char>(byte - 'a' + 'A');
    }
    return result;
}

std::size_t LastSeparator(std::string_view path)
{
    return fw::MbcsReverseFind(path, '\\');
}

std::string_view FileNamePart(std::string_view path)
{
    const std::size_t separator = LastSeparator(path);
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string_view FolderPart(std::string_view path)
{
    const std::size_t separator = LastSeparator(path);
    return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator + 1);
}

bool Matches(std::string_view processPath, std::string_view wanted)
{
    return UpperCase(FileNamePart(processPath)) == UpperCase(wanted);
}

bool HasExeExtension(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    return dot != std::string_view::npos && UpperCase(path.substr(dot + 1)) == "EXE";
}

} // namespace exename
