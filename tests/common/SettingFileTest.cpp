#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "HelperProcess.h"
#include "TempFolder.h"
#include "common/ReplacementFile.h"
#include "common/SettingFile.h"
#include "common/SettingFileLock.h"
#include "framework/File.h"

namespace {

using fw::CFile;
using fw::CFileException;
using namespace std::string_literals;

class SettingFileTest : public ::testing::Test {
protected:
    SettingFileTest()
        : m_folder(::testing::UnitTest::GetInstance()->current_test_info()->name()),
          m_file(m_folder.Path(), CSettingFile::kFileName)
    {
    }

    static CLockSetting Sample()
    {
        CLockSetting s;
        s.SetDefaults();
        s.LockMessage = "\x83\x8D\x83\x62\x83\x4E";
        s.KeyDevices = {{0x0781, 0x5567, "4C53"}};
        return s;
    }

    std::string Text() const { return ReadWholeFile(m_file.GetPath()); }
    // The name this process's saves once wrote their new text under.
    std::string TempPath() const
    {
        return m_file.GetPath() + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
    }
    // The temporary files of the settings file, kept copies among them.
    std::vector<std::string> TempFiles() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        const fw::unique_hfind search(FindFirstFileA((m_file.GetPath() + ".*.tmp").c_str(), &found));
        if (search)
            do
                names.push_back(found.cFileName);
            while (FindNextFileA(search.get(), &found));
        return names;
    }

    // The settings read back as `expected`, and the next lock state puts them, whole, in
    // the file's place, with no temporary file left.
    void ExpectInForceAndPutInPlace(const CLockSetting& expected) const
    {
        CLockSetting loaded;
        EXPECT_NO_THROW(m_file.LoadSetting(loaded));
        EXPECT_TRUE(IsEqualSetting(expected, loaded));
        m_file.SaveLockState(1);
        const int one = 1;
        EXPECT_EQ(CSettingFile::Serialize(&expected, &one), Text());
        EXPECT_TRUE(TempFiles().empty());
    }
    // Leaves the settings only as the copy a save kept that stopped halfway: ReplaceFile
    // removed the old file, and the move of the new one kept failing.
    void KeepHalfDoneSave(const CLockSetting& setting) const;

    // Two programs saving the settings file at once, `rounds` saves each: SettingFileSaver
    // as Brontal writing the lock state and as the utility saving the settings. `during`
    // runs again and again until both have ended; each writes its report file.
    template <typename During>
    void RunTwoSavers(int rounds, During during) const
    {
        const std::string go = "kv-setting-file-savers-" + std::to_string(GetCurrentProcessId());
        const fw::unique_handle start(CreateEventA(nullptr, TRUE, FALSE, go.c_str()));
        ASSERT_TRUE(start);
        const auto Saver = [&](const char* side) {
            return std::make_unique<testsupport::CHelperProcess>(
                testsupport::HelperPath("SettingFileSaver.exe"),
                testsupport::Quote(m_folder.Path()) + " " + side + " " + std::to_string(rounds) + " " + go + " " +
                    testsupport::Quote(m_folder.File(std::string(side) + ".txt")));
        };
        const auto resident = Saver("lock");
        const auto utility = Saver("setting");
        ASSERT_TRUE(resident->Started() && utility->Started());
        SetEvent(start.get());
        const DWORD begin = GetTickCount();
        while ((!resident->WaitForExit(0) || !utility->WaitForExit(0)) && GetTickCount() - begin < 60000)
            during();
        ASSERT_TRUE(resident->WaitForExit(0) && utility->WaitForExit(0));
    }

    CTempFolder m_folder;
    CSettingFile m_file;
};

