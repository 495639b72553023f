#include "common/PsapiProcessFinder.h"

#include <algorithm>

#include "common/ExecutableName.h"
#include "framework/Handle.h"

namespace {

constexpr DWORD kOpenRights = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
constexpr DWORD kFirstIdBufferBytes = 1024;
constexpr DWORD kMaxModules = 1024;

CPsapiLibrary& LoadedLibrary()
{
    CPsapiLibrary& library = CPsapiLibrary::Instance();
    library.Load(); // unbound entry points make every question answer "none"
    return library;
}

std::string ModuleFileName(const CPsapiFunctions& functions, HANDLE process, HMODULE module)
{
    char name[MAX_PATH] = {};
    const DWORD length = functions.getModuleFileNameEx(process, module, name, sizeof name);
    return std::string(name, length < sizeof name ? length : 0);
}

} // namespace

CPsapiProcessFinder::CPsapiProcessFinder() : m_functions(LoadedLibrary()), m_sessions(CSessionLibrary::Loaded()) {}

// The system answers with as many ids as fit; a full buffer may have cut the list,
// so ask again with twice the room until the answer is shorter.
std::vector<DWORD> CPsapiProcessFinder::ProcessIds() const
{
    if (!m_functions.IsBound())
        return {};
    for (DWORD bytes = kFirstIdBufferBytes;; bytes *= 2) {
        std::vector<DWORD> ids(bytes / sizeof(DWORD));
        DWORD returned = 0;
        if (!m_functions.enumProcesses(ids.data(), bytes, &returned))
            return {};
        if (returned < bytes) {
            ids.resize(returned / sizeof(DWORD));
            return ids;
        }
    }
}

bool CPsapiProcessFinder::IsProcessNamed(DWORD processId, std::string_view executableName) const
{
    const fw::unique_handle process(OpenProcess(kOpenRights, FALSE, processId));
    if (!process)
        return false;
    HMODULE program = nullptr;
    DWORD needed = 0;
    if (!m_functions.enumProcessModules(process.get(), &program, sizeof program, &needed))
        return false;
    return exename::Matches(ModuleFileName(m_functions, process.get(), program), executableName);
}

std::optional<DWORD> CPsapiProcessFinder::FindProcess(std::string_view executableName)
{
    const CSessionFilter session(m_sessions);
    for (const DWORD id : ProcessIds()) {
        if (session.Counts(id) && IsProcessNamed(id, executableName))
            return id;
    }
    return std::nullopt;
}

bool CPsapiProcessFinder::EnumModules(DWORD processId, CModuleList& modules)
{
    modules.Clear();
    if (!m_functions.IsBound())
        return false;
    const fw::unique_handle process(OpenProcess(kOpenRights, FALSE, processId));
    if (!process)
        return false;
    std::vector<HMODULE> handles(kMaxModules);
    DWORD needed = 0;
    if (!m_functions.enumProcessModules(process.get(), handles.data(),
                                        kMaxModules * sizeof(HMODULE), &needed))
        return false;
    handles.resize(std::min<DWORD>(needed / sizeof(HMODULE), kMaxModules));
    for (const HMODULE module : handles)
        modules.Add(ModuleFileName(m_functions, process.get(), module), module);
    return true;
}
