#pragma once
// Where a plain window keeps the C++ object bound to it: a window property under the
// name of the object's kind. Every window can hold one whatever its class, so the
// framework's own windows and subclassed controls share this one mechanism, and objects
// of both kinds can sit on the same window. The binder removes the property at the
// WM_NCDESTROY of the window's real destruction, as Windows expects of whoever set it.
// (Dialogs keep theirs in DWLP_USER.)
#include <windows.h>

namespace fw {

template <class T>
class TWindowBinding {
public:
    explicit constexpr TWindowBinding(const char* name) : m_name(name) {}

    bool Bind(HWND window, T* object) const { return SetPropA(window, m_name, object) != FALSE; }
    void Unbind(HWND window) const { RemovePropA(window, m_name); }
    // The bound object, or null.
    T* Find(HWND window) const { return window ? static_cast<T*>(GetPropA(window, m_name)) : nullptr; }

private:
    const char* m_name;
};

} // namespace fw