TEST_F(SettingFileTest, SaveAndLoadSetting)
{
    const CLockSetting sample = Sample();
    m_file.SaveSetting(sample);
    EXPECT_EQ(CSettingFile::Serialize(&sample, nullptr), Text());  // no "Lock" in a new file

    CLockSetting loaded;
    m_file.LoadSetting(loaded);
    EXPECT_TRUE(IsEqualSetting(sample, loaded));
    int lock = 7;
    m_file.LoadLockState(lock);
    EXPECT_EQ(7, lock);
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(SettingFileTest, LockStateSequence)
{
    m_file.SaveLockState(1);
    EXPECT_EQ("[Setting]\r\nLock=1\r\n\r\n", Text());

    const CLockSetting sample = Sample();
    m_file.SaveSetting(sample);  // keeps the lock state
    const int one = 1;
    EXPECT_EQ(CSettingFile::Serialize(&sample, &one), Text());

    m_file.SaveLockState(0);  // in place, nothing else changes
    const int zero = 0;
    EXPECT_EQ(CSettingFile::Serialize(&sample, &zero), Text());
    int lock = 5;
    m_file.LoadLockState(lock);
    EXPECT_EQ(0, lock);
}

// A file written by a setup that leaves keys out, or by a newer version, keeps
// every byte of its content when the lock state is written.
TEST_F(SettingFileTest, LockStateKeepsMissingAndUnknownKeys)
{
    const std::string before =
        "[Setting]\r\nLockStartup=1\r\nKeyType=7\r\nFuture=x\r\n\r\n"
        "[Device-0]\r\nVendorId=1\r\nProductId=2\r\n\r\n[Other]\r\na=b\r\n\r\n";
    WriteWholeFile(m_file.GetPath(), before);
    m_file.SaveLockState(1);
    EXPECT_EQ("[Setting]\r\nLockStartup=1\r\nKeyType=7\r\nFuture=x\r\nLock=1\r\n\r\n"
              "[Device-0]\r\nVendorId=1\r\nProductId=2\r\n\r\n[Other]\r\na=b\r\n\r\n",
              Text());

    CLockSetting loaded;
    loaded.SetDefaults();
    m_file.LoadSetting(loaded);
    EXPECT_EQ(1, loaded.LockKeyRemoved);  // absent, so the default stays
}

TEST_F(SettingFileTest, MissingFileAndFolderThrow)
{
    CLockSetting setting;
    setting.LockMessage = "kept";
    try {
        m_file.LoadSetting(setting);
        FAIL() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(CFileException::fileNotFound, e.m_cause);
        EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), e.m_lOsError);
        EXPECT_EQ(m_file.GetPath(), e.m_strFileName);
    }
    EXPECT_EQ("kept", setting.LockMessage);

    const CSettingFile inMissingFolder(m_folder.File("missing"), CSettingFile::kFileName);
    EXPECT_THROW(inMissingFolder.SaveSetting(Sample()), CFileException);
    EXPECT_THROW(inMissingFolder.SaveLockState(1), CFileException);
}

// While a reader holds the file (others may read, not write), saving fails and loses nothing.
TEST_F(SettingFileTest, SaveWhileOpenFailsAndChangesNothing)
{
    m_file.SaveSetting(Sample());
    const std::string before = Text();
    {
        CFile reader(m_file.GetPath(), CFile::modeRead | CFile::shareDenyWrite);
        CLockSetting other;
        other.LockMessage = "new";
        EXPECT_THROW(m_file.SaveSetting(other), CFileException);
        EXPECT_THROW(m_file.SaveLockState(1), CFileException);
        CLockSetting loaded;  // a second reader may still read
        m_file.LoadSetting(loaded);
        EXPECT_TRUE(IsEqualSetting(Sample(), loaded));
    }
    EXPECT_EQ(before, Text());
    EXPECT_TRUE(TempFiles().empty());
    m_file.SaveLockState(1);  // and once it is closed, saving works again
    EXPECT_NE(before, Text());
}

// A writer that holds the file past the reads' few seconds of trying: the read fails.
// Brontal's lock state at once fails at once, its read never pausing.
TEST_F(SettingFileTest, LoadWhileWriterHoldsTheFileFails)
{
    m_file.SaveSetting(Sample());
    CFile writer(m_file.GetPath(), CFile::modeWrite | CFile::shareDenyWrite);
    CLockSetting loaded;
    try {
        m_file.LoadSetting(loaded);
        FAIL() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(CFileException::sharingViolation, e.m_cause);
    }
    const DWORD start = GetTickCount();
    EXPECT_THROW(m_file.SaveLockStateAtOnce(1), CFileException);
    EXPECT_LT(GetTickCount() - start, 500u);
}

