// The first-run wizard in this process over a simulated USB machine, driven from the test
// thread through the sheet's own messages and controls while it runs modally on another.
// Finish writes the real settings file, as the resident end-to-end tests do.
#include "common/PasswordDigest.h"
#include "common/PathUtil.h"
#include "common/SettingFile.h"
#include "framework/AnsiText.h"
#include "framework/ResourceText.h"
#include "resident/wizard/InitWizard.h"
#include "resident/wizard/WizardResource.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SheetDriver.h"
#include "tests/resident/support/SimulatedKeys.h"
#include "usbkey/FilterUsbCheckThread.h"
#include "usbkey/sim/SimUsbMachine.h"

#include <gmock/gmock.h>

#include <memory>
#include <optional>
#include <thread>

namespace {

using ::testing::ElementsAre;

constexpr UINT kCaptionId = 3001;
constexpr int kDevicePage = 0;
constexpr int kLockPage = 1;
constexpr int kFinishPage = 2;
constexpr int kNextButton = 0x3024;

const SSimulatedKey kKeyA{"A", CKeyDevice(0x0951, 0x1666, "KV0001A")};
const SSimulatedKey kKeyB{"B", CKeyDevice(0x0781, 0x5567, "")};

class InitWizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveSettings();
        setting.SetDefaults();
    }
    void TearDown() override
    {
        if (driver && IsWindow(driver->Sheet()))
            driver->Press(PSBTN_CANCEL);
        if (ui.joinable())
            ui.join();
        usbkey::CFilterUsbCheckThread::End(usb);
        RemoveDirectoryA(SettingsFilePath().c_str());
    }

    // Attaches the keys, starts the worker and runs the wizard until its device rows show.
    void Start(const std::vector<SSimulatedKey>& attached)
    {
        keys = std::make_unique<CSimulatedKeys>(scenarioPath, attached);
        machine.WatchScenarioFile(scenarioPath);
        usb = usbkey::CFilterUsbCheckThread::Begin(machine);
        ASSERT_NE(nullptr, usb);
        wizard = std::make_unique<CInitWizard>(&setting, usb, kCaptionId, GetDesktopWindow());
        ui = std::thread([this] { result = wizard->DoModal(); });
        HWND sheet = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (sheet = CSheetDriver::FindSheet(GetCurrentProcessId())) != nullptr; }));
        driver = std::make_unique<CSheetDriver>(sheet);
        ASSERT_TRUE(WaitForRows(static_cast<int>(attached.size())));
    }
    bool WaitForRows(int count)
    {
        return WaitUntil([&] { return driver->RowCount(IDC_HARDWARE_LIST) == count; });
    }
    void Check(const SSimulatedKey& key)
    {
        const int row = driver->FindRow(IDC_HARDWARE_LIST, "Key " + key.tag);
        ASSERT_GE(row, 0) << key.tag;
        driver->SetRowChecked(IDC_HARDWARE_LIST, row, true);
    }
    // Waits for the message box with this text and closes it with the button.
    void Answer(UINT textId, int button)
    {
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (box = CSheetDriver::FindMessageBox(GetCurrentProcessId(), Caption())) != nullptr; }));
        EXPECT_EQ(fw::LoadText(textId), CSheetDriver::MessageText(box));
        PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    }
    bool MessageBoxShown() const { return CSheetDriver::FindMessageBox(GetCurrentProcessId(), Caption()) != nullptr; }
    static std::string Caption() { return fw::LoadText(IDS_MESSAGE_CAPTION); }
    INT_PTR WaitForEnd()
    {
        ui.join();
        return result;
    }
    // Next on the first two pages, with the wait time given.
    void NextToSummary(const std::string& waitMinutes = "10")
    {
        driver->Press(PSBTN_NEXT);
        ASSERT_TRUE(driver->WaitForPage(kLockPage));
        driver->SetText(IDC_WAIT_MINUTES, waitMinutes);
        driver->Press(PSBTN_NEXT);
        ASSERT_TRUE(driver->WaitForPage(kFinishPage));
    }
    std::optional<CLockSetting> SavedSetting() const
    {
        CLockSetting saved;
        try {
            CSettingFile(CPathUtil::GetSettingBaseFolder(), CSettingFile::kFileName).LoadSetting(saved);
        } catch (...) {
            return std::nullopt;
        }
        return saved;
    }

    const std::string scenarioPath = [] {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        return std::string(folder) + "wizard-" + std::to_string(GetCurrentProcessId()) + ".txt";
    }();
    CLockSetting setting;
    std::unique_ptr<CSimulatedKeys> keys;
    usbkey::CSimUsbMachine machine;
    usbkey::CFilterUsbCheckThread* usb = nullptr;
    std::unique_ptr<CInitWizard> wizard;
    std::thread ui;
    INT_PTR result = -2;
    std::unique_ptr<CSheetDriver> driver;
};

