#pragma once
// The folders of the system: the settings folder under the common application-data
// folder (created with its own access list), the running module's folder and the
// lock-screen program beside it.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handle.h"

// One explicit-access entry of a folder's access list, its trustee given by name.
struct SFolderAccess {
    std::string trustee;
    DWORD accessMask;
    DWORD inheritance;
};

class CPathUtil {
public:
    static constexpr const char* kMakerFolder = "Quorvanter";
    static constexpr const char* kProductFolder = "Kelvrane for Morlindex";
    static constexpr const char* kLockScreenProgram = "Marrowpane.EXE";

    virtual ~CPathUtil() = default;

    // False (and `path` untouched) when the shell does not know the folder.
    static bool GetSpecialFolderPath(int csidl, std::string& path);
    static std::string GetCompanyFolder();
    static std::string GetSettingBaseFolder();
    // Any length; empty when the module's file name cannot be had. A null handle
    // means the program's own file.
    static std::string GetModulePath(HMODULE module);
    static std::string RemovePathComponents(const std::string& path, int n);
    static std::string GetModuleFolder(HMODULE module);
    static std::string GetLockScreenPath();

    static bool CreateSettingBaseFolder();
    // Creates the folder chain with the settings folder's access list on the last
    // folder. On NT, when that list cannot be built, fails and creates nothing.
    static bool CreateSecureFolder(const std::string& path);
    // Creates the missing folders from the root down; only the folder named by
    // `path` itself gets `attributes`. Reports the last creation's result.
    static bool CreateFolderChain(const std::string& path, SECURITY_ATTRIBUTES* attributes);

    // Deletes the file `name` in `folder` ("\" added unless the folder ends with one);
    // throws fw::CFileException when it cannot be removed.
    static void DeleteFileInFolder(const std::string& folder, const std::string& name);

    // The settings folder's entries: owners, the system and administrators in full,
    // the interactive user all but changing permissions and owner.
    static std::vector<SFolderAccess> SettingFolderAccess();
    // A new access list of exactly these entries; empty (last error set) on failure.
    static fw::unique_hlocal BuildAccessList(const std::vector<SFolderAccess>& entries);
    static bool CreateFolderWithAccess(const std::string& path, const std::vector<SFolderAccess>& entries);
};
