// Marrowpane itself, started the way the resident program starts it: this test serves the
// event pipe under its own process id, launches the program with "/id <id>" and drives
// its command pipe.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

#include "lockcore/PipeProtocol.h"
#include "lockcore/ScreenCommandClient.h"
#include "lockcore/ScreenEventServer.h"
#include "lockcore/ServerThread.h"
#include "lockcore/SettingPayload.h"
#include "tests/lockcore/Bytes.h"
#include "tests/lockcore/RecordingScreen.h"
#include "tests/resident/support/LockScreenProgram.h"
#include "tests/resident/support/ResidentProcess.h"

namespace {

// A message just posted to a window of another program is handled by now: its loop takes
// sent messages first, so an answered send alone does not say so; a moment after it does.
void HandledByNow(HWND window)
{
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
    Sleep(200);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
}

using Lines = std::vector<std::string>;
constexpr UINT UM_KEY_RELEASED = WM_APP + 5;
constexpr int kPictureControl = 1001;
constexpr int kExitButton = 1003;
constexpr int kBoxIcon = 1011;         // the lock display's message box
constexpr int kPasswordText = 1012;    // the password dialog
constexpr int kCoverPicture = 1015;    // a cover dialog (the display's clock has this id too)

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

class LockScreenProcess {
public:
    explicit LockScreenProcess(const std::string& arguments)
    {
        const std::string program = WindowsPathOf(KV_MARROWPANE_SIMULATED);
        std::string line = "\"" + program + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &info)) {
            m_process.reset(info.hProcess);
            m_id = info.dwProcessId;
            CloseHandle(info.hThread);
        }
    }
    ~LockScreenProcess()
    {
        if (m_process && !HasEnded(0)) {
            TerminateProcess(m_process.get(), 1);
            WaitForSingleObject(m_process.get(), 5000);
        }
    }

    explicit operator bool() const { return static_cast<bool>(m_process); }
    bool HasEnded(DWORD timeout) const { return WaitForSingleObject(m_process.get(), timeout) == WAIT_OBJECT_0; }

    // The program's dialog: its top-level window with the picture control.
    HWND Window() const { return WindowWith(kPictureControl); }
    // The program's visible top-level windows that have control `id` but not `without`.
    std::vector<HWND> WindowsWith(int id, int without = 0) const
    {
        SSearch search{m_id, id, without, {}};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    HWND WindowWith(int id, int without = 0) const
    {
        SSearch search{m_id, id, without, {}};
        search.anyVisibility = true;
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        return search.found.empty() ? nullptr : search.found.front();
    }

private:
    struct SSearch {
        DWORD process;
        int id;
        int without;
        std::vector<HWND> found;
        bool anyVisibility = false;
    };
    static BOOL CALLBACK Match(HWND window, LPARAM parameter)
    {
        auto* search = reinterpret_cast<SSearch*>(parameter);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == search->process && GetDlgItem(window, search->id) &&
            !(search->without && GetDlgItem(window, search->without)) &&
            (search->anyVisibility || IsWindowVisible(window)))
            search->found.push_back(window);
        return TRUE;
    }

    fw::unique_handle m_process;
    DWORD m_id = 0;
};

