// ArdenvaleAPI.dll loaded into the test program: records handed to its window as the
// event server would (WM_COPYDATA from another thread), its numbering and checks, the
// stop, a worker that ends on its own or is told to by a stranger, and the library used
// from a plug-in's DllMain or unloaded with the worker still running.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "eventapi/ArdenvaleAPI.h"
#include "framework/Handle.h"
#include "framework/Window.h"
#include "lockcore/EventMessage.h"

namespace {

constexpr UINT kCallerMessage = WM_APP + 7;
constexpr char kWorkerClass[] = "ArdenvaleEventClientWnd";
constexpr DWORD kWait = 5000;
// RegGetEvent returns within this, whatever keeps its worker from starting or an old one
// from ending; the slack covers the clock's steps and waking the caller's thread.
constexpr DWORD kRegisterPromise = 3000;
constexpr DWORD kRegisterSlack = 250;

std::string WindowsPath(std::string path)
{
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return "Z:" + path;
}

std::string LibraryPath()
{
    return WindowsPath(KV_ARDENVALE_API);
}

// The caller's window: keeps the ids posted to it.
class CCallerWindow : public fw::CWindow {
public:
    CCallerWindow() { Create("KvEventApiCaller", "", WS_OVERLAPPED); }

    // Pumps this thread's messages until an id arrives or the time is up.
    bool NextId(UINT& id, DWORD timeout = kWait)
    {
        const DWORD start = GetTickCount();
        while (m_ids.empty() && GetTickCount() - start < timeout) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
        if (m_ids.empty())
            return false;
        id = m_ids.front();
        m_ids.pop_front();
        return true;
    }
    bool NoId(DWORD quiet = 300)
    {
        UINT id = 0;
        return !NextId(id, quiet);
    }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kCallerMessage)
            m_ids.push_back(static_cast<UINT>(wParam));
        return DefaultProc(message, wParam, lParam);
    }

private:
    std::deque<UINT> m_ids;
};

struct SFindWorker {
    HWND found;
};

BOOL CALLBACK FindWorkerWindow(HWND window, LPARAM lParam)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (process != GetCurrentProcessId() || std::string(className) != kWorkerClass)
        return TRUE;
    reinterpret_cast<SFindWorker*>(lParam)->found = window;
    return FALSE;
}

// The library's worker window in this process, or null.
HWND WorkerWindow()
{
    SFindWorker search{nullptr};
    EnumWindows(FindWorkerWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitUntil(bool (*condition)(), DWORD timeout = kWait)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeout)
            return false;
        Sleep(10);
    }
    return true;
}

bool Send(HWND window, const std::vector<uint8_t>& bytes)
{
    COPYDATASTRUCT data{0, static_cast<DWORD>(bytes.size()), const_cast<uint8_t*>(bytes.data())};
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kWait,
                               &result) != 0;
}

std::vector<uint8_t> Record(int32_t code, size_t size = kEventMessageSize)
{
    std::vector<uint8_t> record = BuildEventMessage(code);
    record.resize(size, 0x5A);
    return record;
}

class ArdenvaleApi : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Load());
    }
    void TearDown() override
    {
        if (m_library) {
            m_api.UnRegGetEvent();
            FreeLibrary(m_library);
        }
        EXPECT_TRUE(WaitUntil([] { return GetModuleHandleA("ArdenvaleAPI.dll") == nullptr; }));
    }

    bool Load()
    {
        m_library = LoadLibraryA(LibraryPath().c_str());
        return m_library && m_api.Bind(m_library);
    }

    // Registers the caller window and finds the worker's window.
    HWND Register() { return Register(m_caller); }
    HWND Register(const CCallerWindow& caller)
    {
        EXPECT_EQ(1, m_api.RegGetEvent(caller.GetHwnd(), kCallerMessage));
        EXPECT_TRUE(WaitUntil([] { return WorkerWindow() != nullptr; }));
        return WorkerWindow();
    }

    // Hands the record to the worker window and reads it under the id it was given.
    void ExpectRead(HWND worker, const std::vector<uint8_t>& record, BOOL expected, int expectedCode)
    {
        ASSERT_TRUE(Send(worker, record));
        UINT id = 0;
        ASSERT_TRUE(m_caller.NextId(id)) << record.size();
        int code = -1;
        EXPECT_EQ(expected, m_api.GetEventData(id, &code)) << record.size();
        EXPECT_EQ(expectedCode, code) << record.size();
        code = -1;
        EXPECT_FALSE(m_api.GetEventData(id, &code)) << "read twice";
        EXPECT_EQ(-1, code);
    }

    HMODULE m_library = nullptr;
    SArdenvaleFunctions m_api;
    CCallerWindow m_caller;
};

