#include "lockcore/ResidentLockCore.h"

#include "common/OSVersion.h"
#include "common/PathUtil.h"
#include "common/SettingFile.h"
#include "common/SettingsRead.h"

void CResidentLockCore::Stop()
{
    m_link.Stop();
}

BOOL CResidentLockCore::Connect()
{
    m_external = COSVersion().IsWindows8OrLater() ? 1 : 0;
    BOOL result = TRUE;
    if (m_external && !m_link.Start(&m_proxy)) {
        m_proxy.SetLink(nullptr);
        result = FALSE;
    } else if (m_external) {
        m_proxy.SetLink(&m_link);
        SendSettings();
    } else {
        m_proxy.SetLink(nullptr);
    }
    m_proxy.ReplayState();
    return result;
}

Corvantis::SLockScreen* CResidentLockCore::GetController(HWND window, UINT message)
{
    m_proxy.SetTarget(window, message);
    return &m_proxy;
}

BOOL CResidentLockCore::IsAlive()
{
    if (!m_external || m_link.IsAlive())
        return TRUE;
    m_link.Stop();
    return Connect();
}

bool CResidentLockCore::ReloadSettings()
{
    ESettingsRead read = ESettingsRead::Read;
    if (m_settings)
        read = ReadSettingsFile(CSettingFile(CPathUtil::GetSettingBaseFolder(), CSettingFile::kFileName),
                                [this](const CSettingFile& file) { file.LoadSetting(*m_settings); });
    if (m_external)
        SendSettings();
    return read != ESettingsRead::Unreadable;
}

void CResidentLockCore::SendSettings()
{
    if (m_link.Client() && m_settings)
        m_link.Client()->SendSettings(*m_settings);
}
