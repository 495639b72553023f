#pragma once
// Extends a 32-bit millisecond tick count (which wraps every 49.7 days) to 64 bits.
#include <cstdint>

namespace fw {

// A reading up to this far behind the last one (0x10000000 ms, about 74.6 hours) is an
// older reading that lost a race with a newer one, not a wrap.
inline constexpr std::uint32_t kTickRaceWindow = 0x10000000;

// The 64-bit count for the 32-bit reading `now`, given the latest 64-bit count `last`
// (0: none yet): a reading below the last one's low half is taken as a wrap, unless it lies
// only a little behind. Readings must come at least once per wrap for the count to stay right.
constexpr std::uint64_t ExtendTickCount(std::uint64_t last, std::uint32_t now)
{
    if (last == 0)
        return now;
    const std::uint32_t ahead = now - static_cast<std::uint32_t>(last);
    if (ahead > 0xFFFFFFFFu - kTickRaceWindow)
        return last - (0x100000000ull - ahead);
    return last + ahead;
}

} // namespace fw