// This process plays the resident program: its event server runs before the program
// starts, as the resident program's does.
class LockScreenProgram : public testing::Test {
protected:
    void SetUp() override
    {
        WriteScenario("monitor left=0 top=0 right=" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) +
                      " bottom=" + std::to_string(GetSystemMetrics(SM_CYSCREEN)) + " primary=1\n");
        SetEnvironmentVariableA("KV_DISPLAY_SCENARIO", scenarioPath.c_str());  // inherited
        thread = CServerThread::Start(server);
        ASSERT_TRUE(thread);
        program = std::make_unique<LockScreenProcess>("/id " + id);
        ASSERT_TRUE(*program);
        ASSERT_TRUE(client.Connect(15000));
        ASSERT_TRUE(WaitFor([&] { return program->Window() != nullptr; }));
        window = program->Window();
    }
    void TearDown() override
    {
        program.reset();
        thread.reset();
        DeleteFileA(picturePath.c_str());
        DeleteFileA(scenarioPath.c_str());
    }

    void WriteScenario(const std::string& text) const { std::ofstream(scenarioPath, std::ios::binary) << text; }

    // Ctrl+Shift+click on the shown display; the resident side allows the password and
    // then reports a key state that lets the dialog show.
    void OpenPasswordDialog()
    {
        ASSERT_TRUE(client.ShowLockScreen());
        PostMessageA(window, WM_LBUTTONUP, MK_CONTROL | MK_SHIFT, MAKELPARAM(50, 50));
        ASSERT_TRUE(WaitForCall("WatchKeyState"));
        ASSERT_TRUE(client.SetPasswordDialogState(0));
        ASSERT_TRUE(WaitFor([&] { return !program->WindowsWith(kPasswordText).empty(); }));
    }
    void TypePassword(const char* text) const
    {
        const HWND dialog = program->WindowWith(kPasswordText);
        SetDlgItemTextA(dialog, kPasswordText, text);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    HWND WaitForBox() const
    {
        WaitFor([&] { return !program->WindowsWith(kBoxIcon).empty(); });
        const std::vector<HWND> boxes = program->WindowsWith(kBoxIcon);
        return boxes.empty() ? nullptr : boxes.front();
    }
    void ClickExitButton() const
    {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(kExitButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, kExitButton)));
    }
    // The resident side stops serving: the display goes at the next check, every box and
    // dialog after it (Wine takes up to 2 s to take each shown window off an X display
    // without a window manager), and the program ends.
    void ExpectEverythingEndsWithTheResidentProgram()
    {
        thread.reset();
        EXPECT_TRUE(WaitFor([&] { return !IsShown(); }, 2500));
        EXPECT_TRUE(WaitFor([&] { return program->WindowsWith(kBoxIcon).empty() &&
                                         program->WindowsWith(kPasswordText).empty(); }, 10000));
        EXPECT_TRUE(program->HasEnded(10000));
    }

    std::string Raw(const std::string& hex)
    {
        const auto request = Hex(hex);
        std::vector<uint8_t> reply;
        if (!client.Transact(request.data(), static_cast<DWORD>(request.size()), reply))
            return "failed";
        return ToHex(reply);
    }

    // Until the event arrives; the display handles commands after it took them.
    bool WaitForCall(const std::string& call, DWORD timeout = 10000)
    {
        return WaitFor([&] {
            const Lines calls = listener.Calls();
            return std::find(calls.begin(), calls.end(), call) != calls.end();
        }, timeout);
    }
    size_t CountOf(const std::string& call) const
    {
        const Lines calls = listener.Calls();
        return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
    }
    // Every command posted before this one has been carried out once it returns.
    void Settle() const { SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr); }
    bool IsShown() const { return IsWindowVisible(window) != FALSE; }

    const std::string id = InstanceIdOf(GetCurrentProcessId());
    const std::string picturePath = TempPath("lockscreen-" + id + ".bmp");
    const std::string scenarioPath = TempPath("lockscreen-display-" + id + ".txt");
    RecordingScreen listener;
    CScreenEventServer server{id, &listener};
    std::unique_ptr<CServerThread> thread;
    std::unique_ptr<LockScreenProcess> program;
    CScreenCommandClient client{id};
    HWND window = nullptr;
};

TEST_F(LockScreenProgram, MalformedRequestsGetTheirStatusAndTheProgramServesOn)
{
    struct SCase {
        const char* request;
        const char* reply;
    };
    const SCase cases[] = {
        {"01 00 00", "02 00 00 00"},                                            // short code
        {"00 00 00 00", "01 00 00 00"},                                         // unknown codes
        {"0E 00 00 00", "01 00 00 00"},
        {"63 00 00 00", "01 00 00 00"},
        {"02 00 00 00 00", "02 00 00 00"},                                      // surplus byte
        {"05 00 00 00 02 00 00 00 01", "02 00 00 00"},
        {"05 00 00 00 02 00", "02 00 00 00"},                                   // short argument
        {"0C 00 00 00 01 00 00 00 01 00 00 00", "02 00 00 00"},
        {"0A 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 FF 00 00 00 41", "02 00 00 00"},
        {"0A 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 FF FF FF FF", "02 00 00 00"},
        {"01 00 00 00", "00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00"},
        {"05 00 00 00 02 00 00 00", "00 00 00 00"},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.reply, Raw(c.request)) << c.request;
    EXPECT_TRUE(client.IsServerAlive());
    EXPECT_FALSE(program->HasEnded(0));
}

