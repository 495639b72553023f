#pragma once
// One end of a byte-mode named pipe with overlapped I/O. A message is whatever the peer
// wrote before the pipe ran empty; every message is written with a single WriteFile.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handle.h"

class CNamedPipe {
public:
    CNamedPipe(const std::string& name, int bufferSize);
    CNamedPipe(const CNamedPipe&) = delete;
    CNamedPipe& operator=(const CNamedPipe&) = delete;
    virtual ~CNamedPipe();

    // FALSE when the end was not open.
    virtual BOOL Close();
    // One whole message, read in chunks of the buffer size. FALSE, with an empty vector,
    // when any chunk fails: a message cut off by a broken pipe or a stop is never handed on.
    virtual BOOL Read(std::vector<uint8_t>& message);
    // Read, keeping at most `limit` bytes: a longer message is read to its end without
    // growing the vector and gives TRUE, `oversized` set and an empty vector.
    BOOL ReadAtMost(std::vector<uint8_t>& message, size_t limit, bool& oversized);
    virtual BOOL Write(const void* data, DWORD length);

    bool IsOpen() const { return static_cast<bool>(m_handle); }
    const std::string& Name() const { return m_name; }

protected:
    // Waits for the overlapped I/O to complete; FALSE when it did not (it is then cancelled
    // and finished, so the OVERLAPPED and the buffer may go).
    virtual BOOL WaitIo(OVERLAPPED& overlapped);
    // One overlapped ReadFile of up to `size` bytes.
    virtual BOOL ReadChunk(uint8_t* buffer, DWORD size, DWORD& read);
    // Takes an overlapped call to its end: TRUE with the bytes it moved.
    BOOL FinishIo(BOOL started, OVERLAPPED& overlapped, DWORD& transferred);
    // Cancels this thread's I/O on the pipe and waits until the OVERLAPPED is released.
    void CancelIo(OVERLAPPED& overlapped);

    HANDLE Handle() const { return m_handle.get(); }
    int BufferSize() const { return m_bufferSize; }
    fw::unique_hfile m_handle;

private:
    std::string m_name;
    int m_bufferSize;
};

// An OVERLAPPED with its own auto-reset event.
class COverlappedOp {
public:
    COverlappedOp();
    explicit operator bool() const { return static_cast<bool>(m_event); }
    OVERLAPPED& Get() { return m_overlapped; }

private:
    fw::unique_handle m_event;
    OVERLAPPED m_overlapped;
};
