#include "common/OSVersion.h"

#include "framework/Handle.h"

namespace {

int g_platformType = 0;

} // namespace

void COSVersion::Detect()
{
    m_version = OSVERSIONINFOA{};
    m_version.dwOSVersionInfoSize = sizeof m_version;
    m_flag = 0;
    if (!GetVersionExA(&m_version))
        return;
    const osv::SRelease release{m_version.dwPlatformId, m_version.dwMajorVersion,
                                m_version.dwMinorVersion, m_version.szCSDVersion[0]};
    const osv::XpEdition edition =
        osv::IsXpRelease(release) ? DetectXPEdition() : osv::XpEdition::Unknown;
    m_flag = osv::SortRelease(release, edition);
}

osv::XpEdition COSVersion::DetectXPEdition()
{
    using VerifyVersionInfoFn = BOOL(WINAPI*)(OSVERSIONINFOEXA*, DWORD, DWORDLONG);
    using VerSetConditionMaskFn = ULONGLONG(WINAPI*)(ULONGLONG, DWORD, BYTE);

    const fw::unique_hmodule kernel(LoadLibraryA("Kernel32.dll"));
    if (!kernel)
        return osv::XpEdition::Unknown;
    // Through void(*)() so the compiler accepts the cast between function types.
    const auto verify = reinterpret_cast<VerifyVersionInfoFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel.get(), "VerifyVersionInfoA")));
    const auto setMask = reinterpret_cast<VerSetConditionMaskFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel.get(), "VerSetConditionMask")));
    if (!verify || !setMask)
        return osv::XpEdition::Unknown;

    OSVERSIONINFOEXA wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.wSuiteMask = VER_SUITE_PERSONAL;
    const ULONGLONG mask = setMask(0, VER_SUITENAME, VER_AND);
    return verify(&wanted, VER_SUITENAME, mask) ? osv::XpEdition::Home
                                                 : osv::XpEdition::Professional;
}

void InitPlatformType()
{
    g_platformType = osv::PlatformTypeOf(COSVersion().PlatformId());
}

int GetPlatformType()
{
    return g_platformType;
}
