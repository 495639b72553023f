#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "common/LockSetting.h"
#include "common/PasswordDigest.h"

namespace {

// RFC 1321, appendix A.5, in upper case.
TEST(PasswordDigest, MatchesTheRfcTestSuite)
{
    struct Case {
        std::string text;
        const char* digest;
    } cases[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"},
        {std::string(1000000, 'a'), "7707D6AE4E027C70EEA2A935C2296F21"},  // longer than 65535 bytes
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.digest, CPasswordDigest::DigestText(c.text)) << c.text.size() << " bytes";
}

TEST(PasswordDigest, PiecewiseUpdatesGiveTheSameDigest)
{
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += char(i * 7);
    const std::size_t pieces[] = {0, 1, 55, 56, 63, 64, 65, 127};
    for (std::size_t piece : pieces) {
        CMD5Digest whole, parts;
        whole.Update(text.data(), text.size());
        whole.Final();
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t n = std::min(piece ? piece : 1, text.size() - at);
            parts.Update(text.data() + at, n);
            if (piece == 0)
                parts.Update(text.data(), 0);
            at += n;
        }
        parts.Final();
        unsigned char a[16], b[16];
        ASSERT_TRUE(whole.GetDigest(a, 16));
        ASSERT_TRUE(parts.GetDigest(b, 16));
        EXPECT_EQ(0, std::memcmp(a, b, 16)) << "pieces of " << piece;
    }
}

TEST(PasswordDigest, SmallBuffersAreLeftUntouched)
{
    CPasswordDigest digest;
    digest.Compute("abc");
    char hex[32];
    std::memset(hex, '#', sizeof hex);
    EXPECT_FALSE(digest.GetHexDigest(hex, 31));
    EXPECT_EQ(std::string(32, '#'), std::string(hex, 32));

    CMD5Digest md5;
    md5.Final();
    unsigned char bytes[16];
    std::memset(bytes, 0xEE, sizeof bytes);
    EXPECT_FALSE(md5.GetDigest(bytes, 15));
    EXPECT_EQ(0xEE, bytes[0]);
}

TEST(PasswordSetting, StoresTheDigestAndMatchesItExactly)
{
    CPasswordSetting password;
    password.PasswordType = 2;
    password.SetPassword(1, "\x83\x70\x83\x58");  // パス in code page 932
    EXPECT_EQ(1, password.UsePassword);
    EXPECT_EQ(2, password.PasswordType);
    EXPECT_EQ(CPasswordDigest::DigestText("\x83\x70\x83\x58"), password.Password);
    EXPECT_TRUE(password.IsPasswordMatch("\x83\x70\x83\x58"));
    EXPECT_FALSE(password.IsPasswordMatch("\x83\x70"));

    std::string lower = password.Password;
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    password.Password = lower;
    EXPECT_FALSE(password.IsPasswordMatch("\x83\x70\x83\x58"));

    password.SetPassword(0, "ignored");
    EXPECT_EQ("", password.Password);
    EXPECT_FALSE(password.IsPasswordMatch(""));  // an empty store never matches
}

} // namespace
