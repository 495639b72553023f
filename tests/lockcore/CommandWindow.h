#pragma once
// A hidden window that records the commands its channel delivers, with what their
// pointer arguments point to, and whether each arrived sent or posted.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handle.h"
#include "lockcore/LockCommandChannel.h"
#include "lockcore/LockScreen.h"

class CommandWindow {
public:
    LRESULT queryResult = 7;

    CommandWindow()
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KvTestCommandWindow";
        RegisterClassA(&windowClass);
        m_window.reset(CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       windowClass.hInstance, this));
    }

    HWND Get() const { return m_window.get(); }
    // The channel whose commands this window carries out on each UM_LOCK_COMMAND.
    void Listen(CLockCommandChannel& channel) { m_channel = &channel; }

    // Handles what was posted; returns every command so far as "sent|posted code arg".
    std::vector<std::string> Commands()
    {
        MSG msg;
        while (PeekMessageA(&msg, m_window.get(), 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        return m_commands;
    }
    void Clear()
    {
        Commands();
        m_commands.clear();
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<CommandWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == UM_LOCK_COMMAND) {
            if (self->m_channel)
                self->m_channel->Deliver([self](const CLockCommandChannel::SCommand& c) { return self->OnCommand(c); });
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    LRESULT OnCommand(const CLockCommandChannel::SCommand& command)
    {
        std::string line = command.sent ? "sent " : "posted ";
        line += std::to_string(command.code) + " " + Argument(command.code, command.argument);
        m_commands.push_back(line);
        return command.code == LOCKCMD_QUERY_MAY_UNLOCK ? queryResult : 1;
    }

    static std::string Argument(int code, LPARAM lParam)
    {
        switch (code) {
        case LOCKCMD_UNLOCK_REQUEST: {
            const auto* r = reinterpret_cast<const Corvantis::SUnlockRequest*>(lParam);
            return std::to_string(r->kind) + "," + std::to_string(r->value) + "," + std::to_string(r->flag);
        }
        case LOCKCMD_PASSWORD_RESULT: {
            const auto* r = reinterpret_cast<const Corvantis::SPasswordResult*>(lParam);
            return std::to_string(r->ok) + "," + std::to_string(r->mayUnlock) + "," + std::to_string(r->raiseAlarm);
        }
        case LOCKCMD_CHECK_PASSWORD:
            return "[" + *reinterpret_cast<const std::string*>(lParam) + "]";
        default:
            return std::to_string(lParam);
        }
    }

    fw::unique_hwnd m_window;
    std::vector<std::string> m_commands;
    CLockCommandChannel* m_channel = nullptr;
};
