#pragma once
// Test builds: PlaySound is recorded, not played. Each call appends one line
// "PlaySound <sound> 0x<flags>" to the file named by the KV_SOUND_RECORD environment
// variable (else "sound.txt" beside the program); <sound> is the file name, "#<id>" for
// a resource number, or "NULL". A file sound plays (TRUE) only when the file starts
// with "RIFF", as an unplayable file fails on Windows; every other call answers TRUE.
#include "resident/SoundPlatform.h"

#include <string>

class CRecordingSoundPlatform : public CSoundPlatform {
public:
    explicit CRecordingSoundPlatform(std::string recordPath) : m_recordPath(std::move(recordPath)) {}

    BOOL Play(LPCSTR sound, HMODULE module, DWORD flags) override;

private:
    std::string m_recordPath;
};
