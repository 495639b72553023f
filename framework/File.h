#pragma once
// A file opened with one of the settings file's share modes; every failing
// operation throws CFileException with the Win32 error.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>

#include "framework/Handle.h"

namespace fw {

class CFileException : public std::exception {
public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        directoryFull,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    CFileException(Cause cause, DWORD osError, std::string fileName);

    static Cause OsErrorToCause(DWORD osError);
    // Throws the exception for `osError` (GetLastError() when 0 is passed).
    [[noreturn]] static void ThrowOsError(std::string fileName, DWORD osError = 0);

    const char* what() const noexcept override { return m_message.c_str(); }

    Cause m_cause;
    DWORD m_lOsError;
    std::string m_strFileName;

private:
    std::string m_message;
};

class CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        shareDenyWrite = 0x0020,  // others may read while this is open, never write
        modeCreate = 0x1000,      // create, or empty the file that exists
        modeCreateNew = 0x2000,   // create; fails where a file has the name
    };

    CFile(std::string path, unsigned flags);
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    std::uint64_t GetLength() const;
    // Reads up to `count` bytes; returns how many were read (fewer only at the end).
    std::size_t Read(void* buffer, std::size_t count);
    // Writes all `count` bytes; a short write is a full disk.
    void Write(const void* data, std::size_t count);
    void Flush();
    // Closes and reports a failing close (the last buffered data may be lost there).
    void Close();

    const std::string& GetFilePath() const { return m_path; }
    static bool Exists(const std::string& path);

private:
    std::string m_path;
    unique_hfile m_file;
};

} // namespace fw
