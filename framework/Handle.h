#pragma once
// Move-only owners for Win32 handles: one template, one closer per kind.
#include <windows.h>

#include <utility>

namespace fw {

// Traits: the value type, how to close it and which value means "nothing held".
template <typename T, auto Close>
struct null_is_empty {
    using type = T;
    static T empty() { return T{}; }
    static void close(T value) { Close(value); }
};

template <typename Traits>
class unique_any {
    using T = typename Traits::type;

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
    explicit operator bool() const { return m_value != Traits::empty(); }

    // Closes the held value; the caller's last error survives, so a failed call can
    // still be reported after its handles are released.
    void reset(T value = Traits::empty())
    {
        if (m_value != Traits::empty()) {
            const DWORD error = GetLastError();
            Traits::close(m_value);
            SetLastError(error);
        }
        m_value = value;
    }

    T release() { return std::exchange(m_value, Traits::empty()); }

    // For out-parameters: releases the held value and exposes the slot.
    T* put()
    {
        reset();
        return &m_value;
    }

private:
    T m_value = Traits::empty();
};

inline void CloseHandleValue(HANDLE h) { ::CloseHandle(h); }
inline void UnhookValue(HHOOK h) { ::UnhookWindowsHookEx(h); }
inline void FreeLibraryValue(HMODULE h) { ::FreeLibrary(h); }
inline void LocalFreeValue(HLOCAL h) { ::LocalFree(h); }
inline void DeleteObjectValue(HGDIOBJ h) { ::DeleteObject(h); }
inline void DestroyWindowValue(HWND h) { ::DestroyWindow(h); }

struct file_handle_traits {
    using type = HANDLE;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};

struct find_handle_traits {
    using type = HANDLE;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::FindClose(h); }
};

using unique_handle = unique_any<null_is_empty<HANDLE, CloseHandleValue>>;
using unique_hfile = unique_any<file_handle_traits>;  // INVALID_HANDLE_VALUE is empty
using unique_hfind = unique_any<find_handle_traits>;  // a FindFirstFile search
using unique_hhook = unique_any<null_is_empty<HHOOK, UnhookValue>>;
using unique_hmodule = unique_any<null_is_empty<HMODULE, FreeLibraryValue>>;
using unique_hlocal = unique_any<null_is_empty<HLOCAL, LocalFreeValue>>;
using unique_hgdiobj = unique_any<null_is_empty<HGDIOBJ, DeleteObjectValue>>;
using unique_hwnd = unique_any<null_is_empty<HWND, DestroyWindowValue>>;

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
