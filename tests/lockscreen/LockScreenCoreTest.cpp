// The lock-screen program's core in this process: the record hand-off to the dialog's
// thread, the event client's time limit and the single-instance lock.
#include "lockscreen/ScreenLockCore.h"

#include <gtest/gtest.h>

#include <thread>

#include "lockcore/PipeProtocol.h"
#include "lockcore/ProtocolPipeServer.h"
#include "lockcore/RequestDispatch.h"
#include "lockcore/ServerThread.h"
#include "tests/lockcore/CommandWindow.h"
#include "tests/lockcore/RecordingScreen.h"
#include "tests/lockcore/TestNames.h"

namespace {

using Lines = std::vector<std::string>;

// The commands the dialog carries out on the UM_LOCK_COMMAND messages waiting for it, as
// "code argument"; the messages themselves carry nothing.
Lines DeliveredCommands(HWND window, CScreenController& controller)
{
    Lines commands;
    MSG msg;
    while (PeekMessageA(&msg, window, UM_LOCK_COMMAND, UM_LOCK_COMMAND, PM_REMOVE)) {
        EXPECT_EQ(0u, msg.wParam);
        EXPECT_EQ(0, msg.lParam);
        controller.Channel().Deliver([&](const CLockCommandChannel::SCommand& command) {
            commands.push_back(std::to_string(command.code) + " " + std::to_string(command.argument));
            return LRESULT{0};
        });
    }
    return commands;
}

// Records wait in the process; the message only says "look" and carries nothing.
TEST(ScreenController, RecordsWaitInTheProcessAndTheMessageCarriesNoPointer)
{
    CommandWindow window;
    CScreenController controller;
    controller.SetTarget(window.Get(), UM_LOCK_COMMAND);
    CLockSetting settings;
    settings.LockMessage = "message";
    settings.AlarmSetting.UseAlarm = 1;
    settings.KeyDevices.push_back(CKeyDevice(0x0781, 0x5567, "4C53"));

    EXPECT_TRUE(controller.SetSettings(settings));
    EXPECT_TRUE(controller.SetPasswordResult({1, 0, 1}));
    EXPECT_TRUE(controller.SelectPicture(PICTURE_ALARM2));
    EXPECT_EQ((Lines{"11 0", "18 0", "4 3"}), DeliveredCommands(window.Get(), controller));
    const auto taken = controller.TakeSettings();
    ASSERT_TRUE(taken);
    EXPECT_TRUE(IsEqualSetting(settings, *taken));
    const auto result = controller.TakePasswordResult();
    ASSERT_TRUE(result);
    EXPECT_EQ(1, result->ok);
    EXPECT_EQ(1, result->raiseAlarm);
    // A foreign "look" finds nothing.
    EXPECT_FALSE(controller.TakeSettings());
    EXPECT_FALSE(controller.TakePasswordResult());
}

TEST(ScreenController, ARecordWhosePostFailedIsFreedAndTheFlagsStillFollow)
{
    HWND gone = nullptr;
    {
        CommandWindow window;
        gone = window.Get();
    }
    CScreenController controller;
    controller.SetTarget(gone, UM_LOCK_COMMAND);
    EXPECT_FALSE(controller.SetSettings(CLockSetting()));
    EXPECT_FALSE(controller.SetPasswordResult({1, 1, 0}));
    EXPECT_EQ(0u, controller.PendingRecords());
    EXPECT_FALSE(controller.ShowLockScreen());
    EXPECT_TRUE(controller.IsLockScreenShown());
    EXPECT_FALSE(controller.HideControls());
    EXPECT_TRUE(controller.AreControlsHidden());
}

TEST(ScreenController, WithoutALinkNoEventIsSent)
{
    CScreenController controller;
    EXPECT_EQ(0, controller.QueryMayUnlock());
    EXPECT_EQ(0, controller.KeyEvent());
    EXPECT_EQ(0, controller.CheckPassword("pw"));
}

// The resident program's event server, answering its first key event only after `delay`.
class SlowEventServer : public CProtocolPipeServer {
public:
    SlowEventServer(const std::string& id, DWORD delay)
        : CProtocolPipeServer(EventPipeName(id), EventMutexName(id)), m_delay(delay)
    {
    }
    RecordingScreen listener;

protected:
    std::vector<uint8_t> Dispatch(const std::vector<uint8_t>& request) override
    {
        if (request == EncodeRequest(PIPE_EVT_KEY_EVENT) && !m_delayed) {
            m_delayed = true;
            Sleep(m_delay);
        }
        return DispatchEventRequest(request.data(), request.size(), &listener);
    }

private:
    DWORD m_delay;
    bool m_delayed = false;
};

TEST(ScreenEventClient, AHangingResidentFailsTheRequestInTimeAndALaterOneWorks)
{
    const std::string id = UniqueSuffix();
    SlowEventServer server(id, 2000);
    const auto thread = CServerThread::Start(server);
    ASSERT_TRUE(thread);
    CScreenEventClient client(id, 400);
    ASSERT_TRUE(client.Connect());

    const DWORD start = GetTickCount();
    EXPECT_FALSE(client.Request(EncodeRequest(PIPE_EVT_KEY_EVENT)));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 300u);
    EXPECT_LT(elapsed, 1500u);

