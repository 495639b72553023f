#pragma once
// Move-only owners for Win32 handles: one template, one closer per kind.
#include <windows.h>

#include <utility>

namespace fw {

template <typename T, auto Close, T Empty = T{}>
class unique_any {
public:
    unique_any() = default;
    explicit unique_any(T value) : m_value(value) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : m_value(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    T get() const { return m_value; }
    explicit operator bool() const { return m_value != Empty; }

    // Closes the held value; the caller's last error survives, so a failed call can
    // still be reported after its handles are released.
    void reset(T value = Empty)
    {
        if (m_value != Empty) {
            const DWORD error = GetLastError();
            Close(m_value);
            SetLastError(error);
        }
        m_value = value;
    }

    T release() { return std::exchange(m_value, Empty); }

    // For out-parameters: releases the held value and exposes the slot.
    T* put()
    {
        reset();
        return &m_value;
    }

private:
    T m_value = Empty;
};

inline void CloseHandleValue(HANDLE h) { ::CloseHandle(h); }
inline void UnhookValue(HHOOK h) { ::UnhookWindowsHookEx(h); }
inline void FreeLibraryValue(HMODULE h) { ::FreeLibrary(h); }
inline void LocalFreeValue(HLOCAL h) { ::LocalFree(h); }
inline void DeleteObjectValue(HGDIOBJ h) { ::DeleteObject(h); }
inline void DestroyWindowValue(HWND h) { ::DestroyWindow(h); }

using unique_handle = unique_any<HANDLE, CloseHandleValue>;  // null is empty
using unique_hfile = unique_any<HANDLE, CloseHandleValue, INVALID_HANDLE_VALUE>;
using unique_hhook = unique_any<HHOOK, UnhookValue>;
using unique_hmodule = unique_any<HMODULE, FreeLibraryValue>;
using unique_hlocal = unique_any<HLOCAL, LocalFreeValue>;
using unique_hgdiobj = unique_any<HGDIOBJ, DeleteObjectValue>;
using unique_hwnd = unique_any<HWND, DestroyWindowValue>;

// Runs a callable when the scope ends, for the odd one-off clean-up.
template <typename F>
class scope_exit {
public:
    explicit scope_exit(F f) : m_f(std::move(f)) {}
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;
    ~scope_exit() { m_f(); }

private:
    F m_f;
};

} // namespace fw
