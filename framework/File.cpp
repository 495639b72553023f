#include "framework/File.h"

#include <algorithm>
#include <utility>

namespace fw {

namespace {

std::string DescribeError(DWORD osError, const std::string& fileName)
{
    return "file error " + std::to_string(osError) + ": " + fileName;
}

} // namespace

CFileException::CFileException(Cause cause, DWORD osError, std::string fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)),
      m_message(DescribeError(osError, m_strFileName))
{
}

CFileException::Cause CFileException::OsErrorToCause(DWORD osError)
{
    switch (osError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE: return hardIO;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
    }
}

void CFileException::ThrowOsError(std::string fileName, DWORD osError)
{
    if (osError == 0)
        osError = GetLastError();
    throw CFileException(OsErrorToCause(osError), osError, std::move(fileName));
}

CFile::CFile(std::string path, unsigned flags) : m_path(std::move(path))
{
    const DWORD access = (flags & modeWrite) ? GENERIC_WRITE : GENERIC_READ;
    const DWORD share = (flags & shareDenyWrite) ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    const DWORD creation = (flags & modeCreateNew) ? CREATE_NEW : (flags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    m_file.reset(CreateFileA(m_path.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file)
        CFileException::ThrowOsError(m_path);
}

std::uint64_t CFile::GetLength() const
{
    DWORD high = 0;
    const DWORD low = GetFileSize(m_file.get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        CFileException::ThrowOsError(m_path);
    return (std::uint64_t(high) << 32) | low;
}

std::size_t CFile::Read(void* buffer, std::size_t count)
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < count) {
        const DWORD chunk = DWORD(std::min<std::size_t>(count - total, 0x40000000));
        DWORD read = 0;
        if (!ReadFile(m_file.get(), bytes + total, chunk, &read, nullptr))
            CFileException::ThrowOsError(m_path);
        if (read == 0)
            break;
        total += read;
    }
    return total;
}

void CFile::Write(const void* data, std::size_t count)
{
    const auto* bytes = static_cast<const char*>(data);
    std::size_t total = 0;
    while (total < count) {
        const DWORD chunk = DWORD(std::min<std::size_t>(count - total, 0x40000000));
        DWORD written = 0;
        if (!WriteFile(m_file.get(), bytes + total, chunk, &written, nullptr))
            CFileException::ThrowOsError(m_path);
        if (written == 0)
            CFileException::ThrowOsError(m_path, ERROR_DISK_FULL);
        total += written;
    }
}

void CFile::Flush()
{
    if (!FlushFileBuffers(m_file.get()))
        CFileException::ThrowOsError(m_path);
}

void CFile::Close()
{
    if (!CloseHandle(m_file.release()))
        CFileException::ThrowOsError(m_path);
}

bool CFile::Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace fw
