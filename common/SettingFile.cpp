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
    if (!source) {
        Save(&setting, nullptr);
        return;
    }
    int lock = 0;
    Parse(nullptr, &lock, ReadText(*source));
    Save(&setting, &lock);
    ForgetKeptCopy(*source);
}

void CSettingFile::SaveLockState(int lock) const
{
    SaveLockState(lock, CSettingFileLock::kTimeout);
}

void CSettingFile::SaveLockStateAtOnce(int lock) const
{
    SaveLockState(lock, 0);
}

void CSettingFile::SaveLockState(int lock, unsigned long lockWait) const
{
    const CSettingFileLock fileLock(m_path, lockWait);
    const std::optional<std::string> source = SourcePath();
    WriteText(SetLockStateInText(source ? ReadText(*source) : std::string(), lock));
    if (source)
        ForgetKeptCopy(*source);
}

void CSettingFile::Load(CLockSetting* setting, int* lock) const
{
    Parse(setting, lock, ReadText(SourcePath().value_or(m_path)));
}

void CSettingFile::Save(const CLockSetting* setting, const int* lock) const
{
    WriteText(Serialize(setting, lock));
}

std::optional<std::string> CSettingFile::SourcePath() const
{
    if (fw::CFile::Exists(m_path))
        return m_path;
    return CReplacementFile::FindKeptCopy(m_path);
}

// Once the file is back in its place, the copy read instead of it is no longer needed.
void CSettingFile::ForgetKeptCopy(const std::string& source) const
{
    if (source != m_path)
        DeleteFileA(source.c_str());
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

void CSettingFile::WriteText(const std::string& text) const
{
    CReplacementFile file(m_path);
    file.Write(text);
    file.Commit();
}
