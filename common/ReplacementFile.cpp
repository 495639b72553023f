#include "common/ReplacementFile.h"

#include <utility>

#include "common/PathText.h"

namespace {

constexpr int kMoveAttempts = 5;
constexpr DWORD kFirstMoveBackOff = 20;  // doubled after each attempt: 300 ms in all

// One temporary name per process, so two programs saving at once never share one.
std::string TempPathFor(const std::string& target)
{
    return target + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
}

// The name TempPathFor gives some process, not just one the search's pattern matches.
bool IsTempNameOf(const std::string& target, const std::string& path)
{
    const std::string prefix = target + ".", suffix = ".tmp";
    if (path.size() <= prefix.size() + suffix.size() ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(), int(prefix.size()), prefix.c_str(),
                       int(prefix.size())) != CSTR_EQUAL)
        return false;
    const std::string id = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    return id.find_first_not_of("0123456789") == std::string::npos;
}

// Equal as parts of file names: ignoring case.
bool IsSameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), int(a.size()), b.data(),
                                                  int(b.size())) == CSTR_EQUAL;
}

// "<prefix>...<suffix>" with something between.
bool IsFramedBy(std::string_view name, std::string_view prefix, std::string_view suffix)
{
    return name.size() > prefix.size() + suffix.size() && IsSameName(name.substr(0, prefix.size()), prefix) &&
           IsSameName(name.substr(name.size() - suffix.size()), suffix);
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

CReplacementFile::CReplacementFile(std::string targetPath) : CReplacementFile(std::move(targetPath), kWindowsSwap) {}

CReplacementFile::CReplacementFile(std::string targetPath, const CFileSwap& swap)
    : m_targetPath(std::move(targetPath)), m_tempPath(TempPathFor(m_targetPath)), m_swap(swap)
{
    m_file.emplace(m_tempPath, fw::CFile::modeCreate | fw::CFile::modeWrite | fw::CFile::shareDenyWrite);
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

void CReplacementFile::Commit()
{
    m_file->Flush();
    m_file->Close();
    m_file.reset();
    SwapWithTarget();
    m_committed = true;
}

void CReplacementFile::SwapWithTarget()
{
    if (m_swap.Replace(m_targetPath, m_tempPath))
        return;
    DWORD error = GetLastError();
    switch (error) {
    case ERROR_FILE_NOT_FOUND:        // the first save: nothing to replace
    case ERROR_CALL_NOT_IMPLEMENTED:  // Windows without ReplaceFile
        error = MoveOverTargetRetrying();
        break;
    // Halfway, the new file still under its temporary name: the old one is gone (1176,
    // there being no backup name) or under another name (1177). The move finishes it.
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        m_onlyCopy = true;
        error = MoveOverTargetRetrying();
        break;
    default:  // nothing changed (the target is held open, or read-only)
        break;
    }
    if (error != ERROR_SUCCESS)
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

DWORD CReplacementFile::MoveOverTargetRetrying()
{
    DWORD error = MoveOverTarget();
    for (DWORD backOff = kFirstMoveBackOff, attempt = 1; error != ERROR_SUCCESS && m_onlyCopy && attempt < kMoveAttempts;
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
    const std::string folder = PathText::AppendBackslash(PathText::RemovePathComponents(target, 1));
    WIN32_FIND_DATAA found;
    const fw::unique_hfind search(FindFirstFileA((target + ".*.tmp").c_str(), &found));
    if (!search)
        return std::nullopt;
    std::optional<std::string> newest;
    FILETIME newestTime = {};
    do {
        if (!IsTempNameOf(target, folder + found.cFileName) || CompareFileTime(&found.ftLastWriteTime, &newestTime) < 0)
            continue;
        newest = folder + found.cFileName;
        newestTime = found.ftLastWriteTime;
    } while (FindNextFileA(search.get(), &found));
    return newest;
}

std::vector<std::string> CReplacementFile::ListTempFiles(const std::string& target)
{
    const std::string folder = PathText::AppendBackslash(PathText::RemovePathComponents(target, 1));
    const std::string prefix = PathText::FileName(target) + ".", suffix = ".tmp";
    std::vector<std::string> found;
    WIN32_FIND_DATAA entry;
    const fw::unique_hfind search(FindFirstFileA((target + ".*" + suffix).c_str(), &entry));
    if (!search)
        return found;
    do {
        // The search also matches by the short name, and "*.tmp" takes longer extensions.
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsFramedBy(entry.cFileName, prefix, suffix))
            found.push_back(folder + entry.cFileName);
    } while (FindNextFileA(search.get(), &entry));
    return found;
}
