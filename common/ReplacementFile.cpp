#include "common/ReplacementFile.h"

#include <utility>

namespace {

// One temporary name per process, so two programs saving at once never share one.
std::string TempPathFor(const std::string& target)
{
    return target + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
}

} // namespace

CReplacementFile::CReplacementFile(std::string targetPath)
    : m_targetPath(std::move(targetPath)), m_tempPath(TempPathFor(m_targetPath))
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
    MoveOverTarget();
    m_committed = true;
}

void CReplacementFile::MoveOverTarget()
{
    if (MoveFileExA(m_tempPath.c_str(), m_targetPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return;
    DWORD error = GetLastError();
    if (error == ERROR_CALL_NOT_IMPLEMENTED) {
        // Windows 9x has no MoveFileEx: delete, then rename. A crash in between
        // leaves the whole new text in the temporary file.
        if ((DeleteFileA(m_targetPath.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) &&
            MoveFileA(m_tempPath.c_str(), m_targetPath.c_str()))
            return;
        error = GetLastError();
    }
    fw::CFileException::ThrowOsError(m_targetPath, error);
}
