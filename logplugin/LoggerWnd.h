#pragma once
// The hidden window to which the client library posts each lock event; it hands the
// events its filter lets through to the log service.
#include "framework/Window.h"

class CLoggerFilter;
struct SArdenvaleFunctions;

class CLoggerWnd : public fw::CWindow {
public:
    static constexpr const char* kClassName = "ArdenvaleLoggerWnd";
    static constexpr UINT UM_LOCK_EVENT = WM_APP + 1;  // wParam: the event's id in the client library

    CLoggerWnd(const SArdenvaleFunctions& api, const CLoggerFilter& filter) : m_api(api), m_filter(filter) {}

    bool Create() { return fw::CWindow::Create(kClassName, "", 0); }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnLockEvent(UINT id) const;

    const SArdenvaleFunctions& m_api;
    const CLoggerFilter& m_filter;
};
