// The settings utility end to end under Wine: its simulated-USB build beside the running
// simulated Brontal and a lock-event client in this process, driven through its own
// windows and message boxes.
#include "common/PasswordDigest.h"
#include "common/PathUtil.h"
#include "common/SettingFile.h"
#include "framework/AnsiText.h"
#include "tests/common/HelperProcess.h"
#include "tests/resident/support/EventClient.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SheetDriver.h"
#include "tests/resident/support/SimulatedKeys.h"

#include <dbt.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kEventChangeSetting = 3;
constexpr int kLockKeyRemovedId = 1022;
constexpr int kWaitMinutesId = 1012;
constexpr int kPasswordId = 1020;
constexpr int kPasswordPage = 1;
constexpr int kUsePasswordId = 1018;
constexpr int kNewPasswordId = 1025;
constexpr int kConfirmPasswordId = 1026;
constexpr int kUtilityNeedsPasswordId = 1019;
constexpr int kLockPage = 2;
constexpr int kLockMessageId = 1002;
constexpr int kUseScreenSaverId = 1013;
constexpr int kScreenSaverMinutesId = 1015;
constexpr int kBrowsePictureId = 1024;
constexpr int kAlarmDetailsId = 1016;
constexpr int kAlarmKeySecId = 1017;
constexpr int kAlarmPlaySecId = 1026;
constexpr int kAlarmPicture1Id = 1028;
constexpr int kKeyPage = 3;
constexpr int kKeyListId = 1002;
constexpr int kAddKeyId = 1023;
constexpr int kDeleteKeyId = 1024;
constexpr int kHardwareListId = 1000;
constexpr int kDeviceTreeId = 1010;
constexpr int kSerialNumberId = 1005;
constexpr int kApplyNowId = 0x3021;
constexpr int kEventLock = 1;
constexpr DWORD kQuietWait = 1500;

const SSimulatedKey kKey{"A", CKeyDevice(0x0951, 0x1666, "KV0001A")};
const SSimulatedKey kNewKey{"B", CKeyDevice(0x0781, 0x5567, "KV0002B")};

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

CLockSetting SavedSetting()
{
    CLockSetting saved;
    CSettingFile(CPathUtil::GetSettingBaseFolder(), CSettingFile::kFileName).LoadSetting(saved);
    return saved;
}

class UtilityEndToEnd : public ::testing::Test {
protected:
    // The utility's sheet while it is made: a top-level dialog captioned as the sheet, not shown.
    HWND HiddenSheet() const
    {
        for (const HWND window : testsupport::WindowsOf(utility.ProcessId())) {
            char name[16] = {};
            char caption[32] = {};
            GetClassNameA(window, name, sizeof name);
            GetWindowTextA(window, caption, sizeof caption);
            if (std::string(name) == "#32770" && std::string(caption) == "Kelvrane4" && !IsWindowVisible(window))
                return window;
        }
        return nullptr;
    }
    // The utility's visible dialog that holds the control.
    HWND FindDialogWith(int controlId) const { return CSheetDriver::FindDialogWith(utility.ProcessId(), controlId); }
    void SetUp() override
    {
        ASSERT_TRUE(events.Start());
        setting.SetDefaults();
        setting.LockStartup = 0;
        setting.LockNoInput = 1;
        setting.LockNoInputSec = 600;
        setting.KeyDevices = {kKey.identity};
    }

