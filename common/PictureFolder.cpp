#include "common/PictureFolder.h"

#include <windows.h>

#include <shlobj.h>

#include "common/OSVersion.h"
#include "common/PathText.h"
#include "common/PathUtil.h"

int PictureShellFolderFor(int releaseFlag)
{
    return (releaseFlag & ~kMyPicturesReleases) == 0 ? CSIDL_MYPICTURES : CSIDL_PERSONAL;
}

std::string GetPictureFolder()
{
    std::string shellFolder;
    if (!CPathUtil::GetSpecialFolderPath(PictureShellFolderFor(COSVersion().Flag()), shellFolder) ||
        shellFolder.empty())
        return {};
    return PathText::AppendBackslash(shellFolder) + CPathUtil::kProductFolder;
}
