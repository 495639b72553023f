// The settings file's file operations.
#include "common/SettingFile.h"

#include <new>

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
    if (!fw::CFile::Exists(m_path)) {
        Save(&setting, nullptr);
        return;
    }
    int lock = 0;
    Load(nullptr, &lock);
    Save(&setting, &lock);
}

void CSettingFile::SaveLockState(int lock) const
{
    const CSettingFileLock fileLock(m_path);
    const std::string text = fw::CFile::Exists(m_path) ? ReadText() : std::string();
    WriteText(SetLockStateInText(text, lock));
}

void CSettingFile::Load(CLockSetting* setting, int* lock) const
{
    Parse(setting, lock, ReadText());
}

void CSettingFile::Save(const CLockSetting* setting, const int* lock) const
{
    WriteText(Serialize(setting, lock));
}

std::string CSettingFile::ReadText() const
{
    fw::CFile file(m_path, fw::CFile::modeRead | fw::CFile::shareDenyWrite);
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