    // Brontal watching with the key as given, then the utility.
    void Start(bool keyAttached)
    {
        WriteSettings(setting);
        keys = std::make_unique<CSimulatedKeys>(TempPath("utility-e2e.txt"), machineKeys);
        if (!keyAttached)
            keys->Pull(kKey.tag);
        SetEnvironmentVariableA("KV_USB_SCENARIO", keys->Path().c_str());
        ASSERT_TRUE(resident.Start(kBrontal, &events));
        events.Clear();
        ASSERT_TRUE(utility.Launch(kUtility));
    }
    // Password "secret" (PasswordType 1), the key pulled: the unlock dialog waits, and the
    // sheet it runs in is made but not shown.
    void StartWithoutKey(HWND& unlock, HWND& sheet)
    {
        setting.PasswordSetting.SetPassword(1, "secret");
        setting.PasswordSetting.PasswordType = 1;
        ASSERT_NO_FATAL_FAILURE(Start(false));
        ASSERT_TRUE(WaitUntil([&] { return (unlock = FindDialogWith(kPasswordId)) != nullptr; }));
        sheet = HiddenSheet();
        ASSERT_TRUE(sheet) << "the unlock dialog runs while the sheet is made";
    }
    void WaitForSheet()
    {
        HWND sheet = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (sheet = CSheetDriver::FindSheet(utility.ProcessId())) != nullptr; }));
        driver = std::make_unique<CSheetDriver>(sheet);
    }
    void ShowPage(int index)
    {
        PostMessageA(driver->Sheet(), PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
        ASSERT_TRUE(driver->WaitForPage(index));
    }
    // The alarm detail dialog, opened from the lock-screen page.
    HWND OpenAlarmDetails()
    {
        ShowPage(kLockPage);
        driver->Click(kAlarmDetailsId);
        HWND details = nullptr;
        WaitUntil([&] { return (details = FindDialogWith(kAlarmKeySecId)) != nullptr; });
        return details;
    }
    static void SetItemText(HWND dialog, int id, const char* text)
    {
        SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    // The add-key dialog, opened from the key page.
    std::unique_ptr<CSheetDriver> OpenAddKey()
    {
        EXPECT_NO_FATAL_FAILURE(ShowPage(kKeyPage));
        driver->Click(kAddKeyId);
        HWND dialog = nullptr;
        WaitUntil([&] { return (dialog = FindDialogWith(kDeviceTreeId)) != nullptr; });
        return dialog ? std::make_unique<CSheetDriver>(dialog) : nullptr;
    }
    // A device plugged or pulled: Brontal (or the sheet) hears of it.
    void Pull(const std::string& tag, HWND listener)
    {
        keys->Pull(tag);
        PostMessageA(listener, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    }
    void Insert(const std::string& tag, HWND listener)
    {
        keys->Insert(tag);
        PostMessageA(listener, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    }
    // The next event with this code, others skipped; false when none came in time.
    bool EventArrives(int code, DWORD timeout = 10000)
    {
        const DWORD start = GetTickCount();
        for (DWORD waited = 0; waited <= timeout; waited = GetTickCount() - start)
            if (const auto event = events.Next(timeout - waited); event && event->code == code)
                return true;
        return false;
    }
    void ClickOk(HWND window) const { PostMessageA(GetDlgItem(window, IDOK), BM_CLICK, 0, 0); }
    // While a dialog of a page runs, the sheet's OK, Apply, Cancel and tabs take no input.
    bool IsSheetEnabled() const { return IsWindowEnabled(driver->Sheet()) != FALSE; }
    std::string MessageShown()
    {
        HWND box = nullptr;
        if (!WaitUntil([&] { return (box = CSheetDriver::FindMessageBox(utility.ProcessId(), "Kelvrane4")) != nullptr; }))
            return "no message";
        const std::string text = CSheetDriver::MessageText(box);
        ClickOk(box);
        return text;
    }

    const std::string kBrontal = WindowsPathOf(KV_SIMULATED_BRONTAL);
    const std::string kUtility = WindowsPathOf(KV_SIMULATED_UTILITY);
    CEventClient events;
    CLockSetting setting;
    std::vector<SSimulatedKey> machineKeys{kKey};  // attached when the test starts
    std::unique_ptr<CSimulatedKeys> keys;
    CResidentProcess resident;
    CResidentProcess utility;
    std::unique_ptr<CSheetDriver> driver;
};

TEST_F(UtilityEndToEnd, KeyOpensTheSheetAndSaveWritesTheMinutesAndTellsBrontal)
{
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    EXPECT_EQ("10", driver->ItemText(kWaitMinutesId));
    driver->SetText(kWaitMinutesId, "7");
    ClickOk(driver->Sheet());
    ASSERT_TRUE(utility.WaitForExit(10000));
    EXPECT_EQ(420, SavedSetting().LockNoInputSec);
    const auto event = events.Next(5000);
    ASSERT_TRUE(event) << "no event from Brontal";
    EXPECT_EQ(kEventChangeSetting, event->code);
}

TEST_F(UtilityEndToEnd, OkWithNothingChangedWritesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    const std::string path = SettingsFilePath();
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));  // a write would fail loudly
    ClickOk(driver->Sheet());
    EXPECT_TRUE(utility.WaitForExit(10000));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(events.Next(kQuietWait));
}

TEST_F(UtilityEndToEnd, WithoutTheKeyOnlyTheRightPasswordOpensTheSheet)
{
    HWND unlock = nullptr;
    HWND sheet = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithoutKey(unlock, sheet));
    SendMessageA(GetDlgItem(unlock, kPasswordId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("wrong"));
    ClickOk(unlock);
    EXPECT_EQ(fw::AnsiFromUtf8("パスワードが違います。"), MessageShown());
    SendMessageA(GetDlgItem(unlock, kPasswordId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("secret"));
    ClickOk(unlock);
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    EXPECT_EQ(sheet, driver->Sheet());
}

// Cancelled, the unlock dialog ends the program without the sheet ever showing.
TEST_F(UtilityEndToEnd, CancelledUnlockNeverShowsTheSheet)
{
    HWND unlock = nullptr;
    HWND sheet = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithoutKey(unlock, sheet));
    PostMessageA(GetDlgItem(unlock, IDCANCEL), BM_CLICK, 0, 0);
    bool shown = false;
    while (IsWindow(sheet) && !shown)
        shown = IsWindowVisible(sheet) != FALSE;
    EXPECT_FALSE(shown);
    EXPECT_TRUE(utility.WaitForExit(10000));
}

TEST_F(UtilityEndToEnd, OpenedByTheKeyPullingItClosesTheSheetUnsaved)
{
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    driver->SetText(kWaitMinutesId, "7");
    keys->Pull(kKey.tag);
    PostMessageA(driver->Sheet(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    ASSERT_TRUE(utility.WaitForExit(10000));
    EXPECT_EQ(600, SavedSetting().LockNoInputSec);
}

// A file edited by hand: UtilityNeedPassword without a password in use must not lock
// everybody out of the utility.
TEST_F(UtilityEndToEnd, UtilityPasswordWithoutAPasswordInUseLetsTheKeyOpenIt)
{
    setting.PasswordSetting.UsePassword = 0;
    setting.PasswordSetting.UtilityNeedPassword = 1;
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
}

TEST_F(UtilityEndToEnd, PasswordTurnedOffStoresNoPassword)
{
    setting.PasswordSetting.SetPassword(1, "secret");
    setting.PasswordSetting.PasswordType = 1;
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    ASSERT_NO_FATAL_FAILURE(ShowPage(kPasswordPage));
    driver->Click(kUsePasswordId);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(driver->Item(kNewPasswordId)); }));
    ClickOk(driver->Sheet());
    ASSERT_TRUE(utility.WaitForExit(10000));
    const CLockSetting saved = SavedSetting();
    EXPECT_EQ(0, saved.PasswordSetting.UsePassword);
    EXPECT_EQ("", saved.PasswordSetting.Password);
    EXPECT_EQ(0, saved.PasswordSetting.PasswordType);
    EXPECT_EQ(0, saved.PasswordSetting.UtilityNeedPassword);
}

