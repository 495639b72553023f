#include "installer/ImageFolder.h"

#include <windows.h>

#include "common/PathText.h"
#include "common/PathUtil.h"
#include "common/PictureFolder.h"

CImageFolder CImageFolder::OfThisMachine()
{
    return CImageFolder(GetPictureFolder());
}

void CImageFolder::Create() const
{
    if (!m_folder.empty())
        CPathUtil::CreateFolderChain(m_folder, nullptr);
}

void CImageFolder::CopyIn(const char* source) const
{
    const std::string target = Target(source);
    if (!target.empty())
        CopyFileA(source, target.c_str(), FALSE);
}

void CImageFolder::Delete(const char* path) const
{
    const std::string target = Target(path);
    if (!target.empty())
        DeleteFileA(target.c_str());
}

void CImageFolder::Remove() const
{
    if (!m_folder.empty())
        RemoveDirectoryA(m_folder.c_str());
}

std::string CImageFolder::Target(const char* path) const
{
    if (m_folder.empty() || !path || !*path)
        return {};
    const std::string name = PathText::FileName(path);
    return name.empty() ? std::string() : PathText::AppendBackslash(m_folder) + name;
}
