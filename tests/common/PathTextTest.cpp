#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/PathText.h"
#include "framework/Mbcs.h"

namespace {

// 表 is 0x95 0x5C and ソ is 0x83 0x5C: their second byte is the code of "\".
const std::string kHyou = "\x95\x5C";
const std::string kSo = "\x83\x5C";

TEST(Mbcs, SearchesSkipSecondBytes)
{
    EXPECT_EQ(std::string::npos, fw::MbcsReverseFind(kHyou, '\\'));
    EXPECT_EQ(2u, fw::MbcsReverseFind("a\\" + kSo, '\\') + 1);
    EXPECT_EQ(3u, fw::MbcsReverseFind(kHyou + "a\\", '\\'));
    EXPECT_FALSE(fw::MbcsEndsWith("C:\\" + kSo, '\\'));
    EXPECT_TRUE(fw::MbcsEndsWith("C:\\" + kSo + "\\", '\\'));
    EXPECT_FALSE(fw::MbcsEndsWith("", '\\'));
    EXPECT_EQ(1u, fw::MbcsFindLastOf("a/b", "\\/"));
    // Half-width katakana (0xA1-0xDF) are single bytes.
    EXPECT_EQ(1u, fw::MbcsReverseFind("\xB1\\", '\\'));
}

TEST(PathText, RemovePathComponentsTable)
{
    struct Case {
        std::string path;
        int n;
        std::string result;
    } cases[] = {
        {"C:\\Brontal.exe", 1, "C:\\"},
        {"C:\\Program Files\\Kelvrane\\Brontal.exe", 1, "C:\\Program Files\\Kelvrane"},
        {"C:\\Program Files\\Kelvrane\\Brontal.exe", 2, "C:\\Program Files"},
        {"C:\\a\\b\\", 1, "C:\\a"},
        {"C:\\a", 5, "C:\\"},
        {"C:\\a\\b", 0, "C:\\a\\b"},
        {"", 1, ""},
        {"name.exe", 1, ""},
        {"C:name.exe", 1, "C:\\"},
        {"\\\\server\\share\\b.exe", 1, "\\\\server\\share"},
        {"C:\\" + kHyou + "\\" + kSo + ".exe", 1, "C:\\" + kHyou},
        {"C:\\" + kSo + "\\x", 1, "C:\\" + kSo},
        {"C:\\" + kSo, 1, "C:\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, PathText::RemovePathComponents(c.path, c.n)) << c.path << " " << c.n;
}

TEST(PathText, LongPathsSplitWhole)
{
    std::string folder = "C:";
    while (folder.size() < 3000)
        folder += "\\" + kHyou + "folder" + kSo;
    EXPECT_EQ(folder, PathText::RemovePathComponents(folder + "\\Brontal.exe", 1));
}

TEST(PathText, AppendBackslash)
{
    EXPECT_EQ("\\", PathText::AppendBackslash(""));
    EXPECT_EQ("C:\\", PathText::AppendBackslash("C:\\"));
    EXPECT_EQ("C:\\a\\", PathText::AppendBackslash("C:\\a"));
    EXPECT_EQ("C:\\" + kSo + "\\", PathText::AppendBackslash("C:\\" + kSo));
}

TEST(PathText, FolderChainTable)
{
    using V = std::vector<std::string>;
    struct Case {
        std::string path;
        V chain;
    } cases[] = {
        {"C:\\A\\B", {"C:\\A", "C:\\A\\B"}},
        {"C:\\A\\B\\\\", {"C:\\A", "C:\\A\\B"}},
        {"\\", {}},
        {"", {}},
        {"C:\\", {}},
        {"C:\\" + kSo + "\\" + kHyou, {"C:\\" + kSo, "C:\\" + kSo + "\\" + kHyou}},
        {"\\A", {"\\A"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.chain, PathText::FolderChain(c.path)) << c.path;
}

// The name and extension of a picture path, of any length; a "\" as the second byte of
// a double-byte character is no separator.
TEST(PathText, FileNameTable)
{
    const std::string longName = std::string(700, 'n') + ".bmp";
    const struct {
        std::string path, name;
    } cases[] = {
        {"C:\\pictures\\lock.bmp", "lock.bmp"},
        {"C:/pictures/lock", "lock"},
        {"C:lock.bmp", "lock.bmp"},
        {"lock.bmp", "lock.bmp"},
        {"C:\\pictures\\", ""},
        {"", ""},
        {"C:\\" + std::string(600, 'd') + "\\" + longName, longName},
        {"C:\\x\\" + kHyou + ".bmp", kHyou + ".bmp"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.name, PathText::FileName(c.path)) << c.path;
}

} // namespace