// Values the pages cannot show exactly, on pages saved for a change of another field: seconds
// that are no whole minutes, and a password in use with type 0 (shown as the first button,
// which means type 1: the password alone would then unlock).
TEST_F(UtilityEndToEnd, ValuesLeftAloneAreSavedAsTheyWereRead)
{
    setting.LockNoInputSec = 90;
    setting.ScreenSaverSec = 150;
    setting.PasswordSetting.SetPassword(1, "secret");
    setting.PasswordSetting.PasswordType = 0;
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    EXPECT_EQ("1", driver->ItemText(kWaitMinutesId));
    driver->Click(kLockKeyRemovedId);
    ASSERT_NO_FATAL_FAILURE(ShowPage(kPasswordPage));
    driver->Click(kUtilityNeedsPasswordId);
    ASSERT_NO_FATAL_FAILURE(ShowPage(kLockPage));
    driver->SetText(kLockMessageId, "changed");
    ClickOk(driver->Sheet());
    ASSERT_TRUE(utility.WaitForExit(10000));
    const CLockSetting saved = SavedSetting();
    EXPECT_EQ(0, saved.LockKeyRemoved);
    EXPECT_EQ(90, saved.LockNoInputSec);
    EXPECT_EQ(1, saved.PasswordSetting.UtilityNeedPassword);
    EXPECT_EQ(setting.PasswordSetting.Password, saved.PasswordSetting.Password);
    EXPECT_EQ(0, saved.PasswordSetting.PasswordType);
    EXPECT_EQ("changed", saved.LockMessage);
    EXPECT_EQ(150, saved.ScreenSaverSec);
}