TEST_F(ArdenvaleApi, NothingToReadBeforeRegistering)
{
    int code = -1;
    EXPECT_FALSE(m_api.GetEventData(0, &code));
    EXPECT_EQ(-1, code);
    EXPECT_EQ(0, m_api.UnRegGetEvent());
    EXPECT_FALSE(WorkerWindow());
}

TEST_F(ArdenvaleApi, RecordsGetTheLowestFreeIdAndAreReadOnce)
{
    const HWND worker = Register();
    ASSERT_TRUE(Send(worker, Record(EVENT_LOCK)));
    ASSERT_TRUE(Send(worker, Record(EVENT_UNLOCK)));
    UINT first = 9, second = 9;
    ASSERT_TRUE(m_caller.NextId(first));
    ASSERT_TRUE(m_caller.NextId(second));
    EXPECT_EQ(0u, first);
    EXPECT_EQ(1u, second);

    int code = 0;
    EXPECT_TRUE(m_api.GetEventData(0, &code));
    EXPECT_EQ(EVENT_LOCK, code);
    code = -1;
    EXPECT_FALSE(m_api.GetEventData(0, &code));
    EXPECT_EQ(-1, code);

    ASSERT_TRUE(Send(worker, Record(EVENT_ALARM)));
    UINT third = 9;
    ASSERT_TRUE(m_caller.NextId(third));
    EXPECT_EQ(0u, third);
    EXPECT_TRUE(m_api.GetEventData(1, &code));
    EXPECT_EQ(EVENT_UNLOCK, code);
    EXPECT_TRUE(m_api.GetEventData(0, &code));
    EXPECT_EQ(EVENT_ALARM, code);
    EXPECT_FALSE(m_api.GetEventData(0, nullptr));
}

TEST_F(ArdenvaleApi, OnlyLockEventRecordsReadTrue)
{
    const HWND worker = Register();
    std::vector<uint8_t> wrongMarker = Record(EVENT_LOCK);
    wrongMarker[5] ^= 0x20;
    ExpectRead(worker, Record(EVENT_UNLOCK), TRUE, EVENT_UNLOCK);
    ExpectRead(worker, Record(EVENT_ALARM, 43), TRUE, EVENT_ALARM);            // the rest is ignored
    ExpectRead(worker, Record(EVENT_CHANGE_SETTING, 1 << 20), TRUE, EVENT_CHANGE_SETTING);
    ExpectRead(worker, Record(77), TRUE, 77);                                  // codes pass unchanged
    ExpectRead(worker, Record(EVENT_LOCK, 41), FALSE, 0);
    ExpectRead(worker, wrongMarker, FALSE, 0);

    // An empty record is no event: no notice, and the window serves on.
    ASSERT_TRUE(Send(worker, {}));
    EXPECT_TRUE(m_caller.NoId());
    ExpectRead(worker, Record(EVENT_LOCK), TRUE, EVENT_LOCK);
}

TEST_F(ArdenvaleApi, ASecondRegistrationChangesNothing)
{
    const HWND worker = Register();
    CCallerWindow other;
    EXPECT_EQ(1, m_api.RegGetEvent(other.GetHwnd(), kCallerMessage + 1));
    EXPECT_EQ(worker, WorkerWindow());
    ExpectRead(worker, Record(EVENT_LOCK), TRUE, EVENT_LOCK);
    EXPECT_TRUE(other.NoId());
}

TEST_F(ArdenvaleApi, UnregisterEndsTheWorkerAndDropsUnreadRecords)
{
    const HWND worker = Register();
    ASSERT_TRUE(Send(worker, Record(EVENT_LOCK)));
    ASSERT_TRUE(Send(worker, Record(EVENT_UNLOCK)));

    const DWORD start = GetTickCount();
    EXPECT_EQ(0, m_api.UnRegGetEvent());
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_FALSE(IsWindow(worker));
    int code = -1;
    EXPECT_FALSE(m_api.GetEventData(0, &code));
    EXPECT_EQ(0, m_api.UnRegGetEvent());

    // A fresh worker starts with an empty store: ids from 0 again.
    const HWND again = Register();
    UINT stale = 0;
    while (m_caller.NextId(stale, 100)) {
    }
    ExpectRead(again, Record(EVENT_ALARM), TRUE, EVENT_ALARM);
}

