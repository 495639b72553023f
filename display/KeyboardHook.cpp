#include "display/KeyboardHook.h"

#include "common/OSVersion.h"
#include "framework/Handle.h"
#include "display/LockKeyRule.h"

namespace {

// Process-wide: Windows calls the procedures without an object.
struct SHookState {
    fw::unique_hhook lowLevel;
    fw::unique_hhook classic;
    bool installed = false;
    lockkeys::SKeyboardState keys;
    HWND keyReleaseWindow = nullptr;
};

SHookState& State()
{
    static SHookState state;
    return state;
}

LRESULT CALLBACK PassLowLevelKey(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextLowLevelKeyboardHook(code, wParam, lParam);
}

LRESULT CALLBACK PassKey(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextKeyboardHook(code, wParam, lParam);
}

// The keys down now: their presses went by before the hook, so their releases must too.
lockkeys::SKeyboardState KeysDownNow()
{
    lockkeys::SKeyboardState keys;
    for (unsigned key = 1; key < lockkeys::kKeyCount; ++key)
        if (GetAsyncKeyState(static_cast<int>(key)) < 0)
            keys.MarkHeld(key);
    return keys;
}

bool IsWindows9x()
{
    if (GetPlatformType() == 0)
        InitPlatformType();
    return GetPlatformType() == PLATFORM_9X;
}

} // namespace

BOOL CKeyboardHook::Install(HOOKPROC classicProc, HOOKPROC lowLevelProc)
{
    SHookState& state = State();
    if (state.installed)
        return TRUE;
    state.keys = KeysDownNow();
    const HINSTANCE module = GetModuleHandleA(nullptr);
    state.lowLevel.reset(SetWindowsHookExA(WH_KEYBOARD_LL, lowLevelProc ? lowLevelProc : PassLowLevelKey, module, 0));
    if (IsWindows9x())
        state.classic.reset(SetWindowsHookExA(WH_KEYBOARD, classicProc ? classicProc : PassKey, module, 0));
    state.installed = state.lowLevel || state.classic;
    return state.installed ? TRUE : FALSE;
}

BOOL CKeyboardHook::Remove()
{
    SHookState& state = State();
    state.lowLevel.reset();
    state.classic.reset();
    state.installed = false;
    return TRUE;
}

bool CKeyboardHook::IsInstalled()
{
    return State().installed;
}

void SetKeyReleaseWindow(HWND window)
{
    State().keyReleaseWindow = window;
}

LRESULT CallNextKeyboardHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(State().classic.get(), code, wParam, lParam);
}

LRESULT CallNextLowLevelKeyboardHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(State().lowLevel.get(), code, wParam, lParam);
}

LRESULT CALLBACK LockLowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code != HC_ACTION)
        return CallNextLowLevelKeyboardHook(code, wParam, lParam);
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    SHookState& state = State();
    const lockkeys::SVerdict verdict =
        lockkeys::Decide(static_cast<unsigned>(wParam), static_cast<unsigned>(key->vkCode), state.keys);
    if (verdict.released && state.keyReleaseWindow)
        PostMessageA(state.keyReleaseWindow, UM_KEY_RELEASED, 0, 0);
    return verdict.swallow ? 1 : CallNextLowLevelKeyboardHook(code, wParam, lParam);
}

LRESULT CALLBACK LockKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && (wParam == VK_LWIN || wParam == VK_RWIN))
        return 1;
    return CallNextKeyboardHook(code, wParam, lParam);
}
