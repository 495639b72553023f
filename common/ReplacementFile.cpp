#include "common/ReplacementFile.h"

#include <utility>

#include "common/PathText.h"

namespace {

constexpr int kMoveAttempts = 5;
constexpr DWORD kFirstMoveBackOff = 20;  // doubled after each attempt: 300 ms in all
// Far more than the kept copies and leftovers that a folder gathers between two saves.
constexpr unsigned kTempNames = 1000;

// `target.<process id>-<n>.tmp`: the process id keeps programs saving at once apart, n
// counts past the names of this process that files still have (a kept copy among them).
std::string TempPathFor(const std::string& target, unsigned n)
{
    return target + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n) + ".tmp";
}

// A name TempPathFor gives (or the `target.<process id>.tmp` of earlier versions), not just
// one the search's pattern matches.
bool IsTempNameOf(const std::string& target, const std::string& path)
{
    const std::string prefix = target + ".", suffix = ".tmp";
    if (path.size() <= prefix.size() + suffix.size() ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(), int(prefix.size()), prefix.c_str(),
                       int(prefix.size())) != CSTR_EQUAL)
        return false;
    const std::string id = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    return id.find_first_not_of("0123456789-") == std::string::npos;
}

// Calls `each` with the path and find data of every temporary file of `target`.
template <typename Each>
void ForEachTempFile(const std::string& target, Each each)
{
    const std::string folder = PathText::AppendBackslash(PathText::RemovePathComponents(target, 1));
    WIN32_FIND_DATAA found;
    const fw::unique_hfind search(FindFirstFileA((target + ".*.tmp").c_str(), &found));
    if (!search)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTempNameOf(target, folder + found.cFileName))
            each(folder + found.cFileName, found);
    } while (FindNextFileA(search.get(), &found));
}

using ReplaceFileFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID);

// Bound at run time: Windows 9x has no ReplaceFile.
ReplaceFileFunction ReplaceFileEntry()
{
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return reinterpret_cast<ReplaceFileFunction>(
        reinterpret_cast<void (*)()>(kernel ? GetProcAddress(kernel, "ReplaceFileA") : nullptr));
}

const CFileSwap kWindowsSwap;

} // namespace

bool CFileSwap::Replace(const std::string& replaced, const std::string& replacement) const
{
    static const ReplaceFileFunction replaceFile = ReplaceFileEntry();
    if (!replaceFile) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return false;
    }
    return replaceFile(replaced.c_str(), replacement.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr);
}

bool CFileSwap::MoveReplacing(const std::string& from, const std::string& to) const
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool CFileSwap::Delete(const std::string& path) const
{
    return DeleteFileA(path.c_str());
}

bool CFileSwap::Move(const std::string& from, const std::string& to) const
{
    return MoveFileA(from.c_str(), to.c_str());
}

const CFileSwap& CFileSwap::Windows()
{
    return kWindowsSwap;
}

CReplacementFile::CReplacementFile(std::string targetPath) : CReplacementFile(std::move(targetPath), kWindowsSwap) {}

CReplacementFile::CReplacementFile(std::string targetPath, const CFileSwap& swap)
    : m_targetPath(std::move(targetPath)), m_swap(swap)
{
    CreateTempFile();
}

void CReplacementFile::CreateTempFile()
{
    for (unsigned n = 0;; ++n) {
        m_tempPath = TempPathFor(m_targetPath, n);
        try {
            m_file.emplace(m_tempPath, fw::CFile::modeCreateNew | fw::CFile::modeWrite | fw::CFile::shareDenyWrite);
            return;
        } catch (const fw::CFileException& e) {
            if (e.m_lOsError != ERROR_FILE_EXISTS || n + 1 == kTempNames)
                throw;
        }
    }
}

CReplacementFile::~CReplacementFile()
{
    if (m_committed || m_onlyCopy)
        return;
    m_file.reset();
    DeleteFileA(m_tempPath.c_str());
}

void CReplacementFile::Write(std::string_view data)
{
    m_file->Write(data.data(), data.size());
}

bool CReplacementFile::Commit(EWait wait)
{
    m_file->Flush();
    m_file->Close();
    m_file.reset();
    const bool inPlace = SwapWithTarget(wait);
    m_committed = true;
    return inPlace;
}

bool CReplacementFile::SwapWithTarget(EWait wait)
{
    if (m_swap.Replace(m_targetPath, m_tempPath))
        return true;
    DWORD error = GetLastError();
    switch (error) {
    case ERROR_FILE_NOT_FOUND:        // the first save: nothing to replace
    case ERROR_CALL_NOT_IMPLEMENTED:  // Windows without ReplaceFile
        error = MoveOverTargetRetrying(wait);
        break;
    // Halfway, the new file still under its temporary name: the old one is gone (1176,
    // there being no backup name) or under another name (1177). The move finishes it.
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        m_onlyCopy = true;
        error = MoveOverTargetRetrying(wait);
        break;
    default:  // nothing changed (the target is held open, or read-only)
        break;
    }
    if (error == ERROR_SUCCESS)
        return true;
    if (m_onlyCopy)
        return false;  // kept: every read now takes the new text
    fw::CFileException::ThrowOsError(m_targetPath, error);
}

DWORD CReplacementFile::MoveOverTarget()
{
    if (m_swap.MoveReplacing(m_tempPath, m_targetPath))
        return ERROR_SUCCESS;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return GetLastError();
    // Windows 9x has no MoveFileEx: delete, then rename. A crash in between leaves the
    // whole new text in the temporary file.
    if (!m_swap.Delete(m_targetPath) && GetLastError() != ERROR_FILE_NOT_FOUND)
        return GetLastError();
    m_onlyCopy = true;
    return m_swap.Move(m_tempPath, m_targetPath) ? ERROR_SUCCESS : GetLastError();
}

DWORD CReplacementFile::MoveOverTargetRetrying(EWait wait)
{
    const DWORD attempts = wait == EWait::MayWait ? kMoveAttempts : 1;
    DWORD error = MoveOverTarget();
    for (DWORD backOff = kFirstMoveBackOff, attempt = 1; error != ERROR_SUCCESS && m_onlyCopy && attempt < attempts;
         backOff *= 2, ++attempt) {
        Sleep(backOff);
        error = MoveOverTarget();
    }
    return error;
}

std::optional<std::string> CReplacementFile::FindKeptCopy(const std::string& target)
{
    if (fw::CFile::Exists(target))
        return std::nullopt;
    std::optional<std::string> newest;
    FILETIME newestTime = {};
    ForEachTempFile(target, [&](const std::string& path, const WIN32_FIND_DATAA& found) {
        if (CompareFileTime(&found.ftLastWriteTime, &newestTime) >= 0) {
            newest = path;
            newestTime = found.ftLastWriteTime;
        }
    });
    return newest;
}

std::vector<std::string> CReplacementFile::ListTempFiles(const std::string& target)
{
    std::vector<std::string> found;
    ForEachTempFile(target, [&found](const std::string& path, const WIN32_FIND_DATAA&) { found.push_back(path); });
    return found;
}

void CReplacementFile::RemoveKeptCopies(const std::string& target)
{
    ForEachTempFile(target, [](const std::string& path, const WIN32_FIND_DATAA&) { DeleteFileA(path.c_str()); });
}