// The minutes changed, the save refused by the password page, the minutes set back: the
// next save must write the minutes shown, not those of the refused try.
TEST_F(UtilityEndToEnd, ARefusedSaveLeavesNothingStaleForTheNextOne)
{
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    driver->SetText(kWaitMinutesId, "7");
    ASSERT_NO_FATAL_FAILURE(ShowPage(kPasswordPage));
    driver->Click(kUsePasswordId);  // on, with no password typed
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(driver->Item(kNewPasswordId)) != FALSE; }));
    ClickOk(driver->Sheet());
    EXPECT_EQ(fw::AnsiFromUtf8("パスワードは必ず入力してください。"), MessageShown());

    ASSERT_NO_FATAL_FAILURE(ShowPage(0));
    driver->SetText(kWaitMinutesId, "10");
    ASSERT_NO_FATAL_FAILURE(ShowPage(kPasswordPage));
    driver->SetText(kNewPasswordId, "newpass");
    driver->SetText(kConfirmPasswordId, "newpass");
    ClickOk(driver->Sheet());
    ASSERT_TRUE(utility.WaitForExit(10000));
    const CLockSetting saved = SavedSetting();
    EXPECT_EQ(600, saved.LockNoInputSec);
    EXPECT_EQ(1, saved.PasswordSetting.UsePassword);
    EXPECT_EQ(CPasswordDigest::DigestText("newpass"), saved.PasswordSetting.Password);
    EXPECT_EQ(1, saved.PasswordSetting.PasswordType);
}

TEST_F(UtilityEndToEnd, ScreenSaverMinutesEmptyWhileOnAreRefusedAndNothingIsWritten)
{
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    ASSERT_NO_FATAL_FAILURE(ShowPage(kLockPage));
    driver->Click(kUseScreenSaverId);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(driver->Item(kScreenSaverMinutesId)) != FALSE; }));
    driver->SetText(kScreenSaverMinutesId, "");
    ClickOk(driver->Sheet());
    EXPECT_EQ(fw::AnsiFromUtf8("待ち時間が不正です。"), MessageShown());
    EXPECT_EQ(kLockPage, driver->CurrentIndex());
    EXPECT_FALSE(events.Next(kQuietWait)) << "nothing was saved";
    EXPECT_EQ(0, SavedSetting().UseScreenSaver);
}

// The file box's buffer holds 512 characters; a longer stored path must not overflow it.
TEST_F(UtilityEndToEnd, BrowsingFromAPictureTooLongForTheFileBoxIsSafe)
{
    setting.LockBmpFilePath = "C:\\" + std::string(600, 'p') + ".bmp";
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    ASSERT_NO_FATAL_FAILURE(ShowPage(kLockPage));
    driver->Click(kBrowsePictureId);
    HWND box = nullptr;
    const std::string title = fw::AnsiFromUtf8("参照");
    ASSERT_TRUE(WaitUntil([&] {
        char text[64] = {};
        box = GetLastActivePopup(driver->Sheet());
        return box != driver->Sheet() && GetWindowTextA(box, text, sizeof text) && title == text;
    }));
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindow(driver->Sheet()));
    EXPECT_FALSE(utility.WaitForExit(0));
}

