#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/IniDocument.h"
#include "common/StringTokenizer.h"

namespace {

std::vector<std::string> AllTokens(const std::string& text, const char* delimiters, bool returned)
{
    CStringTokenizer tokenizer(text);
    tokenizer.SetDelimiters(delimiters, returned);
    std::vector<std::string> tokens;
    while (!tokenizer.AtEnd())
        tokens.push_back(tokenizer.NextToken());
    return tokens;
}

TEST(StringTokenizer, TokenTable)
{
    using V = std::vector<std::string>;
    struct Case {
        std::string text;
        const char* delimiters;
        bool returned;
        V tokens;
    } cases[] = {
        {"a==b", "=", true, {"a", "=", "=", "b"}},
        {"a==b", "=", false, {"a", "b"}},
        {"\r\n\r\nabc\r\n", "\r\n", false, {"abc"}},
        {"", "\r\n", false, {}},
        {"\r\n\n", "\r\n", false, {}},
        {"=", "=", true, {"="}},
        {"ab", "", false, {"ab"}},
        {"[A][B]", "[]", false, {"A", "B"}},
    };
    for (const Case& c : cases) {
        CStringTokenizer counter(c.text);
        counter.SetDelimiters(c.delimiters, c.returned);
        EXPECT_EQ(c.tokens.size(), counter.CountTokens()) << c.text;
        EXPECT_EQ(0u, counter.m_position) << "CountTokens moved the position";
        EXPECT_EQ(c.tokens, AllTokens(c.text, c.delimiters, c.returned)) << c.text;
    }
}

TEST(StringTokenizer, PositionRules)
{
    CStringTokenizer t("ab=cd");
    t.SetDelimiters("=", true);
    auto range = t.NextTokenRange();
    EXPECT_EQ(0u, range.start);
    EXPECT_EQ(2u, range.length);
    EXPECT_EQ(2u, t.m_position);  // at the delimiter
    range = t.NextTokenRange();
    EXPECT_EQ(2u, range.start);
    EXPECT_EQ(1u, range.length);
    EXPECT_EQ(3u, t.m_position);
    EXPECT_EQ("cd", t.NextToken());
    EXPECT_EQ(CStringTokenizer::kEnd, t.m_position);
    EXPECT_TRUE(t.AtEnd());
    EXPECT_THROW(t.NextToken(), std::out_of_range);
}

std::string Written(const CIniDocument& document)
{
    std::string text;
    document.Write(text);
    return text;
}

TEST(IniDocument, ParseTable)
{
    struct Case {
        const char* name;
        std::string text;
        std::string written;  // the parsed document written back
    } cases[] = {
        {"basic", "[Setting]\r\nKeyType=2\r\n", "[Setting]\r\nKeyType=2\r\n\r\n"},
        {"spaces kept", "[ A ]\nKeyType = 2", "[ A ]\r\nKeyType = 2\r\n\r\n"},
        {"equals", "[S]\ra=b=c\ra==b\r=x\ra=\na\n", "[S]\r\na==b\r\n\r\n"},
        {"first value place, last value", "[S]\nk=1\nj=2\nk=3\n", "[S]\r\nk=3\r\nj=2\r\n\r\n"},
        {"ignored headers keep the section", "[A]\nx=1\n[]\ny=2\n[A][B]\nz=3\n", "[A]\r\nx=1\r\ny=2\r\nz=3\r\n\r\n"},
        {"brackets doubled", "[[A]]\nx=1\n", "[A]\r\nx=1\r\n\r\n"},
        {"keys before any header", "x=1\n[A]\ny=2\n", "[]\r\nx=1\r\n\r\n[A]\r\ny=2\r\n\r\n"},
        {"header again continues", "[A]\nx=1\n[B]\ny=2\n[A]\nz=3\n", "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n\r\n"},
        {"header is never a key line", "[a=b]\nx=1\n", "[a=b]\r\nx=1\r\n\r\n"},
        {"comment is a key", "[S]\n;name=x\n", "[S]\r\n;name=x\r\n\r\n"},
        {"header without keys adds nothing", "[A]\r\n", ""},
        {"empty", "", ""},
        {"CR LF runs", "\r\n\r\r\n[S]\n\n\nk=v\r\r", "[S]\r\nk=v\r\n\r\n"},
        // 表 is 0x95 0x5C, ＝ is 0x81 0x81, 宴 is 0x89 0x5D: tests are byte-wise.
        {"double-byte second byte ]", "[A\x89]\nk=\x95\x5C\n", "[A\x89]\r\nk=\x95\x5C\r\n\r\n"},
        {"NUL bytes", std::string("[S]\nk=a\0b\n", 10), std::string("[S]\r\nk=a\0b\r\n\r\n", 14)},
    };
    for (const Case& c : cases) {
        CIniDocument document;
        document.Parse(c.text);
        EXPECT_EQ(c.written, Written(document)) << c.name;
    }
}

TEST(IniDocument, LookupsAreExactAndFirstMatch)
{
    CIniDocument document;
    document.Parse("[Setting]\nKeyType = 2\nLock=1\n");
    std::string value = "stale";
    EXPECT_FALSE(document.GetValue("Setting", "KeyType", value));
    EXPECT_EQ("", value);
    EXPECT_TRUE(document.GetValue("Setting", "KeyType ", value));
    EXPECT_EQ(" 2", value);
    EXPECT_FALSE(document.GetValue("setting", "Lock", value));
    EXPECT_TRUE(document.GetValue("Setting", "Lock", value));
    EXPECT_EQ("1", value);

    CIniDocument twice;
    twice.AddSection("A");
    CIniKeyList& second = twice.AddSection("A");
    CIniDocument::SetKeyValue(second, "k", "2");
    EXPECT_EQ(&twice.GetSections().front(), twice.FindSection("A"));
    EXPECT_FALSE(twice.GetValue("A", "k", value));
}

TEST(IniDocument, EditingKeepsOrder)
{
    CIniDocument document;
    document.SetValue("S", "a", "1");
    document.SetValue("S", "b", "2");
    document.SetInt("S", "c", -42);
    document.SetInt("T", "z", 0);
    document.SetValue("S", "a", "9");
    EXPECT_EQ("[S]\r\na=9\r\nb=2\r\nc=-42\r\n\r\n[T]\r\nz=0\r\n\r\n", Written(document));

    document.SetValue("S", "a", "");  // an empty value removes the key
    document.SetValue("New", "k", "");  // and still makes the section
    CIniDocument::RemoveKey(*document.FindSection("T"), "absent");
    EXPECT_EQ("[S]\r\nb=2\r\nc=-42\r\n\r\n[T]\r\nz=0\r\n\r\n[New]\r\n\r\n", Written(document));
    document.SetValue("S", "a", "back");
    EXPECT_EQ("[S]\r\nb=2\r\nc=-42\r\na=back\r\n\r\n[T]\r\nz=0\r\n\r\n[New]\r\n\r\n", Written(document));

    std::string keys = "x";
    CIniDocument::WriteKeys(*document.FindSection("T"), keys);
    EXPECT_EQ("xz=0\r\n", keys);
}

TEST(IniDocument, ManySectionsAndOneHugeLine)
{
    std::string text;
    for (int n = 0; n < 20000; ++n)
        text += "[Device-" + std::to_string(n) + "]\r\nVendorId=" + std::to_string(n) + "\r\n";
    text += "[Big]\r\nk=" + std::string(10 * 1024 * 1024, 'x');
    CIniDocument document;
    document.Parse(text);
    std::string value;
    EXPECT_TRUE(document.GetValue("Device-19999", "VendorId", value));
    EXPECT_EQ("19999", value);
    EXPECT_TRUE(document.GetValue("Big", "k", value));
    EXPECT_EQ(10u * 1024 * 1024, value.size());
    EXPECT_EQ(20001u, document.GetSections().size());
}

} // namespace
