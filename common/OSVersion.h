#pragma once
// Which Windows release runs: the version record, the release flag and the Windows 8 test.
#include <windows.h>

#include "common/OSRelease.h"

class COSVersion {
public:
    COSVersion() { Detect(); }

    // Fills the version record and the flag; the flag stays 0 when GetVersionExA fails.
    void Detect();

    // The record as GetVersionExA filled it (platform id, major, minor, service-pack text).
    const OSVERSIONINFOA& Info() const { return m_version; }
    DWORD PlatformId() const { return m_version.dwPlatformId; }
    DWORD Major() const { return m_version.dwMajorVersion; }
    DWORD Minor() const { return m_version.dwMinorVersion; }

    // One of the OSV_ values, or 0 for any release outside them (Vista and later included).
    int Flag() const { return m_flag; }

    bool IsWindows8OrLater() const { return osv::IsWindows8OrLater(Major(), Minor()); }

private:
    // The XP edition by the personal suite, bound at run time; Unknown when the calls are missing.
    static osv::XpEdition DetectXPEdition();

    OSVERSIONINFOA m_version{};
    int m_flag = 0;
};

// The process-wide platform type (PLATFORM_NT or PLATFORM_9X), 0 until set.
void InitPlatformType();
int GetPlatformType();