// Another program's save holds the file for a moment (busy), or swaps it (not there for a
// moment, while the settings lock is held): the read tries again and gets the settings.
// Where no save is under way, a missing file fails the read at once.
TEST_F(SettingFileTest, AReadWaitsOutAnotherProgramsSave)
{
    const CLockSetting sample = Sample();
    const std::string text = CSettingFile::Serialize(&sample, nullptr);
    for (const bool busy : {true, false}) {
        SCOPED_TRACE(busy ? "the file busy" : "the file between names");
        WriteWholeFile(m_file.GetPath(), text);
        const fw::unique_handle ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        std::thread save([&] {
            const CSettingFileLock lock(m_file.GetPath());
            std::optional<CFile> writer;
            if (busy)
                writer.emplace(m_file.GetPath(), CFile::modeWrite | CFile::shareDenyWrite);
            else
                DeleteFileA(m_file.GetPath().c_str());
            SetEvent(ready.get());
            Sleep(300);
            writer.reset();
            if (!busy)
                WriteWholeFile(m_file.GetPath(), text);
        });
        WaitForSingleObject(ready.get(), INFINITE);
        CLockSetting loaded;
        EXPECT_NO_THROW(m_file.LoadSetting(loaded));
        save.join();
        EXPECT_TRUE(IsEqualSetting(sample, loaded));
    }
    DeleteFileA(m_file.GetPath().c_str());
    const DWORD start = GetTickCount();
    CLockSetting loaded;
    EXPECT_THROW(m_file.LoadSetting(loaded), CFileException);
    EXPECT_LT(GetTickCount() - start, 1000u) << "a missing file waited";
}

// A save that stops after the new text is written but before it takes the old
// file's place (a crash, a power loss) leaves the old file whole.
TEST_F(SettingFileTest, InterruptedSaveKeepsTheOldFile)
{
    const CLockSetting sample = Sample();
    m_file.SaveSetting(sample);
    const std::string before = Text();
    CLockSetting changed = sample;
    changed.KeyDevices.clear();
    const std::string newText = CSettingFile::Serialize(&changed, nullptr);
    {
        CReplacementFile replacement(m_file.GetPath());
        replacement.Write(newText);
        EXPECT_EQ(before, Text());
        CLockSetting loaded;
        m_file.LoadSetting(loaded);
        EXPECT_EQ(1u, loaded.KeyDevices.size());
    }
    EXPECT_EQ(before, Text());
    EXPECT_TRUE(TempFiles().empty());

    WriteWholeFile(TempPath(), "stale half-written text");  // left by a crashed save
    m_file.SaveSetting(changed);
    CLockSetting loaded;
    m_file.LoadSetting(loaded);
    EXPECT_TRUE(IsEqualSetting(changed, loaded));
    EXPECT_TRUE(TempFiles().empty());
}

// Brontal writes the lock state while the utility saves the settings, two programs at once:
// each save reads the file and writes it back whole, and neither may write back what it
// read before the other's write.
TEST_F(SettingFileTest, LockStateAndSettingSavedAtOnceByTwoProgramsKeepBoth)
{
    m_file.SaveSetting(Sample());
    constexpr int kRounds = 150;
    RunTwoSavers(kRounds, [] { Sleep(20); });
    EXPECT_EQ("ok", ReadWholeFile(m_folder.File("lock.txt")));
    EXPECT_EQ("ok", ReadWholeFile(m_folder.File("setting.txt")));
    CLockSetting loaded;
    int lock = -1;
    m_file.Load(&loaded, &lock);
    EXPECT_EQ((kRounds - 1) % 2, lock);
    EXPECT_EQ(kRounds, loaded.LockNoInputSec);
}

// Brontal reads the settings and the lock state without the settings lock, while the
// utility and its own lock state save them: no read fails. (A save that the reader makes
// fail, holding the file at its replacement, ends that saver: it changed nothing.)
TEST_F(SettingFileTest, ReadsWithoutTheLockDuringOtherProgramsSavesSucceed)
{
    m_file.SaveSetting(Sample());
    int reads = 0;
    std::vector<std::string> failures;
    RunTwoSavers(150, [&] {
        CLockSetting loaded;
        int lock = 0;
        try {
            ++reads;
            m_file.LoadSetting(loaded);
            m_file.LoadLockState(lock);
        } catch (const CFileException& e) {
            failures.push_back(e.what());
        }
    });
    EXPECT_EQ(std::vector<std::string>(), failures) << "of " << reads << " reads";
}

