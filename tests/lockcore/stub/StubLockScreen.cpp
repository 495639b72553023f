// A stand-in for the lock-screen program, started by the lock core under the lock-screen
// program's file name with "/id <id>". It connects the event pipe once, serves the command
// pipe and ends about a second after the resident side's presence mutex is free. Beside
// itself it logs to "Marrowpane-<id>.log": "start <pid>", then "cmd <hex>" per command
// request (not when KV_STUB_QUIET is set), and "check <ok|failed>" after each password
// check it made on the event pipe: while it holds a password-dialog command, and at start
// when KV_STUB_CHECK_AT_START is set.
#include <windows.h>

#include <cstring>
#include <string>

#include "lockcore/ProtocolPipeClient.h"
#include "lockcore/ProtocolPipeServer.h"
#include "lockcore/RequestDispatch.h"
#include "lockcore/ServerThread.h"
#include "tests/lockcore/Bytes.h"
#include "tests/lockcore/RecordingScreen.h"
#include "tests/lockcore/TestLog.h"

namespace {

constexpr UINT UM_CHECK_PASSWORD = WM_APP + 1;

std::string InstanceIdFrom(const char* commandLine)
{
    const char* flag = std::strstr(commandLine, "/id ");
    if (!flag)
        return "";
    std::string id = flag + 4;
    return id.substr(0, id.find(' '));
}

std::string LogPath(const std::string& id)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1) + "Marrowpane-" + id + ".log";
}

// The display side: a password-dialog command is held until the UI thread has checked a
// password over the event pipe, so both pipes carry a request at the same time.
class StubScreen : public RecordingScreen {
public:
    explicit StubScreen(DWORD uiThread) : m_uiThread(uiThread), m_checked(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    HANDLE Checked() const { return m_checked.get(); }

    int ShowPasswordDialog() override
    {
        PostThreadMessageA(m_uiThread, UM_CHECK_PASSWORD, 0, 0);
        WaitForSingleObject(m_checked.get(), 10000);
        return 1;
    }

private:
    DWORD m_uiThread;
    fw::unique_handle m_checked;
};

class CommandServer : public CProtocolPipeServer {
public:
    CommandServer(const std::string& id, const std::string& log, StubScreen& screen)
        : CProtocolPipeServer(CommandPipeName(id), CommandMutexName(id)), m_log(log), m_screen(screen)
    {
    }

protected:
    std::vector<uint8_t> Dispatch(const std::vector<uint8_t>& request) override
    {
        if (!m_log.empty())
            AppendLine(m_log, "cmd " + ToHex(request));
        return DispatchCommandRequest(request.data(), request.size(), &m_screen);
    }

private:
    std::string m_log;
    StubScreen& m_screen;
};

} // namespace

int main()
{
    const std::string id = InstanceIdFrom(GetCommandLineA());
    if (id.empty())
        return 2;
    const std::string log = LogPath(id);
    const bool quiet = GetEnvironmentVariableA("KV_STUB_QUIET", nullptr, 0) != 0;
    AppendLine(log, "start " + std::to_string(GetCurrentProcessId()));

    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue, before the server posts
    CProtocolPipeClient events(EventPipeName(id), EventMutexName(id));
    if (!events.OpenServerMutex() || !events.Open() || !events.Handshake()) {
        AppendLine(log, "no event pipe");
        return 3;
    }
    StubScreen screen(GetCurrentThreadId());
    CommandServer server(id, quiet ? "" : log, screen);
    auto thread = CServerThread::Start(server);
    if (!thread) {
        AppendLine(log, "no command pipe");
        return 4;
    }

    if (GetEnvironmentVariableA("KV_STUB_CHECK_AT_START", nullptr, 0) != 0)
        PostThreadMessageA(GetCurrentThreadId(), UM_CHECK_PASSWORD, 0, 0);
    SetTimer(nullptr, 0, 1000, nullptr);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !events.IsServerAlive())
            break;
        if (msg.message == UM_CHECK_PASSWORD) {
            const BOOL sent = events.Send(EncodeRequest(PIPE_EVT_CHECK_PASSWORD, std::string("secret")));
            AppendLine(log, sent ? "check ok" : "check failed");
            SetEvent(screen.Checked());
        }
    }
    thread->Stop();
    return 0;
}