TEST_F(InitWizardTest, FinishWritesTheCheckedKeyTheConditionsAndTheDefaultPassword)
{
    ASSERT_NO_FATAL_FAILURE(Start({kKeyA, kKeyB}));
    EXPECT_FALSE(driver->IsButtonEnabled(kNextButton));
    Check(kKeyA);
    ASSERT_TRUE(WaitUntil([&] { return driver->IsButtonEnabled(kNextButton); }));
    NextToSummary("15");
    EXPECT_FALSE(MessageBoxShown());  // the key has a serial number

    EXPECT_EQ(fw::LoadText(IDS_KEY_REMOVED_LOCKS), driver->ItemText(IDC_SUMMARY_KEY_REMOVED));
    EXPECT_EQ(fw::LoadText(IDS_STARTUP_LOCKS), driver->ItemText(IDC_SUMMARY_STARTUP));
    EXPECT_EQ(fw::LoadText(IDS_NO_INPUT_LOCKS), driver->ItemText(IDC_SUMMARY_NO_INPUT));
    EXPECT_EQ(fw::LoadText(IDS_PASSWORD_ALONE), driver->ItemText(IDC_SUMMARY_PASSWORD));
    EXPECT_EQ("", driver->ItemText(IDC_SUMMARY_UTILITY));
    ASSERT_EQ(1, driver->RowCount(IDC_KEY_LIST));
    EXPECT_EQ("0x0951", driver->RowText(IDC_KEY_LIST, 0, 0));
    EXPECT_EQ("0x1666", driver->RowText(IDC_KEY_LIST, 0, 1));
    EXPECT_EQ("KV0001A", driver->RowText(IDC_KEY_LIST, 0, 2));

    driver->Press(PSBTN_FINISH);
    EXPECT_EQ(fw::ID_WIZFINISH, WaitForEnd());
    const std::optional<CLockSetting> saved = SavedSetting();
    ASSERT_TRUE(saved);
    ASSERT_EQ(1u, saved->KeyDevices.size());
    EXPECT_TRUE(IsSameKeyDevice(kKeyA.identity, saved->KeyDevices[0]));
    EXPECT_EQ(1, saved->PasswordSetting.UsePassword);
    EXPECT_EQ(CPasswordDigest::DigestText("mossgate"), saved->PasswordSetting.Password);
    EXPECT_EQ(1, saved->PasswordSetting.PasswordType);
    EXPECT_EQ(0, saved->PasswordSetting.UtilityNeedPassword);
    EXPECT_EQ(1, saved->LockKeyRemoved);
    EXPECT_EQ(1, saved->LockStartup);
    EXPECT_EQ(1, saved->LockNoInput);
    EXPECT_EQ(900, saved->LockNoInputSec);
    EXPECT_EQ(0u, usb->NotifyWindowCount());
}

TEST_F(InitWizardTest, KeysWithoutSerialAskFirstAndCancelKeepsThePageAndItsChecks)
{
    ASSERT_NO_FATAL_FAILURE(Start({kKeyA, kKeyB}));
    Check(kKeyB);
    driver->Press(PSBTN_NEXT);
    Answer(IDS_KEYS_WITHOUT_SERIAL, IDCANCEL);
    EXPECT_EQ(kDevicePage, driver->CurrentIndex());
    EXPECT_TRUE(driver->IsButtonEnabled(kNextButton));

    driver->Press(PSBTN_NEXT);
    Answer(IDS_KEYS_WITHOUT_SERIAL, IDOK);
    ASSERT_TRUE(driver->WaitForPage(kLockPage));
    ASSERT_EQ(1u, setting.KeyDevices.size());
    EXPECT_TRUE(IsSameKeyDevice(kKeyB.identity, setting.KeyDevices[0]));
}

TEST_F(InitWizardTest, BackAndNextAgainReplacesTheKeysWithTheRowsCheckedNow)
{
    ASSERT_NO_FATAL_FAILURE(Start({kKeyA, kKeyB}));
    Check(kKeyA);
    driver->Press(PSBTN_NEXT);
    ASSERT_TRUE(driver->WaitForPage(kLockPage));
    driver->Press(PSBTN_BACK);
    ASSERT_TRUE(driver->WaitForPage(kDevicePage));
    ASSERT_TRUE(WaitForRows(2));
    ASSERT_TRUE(WaitUntil([&] { return !driver->IsButtonEnabled(kNextButton); }));  // checks start afresh
    Check(kKeyA);
    Check(kKeyB);
    driver->Press(PSBTN_NEXT);
    ASSERT_TRUE(driver->WaitForPage(kLockPage));
    ASSERT_EQ(2u, setting.KeyDevices.size());
}

