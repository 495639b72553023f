#include "TempFolder.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

} // namespace

CTempFolder::CTempFolder(const std::string& name)
{
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    m_path = std::string(temp) + "kv-" + name + "-" + std::to_string(GetCurrentProcessId());
    RemoveTree(m_path);
    if (!CreateDirectoryA(m_path.c_str(), nullptr))
        throw std::runtime_error("cannot create " + m_path);
}

CTempFolder::~CTempFolder()
{
    RemoveTree(m_path);
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), std::streamsize(text.size()));
}
