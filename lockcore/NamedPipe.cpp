#include "lockcore/NamedPipe.h"

#include <cstdint>

CNamedPipe::CNamedPipe(const std::string& name, int bufferSize) : m_name(name), m_bufferSize(bufferSize) {}

CNamedPipe::~CNamedPipe()
{
    CNamedPipe::Close();
}

BOOL CNamedPipe::Close()
{
    if (!IsOpen())
        return FALSE;
    return CloseHandle(m_handle.release());
}

BOOL CNamedPipe::Read(std::vector<uint8_t>& message)
{
    bool oversized = false;
    return ReadAtMost(message, SIZE_MAX, oversized);
}

BOOL CNamedPipe::ReadAtMost(std::vector<uint8_t>& message, size_t limit, bool& oversized)
{
    const DWORD chunk = static_cast<DWORD>(m_bufferSize);
    size_t offset = 0;
    message.clear();
    oversized = false;
    for (;;) {
        // Past the limit every chunk lands in the same place and is dropped.
        if (oversized)
            offset = 0;
        message.resize(offset + chunk);
        DWORD read = 0;
        if (!ReadChunk(message.data() + offset, chunk, read)) {
            message.clear();
            return FALSE;
        }
        offset += read;
        message.resize(offset);
        oversized = oversized || offset > limit;
        DWORD available = 0;
        if (!PeekNamedPipe(Handle(), nullptr, 0, nullptr, &available, nullptr) || available == 0) {
            if (oversized)
                message.clear();
            return TRUE;
        }
    }
}

BOOL CNamedPipe::ReadChunk(uint8_t* buffer, DWORD size, DWORD& read)
{
    COverlappedOp op;
    if (!op || !IsOpen())
        return FALSE;
    const BOOL started = ReadFile(Handle(), buffer, size, nullptr, &op.Get());
    return FinishIo(started, op.Get(), read);
}

BOOL CNamedPipe::Write(const void* data, DWORD length)
{
    COverlappedOp op;
    if (!op || !IsOpen())
        return FALSE;
    const BOOL started = WriteFile(Handle(), data, length, nullptr, &op.Get());
    DWORD written = 0;
    return FinishIo(started, op.Get(), written);
}

BOOL CNamedPipe::WaitIo(OVERLAPPED& overlapped)
{
    return WaitForSingleObject(overlapped.hEvent, INFINITE) == WAIT_OBJECT_0;
}

BOOL CNamedPipe::FinishIo(BOOL started, OVERLAPPED& overlapped, DWORD& transferred)
{
    if (!started && (GetLastError() != ERROR_IO_PENDING || !WaitIo(overlapped)))
        return FALSE;
    return GetOverlappedResult(Handle(), &overlapped, &transferred, FALSE);
}

void CNamedPipe::CancelIo(OVERLAPPED& overlapped)
{
    DWORD ignored = 0;
    ::CancelIo(Handle());
    GetOverlappedResult(Handle(), &overlapped, &ignored, TRUE);
}

COverlappedOp::COverlappedOp() : m_event(CreateEventA(nullptr, FALSE, FALSE, nullptr)), m_overlapped{}
{
    m_overlapped.hEvent = m_event.get();
}
