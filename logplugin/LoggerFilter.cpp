#include "logplugin/LoggerFilter.h"


#include "common/IniDocument.h"

namespace {

constexpr const char* kSection = "Log";

struct SKey {
    const char* name;
    int CLoggerFilter::*flag;
};

constexpr SKey kKeys[] = {
    {"LogLock", &CLoggerFilter::LogLock},
    {"LogUnlock", &CLoggerFilter::LogUnlock},
    {"LogChangeSetting", &CLoggerFilter::LogChangeSetting},
    {"LogAlarm", &CLoggerFilter::LogAlarm},
};

} // namespace

int* CLoggerFilter::FlagOf(int code)
{
    if (code < 1 || code > 4)
        return nullptr;
    return &(this->*kKeys[code - 1].flag);
}

void CLoggerFilter::Parse(std::string_view text)
{
    CIniDocument document;
    document.Parse(text, CIniDocument::EKeyLineRule::ExactlyTwoParts);
    std::string value;
    for (const SKey& key : kKeys) {
        if (document.GetValue(kSection, key.name, value))
            this->*key.flag = CIniDocument::ReadLeadingInt(value);
    }
}

std::string CLoggerFilter::Serialize() const
{
    CIniDocument document;
    for (const SKey& key : kKeys)
        document.SetInt(kSection, key.name, this->*key.flag);
    std::string text;
    document.Write(text);
    return text;
}
