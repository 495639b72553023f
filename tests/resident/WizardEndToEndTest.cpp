// The first-run wizard of the simulated-USB Brontal under Wine: started without a settings
// file it shows the wizard; Finish writes the file and the program goes on watching, Cancel
// writes nothing, ends it and pauses the watchdog. Driven from this process through the
// sheet's own messages and controls.
#include "common/CompanionLink.h"
#include "common/PasswordDigest.h"
#include "common/PathUtil.h"
#include "common/SettingFile.h"
#include "framework/AnsiText.h"
#include "resident/wizard/WizardResource.h"
#include "tests/common/HelperProcess.h"
#include "tests/resident/support/EventClient.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SheetDriver.h"
#include "tests/resident/support/SimulatedKeys.h"

#include <dbt.h>
#include <gmock/gmock.h>

#include <memory>

namespace {

using ::testing::ElementsAre;

constexpr int kEventLock = 1;
constexpr int kLockPage = 1;
constexpr int kFinishPage = 2;

const SSimulatedKey kKey{"A", CKeyDevice(0x0951, 0x1666, "KV0001A")};

class WizardEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveSettings();
        ASSERT_TRUE(events.Start());
    }

    // Brontal with the key attached and no settings file, until its wizard lists the key.
    void StartWizard()
    {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        keys = std::make_unique<CSimulatedKeys>(std::string(folder) + "wizard-e2e.txt", std::vector{kKey});
        SetEnvironmentVariableA("KV_USB_SCENARIO", keys->Path().c_str());
        ASSERT_TRUE(resident.Launch(kBrontal));
        events.Follow(resident.ProcessId());
        HWND sheet = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (sheet = CSheetDriver::FindSheet(resident.ProcessId())) != nullptr; }));
        driver = std::make_unique<CSheetDriver>(sheet);
        ASSERT_TRUE(WaitUntil([&] { return driver->FindRow(IDC_HARDWARE_LIST, "Key A") >= 0; }));
    }

    const std::string kBrontal = WindowsPathOf(KV_SIMULATED_BRONTAL);
    CEventClient events;
    std::unique_ptr<CSimulatedKeys> keys;
    CResidentProcess resident;
    std::unique_ptr<CSheetDriver> driver;
};

TEST_F(WizardEndToEnd, FinishRegistersTheKeyAndTheProgramGoesOnWatching)
{
    ASSERT_NO_FATAL_FAILURE(StartWizard());
    char caption[256] = {};
    GetWindowTextA(driver->Sheet(), caption, sizeof caption);
    // The sheet's caption, or the first page's title "初期設定ウイザード" that a wizard shows.
    EXPECT_EQ(0u, std::string(caption).find(fw::AnsiFromUtf8("初期設定")));

    driver->SetRowChecked(IDC_HARDWARE_LIST, driver->FindRow(IDC_HARDWARE_LIST, "Key A"), true);
    driver->Press(PSBTN_NEXT);
    ASSERT_TRUE(driver->WaitForPage(kLockPage));
    driver->SetText(IDC_WAIT_MINUTES, "7");
    driver->Click(IDC_LOCK_STARTUP);  // off: the program starts watching unlocked
    driver->Press(PSBTN_NEXT);
    ASSERT_TRUE(driver->WaitForPage(kFinishPage));
    driver->Press(PSBTN_FINISH);
    ASSERT_TRUE(resident.WaitForMainWindow(&events));

    CLockSetting saved;
    CSettingFile(CPathUtil::GetSettingBaseFolder(), CSettingFile::kFileName).LoadSetting(saved);
    ASSERT_EQ(1u, saved.KeyDevices.size());
    EXPECT_TRUE(IsSameKeyDevice(kKey.identity, saved.KeyDevices[0]));
    EXPECT_EQ(1, saved.PasswordSetting.UsePassword);
    EXPECT_EQ(CPasswordDigest::DigestText("mossgate"), saved.PasswordSetting.Password);
    EXPECT_EQ(1, saved.PasswordSetting.PasswordType);
    EXPECT_EQ(0, saved.LockStartup);
    EXPECT_EQ(7 * 60, saved.LockNoInputSec);

    keys->Pull(kKey.tag);
    resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    const auto event = events.Next(5000);
    ASSERT_TRUE(event) << "no lock after the pull";
    EXPECT_EQ(kEventLock, event->code);
}

TEST_F(WizardEndToEnd, CancelWritesNothingEndsTheProgramAndPausesTheWatchdog)
{
    testsupport::CTempFolder folder("wizard-watchdog");
    const std::string watchdogPath = folder / kWatchdogExecutable;
    ASSERT_TRUE(CopyFileA(WindowsPathOf(KV_COMPANION_HELPER).c_str(), watchdogPath.c_str(), FALSE));
    const std::string log = folder / "watchdog.log";
    testsupport::CHelperProcess watchdog(
        watchdogPath, testsupport::RecordArguments(log, {std::string("wd|") + kWatchdogMarker + "||0"}));
    ASSERT_TRUE(watchdog.WaitForWindows(1));

    ASSERT_NO_FATAL_FAILURE(StartWizard());
    driver->Press(PSBTN_CANCEL);
    EXPECT_TRUE(resident.WaitForExit(15000));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(SettingsFilePath().c_str()));
    watchdog.End();
    EXPECT_THAT(testsupport::ReadLines(log), ElementsAre("wd 0x463 0 0", "wd 0x462 0 0"));  // resume, then pause
}

} // namespace
