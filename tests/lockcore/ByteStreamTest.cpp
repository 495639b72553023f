#include "lockcore/ByteStream.h"

#include <gtest/gtest.h>

#include "tests/lockcore/Bytes.h"

namespace {

TEST(ByteReader, ShortReadCopiesNothingAndKeepsPosition)
{
    const uint8_t data[] = {1, 2, 3};
    CByteReader reader(data, 3);
    uint8_t out[4] = {9, 9, 9, 9};
    EXPECT_EQ(1, reader.Read(out, 4));
    EXPECT_EQ(9, out[0]);
    EXPECT_EQ(3u, reader.Remaining());
    EXPECT_EQ(0, reader.Read(out, 3));
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), std::vector<uint8_t>(out, out + 3));
    EXPECT_EQ(0u, reader.Remaining());
    EXPECT_EQ(0, reader.Read(out, 0));
    EXPECT_EQ(1, reader.Read(out, 1));
}

TEST(ByteReader, EmptyMessageAndReadRest)
{
    CByteReader empty(nullptr, 0);
    uint8_t byte = 0;
    EXPECT_EQ(0u, empty.Remaining());
    EXPECT_EQ(1, empty.Read(&byte, 1));
    std::vector<uint8_t> rest{7};
    empty.ReadRest(rest);
    EXPECT_TRUE(rest.empty());

    const uint8_t data[] = {1, 2, 3, 4, 5};
    CByteReader reader(data, 5);
    reader.Read(&byte, 1);
    reader.ReadRest(rest);
    EXPECT_EQ((std::vector<uint8_t>{2, 3, 4, 5}), rest);
    EXPECT_EQ(4u, reader.Remaining());
    reader.StepBack(1);
    EXPECT_EQ(5u, reader.Remaining());
}

TEST(ByteWriter, EncodesLittleEndian)
{
    CByteWriter writer;
    EXPECT_EQ(nullptr, writer.Data());
    EXPECT_EQ(0u, writer.Size());
    WriteInt32(writer, 0x12345678);
    WriteInt32(writer, -2);
    WriteUInt16(writer, 0xABCD);
    WriteString(writer, "abc");
    WriteString(writer, "");
    WriteString(writer, std::string("x\0y", 3));  // written up to its first NUL
    EXPECT_EQ("78 56 34 12 FE FF FF FF CD AB 03 00 00 00 61 62 63 00 00 00 00 01 00 00 00 78",
              ToHex(writer.Bytes()));
}

TEST(ByteReader, DecodesWhatTheWriterWrote)
{
    CByteWriter writer;
    WriteInt32(writer, -123456);
    WriteUInt16(writer, 65535);
    WriteString(writer, "\x95\xDB\x91\xB6");  // code page 932 bytes pass unchanged
    CByteReader reader(writer.Data(), writer.Size());
    int32_t i = 0;
    uint16_t u = 0;
    std::string s;
    ASSERT_TRUE(ReadInt32(reader, i));
    ASSERT_TRUE(ReadUInt16(reader, u));
    ASSERT_TRUE(ReadString(reader, s));
    EXPECT_EQ(-123456, i);
    EXPECT_EQ(65535, u);
    EXPECT_EQ("\x95\xDB\x91\xB6", s);
    EXPECT_EQ(0u, reader.Remaining());
}

TEST(ByteReader, StringsThatDoNotFitFailAndLeaveTheReaderUnmoved)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"count larger than the bytes left", Hex("05 00 00 00 61 62 63")},
        {"negative count", Hex("FF FF FF FF 61 62 63")},
        {"huge count", Hex("00 00 00 80")},
        {"count cut short", Hex("03 00")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t>& bytes = c.bytes;
        CByteReader reader(bytes.data(), static_cast<uint32_t>(bytes.size()));
        std::string text = "kept";
        EXPECT_FALSE(ReadString(reader, text));
        EXPECT_EQ("kept", text);
        EXPECT_EQ(bytes.size(), reader.Remaining());
    }
}

TEST(ByteReader, StringEndsAtItsFirstNul)
{
    const auto bytes = Hex("04 00 00 00 61 00 62 63");
    CByteReader reader(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::string text;
    ASSERT_TRUE(ReadString(reader, text));
    EXPECT_EQ("a", text);
    EXPECT_EQ(0u, reader.Remaining());
}

} // namespace