// A save kept waiting past the bounded wait (another program holding the lock, hung) fails
// as a sharing violation and leaves the file as it was.
TEST_F(SettingFileTest, SaveWhileTheLockIsHeldFailsInTimeAndChangesNothing)
{
    m_file.SaveSetting(Sample());
    const std::string before = Text();
    const CSettingFileLock held(m_file.GetPath());
    std::string outcome = "saved";
    DWORD waited = 0;
    std::thread other([&] {
        const DWORD start = GetTickCount();
        try {
            m_file.SaveLockState(1);
        } catch (const CFileException& e) {
            outcome = e.m_cause == CFileException::sharingViolation ? "sharing violation" : e.what();
        }
        waited = GetTickCount() - start;
    });
    other.join();
    EXPECT_EQ("sharing violation", outcome);
    EXPECT_GE(waited + 100, CSettingFileLock::kTimeout);  // the tick count's granularity
    EXPECT_LT(waited, CSettingFileLock::kTimeout + 5000);
    EXPECT_EQ(before, Text());
}

TEST_F(SettingFileTest, DamagedFilesLoadByTheContentRules)
{
    std::string noise;
    for (int i = 0; i < 70000; ++i)
        noise += char((i * 7919) >> 3);
    const std::string cases[] = {
        noise,
        "[Setting]\r\nKeyType=2\0\r\nLockMessage=a\0b\r\n"s,
        "[Setting]KeyType=2LockNoInputSec=5",
        "[Setting]\r\nLockMessage=" + std::string(10 * 1024 * 1024, 'm'),
    };
    for (const std::string& text : cases) {
        WriteWholeFile(m_file.GetPath(), text);
        CLockSetting loaded;
        m_file.LoadSetting(loaded);
        CLockSetting expected;
        CSettingFile::Parse(&expected, nullptr, text);
        EXPECT_TRUE(IsEqualSetting(expected, loaded));
        m_file.SaveLockState(1);
        CLockSetting after;
        m_file.LoadSetting(after);
        EXPECT_TRUE(IsEqualSetting(loaded, after));
    }
    CLockSetting huge;
    CSettingFile::Parse(&huge, nullptr, cases[3]);
    EXPECT_EQ(10u * 1024 * 1024, huge.LockMessage.size());
    EXPECT_EQ("a\0b"s, [&] {
        CLockSetting s;
        CSettingFile::Parse(&s, nullptr, cases[1]);
        return s.LockMessage;
    }());
}

// The swap's calls as the replacement makes them, passed on to Windows unless one is told
// to fail. (Wine keeps no file access lists, so what the swap preserves is seen here,
// through which call puts the new file in place.)
class RecordingSwap : public CFileSwap {
public:
    explicit RecordingSwap(std::string target) : m_target(std::move(target)) {}

    std::map<std::string, DWORD> failures;  // call -> the error it fails with
    void (*replaceLeaves)(const std::string& target) = nullptr;  // what a failing Replace did first
    mutable std::map<std::string, int> failTimes;  // call -> how often it fails before it works; absent: always
    mutable std::vector<std::string> calls;
    // The call at which a reader (or a scanner) opens the save's new file and holds it, as
    // reads open the file, until the test closes `held`.
    std::string holdAt;
    mutable fw::unique_hfile held;

