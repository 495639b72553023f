#include "usbkey/UsbText.h"

#include "framework/Mbcs.h"

namespace usbkey {

std::string ToUpperMb(const std::string& text)
{
    std::string upper = text;
    for (std::size_t i = 0; i < upper.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(upper[i]);
        if (fw::IsLeadByte932(c))
            ++i;
        else if (c >= 'a' && c <= 'z')
            upper[i] = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool EqualsIgnoreCaseMb(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && ToUpperMb(a) == ToUpperMb(b);
}

} // namespace usbkey
