#include "logplugin/LoggerOptionPage.h"

CLoggerFilter CLoggerOptionPage::TakeFilter()
{
    UpdateData(true);
    return m_filter;
}

void CLoggerOptionPage::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Check(dx, IDC_LOG_LOCK, m_filter.LogLock);
    fw::DDX_Check(dx, IDC_LOG_UNLOCK, m_filter.LogUnlock);
    fw::DDX_Check(dx, IDC_LOG_CHANGE_SETTING, m_filter.LogChangeSetting);
    fw::DDX_Check(dx, IDC_LOG_ALARM, m_filter.LogAlarm);
}
