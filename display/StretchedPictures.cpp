#include "display/StretchedPictures.h"

#include <algorithm>

#include "display/DisplayResource.h"
#include "display/LockPictures.h"
#include "display/PictureStatic.h"
#include "framework/Handle.h"

SharedBitmap CStretchedPictures::Get(const std::string& path, int width, int height)
{
    const SFileStamp stamp = StampOf(path);
    std::erase_if(m_entries, [&](const SEntry& entry) { return entry.path != path || !(entry.stamp == stamp); });
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const SEntry& entry) {
        return entry.width == width && entry.height == height;
    });
    if (found != m_entries.end())
        return found->picture;
    SharedBitmap picture = Make(path, width, height);
    if (picture)
        m_entries.push_back({path, stamp, width, height, picture});
    return picture;
}

CStretchedPictures::SFileStamp CStretchedPictures::StampOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return {};
    return {(ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime,
            (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow};
}

SharedBitmap CStretchedPictures::Make(const std::string& path, int width, int height)
{
    const fw::unique_hgdiobj source(LoadLockDisplayPicture(path, IDB_LOCK_PICTURE));
    const HDC screen = GetDC(nullptr);
    if (!screen)
        return nullptr;
    const HBITMAP stretched = StretchHalftone(static_cast<HBITMAP>(source.get()), screen, width, height);
    ReleaseDC(nullptr, screen);
    if (!stretched)
        return nullptr;
    return SharedBitmap(stretched, [](HBITMAP bitmap) { DeleteObject(bitmap); });
}
