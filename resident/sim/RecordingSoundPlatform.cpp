#include "resident/sim/RecordingSoundPlatform.h"

#include "common/ScenarioFile.h"

#include <mmsystem.h>

#include <cstdio>
#include <cstring>

namespace {

std::string SoundName(LPCSTR sound)
{
    if (!sound)
        return "NULL";
    if (IS_INTRESOURCE(sound)) {
        char number[16];
        std::snprintf(number, sizeof number, "#%u", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(sound)));
        return number;
    }
    return sound;
}

bool IsWaveFile(LPCSTR path)
{
    char header[4] = {};
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    const size_t read = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    return read == sizeof header && std::memcmp(header, "RIFF", sizeof header) == 0;
}

} // namespace

BOOL CRecordingSoundPlatform::Play(LPCSTR sound, HMODULE, DWORD flags)
{
    if (FILE* record = std::fopen(m_recordPath.c_str(), "ab")) {
        std::fprintf(record, "PlaySound %s 0x%lX\n", SoundName(sound).c_str(), static_cast<unsigned long>(flags));
        std::fclose(record);
    }
    if (sound && (flags & SND_FILENAME) && !(flags & SND_RESOURCE) && !IsWaveFile(sound))
        return FALSE;
    return TRUE;
}

CSoundPlatform& DefaultSoundPlatform()
{
    static CRecordingSoundPlatform platform(ScenarioFilePath("KV_SOUND_RECORD", "sound.txt"));
    return platform;
}
