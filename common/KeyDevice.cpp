#include "common/KeyDevice.h"

namespace {

char FoldAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Double-byte characters compare byte by byte: folding touches ASCII letters only.
bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAsciiLetter(a[i]) != FoldAsciiLetter(b[i]))
            return false;
    }
    return true;
}

} // namespace

bool IsSameKeyDevice(const CKeyDevice& a, const CKeyDevice& b)
{
    return a.m_vendorId == b.m_vendorId && a.m_productId == b.m_productId &&
           EqualIgnoringAsciiCase(a.m_serialNumber, b.m_serialNumber);
}