TEST_F(LockScreenProgram, AShortSettingsPayloadKeepsTheSettingsInForce)
{
    CLockSetting settings;
    settings.AlarmSetting.UseAlarm = 1;
    ASSERT_TRUE(client.SendSettings(settings));
    settings.AlarmSetting.UseAlarm = 0;
    std::vector<uint8_t> request = EncodeSettingsRequest(settings);
    request.resize(request.size() - 8);  // cut in the alarm part
    std::vector<uint8_t> reply;
    ASSERT_TRUE(client.Transact(request.data(), static_cast<DWORD>(request.size()), reply));
    EXPECT_EQ("02 00 00 00", ToHex(reply));

    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(WaitForCall("MouseEvent"));
    ASSERT_TRUE(client.SendSettings(settings));  // whole: UseAlarm 0 from now on
    Settle();
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    PostMessageA(window, UM_KEY_RELEASED, 0, 0);
    Settle();
    EXPECT_EQ(1u, CountOf("MouseEvent"));
    EXPECT_EQ(0u, CountOf("KeyEvent"));
}

TEST_F(LockScreenProgram, ActivityIsReportedOnlyWithTheControlsAndNoMessage)
{
    CLockSetting settings;
    settings.AlarmSetting.UseAlarm = 1;
    ASSERT_TRUE(client.SendSettings(settings));
    ASSERT_TRUE(client.ShowLockScreen());
    PostMessageA(window, UM_KEY_RELEASED, 0, 0);
    EXPECT_TRUE(WaitForCall("KeyEvent"));

    ASSERT_TRUE(client.HideControls());
    Settle();
    PostMessageA(window, UM_KEY_RELEASED, 0, 0);
    PostMessageA(window, WM_RBUTTONUP, 0, 0);
    Settle();  // the flags are read when the display handles the input
    ASSERT_TRUE(client.ShowControls());
    ASSERT_TRUE(client.ShowMessage());
    Settle();
    PostMessageA(window, WM_MBUTTONUP, 0, 0);
    Settle();
    ASSERT_TRUE(client.HideMessage());
    Settle();
    PostMessageA(window, WM_RBUTTONUP, 0, 0);
    EXPECT_TRUE(WaitForCall("MouseEvent"));
    Settle();
    EXPECT_EQ((Lines{"KeyEvent", "MouseEvent"}), listener.Calls());
}

// A key that goes up anywhere is seen by the display's keyboard hook while it is shown.
TEST_F(LockScreenProgram, TheKeyboardHookReportsKeysOnlyWhileShown)
{
    CLockSetting settings;
    settings.AlarmSetting.UseAlarm = 1;
    ASSERT_TRUE(client.SendSettings(settings));
    const auto pressShift = [] {
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_SHIFT;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
    };
    pressShift();
    Settle();
    ASSERT_TRUE(client.ShowLockScreen());
    Settle();
    pressShift();
    EXPECT_TRUE(WaitForCall("KeyEvent"));
    ASSERT_TRUE(client.HideLockScreen());
    Settle();
    pressShift();
    Settle();
    EXPECT_EQ(Lines{"KeyEvent"}, listener.Calls());
}

TEST_F(LockScreenProgram, TheShownDisplayCoversThePrimaryMonitorWithThePicture)
{
    const COLORREF colour = RGB(40, 160, 90);
    WriteSolidBitmap(picturePath, colour);
    CLockSetting settings;
    settings.LockBmpFilePath = picturePath;
    ASSERT_TRUE(client.SendSettings(settings));
    ASSERT_TRUE(client.ReloadPictures());
    ASSERT_TRUE(client.SelectPicture(PICTURE_LOCK));
    ASSERT_TRUE(client.ShowLockScreen());
    ASSERT_TRUE(WaitFor([&] { return IsShown(); }));

    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(width, rect.right);
    EXPECT_EQ(height, rect.bottom);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    const POINT samples[] = {{20, 20}, {width - 20, 20}, {width / 2, height / 3}, {width / 4, height / 2}};
    EXPECT_TRUE(WaitFor([&] {
        return std::all_of(std::begin(samples), std::end(samples),
                           [&](const POINT& p) { return ScreenPixel(p.x, p.y) == colour; });
    }, 5000)) << std::hex << ScreenPixel(20, 20);

    ASSERT_TRUE(client.HideLockScreen());
    EXPECT_TRUE(WaitFor([&] { return !IsShown(); }));
}

