#include "locknow/LockNowApp.h"

#include "common/CompanionLink.h"
#include "common/LockSetting.h"
#include "common/PathUtil.h"
#include "common/ProcessFinderFactory.h"
#include "common/SettingFile.h"
#include "common/SettingsRead.h"
#include "locknow/resource.h"

namespace {

constexpr const char* kInstanceMutexName = "SS-{6980E53F-3CE1-427c-985E-2CD7012E256E}";
constexpr DWORD kInstanceWait = 10;

} // namespace

CLockNowApp::CLockNowApp(bool (*isAdministrator)())
    : m_instance(kInstanceMutexName), m_isAdministrator(isAdministrator)
{
}

void CLockNowApp::InitInstance()
{
    if (!m_instance.Lock(kInstanceWait))
        return;  // another instance is at work
    ChooseProcessFinder();
    const std::string caption = LoadText(IDS_CAPTION);
    if (IsSetUp() || !m_isAdministrator())
        CCompanionLink::LockNow();  // dropped when the resident program is not running
    else
        OfferFirstSetup(caption);
    ReleaseProcessFinder();
    m_instance.Unlock();
}

// Only settings read without a key device, or no settings file at all, are a first run:
// a file that is there but cannot be read now (another program saving it) may hold keys,
// and taking it for none would leave the PC open behind the set-up question.
bool CLockNowApp::IsSetUp()
{
    CLockSetting setting;
    const ESettingsRead read = ReadSettingsFile(CSettingFile(CPathUtil::GetSettingBaseFolder(), CSettingFile::kFileName),
                                                [&setting](const CSettingFile& file) { file.LoadSetting(setting); });
    return read == ESettingsRead::Unreadable || (read == ESettingsRead::Read && !setting.KeyDevices.empty());
}

std::string CLockNowApp::LoadText(UINT id)
{
    char text[512] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

void CLockNowApp::OfferFirstSetup(const std::string& caption)
{
    const std::string question = LoadText(IDS_ASK_FIRST_SETUP);
    if (MessageBoxA(nullptr, question.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return;
    // A paused watchdog is resumed; only when none answers is one started.
    if (!CCompanionLink::ResumeWatchdog())
        CCompanionLink::LaunchWatchdog();
}