TEST_F(UtilityEndToEnd, AlarmDetailsReportTheFirstBadNumberAndOkWritesThroughTheSheet)
{
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    const HWND details = OpenAlarmDetails();
    ASSERT_NE(nullptr, details);
    SetItemText(details, kAlarmKeySecId, "0");
    SetItemText(details, kAlarmPlaySecId, "0");
    ClickOk(details);
    EXPECT_EQ(fw::AnsiFromUtf8("キー監視時間が不正です。"), MessageShown());  // only the first
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    EXPECT_TRUE(WaitUntil([&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(details, nullptr), &focus) &&
               focus.hwndFocus == GetDlgItem(details, kAlarmKeySecId);
    }));

    SetItemText(details, kAlarmKeySecId, "1");
    SetItemText(details, kAlarmPlaySecId, "9999");
    SetItemText(details, kAlarmPicture1Id, "C:\\alarm.bmp");
    ClickOk(details);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(details); }));
    ClickOk(driver->Sheet());
    ASSERT_TRUE(utility.WaitForExit(10000));
    const CAlarmSetting alarm = SavedSetting().AlarmSetting;
    EXPECT_EQ(1, alarm.AlarmKeySec);
    EXPECT_EQ(9999, alarm.AlarmPlaySec);
    EXPECT_EQ("C:\\alarm.bmp", alarm.AlarmBmpPath1);
}

// The whole sheet waits for the dialog. Also: the lock-screen page, merely shown, has
// nothing to save (filling its message edit must not read back its alarm switch before
// that is filled).
TEST_F(UtilityEndToEnd, AlarmDetailsCancelledChangeNothing)
{
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    const HWND details = OpenAlarmDetails();
    ASSERT_NE(nullptr, details);
    EXPECT_FALSE(IsSheetEnabled());
    SetItemText(details, kAlarmKeySecId, "5");
    PostMessageA(GetDlgItem(details, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(details); }));
    EXPECT_TRUE(WaitUntil([&] { return IsSheetEnabled(); }));
    ClickOk(driver->Sheet());
    ASSERT_TRUE(utility.WaitForExit(10000));
    EXPECT_FALSE(events.Next(kQuietWait)) << "nothing was saved";
    EXPECT_EQ(setting.AlarmSetting.AlarmKeySec, SavedSetting().AlarmSetting.AlarmKeySec);
}

// The registered key is not offered; a device plugged while the dialog is open is, and
// Brontal does not lock for devices pulled meanwhile; the sheet waits for the dialog. The new key is saved by the sheet,
// and once the dialog is gone Brontal locks again.
TEST_F(UtilityEndToEnd, AddKeySuspendsBrontalAndOffersADevicePluggedMeanwhile)
{
    machineKeys = {kKey, kNewKey};
    ASSERT_NO_FATAL_FAILURE(Start(true));
    keys->Pull(kNewKey.tag);
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    const std::unique_ptr<CSheetDriver> dialog = OpenAddKey();
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(IsWindowEnabled(dialog->Item(IDOK)));
    EXPECT_FALSE(IsSheetEnabled());

    Insert(kNewKey.tag, driver->Sheet());
    ASSERT_TRUE(WaitUntil([&] { return dialog->RowCount(kHardwareListId) == 1; }));
    EXPECT_EQ("Key B", dialog->RowText(kHardwareListId, 0));
    EXPECT_TRUE(WaitUntil([&] { return dialog->ItemText(kSerialNumberId) == "KV0002B"; }));

    Pull(kKey.tag, resident.Window());
    EXPECT_FALSE(EventArrives(kEventLock, kQuietWait)) << "locked while the dialog runs";
    Insert(kKey.tag, resident.Window());

    dialog->SetRowChecked(kHardwareListId, 0, true);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog->Item(IDOK)) != FALSE; }));
    ClickOk(dialog->Sheet());
    ASSERT_TRUE(WaitUntil([&] { return driver->RowCount(kKeyListId) == 2; }));
    EXPECT_TRUE(WaitUntil([&] { return IsSheetEnabled(); }));
    EXPECT_EQ("KV0002B", driver->RowText(kKeyListId, 1, 2));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(driver->Sheet(), kApplyNowId)) != FALSE; }));
    PostMessageA(GetDlgItem(driver->Sheet(), kApplyNowId), BM_CLICK, 0, 0);
    ASSERT_TRUE(EventArrives(kEventChangeSetting));
    const CKeyDeviceList saved = SavedSetting().KeyDevices;
    ASSERT_EQ(2u, saved.size());
    EXPECT_TRUE(IsSameKeyDevice(kNewKey.identity, saved[1]));

    ASSERT_FALSE(utility.WaitForExit(0));  // the utility still runs: the resume came from it
    keys->Pull(kKey.tag);
    Pull(kNewKey.tag, resident.Window());
    EXPECT_TRUE(EventArrives(kEventLock));
}

