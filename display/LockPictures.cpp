#include "display/LockPictures.h"

#include "common/LockSetting.h"
#include "lockcore/LockScreen.h"
#include "display/DisplayResource.h"
#include "display/PictureStatic.h"

HBITMAP LoadLockDisplayPicture(const std::string& path, UINT fallback)
{
    HBITMAP picture = nullptr;
    if (!path.empty())
        picture = static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!picture)
        picture = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(fallback));
    return picture;
}

void CLockPictures::Reload(const CLockSetting& settings, CPictureStatic& control)
{
    control.ClearPicture(false);
    m_lock.reset(LoadLockDisplayPicture(settings.LockBmpFilePath, IDB_LOCK_PICTURE));
    m_alarm1.reset(LoadLockDisplayPicture(settings.AlarmSetting.AlarmBmpPath1, IDB_ALARM_PICTURE1));
    m_alarm2.reset(LoadLockDisplayPicture(settings.AlarmSetting.AlarmBmpPath2, IDB_ALARM_PICTURE2));
}

void CLockPictures::Show(int picture, CPictureStatic& control, int width, int height) const
{
    if (picture == PICTURE_ALARM1)
        control.SetBitmap(static_cast<HBITMAP>(m_alarm1.get()), false);
    else if (picture == PICTURE_ALARM2)
        control.SetBitmap(static_cast<HBITMAP>(m_alarm2.get()), false);
    else
        control.SetBitmap(static_cast<HBITMAP>(m_lock.get()), true);
    SetWindowPos(control.GetSafeHwnd(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
