#include "framework/Mbcs.h"

namespace fw {

std::size_t MbcsFindLastOf(std::string_view text, std::string_view chars)
{
    // Walk forward: only a forward walk knows which bytes start a character.
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (IsLeadByte932(byte)) {
            ++i;  // a lone lead byte at the end is a character of its own
            continue;
        }
        if (chars.find(static_cast<char>(byte)) != std::string_view::npos)
            found = i;
    }
    return found;
}

} // namespace fw
