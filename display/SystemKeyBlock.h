#pragma once
// The system keys blocked while a lock display is shown: the screen-saver-running flag set
// (on Windows 9x that ends Ctrl+Alt+Del and the task switch) and the keyboard hooks on.
#include <windows.h>

#include "display/KeyboardHook.h"

class CSystemKeyBlock {
public:
    CSystemKeyBlock() = default;
    CSystemKeyBlock(const CSystemKeyBlock&) = delete;
    CSystemKeyBlock& operator=(const CSystemKeyBlock&) = delete;
    // A display that ends while shown (its program ends) gives the system keys back.
    ~CSystemKeyBlock();

    void Block();
    void Unblock();
    bool IsBlocked() const { return m_blocked; }

    // While blocked the running flag is the one Block set itself: then only the
    // configured screen saver's own window in front tells that one really runs.
    bool IsScreenSaverRunning() const;

private:
    CKeyboardHook m_hook;
    bool m_blocked = false;
};
