#pragma once
// The modules of one process: its program file kept apart from the libraries.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

struct CModuleEntry {
    std::string path;
    HMODULE module = nullptr;
};

class CModuleList {
public:
    // Ignores an empty path or a null handle. A path ending in ".EXE" (any case) becomes
    // the main module, replacing an earlier one; any other is appended.
    void Add(const std::string& path, HMODULE module);
    void Clear();

    const std::optional<CModuleEntry>& MainModule() const { return m_main; }
    const std::vector<CModuleEntry>& OtherModules() const { return m_others; }

private:
    std::optional<CModuleEntry> m_main;
    std::vector<CModuleEntry> m_others;
};
