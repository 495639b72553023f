#pragma once
// The settings file: the settings record and the lock state ("Lock") as INI text.
// The content rules (Parse, Serialize, the lock-state update) need no Win32 call;
// the file operations do. Errors of the file operations throw fw::CFileException;
// none is caught here, each caller decides.
#include <optional>
#include <string>
#include <string_view>

#include "common/LockSetting.h"

class CFileSwap;
class CIniDocument;
class CIniKeyList;

class CSettingFile {
public:
    static constexpr const char* kFileName = "Corvantis.ini";

    CSettingFile(const std::string& folder, const std::string& fileName);
    // The same, its saves swapping the file in through `swap` (tests put a double there).
    CSettingFile(const std::string& folder, const std::string& fileName, const CFileSwap& swap);
    virtual ~CSettingFile() = default;

    void SetPath(const std::string& folder, const std::string& fileName);
    const std::string& GetPath() const { return m_path; }
    // Whether there are settings to read: the file, or the copy a half-done save kept.
    bool IsPresent() const { return SourcePath().has_value(); }

    // File operations. A read that fails while another program saves (the file busy, or
    // between names) is tried again for a few seconds, as the saves wait for the lock.
    void LoadSetting(CLockSetting& setting) const;
    // Leaves `lock` as it was when the file holds no "Lock".
    void LoadLockState(int& lock) const;
    // Writes the record and keeps the file's lock state. Both saves read and write the
    // file under the settings file's system-wide lock. A save that returns is in force:
    // the next read sees it, even where a half-done swap left it as a kept copy.
    void SaveSetting(const CLockSetting& setting) const;
    // Changes only "Lock"; every other section and key of the file stays as it is.
    void SaveLockState(int lock) const;
    // The same without ever waiting: fails at once, as a sharing violation, while another
    // program holds the lock. False where the state is in force but only as a kept copy,
    // the move that puts the file in place not tried again: a waiting save finishes it.
    bool SaveLockStateAtOnce(int lock) const;
    void Load(CLockSetting* setting, int* lock) const;

    // Content rules.
    static std::string Serialize(const CLockSetting* setting, const int* lock);
    static void Parse(CLockSetting* setting, int* lock, std::string_view text);
    static void SerializeAlarm(CIniDocument& document, const CAlarmSetting& alarm);
    static void ParseAlarm(const CIniKeyList* section, CAlarmSetting& alarm);  // section may be absent
    // The text with "Lock" of section "Setting" set: in place when present, else
    // appended to the section (the section appended when missing).
    static std::string SetLockStateInText(std::string_view text, int lock);

private:
    // How a read that fails for a moment is tried again: without the lock (Brontal's reads,
    // while another program may be swapping the file), inside a save that holds the lock (no
    // other save swaps the file meanwhile), or never after a pause (a save that never waits).
    enum class EReadWait { Unlocked, Locked, Never };
    // The text of the settings, the file's or the kept copy's; none where neither is there.
    std::optional<std::string> ReadSettings(EReadWait wait) const;
    // `wait` false: neither the lock nor a move that fails is waited for.
    bool StoreLockState(int lock, bool wait) const;
    // The file, or where none is there, the copy a half-done save kept in its stead.
    std::optional<std::string> SourcePath() const;
    static std::string ReadText(const std::string& path);
    // True when the file holds `text` in its place, false where it is the kept copy.
    bool WriteText(const std::string& text, bool wait) const;

    std::string m_path;
    const CFileSwap* m_swap = nullptr;  // null: Windows' own calls
};
