#include "common/PathText.h"

#include "framework/Mbcs.h"

namespace PathText {

namespace {

bool IsBareDrive(std::string_view path)
{
    return path.size() == 2 && path[1] == ':';
}

void DropOneTrailingBackslash(std::string& path)
{
    if (fw::MbcsEndsWith(path, '\\'))
        path.pop_back();
}

// Drive and directory of a path (what the runtime's path splitter gives): up to
// and including the last "\" or "/", else the drive alone.
std::string DriveAndDirectory(const std::string& path)
{
    const std::size_t separator = fw::MbcsFindLastOf(path, "\\/");
    if (separator != std::string::npos)
        return path.substr(0, separator + 1);
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
}

} // namespace

std::string AppendBackslash(std::string path)
{
    if (!fw::MbcsEndsWith(path, '\\'))
        path += '\\';
    return path;
}

std::string RemovePathComponents(std::string path, int n)
{
    DropOneTrailingBackslash(path);
    for (; n > 0 && !path.empty(); --n) {
        path = DriveAndDirectory(path);
        DropOneTrailingBackslash(path);
    }
    if (IsBareDrive(path))
        path += '\\';
    return path;
}

std::string FileName(std::string_view path)
{
    const std::size_t separator = fw::MbcsFindLastOf(path, "\\/:");
    return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::vector<std::string> FolderChain(std::string_view path)
{
    std::string work(path);
    while (fw::MbcsEndsWith(work, '\\'))
        work.pop_back();
    work += '\\';

    std::vector<std::string> chain;
    for (std::size_t i = 0; i < work.size(); ++i) {
        if (fw::IsLeadByte932(static_cast<unsigned char>(work[i]))) {
            ++i;
            continue;
        }
        if (i == 0 || work[i] != '\\')
            continue;
        std::string prefix = work.substr(0, i);
        if (!IsBareDrive(prefix))
            chain.push_back(std::move(prefix));
    }
    return chain;
}

} // namespace PathText
