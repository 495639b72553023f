#pragma once
// Byte searches in code page 932 text that never take the second byte of a
// double-byte character for a single-byte one (0x5C, "\", occurs as a second byte).
#include <cstddef>
#include <string_view>

namespace fw {

// Lead bytes of code page 932 double-byte characters.
constexpr bool IsLeadByte932(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Index of the last single-byte character equal to one of `chars`, or npos.
std::size_t MbcsFindLastOf(std::string_view text, std::string_view chars);

// Index of the last single-byte character `ch`, or npos.
inline std::size_t MbcsReverseFind(std::string_view text, char ch)
{
    return MbcsFindLastOf(text, std::string_view(&ch, 1));
}

// True when the text's last character is the single-byte character `ch`.
inline bool MbcsEndsWith(std::string_view text, char ch)
{
    return !text.empty() && MbcsReverseFind(text, ch) == text.size() - 1;
}

} // namespace fw
