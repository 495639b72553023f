#include "lockscreen/LockScreenApp.h"

#include "lockscreen/LockScreenCommandLineInfo.h"
#include "lockscreen/LockScreenDialog.h"

BOOL CLockScreenApp::InitInstance(const std::vector<std::string>& arguments)
{
    CLockScreenCommandLineInfo commandLine;
    commandLine.ParseArguments(arguments);
    try {
        m_core.Start(commandLine.InstanceId());
    } catch (const Corvantis::SLockCore::_Exceptions&) {
        return FALSE;
    } catch (...) {
        return FALSE;
    }
    CLockScreenDialog dialog(m_core, m_topmost);
    dialog.DoModal();
    return FALSE;
}

int CLockScreenApp::ExitInstance()
{
    try {
        m_core.Stop();
    } catch (...) {
    }
    return 0;
}
