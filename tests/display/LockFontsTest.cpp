// The lock display's fonts: CreateFontA takes the face in the ANSI code page, so the
// Japanese faces must be given in code page 932, not as the source file's UTF-8.
#include "display/LockLayout.h"

#include "framework/Handle.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string CodePage932(const wchar_t* text)
{
    char bytes[64] = {};
    WideCharToMultiByte(932, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

TEST(LockFonts, TheFacesAreTheGothicsInCodePage932)
{
    struct SCase {
        HFONT font;
        LONG height;
        const wchar_t* face;
    };
    const SCase cases[] = {
        {locklayout::CreateMessageFont(), 21, L"ＭＳ ゴシック"},
        {locklayout::CreateClockFont(), -12, L"ＭＳ Ｐゴシック"},
    };
    for (const SCase& c : cases) {
        const fw::unique_hgdiobj font(c.font);
        LOGFONTA description{};
        ASSERT_TRUE(GetObjectA(font.get(), sizeof description, &description));
        EXPECT_EQ(CodePage932(c.face), description.lfFaceName);
        EXPECT_EQ(c.height, description.lfHeight);
        EXPECT_EQ(FW_NORMAL, description.lfWeight);
        EXPECT_EQ(FF_SWISS, description.lfPitchAndFamily);
    }
}

} // namespace