// The utility ended while its dialog holds Brontal's locks: Brontal notices within about
// its one-second check and locks for a key pulled.
TEST_F(UtilityEndToEnd, UtilityKilledDuringAddKeyLetsBrontalLockAgain)
{
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    ASSERT_NE(nullptr, OpenAddKey());
    Pull(kKey.tag, resident.Window());
    EXPECT_FALSE(EventArrives(kEventLock, kQuietWait)) << "locked while the dialog runs";

    utility.Kill();
    const DWORD killed = GetTickCount();
    EXPECT_TRUE(EventArrives(kEventLock));
    EXPECT_LT(GetTickCount() - killed, 5000u) << "Brontal resumed late";
}

// Three keys, the first and the last selected: exactly those go, after the question, and
// the one left cannot be deleted.
TEST_F(UtilityEndToEnd, DeleteRemovesTheSelectedKeysAndKeepsTheLast)
{
    const CKeyDevice other1(0x1111, 0x2222, "X1");
    const CKeyDevice other2(0x3333, 0x4444, "Y2");
    setting.KeyDevices = {other1, kKey.identity, other2};
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(WaitForSheet());
    ASSERT_NO_FATAL_FAILURE(ShowPage(kKeyPage));
    ASSERT_EQ(3, driver->RowCount(kKeyListId));
    EXPECT_FALSE(IsWindowEnabled(driver->Item(kDeleteKeyId)));
    driver->SelectRow(kKeyListId, 0);
    driver->SelectRow(kKeyListId, 2);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(driver->Item(kDeleteKeyId)) != FALSE; }));
    driver->Click(kDeleteKeyId);
    EXPECT_EQ(fw::AnsiFromUtf8("選択したハードウェアを一覧から削除します。よろしいですか？"), MessageShown());
    ASSERT_TRUE(WaitUntil([&] { return driver->RowCount(kKeyListId) == 1; }));
    EXPECT_EQ("KV0001A", driver->RowText(kKeyListId, 0, 2));
    driver->SelectRow(kKeyListId, 0);
    EXPECT_FALSE(IsWindowEnabled(driver->Item(kDeleteKeyId)));
    ClickOk(driver->Sheet());
    ASSERT_TRUE(utility.WaitForExit(10000));
    const CKeyDeviceList saved = SavedSetting().KeyDevices;
    ASSERT_EQ(1u, saved.size());
    EXPECT_TRUE(IsSameKeyDevice(kKey.identity, saved[0]));
}

TEST_F(UtilityEndToEnd, NoAdministratorGetsTheMessageAndNoSheet)
{
    SetEnvironmentVariableA("KV_SIMULATED_ADMINISTRATOR", "0");
    Start(true);
    SetEnvironmentVariableA("KV_SIMULATED_ADMINISTRATOR", nullptr);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(fw::AnsiFromUtf8("管理者権限が必要です。"), MessageShown());
    ASSERT_TRUE(utility.WaitForExit(10000));
    EXPECT_FALSE(events.Next(kQuietWait)) << "nothing was saved";
}

} // namespace
