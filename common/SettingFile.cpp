// The settings file's file operations.
#include "common/SettingFile.h"

#include <new>
#include <optional>

#include "common/ReplacementFile.h"
#include "common/SettingFileLock.h"
#include "framework/File.h"

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
    const std::optional<std::string> source = SourcePath();
    int lock = 0;
    if (source)
        Parse(nullptr, &lock, ReadText(*source));
    WriteText(Serialize(&setting, source ? &lock : nullptr), true);
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
    const std::optional<std::string> source = SourcePath();
    return WriteText(SetLockStateInText(source ? ReadText(*source) : std::string(), lock), wait);
}

void CSettingFile::Load(CLockSetting* setting, int* lock) const
{
    Parse(setting, lock, ReadText(SourcePath().value_or(m_path)));
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
