// The Japanese texts are written in UTF-8 resource scripts, stored by windres as
// UTF-16, and must reach the programs as code page 932 bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "CodePageTest.h"

namespace {

std::string LoadResourceString(UINT id)
{
    char buffer[256] = {};
    const int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

TEST(CodePage, AnsiCodePageIsJapanese)
{
    EXPECT_EQ(932u, GetACP());
}

TEST(CodePage, StringTableComesBackAsCodePage932Bytes)
{
    EXPECT_EQ("\x95\xDB\x91\xB6", LoadResourceString(IDS_SAVE_WORD));
    // 設定を保存しました。 then "A\B": the single-byte tail survives the conversion.
    EXPECT_EQ("\x90\xDD\x92\xE8\x82\xF0\x95\xDB\x91\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42"
              "A\\B",
              LoadResourceString(IDS_MIXED_TEXT));
}

} // namespace
