#pragma once
// The lock-event client's hidden window, on the worker thread: it announces itself to
// the resident program's event server (again whenever a server announces its start),
// keeps each record the server hands it and tells the caller's window its id.
//
// A plain Win32 window rather than a framework window: its class belongs to this library's
// module and is unregistered when the worker ends, so an unloaded and reloaded library
// never meets a class whose procedure points into the old mapping.
#include <windows.h>

#include <string>

#include "eventapi/EventRecordStore.h"

class CEventClientWnd {
public:
    // `library`: this library's module, which owns the window class.
    CEventClientWnd(HMODULE library, HWND callerWindow, UINT callerMessage, CEventRecordStore& store);
    CEventClientWnd(const CEventClientWnd&) = delete;
    CEventClientWnd& operator=(const CEventClientWnd&) = delete;
    ~CEventClientWnd();

    // Registers both messages, creates the window on the calling thread and announces
    // it; false when the window cannot be created.
    bool Create(const std::string& registerName, const std::string& announceName);
    void Announce() const;

    HWND GetHwnd() const { return m_window; }

    static constexpr char kClassName[] = "ArdenvaleEventClientWnd";

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCopyData(const COPYDATASTRUCT* data);

    HMODULE m_library;
    HWND m_callerWindow;
    UINT m_callerMessage;
    CEventRecordStore& m_store;
    UINT m_registerId = 0;
    UINT m_announceId = 0;
    HWND m_window = nullptr;
};