TEST_F(LockScreenProgram, AMissingPictureFallsBackToTheProgramsOwn)
{
    CLockSetting settings;
    settings.LockBmpFilePath = TempPath("no-such-picture.bmp");
    ASSERT_TRUE(client.SendSettings(settings));
    ASSERT_TRUE(client.ReloadPictures());
    ASSERT_TRUE(client.SelectPicture(7));  // out of range: the lock picture
    ASSERT_TRUE(client.ShowLockScreen());
    ASSERT_TRUE(WaitFor([&] { return IsShown(); }));
    EXPECT_TRUE(WaitFor([] { return ScreenPixel(20, 20) == RGB(0x10, 0x18, 0x38); }, 5000))
        << std::hex << ScreenPixel(20, 20);
}

TEST_F(LockScreenProgram, TheSessionEndIsRefusedOnlyWhileShown)
{
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(TRUE, answer);
    ASSERT_TRUE(client.ShowLockScreen());
    Settle();
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(FALSE, answer);
}

TEST_F(LockScreenProgram, TheDisplayGoesSoonAfterTheResidentProgramAndTheProgramEnds)
{
    ASSERT_TRUE(client.ShowLockScreen());
    ASSERT_TRUE(WaitFor([&] { return IsShown(); }));
    const DWORD start = GetTickCount();
    thread.reset();  // the event server stops and lets its presence mutex go
    EXPECT_TRUE(WaitFor([&] { return !IsShown(); }, 5000));
    EXPECT_LT(GetTickCount() - start, 2000u);  // the check runs every second
    EXPECT_TRUE(program->HasEnded(10000));
    // The system keys are free again. (Wine keeps the flag for the whole session but each
    // process reads it once: this is this process's first look.)
    BOOL running = TRUE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    EXPECT_FALSE(running);
}

TEST_F(LockScreenProgram, ASecondInstanceEndsAndLeavesTheFirstServing)
{
    LockScreenProcess second("/id " + id);
    ASSERT_TRUE(second);
    EXPECT_TRUE(second.HasEnded(10000));
    EXPECT_TRUE(client.Handshake());
    EXPECT_FALSE(program->HasEnded(0));
}

TEST_F(LockScreenProgram, ThePasswordRoadCrossesBothPipes)
{
    OpenPasswordDialog();
    TypePassword("wrong");
    ASSERT_TRUE(WaitForCall("CheckPassword [wrong]"));
    ASSERT_TRUE(client.SetPasswordResult({0, 0, 0}));
    const HWND box = WaitForBox();
    ASSERT_TRUE(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return program->WindowsWith(kBoxIcon).empty(); }));

    TypePassword("right");
    ASSERT_TRUE(WaitForCall("CheckPassword [right]"));
    ASSERT_TRUE(client.SetPasswordResult({1, 1, 0}));
    ASSERT_TRUE(WaitForCall("RequestUnlock 1 1 0"));
    EXPECT_EQ((Lines{"QueryMayUnlock", "WatchKeyState", "CheckPassword [wrong]", "CheckPassword [right]",
                     "RequestUnlock 1 1 0"}),
              listener.Calls());
}

// A WM_DESTROY that another program sends or posts to the password dialog ends nothing:
// the wrong-password box stays open and the dialog still takes the next password.
TEST_F(LockScreenProgram, AForgedDestroyLeavesThePasswordDialogAndItsBox)
{
    OpenPasswordDialog();
    TypePassword("wrong");
    ASSERT_TRUE(WaitForCall("CheckPassword [wrong]"));
    ASSERT_TRUE(client.SetPasswordResult({0, 0, 0}));
    const HWND box = WaitForBox();
    ASSERT_TRUE(box);
    const HWND dialog = program->WindowWith(kPasswordText);
    SendMessageTimeoutA(dialog, WM_DESTROY, 0, 0, SMTO_NORMAL, 10000, nullptr);
    PostMessageA(dialog, WM_DESTROY, 0, 0);
    HandledByNow(dialog);
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_EQ(std::vector<HWND>{box}, program->WindowsWith(kBoxIcon));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return program->WindowsWith(kBoxIcon).empty(); }));

    TypePassword("right");
    ASSERT_TRUE(WaitForCall("CheckPassword [right]"));
    ASSERT_TRUE(client.SetPasswordResult({1, 1, 0}));
    EXPECT_TRUE(WaitForCall("RequestUnlock 1 1 0"));
}