    bool Replace(const std::string& replaced, const std::string& replacement) const override
    {
        return Call("Replace", replaced, replacement, [&] { return CFileSwap::Replace(replaced, replacement); });
    }
    bool MoveReplacing(const std::string& from, const std::string& to) const override
    {
        return Call("MoveReplacing", from, to, [&] { return CFileSwap::MoveReplacing(from, to); });
    }
    bool Delete(const std::string& path) const override
    {
        return Call("Delete", path, "", [&] { return CFileSwap::Delete(path); });
    }
    bool Move(const std::string& from, const std::string& to) const override
    {
        return Call("Move", from, to, [&] { return CFileSwap::Move(from, to); });
    }

private:
    template <typename Windows>
    bool Call(const std::string& name, const std::string& a, const std::string& b, Windows windows) const
    {
        calls.push_back(name + " " + Name(a) + (b.empty() ? "" : " " + Name(b)));
        if (name == holdAt && !held)
            held.reset(CreateFileA((name == "Replace" ? b : a).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
        if (const auto failure = failures.find(name); failure != failures.end() && FailsThisTime(name)) {
            if (name == "Replace" && replaceLeaves)
                replaceLeaves(m_target);
            SetLastError(failure->second);
            return false;
        }
        return windows();
    }
    bool FailsThisTime(const std::string& name) const
    {
        const auto times = failTimes.find(name);
        return times == failTimes.end() || times->second-- > 0;
    }
    // Every temporary file of the target (one a save writes, one a half-done save kept) is "temp".
    std::string Name(const std::string& path) const
    {
        const std::string prefix = m_target + ".", suffix = ".tmp";
        if (path == m_target)
            return "target";
        if (path.size() > prefix.size() + suffix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
            path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
            return "temp";
        return path;
    }

    std::string m_target;
};

void OldFileDeleted(const std::string& target)
{
    DeleteFileA(target.c_str());
}

void OldFileRenamed(const std::string& target)
{
    MoveFileA(target.c_str(), (target + ".replaced").c_str());
}

void SettingFileTest::KeepHalfDoneSave(const CLockSetting& setting) const
{
    RecordingSwap swap(m_file.GetPath());
    swap.failures = {{"Replace", ERROR_UNABLE_TO_MOVE_REPLACEMENT}, {"MoveReplacing", ERROR_SHARING_VIOLATION}};
    swap.replaceLeaves = OldFileDeleted;
    EXPECT_NO_THROW(CSettingFile(m_folder.Path(), CSettingFile::kFileName, swap).SaveSetting(setting));
    ASSERT_FALSE(CFile::Exists(m_file.GetPath()));
    ASSERT_EQ(1u, TempFiles().size());
}

// An existing file is replaced by ReplaceFile, which keeps its owner, access list and
// attributes: a save by the signed-in user must not make the file that user's. Where there
// is nothing to replace, or no ReplaceFile, the plain move serves; so it does where
// ReplaceFile got halfway and left the new file under its temporary name.
TEST_F(SettingFileTest, ReplacementKeepsTheOldFileAsTheOneReplaced)
{
    using Calls = std::vector<std::string>;
    const struct {
        const char* what;
        bool oldFile;
        std::map<std::string, DWORD> failures;
        Calls calls;
        bool saved;
        void (*replaceLeaves)(const std::string& target) = nullptr;
    } cases[] = {
        {"old file", true, {}, {"Replace target temp"}, true},
        {"first save", false, {}, {"Replace target temp", "MoveReplacing temp target"}, true},
        {"no ReplaceFile", true, {{"Replace", ERROR_CALL_NOT_IMPLEMENTED}},
         {"Replace target temp", "MoveReplacing temp target"}, true},
        {"Windows 9x", true, {{"Replace", ERROR_CALL_NOT_IMPLEMENTED}, {"MoveReplacing", ERROR_CALL_NOT_IMPLEMENTED}},
         {"Replace target temp", "MoveReplacing temp target", "Delete target", "Move temp target"}, true},
        {"old file gone, new one not renamed", true, {{"Replace", ERROR_UNABLE_TO_MOVE_REPLACEMENT}},
         {"Replace target temp", "MoveReplacing temp target"}, true, OldFileDeleted},
        {"old file under another name, new one not renamed", true, {{"Replace", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2}},
         {"Replace target temp", "MoveReplacing temp target"}, true, OldFileRenamed},
        {"old file held open", true, {{"Replace", ERROR_UNABLE_TO_REMOVE_REPLACED}}, {"Replace target temp"}, false},
    };
    const std::string target = m_file.GetPath();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA(target.c_str());
        if (c.oldFile)
            WriteWholeFile(target, "old");
        RecordingSwap swap(target);
        swap.failures = c.failures;
        swap.replaceLeaves = c.replaceLeaves;
        try {
            CReplacementFile replacement(target, swap);
            replacement.Write("new");
            replacement.Commit();
            EXPECT_TRUE(c.saved);
        } catch (const CFileException&) {
            EXPECT_FALSE(c.saved);
        }
        EXPECT_EQ(c.calls, swap.calls);
        EXPECT_EQ(c.saved ? "new" : "old", Text());
        EXPECT_TRUE(TempFiles().empty());
    }
}

// Once ReplaceFile has removed the old file or moved it aside, the temporary file holds the
// only copy of the new text. A move that fails then (a scanner holding a name) is tried
// again; where it keeps failing, the temporary file stays as the kept copy, which the next
// read takes: the save is in force, and so it reports itself saved. The lock state written
// next keeps every setting.
TEST_F(SettingFileTest, HalfDoneReplacementLosesNoSettings)
{
    constexpr DWORD kHalfway = ERROR_UNABLE_TO_MOVE_REPLACEMENT, kHalfwayAside = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
    const std::map<std::string, DWORD> windows9x = {
        {"Replace", ERROR_CALL_NOT_IMPLEMENTED}, {"MoveReplacing", ERROR_CALL_NOT_IMPLEMENTED},
        {"Move", ERROR_SHARING_VIOLATION}};
    const struct {
        const char* what;
        std::map<std::string, DWORD> failures;
        void (*replaceLeaves)(const std::string& target);
        int moveFailures;  // how often the last move fails; -1: every time
        const char* move = "MoveReplacing temp target";
    } cases[] = {
        {"old file gone, move fails once", {{"Replace", kHalfway}, {"MoveReplacing", ERROR_SHARING_VIOLATION}},
         OldFileDeleted, 1},
        {"old file aside, move fails once", {{"Replace", kHalfwayAside}, {"MoveReplacing", ERROR_SHARING_VIOLATION}},
         OldFileRenamed, 1},
        {"old file gone, move keeps failing", {{"Replace", kHalfway}, {"MoveReplacing", ERROR_SHARING_VIOLATION}},
         OldFileDeleted, -1},
        {"old file aside, move keeps failing", {{"Replace", kHalfwayAside}, {"MoveReplacing", ERROR_SHARING_VIOLATION}},
         OldFileRenamed, -1},
        {"Windows 9x, old file deleted, rename keeps failing", windows9x, nullptr, -1, "Move temp target"},
    };
    const std::string target = m_file.GetPath();
    const CLockSetting sample = Sample();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& path : {target, target + ".replaced"})
            DeleteFileA(path.c_str());
        WriteWholeFile(target, "[Setting]\r\nLockMessage=old\r\n\r\n");
        RecordingSwap swap(target);
        swap.failures = c.failures;
        swap.replaceLeaves = c.replaceLeaves;
        const std::string lastMove = std::string(c.move).substr(0, std::string(c.move).find(' '));
        if (c.moveFailures >= 0)
            swap.failTimes[lastMove] = c.moveFailures;
        const CSettingFile utility(m_folder.Path(), CSettingFile::kFileName, swap);
        EXPECT_NO_THROW(utility.SaveSetting(sample));
        EXPECT_LE(2, std::count(swap.calls.begin(), swap.calls.end(), c.move));

        ExpectInForceAndPutInPlace(sample);
    }
}