// A class of the library's own name and module that refuses every window: the worker
// cannot create its window and ends at once.
LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_NCCREATE ? FALSE : DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(ArdenvaleApi, AWorkerWithoutWindowCountsAsNone)
{
    WNDCLASSA refusing{};
    refusing.lpfnWndProc = RefuseCreation;
    refusing.hInstance = m_library;
    refusing.lpszClassName = kWorkerClass;
    ASSERT_TRUE(RegisterClassA(&refusing));

    EXPECT_EQ(1, m_api.RegGetEvent(m_caller.GetHwnd(), kCallerMessage));
    EXPECT_FALSE(WorkerWindow());
    int code = -1;
    EXPECT_FALSE(m_api.GetEventData(0, &code));
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, m_api.UnRegGetEvent());  // nothing left to wait for
    EXPECT_LT(GetTickCount() - start, 1000u);

    // The worker that ended is no obstacle: registering again starts a working one.
    EXPECT_EQ(1, m_api.RegGetEvent(m_caller.GetHwnd(), kCallerMessage));
    EXPECT_FALSE(WorkerWindow());
    ASSERT_TRUE(UnregisterClassA(kWorkerClass, m_library));
    const HWND worker = Register();
    ASSERT_TRUE(worker);
    ExpectRead(worker, Record(EVENT_LOCK), TRUE, EVENT_LOCK);
}

// Any program can post WM_QUIT to the worker's window or thread; only the library's own
// stop ends the worker.
TEST_F(ArdenvaleApi, AForeignQuitDoesNotEndTheWorker)
{
    const HWND worker = Register();
    ASSERT_TRUE(Send(worker, Record(EVENT_LOCK)));
    UINT id = 9;
    ASSERT_TRUE(m_caller.NextId(id));
    ASSERT_TRUE(PostMessageA(worker, WM_QUIT, 0, 0));
    ASSERT_TRUE(PostThreadMessageA(GetWindowThreadProcessId(worker, nullptr), WM_QUIT, 0, 0));
    // A worker that took either for a stop is gone within milliseconds.
    EXPECT_FALSE(WaitUntil([] { return WorkerWindow() == nullptr; }, 1500));

    int code = 0;
    EXPECT_TRUE(m_api.GetEventData(id, &code)) << "its record is kept";
    EXPECT_EQ(EVENT_LOCK, code);
    ExpectRead(worker, Record(EVENT_UNLOCK), TRUE, EVENT_UNLOCK);
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, m_api.UnRegGetEvent());
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_FALSE(IsWindow(worker));
}

// A notice that cannot be posted (the caller's window gone, or its queue full) leaves no
// record behind, so a flood of records from any program costs the client nothing.
TEST_F(ArdenvaleApi, ARecordWhoseNoticeCannotBePostedIsDropped)
{
    auto gone = std::make_unique<CCallerWindow>();
    const HWND worker = Register(*gone);
    gone.reset();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(Send(worker, Record(EVENT_LOCK)));
    int code = -1;
    for (UINT id = 0; id < 3; ++id)
        EXPECT_FALSE(m_api.GetEventData(id, &code)) << id;
    EXPECT_EQ(-1, code);
}

// Holds a thread still, and lets it go on at the end.
class CHeldThread {
public:
    explicit CHeldThread(DWORD threadId) : m_thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId))
    {
        if (m_thread && SuspendThread(m_thread.get()) == static_cast<DWORD>(-1))
            m_thread.reset();
    }
    ~CHeldThread() { LetGo(); }
    bool Held() const { return static_cast<bool>(m_thread); }
    void LetGo()
    {
        if (m_thread)
            ResumeThread(m_thread.get());
        m_thread.reset();
    }

private:
    fw::unique_handle m_thread;
};

// A worker whose caller's window is gone makes way for a new registration. One that cannot
// end at once (held still here; a thread stuck elsewhere alike) does not stretch the call
// beyond its promise: it ends on its own once it runs again.
TEST_F(ArdenvaleApi, RegisterReturnsInTimePastAWorkerThatCannotEnd)
{
    auto gone = std::make_unique<CCallerWindow>();
    const HWND orphan = Register(*gone);
    ASSERT_TRUE(orphan);
    Sleep(100);  // held in its idle wait, not inside a call of the system's
    CHeldThread held(GetWindowThreadProcessId(orphan, nullptr));
    ASSERT_TRUE(held.Held());
    gone.reset();

    const DWORD start = GetTickCount();
    EXPECT_EQ(1, m_api.RegGetEvent(m_caller.GetHwnd(), kCallerMessage));
    EXPECT_LT(GetTickCount() - start, kRegisterPromise + kRegisterSlack);

    held.LetGo();
    const DWORD letGo = GetTickCount();
    while (IsWindow(orphan) && GetTickCount() - letGo < 3 * kWait)
        Sleep(10);
    EXPECT_FALSE(IsWindow(orphan)) << "the old worker did not end once it ran again";
    ASSERT_TRUE(WaitUntil([] { return WorkerWindow() != nullptr; }));
    ExpectRead(WorkerWindow(), Record(EVENT_LOCK), TRUE, EVENT_LOCK);
}

