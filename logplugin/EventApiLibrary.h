#pragma once
// The lock-event client library "ArdenvaleAPI.dll", loaded from the plug-in's own folder
// on first use and kept until the plug-in unloads.
#include <string>

#include "eventapi/ArdenvaleAPI.h"
#include "framework/Handle.h"

class CEventApiLibrary {
public:
    // Loads and binds the library at `path`, once; a library that lacks one of the three
    // functions is freed again. True when bound.
    bool Load(const std::string& path);
    bool IsLoaded() const { return static_cast<bool>(m_library); }
    // Null until loaded.
    const SArdenvaleFunctions* Functions() const { return m_library ? &m_functions : nullptr; }

private:
    bool m_tried = false;
    fw::unique_hmodule m_library;
    SArdenvaleFunctions m_functions;
};
