#include "tests/resident/support/SingleKeySession.h"

#include <windows.h>

#include <dbt.h>

#include <cstdio>

#include "common/LockSetting.h"

namespace {

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

} // namespace

CSingleKeySession::CSingleKeySession(SSimulatedKey key, const std::string& scenarioName)
    : m_key(std::move(key)), m_keys(TempPath(scenarioName), {m_key})
{
}

bool CSingleKeySession::Start(const char* program, const std::function<void(CLockSetting&)>& adjust)
{
    CLockSetting setting;
    setting.SetDefaults();
    setting.LockStartup = 0;
    setting.LockNoInput = 0;
    setting.KeyDevices = {m_key.identity};
    setting.LockBmpFilePath = m_lockPicture;
    if (adjust)
        adjust(setting);
    WriteSettings(setting);
    SetEnvironmentVariableA("KV_USB_SCENARIO", m_keys.Path().c_str());
    if (!m_events.Start() || !m_resident.Start(program, &m_events)) {
        std::fprintf(stderr, "the resident program did not start\n");
        return false;
    }
    return true;
}

bool CSingleKeySession::StartFirstRun(const char* program)
{
    RemoveSettings();
    SetEnvironmentVariableA("KV_USB_SCENARIO", m_keys.Path().c_str());
    if (!m_events.Start() || !m_resident.Launch(program)) {
        std::fprintf(stderr, "the resident program did not start\n");
        return false;
    }
    m_events.Follow(m_resident.ProcessId());
    return true;
}

void CSingleKeySession::Pull()
{
    m_keys.Pull(m_key.tag);
    m_resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
}

void CSingleKeySession::Insert()
{
    m_keys.Insert(m_key.tag);
    m_resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
}
