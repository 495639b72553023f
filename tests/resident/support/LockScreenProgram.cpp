#include "tests/resident/support/LockScreenProgram.h"

#include <tlhelp32.h>

#include <fstream>
#include <optional>

#include "common/ProcessFinder.h"
#include "framework/Handle.h"

namespace {

constexpr int kPictureControl = 1001;
constexpr int kCoverPicture = 1015;  // a cover dialog's picture (the display's clock has this id too)
constexpr int kPasswordText = 1012;

} // namespace

CWineProgramVersion::CWineProgramVersion(std::string executable, const char* version)
    : m_keyPath("Software\\Wine\\AppDefaults\\" + executable)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    m_set = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                           static_cast<DWORD>(std::char_traits<char>::length(version) + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
}

CWineProgramVersion::~CWineProgramVersion()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, m_keyPath.c_str());
}

DWORD FindLockScreenProcess(DWORD except)
{
    const fw::unique_hfile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, "Marrowpane.exe") == 0 && entry.th32ProcessID != except)
            return entry.th32ProcessID;
    }
    return 0;
}

HWND FindLockScreenWindow(DWORD processId)
{
    for (const HWND window : CProcessFinder().EnumProcessWindows(processId)) {
        if (GetDlgItem(window, kPictureControl))
            return window;
    }
    return nullptr;
}

std::vector<HWND> VisibleWindowsWith(DWORD processId, int id, int without)
{
    std::vector<HWND> found;
    for (const HWND window : CProcessFinder().EnumProcessWindows(processId)) {
        if (IsWindowVisible(window) && GetDlgItem(window, id) && !(without && GetDlgItem(window, without)))
            found.push_back(window);
    }
    return found;
}

HWND OpenLockScreenPasswordDialog(DWORD processId)
{
    PostMessageA(FindLockScreenWindow(processId), WM_LBUTTONUP, MK_CONTROL | MK_SHIFT, MAKELPARAM(40, 40));
    WaitFor([&] { return !VisibleWindowsWith(processId, kPasswordText).empty(); });
    const std::vector<HWND> dialogs = VisibleWindowsWith(processId, kPasswordText);
    return dialogs.empty() ? nullptr : dialogs.front();
}

