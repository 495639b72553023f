#pragma once
// The event server's hidden top-level window: it keeps the client windows that registered
// with it and hands each event record to every one still alive.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Window.h"

class CEventServerWnd : public fw::CWindow {
public:
    CEventServerWnd() = default;
    // Destroys the window while the client list still exists.
    ~CEventServerWnd() override;

    // Creates the window on the calling thread, registers both messages and announces
    // the server; false when the window cannot be created.
    bool Create(const std::string& registerName, const std::string& announceName);
    void Announce() const;
    // Sends the record to each listed window in registration order, waiting at most 2000 ms
    // for each; windows that no longer exist are dropped, every other one stays listed.
    void Broadcast(const void* bytes, uint32_t length);

    size_t ClientCount() const { return m_clients.size(); }
    UINT RegisterMessage() const { return m_registerId; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Lists the window once, however often it registers, also during a broadcast.
    void AddClient(HWND client);
    void DropClient(HWND client);

    std::vector<HWND> m_clients;
    UINT m_registerId = 0;
    UINT m_announceId = 0;
};
