// The settings utility before any key is registered, as installed beside the watchdog:
// its question 3300, and on OK the watchdog resumed or, when none answers, started from
// the utility's own folder (the watchdog then starts Brontal, whose wizard does the set-up).
#include "common/CompanionLink.h"
#include "framework/AnsiText.h"
#include "tests/companions/support/InstalledPrograms.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SheetDriver.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr char kUtilityFile[] = "BrontalUtility.exe";
constexpr DWORD kStartWait = 15000;

class UtilityFirstSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        programs = std::make_unique<CInstalledPrograms>("utility-setup", CInstalledPrograms::WithWatchdog);
        ASSERT_TRUE(CopyFileA(WindowsPathOf(KV_SIMULATED_UTILITY).c_str(), programs->Path(kUtilityFile).c_str(),
                              FALSE));
    }
    void TearDown() override
    {
        testsupport::KillProcessesNamed(kUtilityFile);
        programs.reset();
    }

    // Starts the utility and answers its question with `button` once it shows 3300.
    void AnswerQuestion(int button)
    {
        utility = programs->Launch(kUtilityFile);
        ASSERT_NE(0u, utility);
        HWND question = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (question = CSheetDriver::FindMessageBox(utility, "Kelvrane4")) != nullptr; },
                              kStartWait));
        EXPECT_EQ(fw::AnsiFromUtf8("初期設定されていません。初期設定しますか？"), CSheetDriver::MessageText(question));
        EXPECT_FALSE(CSheetDriver::FindSheet(utility)) << "no sheet without a key";
        PostMessageA(question, WM_COMMAND, static_cast<WPARAM>(button), 0);
    }
    bool UtilityEnds() const
    {
        return WaitUntil([this] { return testsupport::ProcessPath(utility).empty(); }, kStartWait);
    }
    // Sent, so that the watchdog has handled it on return.
    static void Tell(UINT message)
    {
        DWORD_PTR result = 0;
        ASSERT_TRUE(SendMessageTimeoutA(CCompanionLink::FindWatchdogWindow(), message, 0, 0, SMTO_NORMAL, 10000,
                                        &result));
    }

    std::unique_ptr<CInstalledPrograms> programs;
    DWORD utility = 0;
};

// No settings file at all counts as no key registered.
TEST_F(UtilityFirstSetup, OkStartsTheWatchdogFromTheUtilitysFolder)
{
    DeleteFileA(SettingsFilePath().c_str());
    ASSERT_NO_FATAL_FAILURE(AnswerQuestion(IDOK));
    EXPECT_TRUE(UtilityEnds());
    ASSERT_TRUE(WaitUntil([] { return CCompanionLink::FindWatchdogWindow() != nullptr; }, kStartWait));
    EXPECT_EQ(0, lstrcmpiA(programs->Path("Pernwick.exe").c_str(),
                           testsupport::ProcessPath(ProcessOf(kWatchdogExecutable)).c_str()));
    EXPECT_TRUE(WaitUntil([] { return ProcessOf(kResidentExecutable) != 0; }, kStartWait))
        << "the watchdog starts the resident program for the set-up";
}

TEST_F(UtilityFirstSetup, OkResumesAPausedWatchdogAndStartsNoSecondOne)
{
    CInstalledPrograms::RegisterKey();
    ASSERT_TRUE(programs->Launch("Pernwick.exe"));
    ASSERT_TRUE(WaitUntil([] { return CCompanionLink::FindWatchdogWindow() != nullptr; }, kStartWait));
    ASSERT_TRUE(WaitForResident(true, kStartWait));
    const DWORD watchdog = ProcessOf(kWatchdogExecutable);
    Tell(UM_WATCHDOG_PAUSE);
    ASSERT_TRUE(KillProcessOf(kResidentExecutable));

    CInstalledPrograms::RegisterNoKey();
    ASSERT_NO_FATAL_FAILURE(AnswerQuestion(IDOK));
    EXPECT_TRUE(UtilityEnds());
    EXPECT_TRUE(WaitUntil([] { return ProcessOf(kResidentExecutable) != 0; }, kStartWait))
        << "the resumed watchdog starts the resident program";
    EXPECT_EQ(std::vector<DWORD>{watchdog}, testsupport::ProcessesNamed(kWatchdogExecutable));
}

// Settings that are there but cannot be read now (another program saving them) are no
// first run: the utility says it could not read them and ends, with no set-up question and
// no sheet of starting values that a save would write over the real ones.
TEST_F(UtilityFirstSetup, ASettingsFileThatCannotBeReadIsReportedAndOffersNothing)
{
    CInstalledPrograms::RegisterKey();
    const fw::unique_hfile held(CreateFileA(SettingsFilePath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
    utility = programs->Launch(kUtilityFile);
    ASSERT_NE(0u, utility);
    HWND message = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (message = CSheetDriver::FindMessageBox(utility, "Kelvrane4")) != nullptr; },
                          kStartWait));
    EXPECT_EQ(fw::AnsiFromUtf8("設定を読み込めませんでした。"), CSheetDriver::MessageText(message));
    EXPECT_FALSE(CSheetDriver::FindSheet(utility));
    PostMessageA(message, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(UtilityEnds());
    EXPECT_FALSE(CSheetDriver::FindSheet(utility));
    EXPECT_FALSE(WaitUntil([] { return ProcessOf(kWatchdogExecutable) != 0; }, 1500));
}

TEST_F(UtilityFirstSetup, CancelStartsNothing)
{
    CInstalledPrograms::RegisterNoKey();
    ASSERT_NO_FATAL_FAILURE(AnswerQuestion(IDCANCEL));
    EXPECT_TRUE(UtilityEnds());
    EXPECT_FALSE(WaitUntil([] { return ProcessOf(kWatchdogExecutable) != 0; }, 1500));
}

} // namespace
