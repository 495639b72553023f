// The real detection, in this process and in helper processes that Wine runs under
// per-program Windows versions (HKCU\Software\Wine\AppDefaults\<exe>\Version).
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>

#include "HelperProcess.h"
#include "common/OSVersion.h"

namespace {

using namespace testsupport;

struct Detected {
    int flag = -1;
    unsigned long platformId = 0, major = 0, minor = 0;
    int windows8 = -1, platformType = -1, administrator = -1;
};

// Sets the Wine version for one program name for as long as the object lives.
class CWineVersionSetting {
public:
    CWineVersionSetting(const std::string& exeName, const char* version)
        : m_key(std::string("Software\\Wine\\AppDefaults\\") + exeName)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                           static_cast<DWORD>(strlen(version) + 1));
            RegCloseKey(key);
        }
    }
    ~CWineVersionSetting() { RegDeleteKeyA(HKEY_CURRENT_USER, m_key.c_str()); }

private:
    std::string m_key;
};

Detected DetectUnder(const char* wineVersion)
{
    const CTempFolder folder(std::string("osv-") + wineVersion);
    // A name of its own per version and test process, so runs side by side never share
    // a version setting.
    const std::string exeName =
        std::string("OSV") + std::to_string(GetCurrentProcessId()) + "_" + wineVersion + ".EXE";
    const std::string program = folder / exeName;
    const std::string output = folder / "detected.txt";
    EXPECT_TRUE(CopyFileA(HelperPath("OSVersionProbe.exe").c_str(), program.c_str(), FALSE));
    const CWineVersionSetting setting(exeName, wineVersion);
    Detected detected;
    {
        CHelperProcess probe(program, Quote(output));
        EXPECT_TRUE(probe.WaitForExit()) << wineVersion;
        EXPECT_EQ(0u, probe.ExitCode()) << wineVersion;
    }
    const std::vector<std::string> lines = ReadLines(output);
    if (lines.size() == 1) {
        std::istringstream in(lines[0]);
        in >> detected.flag >> detected.platformId >> detected.major >> detected.minor >>
            detected.windows8 >> detected.platformType >> detected.administrator;
    }
    return detected;
}

struct VersionCase {
    const char* wineVersion;
    int flag;
    unsigned long platformId, major, minor;
    bool windows8;
};

// Wine's 98 record has the text " A ": only its first byte counts, so plain 98.
const VersionCase kVersionCases[] = {
    {"win95", OSV_WIN95, 1, 4, 0, false},
    {"win98", OSV_WIN98, 1, 4, 10, false},
    {"winme", OSV_WINME, 1, 4, 90, false},
    {"nt40", OSV_WINNT4, 2, 4, 0, false},
    {"win2k", OSV_WIN2000, 2, 5, 0, false},
    {"winxp", OSV_WINXP_PRO, 2, 5, 1, false},
    {"win2003", OSV_WIN2003, 2, 5, 2, false},
    {"vista", 0, 2, 6, 0, false},
    {"win7", 0, 2, 6, 1, false},
    {"win8", 0, 2, 6, 2, true},
    {"win10", 0, 2, 6, 2, true}, // a program without a manifest is told 6.2
};

class OSVersionUnderWine : public testing::TestWithParam<VersionCase> {};

TEST_P(OSVersionUnderWine, DetectsTheReleaseThePrefixReports)
{
    const VersionCase& c = GetParam();
    const Detected detected = DetectUnder(c.wineVersion);
    EXPECT_EQ(c.platformId, detected.platformId);
    EXPECT_EQ(c.major, detected.major);
    EXPECT_EQ(c.minor, detected.minor);
    EXPECT_EQ(c.flag, detected.flag);
    EXPECT_EQ(c.windows8 ? 1 : 0, detected.windows8);
    EXPECT_EQ(c.platformId == 2 ? PLATFORM_NT : PLATFORM_9X, detected.platformType);
    // Wine's user is an administrator, and on 9x everyone is.
    EXPECT_EQ(1, detected.administrator);
}

INSTANTIATE_TEST_SUITE_P(Releases, OSVersionUnderWine, testing::ValuesIn(kVersionCases),
                         [](const testing::TestParamInfo<VersionCase>& info) {
                             return std::string(info.param.wineVersion);
                         });

TEST(OSVersion, DefaultPrefixIsWindows7)
{
    const COSVersion version;
    EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), version.PlatformId());
    EXPECT_EQ(6u, version.Major());
    EXPECT_EQ(1u, version.Minor());
    EXPECT_EQ(0, version.Flag());
    EXPECT_FALSE(version.IsWindows8OrLater());
    EXPECT_EQ(sizeof(OSVERSIONINFOA), version.Info().dwOSVersionInfoSize);
}

TEST(OSVersion, PlatformTypeIsUnsetUntilInitialised)
{
    EXPECT_EQ(0, GetPlatformType());
    InitPlatformType();
    EXPECT_EQ(PLATFORM_NT, GetPlatformType());
}

} // namespace
