#include "common/PasswordDigest.h"

void CPasswordDigest::Compute(const std::string& text)
{
    m_md5.Init();
    m_md5.Update(text.data(), text.size());
    m_md5.Final();
}

bool CPasswordDigest::GetHexDigest(char* out, std::size_t size) const
{
    if (size < 32)
        return false;
    static constexpr char kHex[] = "0123456789ABCDEF";
    unsigned char digest[16];
    m_md5.GetDigest(digest, sizeof digest);
    for (int i = 0; i < 16; ++i) {
        out[2 * i] = kHex[digest[i] >> 4];
        out[2 * i + 1] = kHex[digest[i] & 0x0F];
    }
    return true;
}

std::string CPasswordDigest::DigestText(const std::string& text)
{
    CPasswordDigest digest;
    digest.Compute(text);
    char hex[32];
    digest.GetHexDigest(hex, sizeof hex);
    return std::string(hex, sizeof hex);
}
