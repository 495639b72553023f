// Stands in for a companion program in cross-process tests. Copied under the name the
// test needs ("BRONTAL.EXE", "PERNWICK.EXE", ...), it runs in one of three ways:
//   record FILE WINDOW...   owns the windows described, each "label|title|child|shown"
//                           (child: text of a control 1000, empty for none; shown: 0 or 1),
//                           and writes each private message it receives to FILE as
//                           "label 0xMESSAGE wParam lParam";
//   start-watchdog psapi|toolhelp
//                           asks for the watchdog to be started, then ends;
//   start-resident psapi|toolhelp
//                           asks for the resident program to be started, then ends;
//   launch-watchdog         launches the watchdog without a lookup; exit code 1 when
//                           that reported success, else 0;
//   (no arguments)          as started by the watchdog start: one hidden window.
// Each ends at WM_CLOSE to any of its windows, or after a minute at most.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/CompanionLink.h"
#include "common/ProcessFinderFactory.h"
#include "framework/Window.h"
#include "tests/common/HelperProcess.h"

namespace {

constexpr const char* kClassName = testsupport::kHelperWindowClass;
constexpr UINT kLifetimeMs = 60000;

class CRecordingWindow : public fw::CWindow {
public:
    CRecordingWindow(std::string label, FILE* record) : m_label(std::move(label)), m_record(record) {}

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CLOSE || message == WM_TIMER) {
            PostQuitMessage(0);
            return 0;
        }
        if (m_record && message >= WM_USER && message <= 0xBFFF) {
            std::fprintf(m_record, "%s 0x%X %lu %ld\n", m_label.c_str(), message,
                         static_cast<unsigned long>(wParam), static_cast<long>(lParam));
            std::fflush(m_record);
        }
        return DefaultProc(message, wParam, lParam);
    }

private:
    std::string m_label;
    FILE* m_record;
};

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

std::unique_ptr<CRecordingWindow> MakeWindow(const std::string& layout, FILE* record)
{
    const std::vector<std::string> parts = Split(layout, '|');
    if (parts.size() != 4)
        return nullptr;
    auto window = std::make_unique<CRecordingWindow>(parts[0], record);
    if (!window->Create(kClassName, parts[1].c_str(), WS_OVERLAPPEDWINDOW))
        return nullptr;
    if (!parts[2].empty())
        CreateWindowExA(0, "STATIC", parts[2].c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 200, 20,
                        window->GetHwnd(), reinterpret_cast<HMENU>(kResidentMarkerControlId),
                        GetModuleHandleA(nullptr), nullptr);
    if (parts[3] == "1")
        ShowWindow(window->GetHwnd(), SW_SHOWNOACTIVATE);
    return window;
}

int RunMessageLoop(HWND timerWindow)
{
    SetTimer(timerWindow, 1, kLifetimeMs, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

int Record(int argc, char** argv)
{
    FILE* record = std::fopen(argv[2], "w");
    if (!record)
        return 2;
    std::vector<std::unique_ptr<CRecordingWindow>> windows;
    for (int i = 3; i < argc; ++i) {
        windows.push_back(MakeWindow(argv[i], record));
        if (!windows.back())
            return 3;
    }
    const int result = windows.empty() ? 3 : RunMessageLoop(windows.front()->GetHwnd());
    windows.clear();
    std::fclose(record);
    return result;
}

int StartCompanion(const std::string& mode, const char* strategy)
{
    if (std::strcmp(strategy, "psapi") == 0)
        UsePsapiProcessFinder();
    else
        UseToolhelpProcessFinder();
    if (mode == "start-resident")
        CCompanionLink::StartResident();
    else
        CCompanionLink::StartWatchdog();
    return 0;
}

int RunAsStartedWatchdog()
{
    CRecordingWindow window("started", nullptr);
    if (!window.Create(kClassName, "started", WS_OVERLAPPEDWINDOW))
        return 3;
    return RunMessageLoop(window.GetHwnd());
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const int argc = __argc;
    char** const argv = __argv;
    if (argc == 1)
        return RunAsStartedWatchdog();
    const std::string mode = argv[1];
    if (mode == "record" && argc >= 4)
        return Record(argc, argv);
    if ((mode == "start-watchdog" || mode == "start-resident") && argc == 3)
        return StartCompanion(mode, argv[2]);
    if (mode == "launch-watchdog")
        return CCompanionLink::LaunchWatchdog() ? 1 : 0;
    return 1;
}
