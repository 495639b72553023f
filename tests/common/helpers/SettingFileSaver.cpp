// One side of two programs saving the settings file at once: "lock" writes the lock state
// as Brontal does, "setting" the settings as the utility does, each round followed by a
// check, under the file's lock, that its own value is there. Waits for the named event
// before the first round, then writes "ok" or the first failure to the report file.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/SettingFile.h"
#include "common/SettingFileLock.h"
#include "framework/File.h"

namespace {

std::string LockRound(const CSettingFile& file, int round)
{
    file.SaveLockState(round % 2);
    int lock = -1;
    const CSettingFileLock hold(file.GetPath());
    file.LoadLockState(lock);
    return lock == round % 2 ? "" : "the lock state was lost";
}

// LockNoInputSec counts the rounds; the rest of the record is the defaults.
std::string SettingRound(const CSettingFile& file, int round)
{
    CLockSetting setting;
    setting.SetDefaults();
    setting.LockNoInputSec = round + 1;
    file.SaveSetting(setting);
    CLockSetting loaded;
    const CSettingFileLock hold(file.GetPath());
    file.LoadSetting(loaded);
    return IsEqualSetting(setting, loaded) ? "" : "the setting was lost";
}

std::string Run(const CSettingFile& file, bool lockSide, int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        std::string failure;
        try {
            failure = lockSide ? LockRound(file, i) : SettingRound(file, i);
        } catch (const fw::CFileException& e) {
            failure = e.what();
        }
        if (!failure.empty())
            return "round " + std::to_string(i) + ": " + failure;
    }
    return "ok";
}

} // namespace

// SettingFileSaver folder lock|setting rounds start-event report-file
int main(int argc, char** argv)
{
    if (argc != 6)
        return 1;
    const HANDLE start = OpenEventA(SYNCHRONIZE, FALSE, argv[4]);
    if (!start || WaitForSingleObject(start, 30000) != WAIT_OBJECT_0)
        return 2;
    CloseHandle(start);
    const std::string report =
        Run(CSettingFile(argv[1], CSettingFile::kFileName), std::string(argv[2]) == "lock", std::atoi(argv[3]));
    FILE* out = std::fopen(argv[5], "w");
    if (!out)
        return 3;
    std::fputs(report.c_str(), out);
    std::fclose(out);
    return 0;
}
