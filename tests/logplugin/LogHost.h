#pragma once
// Stands in for the log host in the plug-in's tests: the plug-in installed in a folder of
// its own beside ArdenvaleAPI.dll and the stand-in "ALogExAPI.dll", loaded into this
// process and called on this thread, as a host does; the records that reach the stand-in
// are read back from its file.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "logplugin/ALogExAPI.h"
#include "tests/common/HelperProcess.h"

struct SLogRecord {
    std::string guid;
    unsigned long time;
    unsigned long reserved;
    unsigned long size;
    int code;
    unsigned long flags;
    std::int64_t arrival;  // QueryPerformanceCounter
};

// The plug-in's exports, bound by name.
struct SLoggerExports {
    void(WINAPI* GetDllInfomation)(void*);
    int(WINAPI* OnInit)(BOOL);
    int(WINAPI* OnExit)();
    int(WINAPI* LoggingStart)();
    int(WINAPI* LoggingStop)();
    int(WINAPI* GetListViewDrawData)(const tagALOGEX_DATA*, const int*, char*, int);
    HWND(WINAPI* OnCreateOptionPage)(HWND, LPARAM);
    void(WINAPI* OnDestroyOptionPage)(LPARAM);
    BOOL(WINAPI* OnApplayOptionPage)(LPARAM);
    void(WINAPI* AddExclusion)(const tagALOGEX_DATA*, HWND);
    void(WINAPI* Uninstall)();
};

class CLogHost {
public:
    enum ClientLibrary { WithClientLibrary, WithoutClientLibrary };

    explicit CLogHost(const std::string& tag, ClientLibrary client = WithClientLibrary);
    ~CLogHost();
    CLogHost(const CLogHost&) = delete;
    CLogHost& operator=(const CLogHost&) = delete;

    // Loads the plug-in from its folder (its imports resolved there too); false on failure.
    bool Load();
    void Unload();
    HMODULE Module() const { return m_plugin; }
    const SLoggerExports& Plugin() const { return m_exports; }

    // The host's settings folder as the stand-in answers it, and the plug-in's filter file.
    const std::string& SettingFolder() const { return m_settingFolder; }
    std::string FilterFile() const { return m_settingFolder + "\\ArdenvaleLogger\\HalvoLogger.dat"; }

    // Handles this thread's messages for `ms`.
    static void Pump(DWORD ms);
    // Handles messages until `count` records arrived or the time is up; the records.
    std::vector<SLogRecord> WaitForRecords(std::size_t count, DWORD timeout);
    std::vector<SLogRecord> Records() const;

private:
    testsupport::CTempFolder m_folder;
    std::string m_settingFolder;
    std::string m_records;
    HMODULE m_plugin = nullptr;
    SLoggerExports m_exports{};
};

// A record as the plug-in makes it, with the code it points to.
struct SPluginRecord {
    explicit SPluginRecord(int eventCode, std::uint32_t size = sizeof(int));
    SPluginRecord(const SPluginRecord&) = delete;
    SPluginRecord& operator=(const SPluginRecord&) = delete;
    int code;
    tagALOGEX_DATA record{};
};