TEST_F(LockScreenProgram, ThePasswordDialogOpensOnlyWhenAllowedAndWithTheControls)
{
    listener.queryResult = 0;
    ASSERT_TRUE(client.ShowLockScreen());
    PostMessageA(window, WM_LBUTTONUP, MK_CONTROL | MK_SHIFT, 0);
    ASSERT_TRUE(WaitForCall("QueryMayUnlock"));
    listener.queryResult = 1;
    ASSERT_TRUE(client.HideControls());
    Settle();
    PostMessageA(window, WM_LBUTTONUP, MK_CONTROL | MK_SHIFT, 0);
    Settle();
    EXPECT_EQ(Lines{"QueryMayUnlock"}, listener.Calls());
    EXPECT_FALSE(program->WindowWith(kPasswordText));
}

TEST_F(LockScreenProgram, TheExitBoxSendsTheShutdownOnlyOnOk)
{
    ASSERT_TRUE(client.ShowLockScreen());
    ClickExitButton();
    HWND box = WaitForBox();
    ASSERT_TRUE(box);
    ASSERT_TRUE(client.HideLockScreen());  // ends the box with 2
    EXPECT_TRUE(WaitFor([&] { return program->WindowsWith(kBoxIcon).empty(); }));

    ASSERT_TRUE(client.ShowLockScreen());
    ClickExitButton();
    box = WaitForBox();
    ASSERT_TRUE(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitForCall("Shutdown"));
    EXPECT_EQ(Lines{"Shutdown"}, listener.Calls());
}

TEST_F(LockScreenProgram, TheProgramEndsWhenTheResidentGoesWithThePasswordBoxOpen)
{
    OpenPasswordDialog();
    TypePassword("wrong");
    ASSERT_TRUE(WaitForCall("CheckPassword [wrong]"));
    ASSERT_TRUE(client.SetPasswordResult({0, 0, 0}));
    ASSERT_TRUE(WaitForBox());
    ExpectEverythingEndsWithTheResidentProgram();
    EXPECT_EQ(0u, CountOf("RequestUnlock 2 0 0"));
}

TEST_F(LockScreenProgram, TheProgramEndsWhenTheResidentGoesWithTheExitBoxOpen)
{
    ASSERT_TRUE(client.ShowLockScreen());
    ClickExitButton();
    ASSERT_TRUE(WaitForBox());
    ExpectEverythingEndsWithTheResidentProgram();
}

TEST_F(LockScreenProgram, TheProgramEndsWhenTheResidentGoesWithTheRefusalOpen)
{
    ASSERT_TRUE(client.ShowLockScreen());
    Settle();
    SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, nullptr);
    ASSERT_TRUE(WaitForBox());
    ASSERT_TRUE(client.HideLockScreen());  // the refusal stays
    Settle();
    EXPECT_FALSE(program->WindowsWith(kBoxIcon).empty());
    ExpectEverythingEndsWithTheResidentProgram();
}

