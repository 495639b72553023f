#include "tests/logplugin/LogHost.h"

#include <fstream>
#include <sstream>

#include "logplugin/PluginInfo.h"
#include "tests/resident/support/ResidentProcess.h"

namespace {

template <typename Function>
Function Bound(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace

CLogHost::CLogHost(const std::string& tag, ClientLibrary client)
    : m_folder(tag), m_settingFolder(m_folder / "host-settings"), m_records(m_folder / "records.txt")
{
    CreateDirectoryA(m_settingFolder.c_str(), nullptr);
    CopyFileA(WindowsPathOf(KV_ARDENVALE_LOGGER).c_str(), (m_folder / "ArdenvaleLogger.dll").c_str(), FALSE);
    CopyFileA(WindowsPathOf(KV_ALOGEX_STAND_IN).c_str(), (m_folder / "ALogExAPI.dll").c_str(), FALSE);
    if (client == WithClientLibrary)
        CopyFileA(WindowsPathOf(KV_ARDENVALE_API).c_str(), (m_folder / "ArdenvaleAPI.dll").c_str(), FALSE);
    SetEnvironmentVariableA("KV_ALOG_SETTING_DIR", m_settingFolder.c_str());
    SetEnvironmentVariableA("KV_ALOG_RECORDS", m_records.c_str());
    SetEnvironmentVariableA("KV_ALOG_ANSWER", nullptr);
}

CLogHost::~CLogHost()
{
    Unload();
}

bool CLogHost::Load()
{
    m_plugin = LoadLibraryExA((m_folder / "ArdenvaleLogger.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!m_plugin)
        return false;
    SLoggerExports& e = m_exports;
    e.GetDllInfomation = Bound<decltype(e.GetDllInfomation)>(m_plugin, "GetDllInfomation");
    e.OnInit = Bound<decltype(e.OnInit)>(m_plugin, "OnInit");
    e.OnExit = Bound<decltype(e.OnExit)>(m_plugin, "OnExit");
    e.LoggingStart = Bound<decltype(e.LoggingStart)>(m_plugin, "LoggingStart");
    e.LoggingStop = Bound<decltype(e.LoggingStop)>(m_plugin, "LoggingStop");
    e.GetListViewDrawData = Bound<decltype(e.GetListViewDrawData)>(m_plugin, "GetListViewDrawData");
    e.OnCreateOptionPage = Bound<decltype(e.OnCreateOptionPage)>(m_plugin, "OnCreateOptionPage");
    e.OnDestroyOptionPage = Bound<decltype(e.OnDestroyOptionPage)>(m_plugin, "OnDestroyOptionPage");
    e.OnApplayOptionPage = Bound<decltype(e.OnApplayOptionPage)>(m_plugin, "OnApplayOptionPage");
    e.AddExclusion = Bound<decltype(e.AddExclusion)>(m_plugin, "AddExclusion");
    e.Uninstall = Bound<decltype(e.Uninstall)>(m_plugin, "Uninstall");
    return e.GetDllInfomation && e.OnInit && e.OnExit && e.LoggingStart && e.LoggingStop && e.GetListViewDrawData &&
           e.OnCreateOptionPage && e.OnDestroyOptionPage && e.OnApplayOptionPage && e.AddExclusion && e.Uninstall;
}

void CLogHost::Unload()
{
    if (m_plugin)
        FreeLibrary(m_plugin);
    m_plugin = nullptr;
    m_exports = {};
}

void CLogHost::Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

std::vector<SLogRecord> CLogHost::WaitForRecords(std::size_t count, DWORD timeout)
{
    const DWORD start = GetTickCount();
    std::vector<SLogRecord> records = Records();
    while (records.size() < count && GetTickCount() - start < timeout) {
        Pump(10);
        records = Records();
    }
    return records;
}

std::vector<SLogRecord> CLogHost::Records() const
{
    std::vector<SLogRecord> records;
    std::ifstream in(m_records);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        SLogRecord r{};
        if (fields >> r.guid >> r.time >> r.reserved >> r.size >> r.code >> r.flags >> r.arrival)
            records.push_back(r);
    }
    return records;
}

SPluginRecord::SPluginRecord(int eventCode, std::uint32_t size) : code(eventCode)
{
    record.source = kPluginGuid;
    record.data = &code;
    record.size = size;
}