// The temporary files of the settings file, whatever process named them, and nothing else:
// the copies saves kept (under the names of every version) and what unfinished writes left.
TEST_F(SettingFileTest, ListsEveryTemporaryFileOfTheSettingsFile)
{
    for (const char* name : {"Corvantis.ini.12.tmp", "CORVANTIS.INI.7-3.TMP", "Corvantis.ini.7-4.part.tmp",
                             "Corvantis.ini", "Corvantis.ini.tmp", "Corvantis.ini.12.tmpx", "Corvantis.ini.12.bak",
                             "Corvantis.ini.x.part.tmp", "Other.ini.12.tmp"})
        WriteWholeFile(m_folder.File(name), "x");
    ASSERT_TRUE(CreateDirectoryA(m_folder.File("Corvantis.ini.dir.tmp").c_str(), nullptr));
    std::vector<std::string> names;
    for (const std::string& path : CReplacementFile::ListTempFiles(m_file.GetPath()))
        names.push_back(path.substr(path.rfind('\\') + 1));
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"CORVANTIS.INI.7-3.TMP", "Corvantis.ini.12.tmp", "Corvantis.ini.7-4.part.tmp"}),
              names);
}

// A save writes its text under a name that reads never take and gives it a kept copy's
// name only once it is whole: a save cut off mid-write (a power loss) is never read as the
// settings, at the first save or where the settings live only as a kept copy. The next save
// removes what it left.
TEST_F(SettingFileTest, ATornSaveIsNeverReadAsTheSettings)
{
    const CLockSetting sample = Sample();
    CLockSetting changed = sample;
    changed.LockMessage = "changed";
    const std::string newText = CSettingFile::Serialize(&changed, nullptr);
    for (const bool keptCopy : {false, true}) {
        SCOPED_TRACE(keptCopy ? "only a kept copy" : "the first save");
        if (keptCopy)
            KeepHalfDoneSave(sample);
        {
            CReplacementFile replacement(m_file.GetPath());
            replacement.Write(newText.substr(0, newText.size() / 2));
            EXPECT_EQ(keptCopy, m_file.IsPresent());
            CLockSetting loaded;
            if (keptCopy) {
                EXPECT_NO_THROW(m_file.LoadSetting(loaded));
                EXPECT_TRUE(IsEqualSetting(sample, loaded));
            } else {
                EXPECT_THROW(m_file.LoadSetting(loaded), CFileException);
            }
        }
        WriteWholeFile(m_file.GetPath() + ".4242-0.part.tmp", newText.substr(0, 20));  // another's cut-off save
        EXPECT_EQ(keptCopy, m_file.IsPresent());
        m_file.SaveSetting(changed);
        ExpectInForceAndPutInPlace(changed);
    }
}