TEST_F(LockScreenProgram, EveryFurtherMonitorGetsACoverThatFollowsItsChanges)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const std::string primary = "monitor left=0 top=0 right=" + std::to_string(width) +
                                " bottom=" + std::to_string(height) + " primary=1\n";
    WriteScenario(primary + "monitor left=" + std::to_string(width) + " top=0 right=" + std::to_string(width + 800) +
                  " bottom=600\n");
    ASSERT_TRUE(client.ShowLockScreen());
    const auto coverAt = [&](const RECT& expected) {
        return WaitFor([&] {
            const std::vector<HWND> covers = program->WindowsWith(kCoverPicture, kPictureControl);
            RECT rect{};
            return covers.size() == 1 && GetWindowRect(covers.front(), &rect) && EqualRect(&rect, &expected) &&
                   (GetWindowLongPtrA(covers.front(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        }, 5000);
    };
    EXPECT_TRUE(coverAt(RECT{width, 0, width + 800, 600}));

    WriteScenario(primary + "monitor left=-640 top=0 right=0 bottom=480\n");  // moved
    EXPECT_TRUE(coverAt(RECT{-640, 0, 0, 480}));

    WriteScenario("monitor left=0 top=0 right=1024 bottom=768 primary=1\n");  // gone; the primary changed
    EXPECT_TRUE(WaitFor([&] {
        RECT rect{};
        GetWindowRect(window, &rect);
        return program->WindowsWith(kCoverPicture, kPictureControl).empty() && rect.right == 1024 &&
               rect.bottom == 768;
    }, 5000));

    ASSERT_TRUE(client.HideLockScreen());
    EXPECT_TRUE(WaitFor([&] { return !IsShown(); }));
}

// Windows of another process are within reach: whatever a program does to the shown
// display, it refuses it or the next cover check puts it back; a forged WM_DESTROY leaves
// the hooks, the covers and the cover check running.
TEST_F(LockScreenProgram, NoOtherProgramPutsTheShownDisplayAway)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const RECT primary = {0, 0, width, height}, further = {width, 0, width + 800, 600};
    WriteScenario("monitor left=0 top=0 right=" + std::to_string(width) + " bottom=" + std::to_string(height) +
                  " primary=1\nmonitor left=" + std::to_string(width) + " top=0 right=" +
                  std::to_string(width + 800) + " bottom=600\n");
    CLockSetting settings;
    settings.AlarmSetting.UseAlarm = 1;
    ASSERT_TRUE(client.SendSettings(settings));
    ASSERT_TRUE(client.ShowLockScreen());
    const COtherProgramWindow other;
    COtherProgramWindow hiddenParent(false);
    // Another program's window that a lock window owns or is the parent of, when a row makes one.
    std::unique_ptr<COtherProgramWindow> guest;
    std::unique_ptr<COtherProgramBox> box;
    HWND held = nullptr;
    const auto newGuest = [&] {
        guest = std::make_unique<COtherProgramWindow>();
        return held = guest->Get();
    };
    HWND cover = nullptr;
    const auto inPlace = [&] {
        RECT rect{}, coverRect{};
        return IsShown() && !IsIconic(window) && GetWindowRect(window, &rect) && EqualRect(&rect, &primary) &&
               IsHeldAsShown(window) && IsAbove(window, other.Get()) && IsWindowVisible(cover) &&
               IsHeldAsShown(cover) && !IsIconic(cover) && GetWindowRect(cover, &coverRect) &&
               EqualRect(&coverRect, &further) && IsLetGo(held, {window, cover});
    };
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<HWND> covers = program->WindowsWith(kCoverPicture, kPictureControl);
        cover = covers.empty() ? nullptr : covers.front();
        return cover && inPlace();
    }, 5000));

    const std::vector<std::pair<const char*, std::function<void()>>> attacks = {
        {"WM_DESTROY sent", [&] { SendMessageTimeoutA(window, WM_DESTROY, 0, 0, SMTO_NORMAL, 10000, nullptr); }},
        {"SC_MINIMIZE", [&] { PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0); }},
        {"SC_CLOSE", [&] { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"SC_MINIMIZE to the cover", [&] { PostMessageA(cover, WM_SYSCOMMAND, SC_MINIMIZE, 0); }},
        {"WM_CLOSE to the cover", [&] { PostMessageA(cover, WM_CLOSE, 0, 0); }},
        {"hidden", [&] { ShowWindow(window, SW_HIDE); }},
        {"minimised", [&] { ShowWindow(window, SW_MINIMIZE); }},
        {"moved and sized", [&] { SetWindowPos(window, nullptr, 200, 100, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE); }},
        {"cover hidden", [&] { ShowWindow(cover, SW_HIDE); }},
        {"cover minimised", [&] { ShowWindow(cover, SW_MINIMIZE); }},
        {"cover moved", [&] { SetWindowPos(cover, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); }},
        {"parent hidden", [&] { SetParent(window, hiddenParent.Get()); }},
        {"not top-most", [&] { SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }},
        {"at the bottom", [&] { SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }},
        {"invisible to clicks", [&] { MakeInvisibleToClicks(window); }},
        {"no activation", [&] { AddExtendedStyle(window, WS_EX_NOACTIVATE); }},
        {"disabled", [&] { EnableWindow(window, FALSE); }},
        {"an empty region", [&] { ClipAway(window); }},
        {"an empty region on the cover", [&] { ClipAway(cover); }},
        // The last message of a window, forged: the objects must stay on their windows.
        {"WM_NCDESTROY sent, then hidden", [&] {
            SendMessageTimeoutA(window, WM_NCDESTROY, 0, 0, SMTO_NORMAL, 10000, nullptr);
            ShowWindow(window, SW_HIDE);
        }},
        {"WM_NCDESTROY posted, then hidden", [&] {
            PostMessageA(window, WM_NCDESTROY, 0, 0);
            HandledByNow(window);
            ShowWindow(window, SW_HIDE);
        }},
        {"WM_NCDESTROY posted to the cover, then the cover hidden", [&] {
            PostMessageA(cover, WM_NCDESTROY, 0, 0);
            HandledByNow(cover);
            ShowWindow(cover, SW_HIDE);
        }},
        // As a destruction with another program's window brings it: the windows live on.
        {"the cover made another program's child, then WM_NCDESTROY sent", [&] {
            SetParent(cover, hiddenParent.Get());
            SendMessageTimeoutA(cover, WM_NCDESTROY, 0, 0, SMTO_NORMAL, 10000, nullptr);
        }},
        {"made another program's child, then WM_NCDESTROY sent", [&] {
            SetParent(window, hiddenParent.Get());
            SendMessageTimeoutA(window, WM_NCDESTROY, 0, 0, SMTO_NORMAL, 10000, nullptr);
        }},
        // Windows keeps an owned window above its owner, and a child inside its parent.
        {"another program's box owned by the display", [&] {
            box = std::make_unique<COtherProgramBox>(GetForegroundWindow());
            held = box->Get();
        }},
        {"another program's window given the display as owner",
         [&] { SetWindowLongPtrA(newGuest(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(window)); }},
        {"another program's window given the cover as owner",
         [&] { SetWindowLongPtrA(newGuest(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(cover)); }},
        {"another program's window made a child of the display", [&] { SetParent(newGuest(), window); }},
        {"another program's window made a child of the cover", [&] { SetParent(newGuest(), cover); }},
    };
    for (const auto& [what, attack] : attacks) {
        SetForegroundWindow(window);  // the display has the foreground: nothing else raises it
        attack();
        Settle();
        // A cover check, plus about 2 s for a window that Wine hides on Xvfb.
        EXPECT_TRUE(WaitFor(inPlace, 8000)) << what;
    }
    box.reset();
    guest.reset();

    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_SHIFT;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    EXPECT_TRUE(WaitForCall("KeyEvent"));  // the hook is still on
    ASSERT_TRUE(client.HideLockScreen());
    EXPECT_TRUE(WaitFor([&] { return !IsShown() && program->WindowsWith(kCoverPicture, kPictureControl).empty(); }));
}

// Another program's top-most window never stays over the display: not one shown without
// taking the foreground, nor one that takes the foreground while a box is open (Task
// Manager set to stay on top): the box stays above the display, the display above it.
// Nor does another program's box that has the display's box as its owner.
TEST_F(LockScreenProgram, EveryWindowOfTheDisplayStaysAboveOtherProgramsWindows)
{
    ASSERT_TRUE(client.ShowLockScreen());
    ASSERT_TRUE(WaitFor([&] { return IsShown(); }));
    Settle();
    const COtherProgramWindow other;
    EXPECT_TRUE(WaitFor([&] { return IsAbove(window, other.Get()); }, 5000)) << "shown without activation";

    const auto openPasswordDialog = [&]() -> HWND {
        PostMessageA(window, WM_LBUTTONUP, MK_CONTROL | MK_SHIFT, MAKELPARAM(50, 50));
        if (!WaitForCall("WatchKeyState") || !client.SetPasswordDialogState(0))
            return nullptr;
        WaitFor([&] { return !program->WindowsWith(kPasswordText).empty(); });
        return program->WindowWith(kPasswordText);
    };
    const std::vector<std::pair<const char*, std::function<HWND()>>> boxes = {
        {"exit box", [&] { ClickExitButton(); return WaitForBox(); }},
        {"password dialog", openPasswordDialog},
        {"refusal box",
         [&] {
             SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, nullptr);
             return WaitForBox();
         }},
    };
    for (const auto& [what, open] : boxes) {
        const HWND box = open();
        ASSERT_TRUE(box) << what;
        other.TakeForeground();
        EXPECT_TRUE(WaitFor([&] { return IsAbove(box, window) && IsAbove(window, other.Get()); }, 5000)) << what;
        {
            const COtherProgramBox notice(box);  // as MessageBox(GetForegroundWindow(), ...) while the box is in front
            EXPECT_TRUE(WaitFor([&] { return IsLetGo(notice.Get(), {box, window}); }, 5000)) << what;
        }
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); })) << what;
    }
    EXPECT_EQ(0u, CountOf("Shutdown"));
}

