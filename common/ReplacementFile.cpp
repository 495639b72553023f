#include "common/ReplacementFile.h"

#include <algorithm>
#include <utility>

#include "common/PathText.h"

namespace {

constexpr int kMoveAttempts = 5;
constexpr DWORD kFirstMoveBackOff = 20;  // doubled after each attempt: 300 ms in all
// Far more than the kept copies and leftovers that a folder gathers between two saves.
constexpr unsigned kTempNames = 1000;

// `target.<process id>-<n>.tmp`: the process id keeps programs saving at once apart, n
// counts past the names of this process that files still have (a kept copy among them).
std::string KeptPathFor(const std::string& target, unsigned n)
{
    return target + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n) + ".tmp";
}

constexpr char kUnfinished[] = ".part";

// `target.<process id>-<n>.part.tmp`: the name a save writes under, which reads never take.
std::string UnfinishedPathFor(const std::string& target, unsigned n)
{
    const std::string kept = KeptPathFor(target, n);
    return kept.substr(0, kept.size() - 4) + kUnfinished + ".tmp";
}

enum class ETempName { None, Kept, Unfinished };

// What a name is to `target`: a name KeptPathFor gives (or the `target.<process id>.tmp` of
// earlier versions), one UnfinishedPathFor gives, or neither, whatever the search's pattern
// matched.
ETempName TempNameOf(const std::string& target, const std::string& path)
{
    const std::string prefix = target + ".", suffix = ".tmp";
    if (path.size() <= prefix.size() + suffix.size() ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(), int(prefix.size()), prefix.c_str(),
                       int(prefix.size())) != CSTR_EQUAL)
        return ETempName::None;
    std::string id = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    const std::size_t unfinished = id.size() - std::min(id.size(), sizeof kUnfinished - 1);
    const bool isUnfinished = CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, id.c_str() + unfinished,
                                             int(id.size() - unfinished), kUnfinished, -1) == CSTR_EQUAL;
    if (isUnfinished)
        id.resize(unfinished);
    if (id.empty() || id.find_first_not_of("0123456789-") != std::string::npos)
        return ETempName::None;
    return isUnfinished ? ETempName::Unfinished : ETempName::Kept;
}

// Calls `each` with the path, its kind and the find data of every temporary file of `target`.
template <typename Each>
void ForEachTempFile(const std::string& target, Each each)
{
    const std::string folder = PathText::AppendBackslash(PathText::RemovePathComponents(target, 1));
    WIN32_FIND_DATAA found;
    const fw::unique_hfind search(FindFirstFileA((target + ".*.tmp").c_str(), &found));
    if (!search)
        return;
    do {
        const std::string path = folder + found.cFileName;
        const ETempName kind = TempNameOf(target, path);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && kind != ETempName::None)
            each(path, kind, found);
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
    for (unsigned n = 0; n < kTempNames; ++n) {
        m_keptPath = KeptPathFor(m_targetPath, n);
        m_tempPath = UnfinishedPathFor(m_targetPath, n);
        if (fw::CFile::Exists(m_keptPath))
            continue;
        try {
            m_file.emplace(m_tempPath, fw::CFile::modeCreateNew | fw::CFile::modeWrite | fw::CFile::shareDenyWrite);
            return;
        } catch (const fw::CFileException& e) {
            if (e.m_lOsError != ERROR_FILE_EXISTS)
                throw;
        }
    }
    fw::CFileException::ThrowOsError(m_tempPath, ERROR_FILE_EXISTS);
}

CReplacementFile::~CReplacementFile()
{
    if (m_committed || m_onlyCopy)
        return;
    m_file.reset();
    DeleteFileA(m_tempPath.c_str());
}

void CReplacementFile::NameAsKeptCopy()
{
    if (!MoveFileA(m_tempPath.c_str(), m_keptPath.c_str()))
        fw::CFileException::ThrowOsError(m_tempPath);
    m_tempPath = m_keptPath;
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
    // Where a file is there, a swap that stops halfway leaves the new one as the only copy,
    // which reads must then take: it gets a kept copy's name, now that it is whole. Where
    // none is there, it goes to its place from the name reads never take: a move that fails
    // then leaves the settings as they were, whatever becomes of the new file.
    if (fw::CFile::Exists(m_targetPath))
        NameAsKeptCopy();
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
    // whole new text in the temporary file, under its kept copy's name.
    if (m_swap.Delete(m_targetPath))
        m_onlyCopy = true;
    else if (GetLastError() != ERROR_FILE_NOT_FOUND)
        return GetLastError();
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
    ForEachTempFile(target, [&](const std::string& path, ETempName kind, const WIN32_FIND_DATAA& found) {
        if (kind == ETempName::Kept && CompareFileTime(&found.ftLastWriteTime, &newestTime) >= 0) {
            newest = path;
            newestTime = found.ftLastWriteTime;
        }
    });
    return newest;
}

std::vector<std::string> CReplacementFile::ListTempFiles(const std::string& target)
{
    std::vector<std::string> found;
    ForEachTempFile(target, [&found](const std::string& path, ETempName, const WIN32_FIND_DATAA&) {
        found.push_back(path);
    });
    return found;
}

void CReplacementFile::RemoveKeptCopies(const std::string& target)
{
    ForEachTempFile(target,
                    [](const std::string& path, ETempName, const WIN32_FIND_DATAA&) { DeleteFileA(path.c_str()); });
}
