#pragma once
// The lock-screen program's client of the resident program's event pipe. Each request is
// one transaction bounded in time: a resident program that hangs without dying must not
// freeze the lock display. A transaction that fails or runs out of time closes the pipe,
// so a late reply is never taken for the next one; the next request opens it again.
#include "lockcore/ProtocolPipeClient.h"

class CScreenEventClient : public CProtocolPipeClient {
public:
    static constexpr DWORD kTransactionTimeout = 3000;

    explicit CScreenEventClient(const std::string& id, DWORD transactionTimeout = kTransactionTimeout);

    // The resident program's presence mutex, its pipe and the hello exchange, each tried
    // once without waiting.
    BOOL Connect();
    // TRUE when the resident program answered status 0 in time; `payload` then holds the
    // bytes after the status.
    BOOL Request(const std::vector<uint8_t>& request, std::vector<uint8_t>& payload);
    BOOL Request(const std::vector<uint8_t>& request);

protected:
    // Waits until the transaction's time is up; then the I/O is cancelled.
    BOOL WaitIo(OVERLAPPED& overlapped) override;

private:
    BOOL OpenAndGreet();
    void StartClock() { m_started = GetTickCount(); }

    DWORD m_timeout;
    DWORD m_started = 0;
};
