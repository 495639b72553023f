// Any file text loads; what is saved loads back the same, and writing the lock
// state keeps every setting. Records start from the defaults, as in the programs,
// so every value read is within its range.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/SettingFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CLockSetting loaded;
    loaded.SetDefaults();
    int lock = 0;
    CSettingFile::Parse(&loaded, &lock, text);

    CLockSetting reloaded;
    reloaded.SetDefaults();
    int relock = 0;
    CSettingFile::Parse(&reloaded, &relock, CSettingFile::Serialize(&loaded, &lock));
    if (!IsEqualSetting(loaded, reloaded) || lock != relock)
        std::abort();

    CLockSetting afterLockState;
    afterLockState.SetDefaults();
    int newLock = 0;
    CSettingFile::Parse(&afterLockState, &newLock, CSettingFile::SetLockStateInText(text, 1));
    if (!IsEqualSetting(loaded, afterLockState) || newLock != 1)
        std::abort();
    return 0;
}
