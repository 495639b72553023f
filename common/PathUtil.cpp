#include "common/PathUtil.h"

#include "common/ModulePath.h"

#include <aclapi.h>
#include <shlobj.h>

#include "common/PathText.h"
#include "framework/File.h"

namespace {

// Windows 9x has no access lists.
bool IsWin9xPlatform()
{
    return (GetVersion() & 0x80000000) != 0;
}

void FreeWithShellAllocator(LPITEMIDLIST items)
{
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator))) {
        allocator->Free(items);
        allocator->Release();
    }
}

} // namespace

bool CPathUtil::GetSpecialFolderPath(int csidl, std::string& path)
{
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items)
        return false;
    char buffer[512] = {};  // SHGetPathFromIDListA writes at most MAX_PATH bytes
    const BOOL found = SHGetPathFromIDListA(items, buffer);
    FreeWithShellAllocator(items);
    if (!found)
        return false;
    path = buffer;
    return true;
}

std::string CPathUtil::GetCompanyFolder()
{
    std::string folder;
    GetSpecialFolderPath(CSIDL_COMMON_APPDATA, folder);  // not found: the current drive's root
    return PathText::AppendBackslash(folder) + kMakerFolder;
}

std::string CPathUtil::GetSettingBaseFolder()
{
    return PathText::AppendBackslash(GetCompanyFolder()) + kProductFolder;
}

std::string CPathUtil::GetModulePath(HMODULE module)
{
    return modulepath::ReadWhole([module](char* buffer, unsigned long size) {
        return GetModuleFileNameA(module, buffer, size);
    });
}

std::string CPathUtil::RemovePathComponents(const std::string& path, int n)
{
    return PathText::RemovePathComponents(path, n);
}

std::string CPathUtil::GetModuleFolder(HMODULE module)
{
    return RemovePathComponents(GetModulePath(module), 1);
}

std::string CPathUtil::GetLockScreenPath()
{
    return PathText::AppendBackslash(GetModuleFolder(nullptr)) + kLockScreenProgram;
}

bool CPathUtil::CreateSettingBaseFolder()
{
    return CreateSecureFolder(GetSettingBaseFolder());
}

bool CPathUtil::CreateSecureFolder(const std::string& path)
{
    if (IsWin9xPlatform())
        return CreateFolderChain(path, nullptr);
    return CreateFolderWithAccess(path, SettingFolderAccess());
}

bool CPathUtil::CreateFolderChain(const std::string& path, SECURITY_ATTRIBUTES* attributes)
{
    BOOL result = TRUE;
    for (const std::string& folder : PathText::FolderChain(path)) {
        if (fw::CFile::Exists(folder))
            continue;
        result = CreateDirectoryA(folder.c_str(), folder == path ? attributes : nullptr);
    }
    return result != FALSE;
}

void CPathUtil::DeleteFileInFolder(const std::string& folder, const std::string& name)
{
    const std::string path = PathText::AppendBackslash(folder) + name;
    if (!DeleteFileA(path.c_str()))
        fw::CFileException::ThrowOsError(path);
}

std::vector<SFolderAccess> CPathUtil::SettingFolderAccess()
{
    constexpr DWORD kAllAccess = 0x1F01FF;             // FILE_ALL_ACCESS
    constexpr DWORD kAllButPermissions = 0x1301FF;     // without WRITE_DAC and WRITE_OWNER
    constexpr DWORD kInherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    constexpr DWORD kOwnerInherit = kInherit | NO_PROPAGATE_INHERIT_ACE | INHERIT_ONLY_ACE;
    return {
        {"CREATOR OWNER", kAllAccess, kOwnerInherit},
        {"SYSTEM", kAllAccess, kInherit},
        {"Administrators", kAllAccess, kInherit},
        {"INTERACTIVE", kAllButPermissions, kInherit},
    };
}

fw::unique_hlocal CPathUtil::BuildAccessList(const std::vector<SFolderAccess>& entries)
{
    std::vector<std::string> names;  // BuildExplicitAccessWithNameA keeps the pointers
    names.reserve(entries.size());
    std::vector<EXPLICIT_ACCESS_A> access(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        names.push_back(entries[i].trustee);
        BuildExplicitAccessWithNameA(&access[i], names.back().data(), entries[i].accessMask, SET_ACCESS,
                                     entries[i].inheritance);
    }
    PACL acl = nullptr;
    const DWORD error = SetEntriesInAclA(ULONG(access.size()), access.data(), nullptr, &acl);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return fw::unique_hlocal();
    }
    return fw::unique_hlocal(acl);
}

bool CPathUtil::CreateFolderWithAccess(const std::string& path, const std::vector<SFolderAccess>& entries)
{
    // Without the list the folder is not made at all: a NULL DACL would grant everyone everything.
    const fw::unique_hlocal acl = BuildAccessList(entries);
    if (!acl)
        return false;
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, static_cast<PACL>(acl.get()), FALSE))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    return CreateFolderChain(path, &attributes);
}
