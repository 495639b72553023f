#include "common/SettingFileLock.h"

#include "framework/File.h"

namespace {

constexpr DWORD kRetryInterval = 20;
constexpr char kGlobalPrefix[] = "Global\\";

// Milliseconds left before `deadline` (a GetTickCount value), 0 once it has passed.
DWORD TimeLeft(DWORD deadline)
{
    const DWORD left = deadline - GetTickCount();
    return left <= CSettingFileLock::kTimeout ? left : 0;
}

// Windows NT and its successors; the high bit of the version word is set on Windows 9x.
bool HasSessions()
{
    return (GetVersion() & 0x80000000) == 0;
}

// The mutex made with the request's access list; with the default security where the
// list cannot be built (an unknown trustee), which denies other users until it is closed.
HANDLE CreateWithAccess(const CSettingFileLock::SMutexRequest& request)
{
    const fw::unique_hlocal acl =
        request.access.empty() ? fw::unique_hlocal() : CPathUtil::BuildAccessList(request.access);
    SECURITY_DESCRIPTOR descriptor;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    const bool secured = acl && InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                         SetSecurityDescriptorDacl(&descriptor, TRUE, static_cast<PACL>(acl.get()), FALSE);
    return CreateMutexA(secured ? &attributes : nullptr, FALSE, request.name.c_str());
}

} // namespace

CSettingFileLock::SMutexRequest CSettingFileLock::MutexRequest(bool hasSessions)
{
    if (!hasSessions)
        return {kMutexName, {}};
    constexpr DWORD kNoInheritance = 0;
    return {std::string(kGlobalPrefix) + kMutexName,
            {
                {"SYSTEM", MUTEX_ALL_ACCESS, kNoInheritance},
                {"Administrators", MUTEX_ALL_ACCESS, kNoInheritance},
                {"INTERACTIVE", kWaitAccess, kNoInheritance},
            }};
}

bool CSettingFileLock::RefusesGlobalName(DWORD error)
{
    return error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME;
}

bool CSettingFileLock::IsInUse()
{
    SMutexRequest request = MutexRequest(HasSessions());
    for (;;) {
        const fw::unique_handle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, request.name.c_str()));
        if (mutex)
            return true;
        const DWORD error = GetLastError();
        if (request.name == kMutexName || !RefusesGlobalName(error))
            return error == ERROR_ACCESS_DENIED;  // there, its access list denying this user
        request = MutexRequest(false);
    }
}

CSettingFileLock::CSettingFileLock(const std::string& path, DWORD timeout)
{
    const DWORD deadline = GetTickCount() + (timeout < kTimeout ? timeout : kTimeout);
    if (!GetMutex(deadline))
        fw::CFileException::ThrowOsError(path);
    const DWORD result = WaitForSingleObject(m_mutex.get(), TimeLeft(deadline));
    // An abandoned lock is free: the file is replaced in one step, so a saver that died
    // holding it left the old file or the new one whole.
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) {
        m_mutex.reset();
        fw::CFileException::ThrowOsError(path, result == WAIT_TIMEOUT ? ERROR_SHARING_VIOLATION : GetLastError());
    }
}

CSettingFileLock::~CSettingFileLock()
{
    ReleaseMutex(m_mutex.get());
}

// The mutex can be missing for a moment between a failed create and the open (its maker
// closed it meanwhile), and one made before this access list by another user or integrity
// level (an older program) may deny this one: either lasts only while the other program saves.
bool CSettingFileLock::GetMutex(DWORD deadline)
{
    SMutexRequest request = MutexRequest(HasSessions());
    for (;;) {
        if (CreateOrOpen(request))
            return true;
        const DWORD error = GetLastError();
        if (request.name != kMutexName && RefusesGlobalName(error)) {
            request = MutexRequest(false);  // one session: the plain name is the machine's
            continue;
        }
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_FILE_NOT_FOUND) || TimeLeft(deadline) == 0)
            return false;
        Sleep(kRetryInterval);
    }
}

bool CSettingFileLock::CreateOrOpen(const SMutexRequest& request)
{
    m_mutex.reset(CreateWithAccess(request));
    // CreateMutex opens an existing mutex with all access, which the list grants only to
    // the system and the administrators: every other user opens it to wait and release.
    if (!m_mutex && GetLastError() == ERROR_ACCESS_DENIED)
        m_mutex.reset(::OpenMutexA(kWaitAccess, FALSE, request.name.c_str()));
    return bool(m_mutex);
}
