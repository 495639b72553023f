#include "logplugin/LoggerWnd.h"

#include <ctime>

#include "eventapi/ArdenvaleAPI.h"
#include "logplugin/ALogExAPI.h"
#include "logplugin/LoggerFilter.h"
#include "logplugin/PluginInfo.h"

LRESULT CLoggerWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != UM_LOCK_EVENT)
        return DefaultProc(message, wParam, lParam);
    OnLockEvent(static_cast<UINT>(wParam));
    return 0;
}

void CLoggerWnd::OnLockEvent(UINT id) const
{
    int code = 0;
    if (!m_api.GetEventData(id, &code))
        return;
    const int* flag = m_filter.FlagOf(code);
    if (!flag || *flag == 0)
        return;
    // The record and the code live here, for the call only.
    tagALOGEX_DATA record{};
    record.source = kPluginGuid;
    record.time = static_cast<std::uint32_t>(std::time(nullptr));
    record.data = &code;
    record.size = sizeof code;
    ALogEx_SendLog(&record, kALogExSendFlags);
}
