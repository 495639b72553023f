#include "display/ScreenSaver.h"

#include <string>

#include "common/PsapiLibrary.h"
#include "framework/Handle.h"

namespace {

inline void CloseKeyValue(HKEY key) { RegCloseKey(key); }
using unique_hkey = fw::unique_any<fw::null_is_empty<HKEY, CloseKeyValue>>;

// PROCESS_QUERY_LIMITED_INFORMATION: Vista and later.
constexpr DWORD kQueryLimited = 0x1000;

std::string ConfiguredScreenSaver()
{
    unique_hkey desktop;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, desktop.put()) != ERROR_SUCCESS)
        return {};
    char value[MAX_PATH] = {};
    DWORD type = 0, size = sizeof value - 1;  // a stored value need not end in a null
    if (RegQueryValueExA(desktop.get(), "SCRNSAVE.EXE", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    if (type == REG_SZ)
        return value;
    char expanded[MAX_PATH] = {};
    const DWORD length = ExpandEnvironmentStringsA(value, expanded, sizeof expanded);
    return length > 0 && length <= sizeof expanded ? expanded : "";
}

// QueryFullProcessImageName (Vista and later) also names a 64-bit process to a 32-bit
// one; the process status library's answer serves on XP.
std::string ProcessImage(DWORD processId)
{
    using Query = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(kernel ? GetProcAddress(kernel, "QueryFullProcessImageNameA") : nullptr));
    char image[MAX_PATH] = {};
    if (query) {
        const fw::unique_handle process(OpenProcess(kQueryLimited, FALSE, processId));
        DWORD length = sizeof image;
        return process && query(process.get(), 0, image, &length) ? std::string(image, length) : "";
    }
    CPsapiLibrary& psapi = CPsapiLibrary::Instance();
    const fw::unique_handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process || !psapi.Load())
        return {};
    const DWORD length = psapi.getModuleFileNameEx(process.get(), nullptr, image, sizeof image);
    return std::string(image, length < sizeof image ? length : 0);
}

// The settings may hold the short form of the path.
std::string LongPath(const std::string& path)
{
    char full[MAX_PATH] = {};
    const DWORD length = GetLongPathNameA(path.c_str(), full, sizeof full);
    return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

// The saver's own window: the top-level one of the class that the system's screen-saver
// library registers. Its settings box is a dialog, its preview a child of another window.
bool IsOfScreenSaverClass(HWND window)
{
    char name[32] = {};
    return GetAncestor(window, GA_PARENT) == GetDesktopWindow() && GetClassNameA(window, name, sizeof name) &&
           lstrcmpiA(name, "WindowsScreenSaverClass") == 0;
}

} // namespace

bool IsScreenSaverWindow(HWND window)
{
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId) || !IsOfScreenSaverClass(window))
        return false;
    const std::string configured = ConfiguredScreenSaver();
    if (configured.empty())
        return false;
    const std::string image = ProcessImage(processId);
    return !image.empty() && lstrcmpiA(LongPath(image).c_str(), LongPath(configured).c_str()) == 0;
}