// What a save reports agrees with what the next read sees, however it ends. A reader or a
// scanner that holds the save's new file when it is moved into place makes the move fail
// (and the deletion of the file): then the new text must never become the settings, unless
// the save counts as done.
TEST_F(SettingFileTest, ASaveReportsWhatTheNextReadSees)
{
    const std::map<std::string, DWORD> windows9x = {{"Replace", ERROR_CALL_NOT_IMPLEMENTED},
                                                    {"MoveReplacing", ERROR_CALL_NOT_IMPLEMENTED}};
    const struct {
        const char* what;
        bool file;  // else only a kept copy
        std::map<std::string, DWORD> failures;
        const char* holdAt;
    } cases[] = {
        {"only a kept copy, held at the move", false, {}, "MoveReplacing"},
        {"only a kept copy, Windows 9x, held at the rename", false, windows9x, "Move"},
        {"the file, held at the replacement", true, {}, "Replace"},
        {"the file, Windows 9x, held at the rename", true, windows9x, "Move"},
    };
    const std::string target = m_file.GetPath();
    const CLockSetting sample = Sample();
    CLockSetting changed = sample;
    changed.LockMessage = "changed";
    for (const auto& c : cases) {
        for (const bool lockState : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (lockState ? ", lock state" : ", settings"));
            CReplacementFile::RemoveKeptCopies(target);
            DeleteFileA(target.c_str());
            m_file.SaveSetting(sample);
            if (!c.file)
                KeepHalfDoneSave(sample);
            RecordingSwap swap(target);
            swap.failures = c.failures;
            swap.holdAt = c.holdAt;
            const CSettingFile next(m_folder.Path(), CSettingFile::kFileName, swap);
            bool saved = true;
            try {
                if (lockState)
                    next.SaveLockState(1);
                else
                    next.SaveSetting(changed);
            } catch (const CFileException&) {
                saved = false;
            }
            EXPECT_TRUE(swap.held) << "nothing held the new file";
            swap.held.reset();
            CLockSetting loaded;
            int lock = 0;
            EXPECT_NO_THROW(CSettingFile(m_folder.Path(), CSettingFile::kFileName).Load(&loaded, &lock));
            EXPECT_EQ(saved, lockState ? lock == 1 : IsEqualSetting(changed, loaded)) << "saved: " << saved;
            EXPECT_TRUE(IsEqualSetting(saved && !lockState ? changed : sample, loaded));
        }
    }
}

// Where the settings live only as the copy a half-done save kept, the next save reads that
// copy. It writes a file of its own, so however it fails (Brontal's lock state, the
// utility's save) the copy stays whole, and the save after it puts the settings back in
// their place.
TEST_F(SettingFileTest, ASaveThatFailsKeepsTheCopyItReadFrom)
{
    const struct {
        const char* what;
        const char* failingCall;
        DWORD error;
    } cases[] = {
        {"ReplaceFile refuses", "Replace", ERROR_ACCESS_DENIED},
        {"the move fails once", "MoveReplacing", ERROR_SHARING_VIOLATION},
    };
    const std::string target = m_file.GetPath();
    const CLockSetting sample = Sample();
    CLockSetting changed = sample;
    changed.LockMessage = "changed";
    for (const auto& c : cases) {
        for (const bool lockState : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (lockState ? ", lock state" : ", settings"));
            WriteWholeFile(target, "[Setting]\r\nLockMessage=old\r\n\r\n");
            KeepHalfDoneSave(sample);
            RecordingSwap swap(target);
            swap.failures = {{c.failingCall, c.error}};
            swap.failTimes[c.failingCall] = 1;
            const CSettingFile next(m_folder.Path(), CSettingFile::kFileName, swap);
            if (lockState)
                EXPECT_THROW(next.SaveLockState(1), CFileException);
            else
                EXPECT_THROW(next.SaveSetting(changed), CFileException);

            ExpectInForceAndPutInPlace(sample);
        }
    }
}

