#include "common/ReplacementFile.h"

#include <utility>

namespace {

// One temporary name per process, so two programs saving at once never share one.
std::string TempPathFor(const std::string& target)
{
    return target + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
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
    if (m_committed)
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
    // Halfway, the new file still under its temporary name: the old one is gone (1176,
    // there being no backup name) or under another name (1177). The move finishes it.
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        error = MoveOverTarget();
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
    if ((m_swap.Delete(m_targetPath) || GetLastError() == ERROR_FILE_NOT_FOUND) && m_swap.Move(m_tempPath, m_targetPath))
        return ERROR_SUCCESS;
    return GetLastError();
}
