#pragma once
// The plug-in's one object: the filter, the client library, the hidden event window and
// the option page. The log host calls every export on the thread that creates the
// plug-in's windows, so nothing here takes a lock.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "logplugin/EventApiLibrary.h"
#include "logplugin/LoggerFilter.h"
#include "logplugin/LoggerOptionPage.h"
#include "logplugin/LoggerWnd.h"

struct tagALOGEX_DATA;

class CLoggerApp {
public:
    CLoggerApp() = default;
    CLoggerApp(const CLoggerApp&) = delete;
    CLoggerApp& operator=(const CLoggerApp&) = delete;
    // At unload: stops logging, destroys the page and unregisters the window class, so
    // no window of this library outlives its code.
    ~CLoggerApp();

    int OnInit(BOOL wipe);
    int LoggingStart();
    int LoggingStop();
    int GetListViewDrawData(const tagALOGEX_DATA* record, const int* column, char* buffer, int size) const;
    HWND OnCreateOptionPage(HWND parent);
    void OnDestroyOptionPage();
    BOOL OnApplayOptionPage();
    void AddExclusion(const tagALOGEX_DATA* record, HWND owner);
    void Uninstall();

private:
    // The plug-in's folder under the log host's settings folder; none when the host gave
    // no settings folder (a path built from nothing would name the drive's root).
    static std::optional<std::string> FilterFolder();
    void ReadFilter();
    // Writes the filter and marks it saved; throws when it cannot be written.
    void WriteFilter();
    // Writes, and on failure shows the save failure to `owner`; false then.
    bool SaveFilterTelling(HWND owner);
    void ForgetDestroyedPage();

    CEventApiLibrary m_api;
    CLoggerFilter m_filter;
    bool m_filterSaved = true;  // false after a failed write: the next Apply writes again
    std::unique_ptr<CLoggerWnd> m_window;
    std::unique_ptr<CLoggerOptionPage> m_page;
};
