// The configured screen saver, told by the program file of a window's process.
#include "display/ScreenSaver.h"

#include "framework/Handle.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>

namespace {

constexpr char kDesktop[] = "Control Panel\\Desktop";
constexpr char kScreenSaver[] = "SCRNSAVE.EXE";

// The user's SCRNSAVE.EXE for the test's length, set back as it was afterwards.
class CConfiguredScreenSaver {
public:
    CConfiguredScreenSaver() : m_saved(Read()) {}
    ~CConfiguredScreenSaver()
    {
        if (m_saved)
            Set(*m_saved);
        else
            Remove();
    }

    static void Set(const std::string& path)
    {
        const HKEY key = Desktop();
        RegSetValueExA(key, kScreenSaver, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
    }
    static void Remove()
    {
        const HKEY key = Desktop();
        RegDeleteValueA(key, kScreenSaver);
        RegCloseKey(key);
    }

private:
    static HKEY Desktop()
    {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kDesktop, 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key,
                        nullptr);
        return key;
    }
    static std::optional<std::string> Read()
    {
        const HKEY key = Desktop();
        char value[MAX_PATH] = {};
        DWORD size = sizeof value - 1;
        const LONG read = RegQueryValueExA(key, kScreenSaver, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
        RegCloseKey(key);
        return read == ERROR_SUCCESS ? std::optional<std::string>(value) : std::nullopt;
    }

    std::optional<std::string> m_saved;
};

// The class name of the system's screen savers' windows, registered here as any program can.
const char* ScreenSaverClass()
{
    WNDCLASSA saverClass{};
    saverClass.lpfnWndProc = DefWindowProcA;
    saverClass.hInstance = GetModuleHandleA(nullptr);
    saverClass.lpszClassName = "WindowsScreenSaverClass";
    RegisterClassA(&saverClass);  // a later call finds it registered
    return saverClass.lpszClassName;
}

std::string ThisProgram()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

std::string ShortForm(const std::string& path)
{
    char shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    return length ? std::string(shortPath, length) : path;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A window of the screen saver's class in this process stands for the screen saver's when
// this program is the one configured, however the settings spell its path; another program
// configured, or none, makes it no screen saver's.
TEST(ScreenSaver, OnlyTheConfiguredProgramsWindowIsTheScreenSavers)
{
    const CConfiguredScreenSaver restore;
    const fw::unique_hwnd window(CreateWindowExA(0, ScreenSaverClass(), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                                 GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(window);
    const std::string self = ThisProgram();
    const std::string folder = self.substr(0, self.find_last_of('\\'));
    const struct {
        const char* what;
        std::optional<std::string> configured;
        bool isScreenSaver;
    } cases[] = {
        {"this program", self, true},
        {"this program, its short path", ShortForm(self), true},
        {"this program, in capitals", Upper(self), true},
        {"another program", folder + "\\other.scr", false},
        {"this program's name in another folder", "C:\\" + self.substr(self.find_last_of('\\') + 1), false},
        {"nothing configured", std::nullopt, false},
        {"an empty setting", std::string(), false},
    };
    for (const auto& c : cases) {
        if (c.configured)
            CConfiguredScreenSaver::Set(*c.configured);
        else
            CConfiguredScreenSaver::Remove();
        EXPECT_EQ(c.isScreenSaver, IsScreenSaverWindow(window.get())) << c.what;
    }
    CConfiguredScreenSaver::Set(self);
    EXPECT_FALSE(IsScreenSaverWindow(nullptr));
}

// Anyone can start the configured saver's program: only its screen-saver window counts, not
// its settings box nor its preview (a window of the class inside another window).
TEST(ScreenSaver, TheConfiguredProgramsOtherWindowsAreNoScreenSaver)
{
    const CConfiguredScreenSaver restore;
    CConfiguredScreenSaver::Set(ThisProgram());
    const fw::unique_hwnd settingsBox(
        CreateWindowExA(0, "#32770", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(settingsBox);
    EXPECT_FALSE(IsScreenSaverWindow(settingsBox.get()));
    const HWND preview = CreateWindowExA(0, ScreenSaverClass(), "", WS_CHILD, 0, 0, 5, 5, settingsBox.get(), nullptr,
                                         GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(preview);  // destroyed with the settings box
    EXPECT_FALSE(IsScreenSaverWindow(preview));
}

} // namespace
