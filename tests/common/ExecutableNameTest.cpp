#include <gtest/gtest.h>

#include "common/ExecutableName.h"

namespace {

// "表" is 95 5C and "ソ" 83 5C: their second byte is the "\" byte; "ａ" is 82 81.
constexpr char kHyou[] = "\x95\x5C";
constexpr char kSo[] = "\x83\x5C";

TEST(ExecutableName, UpperCasesSingleByteLettersOnly)
{
    EXPECT_EQ("BRONTAL.EXE", exename::UpperCase("brontal.exe"));
    EXPECT_EQ("C:\\TOOLS_1\\", exename::UpperCase("c:\\Tools_1\\"));
    // 83 61 ("ヂ") keeps its trail byte, which looks like "a".
    EXPECT_EQ("\x83\x61X", exename::UpperCase("\x83\x61x"));
    EXPECT_EQ("\x82\x81", exename::UpperCase("\x82\x81"));
}

TEST(ExecutableName, SeparatorIsNeverASecondByte)
{
    EXPECT_EQ(std::string_view("a.exe"), exename::FileNamePart("c:\\dir\\a.exe"));
    EXPECT_EQ(std::string_view("a.exe"), exename::FileNamePart("a.exe"));
    EXPECT_EQ(std::string(kHyou) + "a.exe",
              exename::FileNamePart(std::string("c:\\") + kHyou + "a.exe"));
    EXPECT_EQ(std::string("c:\\") + kSo + "\\",
              exename::FolderPart(std::string("c:\\") + kSo + "\\BRONTAL.EXE"));
    EXPECT_EQ(std::string_view(), exename::FolderPart(kHyou));
    EXPECT_EQ(std::string_view(""), exename::FileNamePart("c:\\dir\\"));
    // A lead byte cut at the end is still not followed by a separator.
    EXPECT_EQ(std::string_view("x\x95"), exename::FileNamePart("c:\\x\x95"));
}

TEST(ExecutableName, MatchesTheWholeFileNameIgnoringCase)
{
    struct Case {
        const char* processPath;
        const char* wanted;
        bool matches;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Kelvrane\\BRONTAL.EXE", "BRONTAL.EXE", true},
        {"c:\\program files\\kelvrane\\brontal.exe", "BRONTAL.EXE", true},
        {"BRONTAL.EXE", "brontal.exe", true},
        {"C:\\x\\BRONTAL.EXE", "BRONTAL", false},
        {"C:\\x\\BRONTAL.EXE.BAK", "BRONTAL.EXE", false},
        {"C:\\x\\BRONTAL.EXE", "BRONTAL.EXE.BAK", false},
        {"C:\\x\\BRONTAL.EXE", "X\\BRONTAL.EXE", false},
        {"C:\\x\\BRONTAL.EXE", "C:\\x\\BRONTAL.EXE", false},
        {"C:\\x\\XBRONTAL.EXE", "BRONTAL.EXE", false},
        {"", "BRONTAL.EXE", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.matches, exename::Matches(c.processPath, c.wanted)) << c.processPath << " / " << c.wanted;
}

TEST(ExecutableName, ExeExtensionAfterTheLastDot)
{
    EXPECT_TRUE(exename::HasExeExtension("C:\\A\\PERNWICK.EXE"));
    EXPECT_TRUE(exename::HasExeExtension("c:\\a.b\\pernwick.Exe"));
    EXPECT_FALSE(exename::HasExeExtension("C:\\WINDOWS\\system32\\KERNEL32.DLL"));
    EXPECT_FALSE(exename::HasExeExtension("C:\\A\\PERNWICK.EXE.BAK"));
    EXPECT_FALSE(exename::HasExeExtension("C:\\A.EXE\\PERNWICK"));
    EXPECT_FALSE(exename::HasExeExtension("EXE"));
}

} // namespace