TEST_F(ArdenvaleApi, UnloadingWithTheWorkerRunningReturnsAtOnce)
{
    auto first = std::make_unique<CCallerWindow>();
    const HWND worker = Register(*first);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(FreeLibrary(m_library));
    EXPECT_LT(GetTickCount() - start, 1000u);
    m_library = nullptr;

    // The worker still holds the library: its window serves on, never in unmapped code.
    EXPECT_TRUE(GetModuleHandleA("ArdenvaleAPI.dll"));
    ASSERT_TRUE(Send(worker, Record(EVENT_LOCK)));
    UINT id = 9;
    EXPECT_TRUE(first->NextId(id));

    // Its caller's window goes. Loaded again, the library registers a new window: the
    // old worker makes way for one that serves the new window.
    first.reset();
    ASSERT_TRUE(Load());
    const HWND replacement = Register();
    ASSERT_TRUE(replacement);
    EXPECT_FALSE(IsWindow(worker));
    ExpectRead(replacement, Record(EVENT_UNLOCK), TRUE, EVENT_UNLOCK);
    EXPECT_EQ(0, m_api.UnRegGetEvent());
    EXPECT_TRUE(FreeLibrary(m_library));
    m_library = nullptr;
    EXPECT_TRUE(WaitUntil([] { return GetModuleHandleA("ArdenvaleAPI.dll") == nullptr; }));
    EXPECT_FALSE(IsWindow(replacement));
}

// A plug-in that calls UnRegGetEvent from its DllMain holds the loader lock meanwhile,
// which the worker's thread needs to end: the stop waits only until the worker is done
// with the library, so it neither stalls nor kills the thread.
TEST_F(ArdenvaleApi, UnregisterUnderTheLoaderLockReturnsPromptly)
{
    const HWND worker = Register();
    const HMODULE plugin = LoadLibraryA(WindowsPath(KV_UNLOADING_PLUGIN).c_str());
    ASSERT_TRUE(plugin);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(FreeLibrary(plugin));
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_FALSE(IsWindow(worker));
    EXPECT_EQ(0, m_api.UnRegGetEvent());
}

DWORD WINAPI LoadPlugin(void* plugin)
{
    *static_cast<HMODULE*>(plugin) = LoadLibraryA(WindowsPath(KV_UNLOADING_PLUGIN).c_str());
    return 0;
}

// A plug-in that registers from its DllMain holds the loader lock, without which the
// worker's thread cannot start: the registration returns all the same within its promise,
// and the worker serves once the lock is let go.
TEST_F(ArdenvaleApi, RegisterUnderTheLoaderLockReturnsInBoundedTime)
{
    char window[32] = {};
    std::snprintf(window, sizeof window, "%llx",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(m_caller.GetHwnd())));
    ASSERT_TRUE(SetEnvironmentVariableA("KV_PLUGIN_CALLER", window));
    HMODULE plugin = nullptr;
    const DWORD start = GetTickCount();
    const fw::unique_handle loading(CreateThread(nullptr, 0, LoadPlugin, &plugin, 0, nullptr));
    ASSERT_TRUE(loading);
    // Far beyond the promise: only a registration that never returns is given up on.
    const DWORD waited = WaitForSingleObject(loading.get(), 15000);
    const DWORD took = GetTickCount() - start;
    SetEnvironmentVariableA("KV_PLUGIN_CALLER", nullptr);
    if (waited != WAIT_OBJECT_0) {
        ADD_FAILURE() << "RegGetEvent under the loader lock did not return";
        // The loading thread keeps the loader lock for good: this process cannot end normally.
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 1);
    }
    EXPECT_LT(took, kRegisterPromise + kRegisterSlack);
    ASSERT_TRUE(plugin);
    ASSERT_TRUE(WaitUntil([] { return WorkerWindow() != nullptr; }));
    ExpectRead(WorkerWindow(), Record(EVENT_LOCK), TRUE, EVENT_LOCK);
    EXPECT_TRUE(FreeLibrary(plugin));  // which stops the events
    EXPECT_FALSE(WorkerWindow());
}

} // namespace
