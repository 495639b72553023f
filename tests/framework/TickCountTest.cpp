#include <gtest/gtest.h>

#include <cstdint>

#include "framework/TickCount.h"

namespace {

struct SCase {
    const char* what;
    std::uint64_t last;
    std::uint32_t now;
    std::uint64_t expected;
};

TEST(TickCount, ExtendsThirtyTwoBitReadings)
{
    constexpr std::uint64_t kWrap = 0x100000000ull;
    constexpr std::uint32_t kFortyDays = 40u * 24 * 3600 * 1000;  // more than half a wrap
    const SCase cases[] = {
        {"first reading", 0, 0xFFFFFFF0u, 0xFFFFFFF0u},
        {"forward", 1000, 1500, 1500},
        {"same reading", 1500, 1500, 1500},
        {"wrap", 0xFFFFFF00u, 0x10, kWrap + 0x10},
        {"second wrap", kWrap + 0xFFFFFFF0u, 5, 2 * kWrap + 5},
        {"forty days without a reading", 1000, 1000 + kFortyDays, 1000ull + kFortyDays},
        {"older reading of another thread", 5000, 4000, 4000},
        {"older reading from before the wrap", kWrap + 0x10, 0xFFFFFFF0u, 0xFFFFFFF0u},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.expected, fw::ExtendTickCount(c.last, c.now)) << c.what;
}

} // namespace