// A window of the screen saver's class in front, which any program can show, is no screen
// saver that the display stands aside for, nor is the settings box of the configured
// saver's program, which anyone can start: it comes back above another program's windows.
// Only both together, the saver's own window, hold it down.
TEST_F(LockScreenProgram, AWindowOfTheScreenSaversClassDoesNotHoldTheDisplayDown)
{
    ASSERT_TRUE(client.ShowLockScreen());
    ASSERT_TRUE(WaitFor([&] { return IsShown(); }));
    const COtherProgramWindow other;
    EXPECT_EQ(ScreenSaverCasesGoneWrong(window, other.Get()), "");
}

// A display destroyed with another program's window that it was made a child of ends the
// program, so that the resident program puts up a new one.
TEST_F(LockScreenProgram, ADisplayDestroyedWithAnotherProgramsWindowEndsTheProgram)
{
    ASSERT_TRUE(client.ShowLockScreen());
    ASSERT_TRUE(WaitFor([&] { return IsShown(); }));
    COtherProgramWindow parent(false);
    ASSERT_TRUE(SetParent(window, parent.Get()));
    parent.Destroy();
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(window); }, 5000));  // Wine destroys it after the parent
    EXPECT_TRUE(program->HasEnded(10000));
}

// The moving message destroyed with another program's window that it was made a child of
// moves again, in a window of its own, from the next cover check on.
TEST_F(LockScreenProgram, AMovingMessageDestroyedWithAnotherProgramsWindowMovesAgain)
{
    ASSERT_TRUE(client.ShowLockScreen());
    ASSERT_TRUE(client.ShowMessage());
    DWORD display = 0;
    GetWindowThreadProcessId(window, &display);
    const auto movingMessage = [display] {
        for (HWND found = FindWindowExA(nullptr, nullptr, "KvMovingMessage", nullptr); found;
             found = FindWindowExA(nullptr, found, "KvMovingMessage", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == display && IsWindowVisible(found))
                return found;
        }
        return HWND{};
    };
    HWND message = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (message = movingMessage()) != nullptr; }, 5000));
    COtherProgramWindow parent(false);
    ASSERT_TRUE(SetParent(message, parent.Get()));
    parent.Destroy();
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(message); }, 5000));  // Wine destroys it after the parent
    EXPECT_TRUE(WaitFor([&] { return movingMessage() != nullptr; }, 5000));
    EXPECT_FALSE(program->HasEnded(0));
}

