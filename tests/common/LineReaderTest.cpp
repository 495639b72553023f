#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/LineReader.h"

namespace {

using Lines = std::vector<std::pair<std::string, bool>>;

Lines ReadAll(const std::string& text)
{
    CLineReader reader;
    reader.SetText(text);
    EXPECT_EQ(int(text.size()), reader.Rewind());
    Lines lines;
    std::string line;
    bool more = true;
    while (more) {
        more = reader.ReadLine(line);
        lines.emplace_back(line, more);
    }
    EXPECT_FALSE(reader.ReadLine(line));  // used up
    EXPECT_EQ("", line);
    return lines;
}

TEST(LineReader, LineTable)
{
    struct Case {
        std::string text;
        Lines lines;
    } cases[] = {
        {"a\r\nb", {{"a", true}, {"b", false}}},
        {"a\r\n", {{"a", false}}},
        {"a\r\n\r\nb", {{"a", true}, {"b", false}}},
        {"\r\na", {{"", true}, {"a", false}}},
        {"", {{"", false}}},
        {"a\rb\nc", {{"a", true}, {"b", true}, {"c", false}}},
        {"\"x\r\ny\"z\r\nw", {{"\"x\r\ny\"z", true}, {"w", false}}},
        {"a\"open\r\nrest\r\n\r\n", {{"a\"open\r\nrest", false}}},
        {"\"a\"\"b\r\nc\"\nd", {{"\"a\"\"b\r\nc\"", true}, {"d", false}}},
        // 表 (0x95 0x5C) and カ (0x83 0x4A) pass untouched.
        {"\x95\x5C\r\n\x83\x4A", {{"\x95\x5C", true}, {"\x83\x4A", false}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.lines, ReadAll(c.text)) << c.text;
}

TEST(LineReader, ClearAndRewind)
{
    CLineReader reader;
    reader.SetText("one\ntwo");
    reader.Rewind();
    std::string line;
    EXPECT_TRUE(reader.ReadLine(line));
    reader.Clear();
    EXPECT_EQ(0, reader.Rewind());
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ("", line);

    std::string trimmed = "x\r\n\n\r";
    CLineReader::TrimLineEnd(trimmed);
    EXPECT_EQ("x", trimmed);
}

} // namespace