void TypeLockScreenPassword(HWND dialog, const char* text)
{
    SetDlgItemTextA(dialog, kPasswordText, text);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

bool IsLockScreenCovering(DWORD processId, const RECT& area, COLORREF colour)
{
    const HWND window = FindLockScreenWindow(processId);
    RECT rect{};
    if (!window || !IsWindowVisible(window) || !GetWindowRect(window, &rect) || !EqualRect(&rect, &area) ||
        !(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST))
        return false;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const POINT samples[] = {{20, 20}, {width - 20, 20}, {width / 2, height / 3}, {width / 4, height / 2}};
    for (const POINT& p : samples) {
        if (ScreenPixel(area.left + p.x, area.top + p.y) != colour)
            return false;
    }
    return true;
}

bool IsLockScreenHidden(DWORD processId)
{
    const HWND window = FindLockScreenWindow(processId);
    return window && !IsWindowVisible(window) && VisibleWindowsWith(processId, kCoverPicture, kPictureControl).empty();
}

void WriteSolidBitmap(const std::string& path, COLORREF colour)
{
    const int width = 32, height = 32;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + width * height * 3;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    const char pixel[3] = {static_cast<char>(GetBValue(colour)), static_cast<char>(GetGValue(colour)),
                           static_cast<char>(GetRValue(colour))};
    for (int i = 0; i < width * height; ++i)
        out.write(pixel, 3);
}

COLORREF ScreenPixel(int x, int y)
{
    const HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeout)
{
    for (const DWORD start = GetTickCount(); GetTickCount() - start < timeout; Sleep(20)) {
        if (done())
            return true;
    }
    return done();
}

const char* ScreenSaverClass()
{
    WNDCLASSA saverClass{};
    saverClass.lpfnWndProc = DefWindowProcA;
    saverClass.hInstance = GetModuleHandleA(nullptr);
    saverClass.lpszClassName = "WindowsScreenSaverClass";
    RegisterClassA(&saverClass);  // a later call finds it registered
    return saverClass.lpszClassName;
}

namespace {

constexpr char kDesktopSettings[] = "Control Panel\\Desktop";
constexpr char kScreenSaverSetting[] = "SCRNSAVE.EXE";

// The user's desktop settings, open for this step.
class CDesktopSettings {
public:
    CDesktopSettings()
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopSettings, 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr,
                        &m_key, nullptr);
    }
    CDesktopSettings(const CDesktopSettings&) = delete;
    CDesktopSettings& operator=(const CDesktopSettings&) = delete;
    ~CDesktopSettings() { RegCloseKey(m_key); }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

void SetScreenSaverSetting(const std::string& value)
{
    RegSetValueExA(CDesktopSettings().Get(), kScreenSaverSetting, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
}

} // namespace

CThisProgramAsScreenSaver::CThisProgramAsScreenSaver()
{
    char value[MAX_PATH] = {};
    DWORD size = sizeof value - 1;
    m_hadSetting = RegQueryValueExA(CDesktopSettings().Get(), kScreenSaverSetting, nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS;
    m_saved = value;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    SetScreenSaverSetting(self);
}

CThisProgramAsScreenSaver::~CThisProgramAsScreenSaver()
{
    if (m_hadSetting)
        SetScreenSaverSetting(m_saved);
    else
        RegDeleteValueA(CDesktopSettings().Get(), kScreenSaverSetting);
}

COtherProgramWindow::COtherProgramWindow(bool visible, const char* className)
{
    const fw::unique_handle created(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_thread = std::thread([this, visible, className, event = created.get()] { Serve(visible, className, event); });
    WaitForSingleObject(created.get(), 10000);
}

COtherProgramWindow::~COtherProgramWindow()
{
    Destroy();
    PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
    m_thread.join();
}

void COtherProgramWindow::Serve(bool visible, const char* className, HANDLE created)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for the WM_QUIT
    m_threadId = GetCurrentThreadId();
    m_window = CreateWindowExA(visible ? WS_EX_TOPMOST | WS_EX_TOOLWINDOW : 0, className, "other program", WS_POPUP,
                               100, 100, 200, 120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (visible)
        SetWindowPos(m_window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetEvent(created);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
}

void COtherProgramWindow::TakeForeground() const
{
    SetWindowPos(m_window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(m_window);
}

void COtherProgramWindow::Destroy()
{
    if (m_window)
        SendMessageA(m_window, WM_CLOSE, 0, 0);  // the window's own thread destroys it
    m_window = nullptr;
}

COtherProgramBox::COtherProgramBox(HWND owner)
{
    const fw::unique_handle started(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_thread = std::thread([this, owner, event = started.get()] {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for the WM_QUIT
        m_threadId = GetCurrentThreadId();
        SetEvent(event);
        MessageBoxA(owner, "another program's notice", "other program", MB_OK);
    });
    WaitForSingleObject(started.get(), 10000);
    // The thread has other windows than the box (an input method's, under Wine).
    WaitFor([&] {
        EnumThreadWindows(
            m_threadId,
            [](HWND window, LPARAM found) {
                char name[16] = {};
                if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0) {
                    *reinterpret_cast<HWND*>(found) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&m_box));
        return m_box != nullptr;
    }, 5000);
}

COtherProgramBox::~COtherProgramBox()
{
    PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);  // ends the box's modal loop, shown or not
    m_thread.join();
}

bool IsLetGo(HWND window, const std::vector<HWND>& lockWindows)
{
    if (!window || !IsWindow(window))
        return true;
    for (const HWND lock : lockWindows) {
        if (GetWindow(window, GW_OWNER) == lock || GetAncestor(window, GA_ROOT) == lock ||
            (IsWindowVisible(window) && !IsAbove(lock, window)))
            return false;
    }
    return true;
}

void MakeInvisibleToClicks(HWND window)
{
    AddExtendedStyle(window, WS_EX_LAYERED | WS_EX_TRANSPARENT);
    SetLayeredWindowAttributes(window, 0, 0, LWA_ALPHA);
}

void ClipAway(HWND window)
{
    SetWindowRgn(window, CreateRectRgn(0, 0, 0, 0), TRUE);  // the window owns the region from here on
}

void AddExtendedStyle(HWND window, LONG_PTR style)
{
    SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | style);
}

bool IsAbove(HWND upper, HWND lower)
{
    if (!IsWindowVisible(upper) || !IsWindowVisible(lower))
        return false;
    for (HWND window = GetWindow(upper, GW_HWNDNEXT); window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (window == lower)
            return true;
    }
    return false;
}

bool IsHeldAsShown(HWND window)
{
    const LONG_PTR extended = GetWindowLongPtrA(window, GWL_EXSTYLE);
    RECT region{};
    return GetAncestor(window, GA_PARENT) == GetDesktopWindow() && (extended & WS_EX_TOPMOST) &&
           !(extended & (WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE)) && IsWindowEnabled(window) &&
           GetWindowRgnBox(window, &region) == ERROR;
}

std::string ScreenSaverCasesGoneWrong(HWND display, HWND other)
{
    const struct {
        const char* what;
        bool configured;  // this program stands in for the configured saver
        const char* className;
        bool standsAside;
    } cases[] = {
        {"the saver's class in another program", false, ScreenSaverClass(), false},
        {"the configured saver's settings box", true, "STATIC", false},
        {"the configured saver's own window", true, ScreenSaverClass(), true},
    };
    std::string wrong;
    for (const auto& c : cases) {
        std::optional<CThisProgramAsScreenSaver> configured;
        if (c.configured)
            configured.emplace();
        const COtherProgramWindow saver(true, c.className);
        saver.TakeForeground();
        if (!WaitFor([&] { return GetForegroundWindow() == saver.Get(); })) {
            wrong += std::string(c.what) + ": never in front\n";
            continue;
        }
        const auto raised = [&] { return IsAbove(display, other) && IsAbove(display, saver.Get()); };
        if (c.standsAside ? WaitFor(raised, 3000) : !WaitFor(raised, 5000))
            wrong += std::string(c.what) + (c.standsAside ? ": not stood aside for\n" : ": not covered again\n");
    }
    return wrong;
}
