#pragma once
// A read of the settings file that tells a file that is not there (the first run: no
// settings, not locked) from one that is there but cannot be read now (another program
// saving or holding it, a broken access list). Only the first may count as "no settings".
#include "common/SettingFile.h"
#include "framework/File.h"

enum class ESettingsRead {
    Read,
    Missing,     // neither the file nor a copy kept in its stead is there
    Unreadable,  // there, but the read failed: what it holds is unknown
};

// Runs `read` (a load of `file`); a failure that is not a missing file counts as unreadable.
template <class Read>
ESettingsRead ReadSettingsFile(const CSettingFile& file, Read read)
{
    try {
        read(file);
        return ESettingsRead::Read;
    } catch (const fw::CFileException& error) {
        if (error.m_cause != fw::CFileException::fileNotFound && error.m_cause != fw::CFileException::badPath)
            return ESettingsRead::Unreadable;
    } catch (...) {
        return ESettingsRead::Unreadable;
    }
    try {
        return file.IsPresent() ? ESettingsRead::Unreadable : ESettingsRead::Missing;
    } catch (...) {
        return ESettingsRead::Unreadable;
    }
}