// Where Windows names a pipe's client, the program serves only the resident program whose
// id it was given: here this process serves the event pipe under another process's id, so
// its commands come from a program that is not that resident program.
TEST(LockScreenProgramClients, OnlyTheResidentProgramOfItsIdIsServed)
{
    ASSERT_TRUE(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetNamedPipeClientProcessId"))
        << "the platform under test names a pipe's client";
    const std::string id = InstanceIdOf(GetCurrentProcessId() + 4);
    RecordingScreen listener;
    CScreenEventServer server{id, &listener};
    const auto thread = CServerThread::Start(server);
    ASSERT_TRUE(thread);
    LockScreenProcess program("/id " + id);
    ASSERT_TRUE(program);
    ASSERT_TRUE(WaitFor([&] { return program.Window() != nullptr; }));
    CScreenCommandClient client{id};
    EXPECT_FALSE(client.Connect(5000));
    EXPECT_FALSE(client.ShowLockScreen());
    EXPECT_FALSE(IsWindowVisible(program.Window()));
    EXPECT_FALSE(program.HasEnded(0));  // it serves on, for its own resident program
}

TEST(LockScreenProgramStart, EndsAtOnceWithoutAnIdOrAResidentProgram)
{
    for (const char* arguments : {"", "/id", "1234", "/id 4000000000"}) {
        LockScreenProcess program(arguments);
        ASSERT_TRUE(program);
        EXPECT_TRUE(program.HasEnded(10000)) << arguments;
    }
}

} // namespace