TEST_F(InitWizardTest, DetailsFollowTheSelectionAndTheListFollowsDevicesPulledAndPlugged)
{
    ASSERT_NO_FATAL_FAILURE(Start({kKeyA, kKeyB}));
    driver->SelectRow(IDC_HARDWARE_LIST, driver->FindRow(IDC_HARDWARE_LIST, "Key A"));
    ASSERT_TRUE(WaitUntil([&] { return driver->ItemText(IDC_SERIAL_NUMBER) == "KV0001A"; }));
    EXPECT_EQ("0x0951", driver->ItemText(IDC_VENDOR_ID));
    EXPECT_EQ("0x1666", driver->ItemText(IDC_PRODUCT_ID));
    const HWND tree = driver->Item(IDC_DEVICE_TREE);
    EXPECT_EQ(2, SendMessageA(tree, TVM_GETCOUNT, 0, 0));

    keys->Pull(kKeyA.tag);
    PostMessageA(driver->Sheet(), WM_DEVICECHANGE, 7, 0);  // DBT_DEVNODES_CHANGED, to the top-level window
    ASSERT_TRUE(WaitForRows(1));
    EXPECT_EQ("Key B", driver->RowText(IDC_HARDWARE_LIST, 0));
    ASSERT_TRUE(WaitUntil([&] { return driver->ItemText(IDC_SERIAL_NUMBER).empty(); }));
    EXPECT_EQ("0x0781", driver->ItemText(IDC_VENDOR_ID));  // row 0 is selected now

    keys->Insert(kKeyA.tag);  // plugged in late: page 1 has no Back to look again
    PostMessageA(driver->Sheet(), WM_DEVICECHANGE, 7, 0);
    EXPECT_TRUE(WaitForRows(2));
}

TEST_F(InitWizardTest, WaitTimeOutOfRangeAsksOnlyWhileTheIdleLockIsOn)
{
    ASSERT_NO_FATAL_FAILURE(Start({kKeyA}));
    Check(kKeyA);
    driver->Press(PSBTN_NEXT);
    ASSERT_TRUE(driver->WaitForPage(kLockPage));
    driver->SetText(IDC_WAIT_MINUTES, "0");
    driver->Press(PSBTN_NEXT);
    Answer(IDS_BAD_WAIT_TIME, IDOK);
    EXPECT_EQ(kLockPage, driver->CurrentIndex());

    driver->Click(IDC_LOCK_NO_INPUT);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(driver->Item(IDC_WAIT_MINUTES)); }));
    driver->Press(PSBTN_NEXT);
    ASSERT_TRUE(driver->WaitForPage(kFinishPage));
    EXPECT_FALSE(MessageBoxShown());
    EXPECT_EQ(0, setting.LockNoInput);
    EXPECT_EQ(600, setting.LockNoInputSec);
    EXPECT_EQ(fw::LoadText(IDS_NO_INPUT_KEEPS), driver->ItemText(IDC_SUMMARY_NO_INPUT));
}

TEST_F(InitWizardTest, FinishThatCannotSaveKeepsTheSummaryAndCanBeTriedAgain)
{
    ASSERT_NO_FATAL_FAILURE(Start({kKeyA}));
    Check(kKeyA);
    NextToSummary();
    CPathUtil::CreateSettingBaseFolder();
    ASSERT_TRUE(CreateDirectoryA(SettingsFilePath().c_str(), nullptr));  // the file cannot be written
    driver->Press(PSBTN_FINISH);
    Answer(IDS_SAVE_FAILED, IDOK);
    EXPECT_EQ(kFinishPage, driver->CurrentIndex());

    ASSERT_TRUE(RemoveDirectoryA(SettingsFilePath().c_str()));
    driver->Press(PSBTN_FINISH);
    EXPECT_EQ(fw::ID_WIZFINISH, WaitForEnd());
    EXPECT_TRUE(SavedSetting());
}

// The page was registered with the worker; Cancel on it must not leave the worker posting
// to a window that is gone.
TEST_F(InitWizardTest, CancelOnTheFirstPageUnregistersItAndWritesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Start({kKeyA}));
    EXPECT_EQ(1u, usb->NotifyWindowCount());
    Check(kKeyA);
    driver->Press(PSBTN_CANCEL);
    EXPECT_EQ(IDCANCEL, WaitForEnd());
    EXPECT_EQ(0u, usb->NotifyWindowCount());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(SettingsFilePath().c_str()));
}

} // namespace
