// The settings file's file operations.
#include "common/SettingFile.h"

#include <new>
#include <optional>
#include <utility>

#include "common/ReplacementFile.h"
#include "common/SettingFileLock.h"
#include "framework/File.h"

namespace {

constexpr DWORD kReadTimeout = CSettingFileLock::kTimeout;  // as long as a save waits for the lock
constexpr DWORD kReadRetryInterval = 20;

// Whether a read that failed with `error` is tried again, after the pause it needs. A save
// holds the file for a moment (a sharing violation) and, while it swaps the file, leaves it
// between names (not found); `unlocked`: another program may be saving. A file missing while
// no save is under way is looked for once more, the names having settled since, and is then
// missing indeed. `pauses` false: never after a pause.
bool ReadAgain(DWORD error, bool pauses, bool unlocked, DWORD start, bool& settled)
{
    const bool timeLeft = pauses && GetTickCount() - start < kReadTimeout;
    if (error == ERROR_SHARING_VIOLATION && timeLeft) {
        Sleep(kReadRetryInterval);
        return true;
    }
    if (error != ERROR_FILE_NOT_FOUND)
        return false;
    if (unlocked && timeLeft && CSettingFileLock::IsInUse()) {
        Sleep(kReadRetryInterval);
        return true;
    }
    return !std::exchange(settled, true);
}

} // namespace

void CSettingFile::LoadSetting(CLockSetting& setting) const
{
    Load(&setting, nullptr);
}

void CSettingFile::LoadLockState(int& lock) const
{
    Load(nullptr, &lock);
}

void CSettingFile::SaveSetting(const CLockSetting& setting) const
{
    const CSettingFileLock fileLock(m_path);
    const std::optional<std::string> text = ReadSettings(EReadWait::Locked);
    int lock = 0;
    if (text)
        Parse(nullptr, &lock, *text);
    WriteText(Serialize(&setting, text ? &lock : nullptr), true);
}

void CSettingFile::SaveLockState(int lock) const
{
    StoreLockState(lock, true);
}

bool CSettingFile::SaveLockStateAtOnce(int lock) const
{
    return StoreLockState(lock, false);
}

bool CSettingFile::StoreLockState(int lock, bool wait) const
{
    const CSettingFileLock fileLock(m_path, wait ? CSettingFileLock::kTimeout : 0);
    const std::optional<std::string> text = ReadSettings(wait ? EReadWait::Locked : EReadWait::Never);
    return WriteText(SetLockStateInText(text.value_or(std::string()), lock), wait);
}

void CSettingFile::Load(CLockSetting* setting, int* lock) const
{
    const std::optional<std::string> text = ReadSettings(EReadWait::Unlocked);
    // With neither the file nor a kept copy, the error is that of opening the file: no
    // file, or no folder.
    Parse(setting, lock, text ? *text : ReadText(m_path));
}

std::optional<std::string> CSettingFile::ReadSettings(EReadWait wait) const
{
    const DWORD start = GetTickCount();
    const bool pauses = wait != EReadWait::Never, unlocked = wait == EReadWait::Unlocked;
    bool settled = false;
    for (;;) {
        try {
            if (const std::optional<std::string> source = SourcePath())
                return ReadText(*source);
            if (!unlocked || !ReadAgain(ERROR_FILE_NOT_FOUND, pauses, unlocked, start, settled))
                return std::nullopt;
        } catch (const fw::CFileException& e) {
            if (!ReadAgain(e.m_lOsError, pauses, unlocked, start, settled))
                throw;
        }
    }
}

std::optional<std::string> CSettingFile::SourcePath() const
{
    if (fw::CFile::Exists(m_path))
        return m_path;
    return CReplacementFile::FindKeptCopy(m_path);
}

std::string CSettingFile::ReadText(const std::string& path)
{
    fw::CFile file(path, fw::CFile::modeRead | fw::CFile::shareDenyWrite);
    const std::uint64_t length = file.GetLength();
    if (length > std::string().max_size())
        throw std::bad_alloc();
    std::string text(std::size_t(length), '\0');
    text.resize(file.Read(text.data(), text.size()));
    file.Close();
    return text;
}

bool CSettingFile::WriteText(const std::string& text, bool wait) const
{
    CReplacementFile file(m_path, m_swap ? *m_swap : CFileSwap::Windows());
    file.Write(text);
    if (!file.Commit(wait ? CReplacementFile::EWait::MayWait : CReplacementFile::EWait::Never))
        return false;
    // The file holds the newest text: the copies read in its stead are no longer needed.
    CReplacementFile::RemoveKeptCopies(m_path);
    return true;
}
