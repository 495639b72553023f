#pragma once
// The event server's thread: it owns the hidden window and hands it each event posted
// to the thread, in the order they were posted.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/Thread.h"
#include "lockcore/EventServerWnd.h"

class CEventServerThread : public fw::CThread {
public:
    CEventServerThread(const std::string& registerName, const std::string& announceName);
    ~CEventServerThread() override;

    // Posts a copy of the bytes to the thread; false (the copy freed) when the post fails.
    bool PostEvent(const void* bytes, uint32_t length);

protected:
    bool InitInstance() override;
    void ExitInstance() override;
    void OnThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnEvent(std::vector<uint8_t>* block, uint32_t length);
    void DropQueuedEvents();

    std::string m_registerName;
    std::string m_announceName;
    std::unique_ptr<CEventServerWnd> m_window;
};