// Brontal's attempt at once never waits for the move: where ReplaceFile got halfway and the
// move fails, the state is in force at once as the kept copy, no move is tried again, and
// the attempt says that the file is not yet in its place; a waiting save puts it there.
TEST_F(SettingFileTest, ALockStateAtOnceNeverWaitsForTheMove)
{
    const CLockSetting sample = Sample();
    m_file.SaveSetting(sample);
    RecordingSwap swap(m_file.GetPath());
    swap.failures = {{"Replace", ERROR_UNABLE_TO_MOVE_REPLACEMENT}, {"MoveReplacing", ERROR_SHARING_VIOLATION}};
    swap.replaceLeaves = OldFileDeleted;
    const CSettingFile atOnce(m_folder.Path(), CSettingFile::kFileName, swap);
    EXPECT_FALSE(atOnce.SaveLockStateAtOnce(1));
    EXPECT_EQ((std::vector<std::string>{"Replace target temp", "MoveReplacing temp target"}), swap.calls);
    int lock = 0;
    m_file.LoadLockState(lock);
    EXPECT_EQ(1, lock);
    ExpectInForceAndPutInPlace(sample);
}

// The settings file is one for the machine, and so is its lock: a program of any session
// (fast user switching, remote sessions) waits on the one mutex of the global namespace,
// which every user who may write the file may wait on and release. (Wine has one session
// and keeps no access lists on mutexes, so the request shows the list the program asks for.)
TEST_F(SettingFileTest, TheLockIsOneForTheMachine)
{
    const CSettingFileLock::SMutexRequest nt = CSettingFileLock::MutexRequest(true);
    EXPECT_EQ("Global\\SS-{249B12B4-1BB8-44d3-BB56-2367AEED3D04}", nt.name);
    const std::vector<std::pair<std::string, DWORD>> expected = {
        {"SYSTEM", MUTEX_ALL_ACCESS},
        {"Administrators", MUTEX_ALL_ACCESS},
        {"INTERACTIVE", SYNCHRONIZE | MUTEX_MODIFY_STATE},
    };
    std::vector<std::pair<std::string, DWORD>> asked;
    for (const SFolderAccess& entry : nt.access) {
        asked.emplace_back(entry.trustee, entry.accessMask);
        EXPECT_EQ(0u, entry.inheritance);
    }
    EXPECT_EQ(expected, asked);
    const fw::unique_hlocal acl = CPathUtil::BuildAccessList(nt.access);
    ASSERT_TRUE(acl);
    EXPECT_EQ(3u, static_cast<PACL>(acl.get())->AceCount);

    const CSettingFileLock::SMutexRequest nine = CSettingFileLock::MutexRequest(false);
    EXPECT_EQ("SS-{249B12B4-1BB8-44d3-BB56-2367AEED3D04}", nine.name);
    EXPECT_TRUE(nine.access.empty());
    // Windows without terminal services refuses the global name by these, and only these.
    for (const DWORD error : {ERROR_PATH_NOT_FOUND, ERROR_INVALID_NAME, ERROR_BAD_PATHNAME})
        EXPECT_TRUE(CSettingFileLock::RefusesGlobalName(error)) << error;
    for (const DWORD error : {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_INVALID_HANDLE})
        EXPECT_FALSE(CSettingFileLock::RefusesGlobalName(error)) << error;

    const CSettingFileLock held(m_file.GetPath());
    const fw::unique_handle global(CreateMutexA(nullptr, FALSE, nt.name.c_str()));
    ASSERT_TRUE(global);
    EXPECT_EQ(DWORD(ERROR_ALREADY_EXISTS), GetLastError());
    DWORD waited = WAIT_FAILED;
    std::thread([&] { waited = WaitForSingleObject(global.get(), 0); }).join();
    EXPECT_EQ(DWORD(WAIT_TIMEOUT), waited);  // held here, so another thread waits
}

} // namespace
