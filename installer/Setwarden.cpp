// The exports an installer calls. Each takes three pointer-size arguments (32 bits in the
// shipped 32-bit library), of which it uses at most one, and returns an int; the names are
// undecorated (Setwarden.def). Only Uninstall reports anything: every other export
// returns 0, whatever the file system said.
#include <windows.h>

#include "common/PathUtil.h"
#include "installer/ImageFolder.h"
#include "installer/InstallerApp.h"

extern "C" {

int WINAPI Uninstall(HWND owner, LPARAM, LPARAM)
{
    try {
        return CInstallerApp().Uninstall(owner);
    } catch (...) {
        return CInstallerApp::kRefused;  // nothing escapes into the installer
    }
}

int WINAPI CreateImageFolder(LPARAM, LPARAM, LPARAM)
{
    CImageFolder::OfThisMachine().Create();
    return 0;
}

int WINAPI CopyImageFile(LPARAM, LPARAM, const char* source)
{
    CImageFolder::OfThisMachine().CopyIn(source);
    return 0;
}

int WINAPI DelImageFile(LPARAM, LPARAM, const char* path)
{
    CImageFolder::OfThisMachine().Delete(path);
    return 0;
}

int WINAPI DeleteImageFolder(LPARAM, LPARAM, LPARAM)
{
    CImageFolder::OfThisMachine().Remove();
    return 0;
}

int WINAPI CreateSettingBaseFolder(LPARAM, LPARAM, LPARAM)
{
    CPathUtil::CreateSettingBaseFolder();
    return 0;
}

} // extern "C"
