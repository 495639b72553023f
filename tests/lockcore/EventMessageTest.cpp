#include "lockcore/EventMessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/lockcore/Bytes.h"

namespace {

const std::string kMarkerHex =
    "7B 32 35 41 34 41 42 33 39 2D 31 31 32 32 2D 34 36 32 30 2D 38 30 34 32 2D 44 30 41 43 41 30 42 33 45 31 44 42 7D";

TEST(EventMessage, RecordIsTheMarkerAndTheCode)
{
    struct Case {
        int32_t code;
        const char* codeHex;
    } cases[] = {{EVENT_LOCK, " 01 00 00 00"}, {EVENT_UNLOCK, " 02 00 00 00"},
                 {EVENT_CHANGE_SETTING, " 03 00 00 00"}, {EVENT_ALARM, " 04 00 00 00"}};
    for (const Case& c : cases) {
        const auto record = BuildEventMessage(c.code);
        EXPECT_EQ(42u, record.size());
        EXPECT_EQ(kMarkerHex + c.codeHex, ToHex(record));
        int32_t code = 0;
        EXPECT_TRUE(ParseEventMessage(record.data(), record.size(), code));
        EXPECT_EQ(c.code, code);
    }
}

TEST(EventMessage, AnythingButAWholeRecordIsRejected)
{
    const auto record = BuildEventMessage(EVENT_ALARM);
    int32_t code = 0;
    EXPECT_FALSE(ParseEventMessage(nullptr, 42, code));
    EXPECT_FALSE(ParseEventMessage(nullptr, 0, code));
    // Exactly-sized copies, so the sanitizer sees any read past what was sent.
    for (size_t size : {0u, 1u, 38u, 41u}) {
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[size ? size : 1]);
        std::memcpy(bytes.get(), record.data(), size);
        EXPECT_FALSE(ParseEventMessage(bytes.get(), size, code)) << size;
    }
    auto longer = record;
    longer.push_back(0);
    EXPECT_FALSE(ParseEventMessage(longer.data(), longer.size(), code));
    auto wrongMarker = record;
    wrongMarker[1] = 'X';
    EXPECT_FALSE(ParseEventMessage(wrongMarker.data(), wrongMarker.size(), code));
    EXPECT_EQ(0, code);
}

} // namespace
