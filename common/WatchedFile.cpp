#include "common/WatchedFile.h"

#include <fstream>
#include <iterator>

void CWatchedFile::Watch(std::string path)
{
    m_path = std::move(path);
    m_read = false;
}

bool CWatchedFile::Changed()
{
    std::ifstream file(m_path, std::ios::binary);
    std::string text;
    if (file)
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    const bool readable = static_cast<bool>(file);
    if (m_read && readable == m_readable && text == m_text)
        return false;
    m_read = true;
    m_readable = readable;
    m_text = std::move(text);
    return true;
}
