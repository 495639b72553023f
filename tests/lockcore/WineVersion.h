#pragma once
// Runs a test program as the Windows release it needs. Wine reads a program's version
// setting (HKCU\Software\Wine\AppDefaults\<exe>\Version) when the process starts, so a
// program that finds the wrong release sets it and runs itself again with the same
// command line, handing on the child's exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/OSVersion.h"

class WineVersionEnvironment : public ::testing::Environment {
public:
    WineVersionEnvironment(const char* version, bool windows8OrLater)
        : m_version(version), m_windows8OrLater(windows8OrLater)
    {
    }

    void SetUp() override
    {
        if (COSVersion().IsWindows8OrLater() == m_windows8OrLater)
            return;
        if (GetEnvironmentVariableA(kRerunMarker, nullptr, 0) != 0 || !IsWine()) {
            FAIL() << "this program needs the Wine version setting " << m_version;
        }
        ASSERT_TRUE(SetProgramVersion());
        std::fflush(stdout);
        ExitProcess(RunAgain());
    }

private:
    static constexpr const char* kRerunMarker = "KV_WINE_VERSION_RERUN";

    static bool IsWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

    static std::string ExecutableName()
    {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        const std::string full = path;
        return full.substr(full.find_last_of('\\') + 1);
    }

    bool SetProgramVersion() const
    {
        std::string keyPath = "Software\\Wine\\AppDefaults\\";
        keyPath.append(ExecutableName());
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        const LONG result = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(m_version),
                                           static_cast<DWORD>(std::char_traits<char>::length(m_version) + 1));
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    static UINT RunAgain()
    {
        SetEnvironmentVariableA(kRerunMarker, "1");
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION info{};
        std::string commandLine = GetCommandLineA();
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
            return 1;
        WaitForSingleObject(info.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        return code;
    }

    const char* m_version;
    bool m_windows8OrLater;
};