    // The late reply is never taken for a later request's: the pipe is opened anew.
    bool answered = false;
    std::vector<uint8_t> payload;
    for (const DWORD begin = GetTickCount(); !answered && GetTickCount() - begin < 10000;) {
        answered = client.Request(EncodeRequest(PIPE_EVT_QUERY_MAY_UNLOCK), payload);
        if (!answered)
            Sleep(50);
    }
    ASSERT_TRUE(answered);
    EXPECT_EQ(4u, payload.size());
    EXPECT_EQ((Lines{"KeyEvent", "QueryMayUnlock"}), server.listener.Calls());
}

TEST(ScreenEventClient, ConnectTriesOnceWithoutAServer)
{
    CScreenEventClient client(UniqueSuffix());
    const DWORD start = GetTickCount();
    EXPECT_FALSE(client.Connect());
    EXPECT_LT(GetTickCount() - start, 500u);
}

// Holds the lock-screen program's single-instance mutex on a thread of its own.
class InstanceHolder {
public:
    // Releases after `hold` ms; with `abandon` the thread ends owning it instead.
    InstanceHolder(DWORD hold, bool abandon)
    {
        m_thread = std::thread([this, hold, abandon] {
            const HANDLE mutex = CreateMutexA(nullptr, TRUE, CScreenLockCore::kInstanceMutexName);
            SetEvent(m_taken.get());
            if (abandon)
                return;  // the handle stays open: the mutex is abandoned, not gone
            WaitForSingleObject(m_release.get(), hold);
            ReleaseMutex(mutex);
            CloseHandle(mutex);
        });
        WaitForSingleObject(m_taken.get(), 5000);
    }
    ~InstanceHolder()
    {
        SetEvent(m_release.get());
        m_thread.join();
    }

private:
    fw::unique_handle m_taken{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    fw::unique_handle m_release{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::thread m_thread;
};

TEST(ScreenLockCore, AnEmptyIdThrowsAndStoresNothing)
{
    CScreenLockCore core;
    try {
        core.Start("");
        FAIL() << "no exception";
    } catch (Corvantis::SLockCore::_Exceptions e) {
        EXPECT_EQ(Corvantis::SLockCore::EXCEPTION_NO_INSTANCE_ID, e);
    }
    EXPECT_TRUE(core.InstanceId().empty());
    EXPECT_FALSE(core.IsAlive());
}

TEST(ScreenLockCore, WaitsForTheInstanceBeforeToLetGo)
{
    InstanceHolder holder(800, false);
    CScreenLockCore core;
    const DWORD start = GetTickCount();
    EXPECT_TRUE(core.Start("1234"));
    EXPECT_GE(GetTickCount() - start, 500u);
    EXPECT_EQ("1234", core.InstanceId());
    try {
        core.Start("1234");
        FAIL() << "started twice";
    } catch (Corvantis::SLockCore::_Exceptions e) {
        EXPECT_EQ(Corvantis::SLockCore::EXCEPTION_ALREADY_RUNNING, e);
    }
}

TEST(ScreenLockCore, AnInstanceThatKeepsTheLockEndsTheStartAfterThreeSeconds)
{
    InstanceHolder holder(10000, false);
    CScreenLockCore core;
    const DWORD start = GetTickCount();
    EXPECT_THROW(core.Start("1234"), Corvantis::SLockCore::_Exceptions);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 2900u);
    EXPECT_LT(elapsed, 6000u);
}

TEST(ScreenLockCore, AKilledInstanceLeavesTheLockFree)
{
    InstanceHolder holder(0, true);
    CScreenLockCore core;
    const DWORD start = GetTickCount();
    EXPECT_TRUE(core.Start("1234"));
    EXPECT_LT(GetTickCount() - start, 1000u);
}

} // namespace
