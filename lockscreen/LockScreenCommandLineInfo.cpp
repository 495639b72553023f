#include "lockscreen/LockScreenCommandLineInfo.h"

namespace {

bool IsIdFlag(const std::string& flag)
{
    return flag.size() == 2 && (flag[0] == 'i' || flag[0] == 'I') && (flag[1] == 'd' || flag[1] == 'D');
}

} // namespace

void CLockScreenCommandLineInfo::ParseParam(const std::string& param, bool flag)
{
    if (flag) {
        if (IsIdFlag(param))
            m_expectId = 1;
        return;
    }
    if (m_expectId) {
        m_instanceId = param;
        m_expectId = 0;
    }
}

void CLockScreenCommandLineInfo::ParseArguments(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments) {
        const bool flag = !argument.empty() && (argument[0] == '/' || argument[0] == '-');
        ParseParam(flag ? argument.substr(1) : argument, flag);
    }
}
