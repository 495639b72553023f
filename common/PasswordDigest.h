#pragma once
// The stored form of a password: its MD5 digest as 32 upper-case hexadecimal characters.
#include <cstddef>
#include <string>

#include "common/MD5Digest.h"

class CPasswordDigest {
public:
    virtual ~CPasswordDigest() = default;

    // Digests the text's bytes as the string holds them (code page 932, no terminator).
    void Compute(const std::string& text);
    // Writes 32 characters, no terminator; false (nothing written) when `size` is below 32.
    bool GetHexDigest(char* out, std::size_t size) const;

    static std::string DigestText(const std::string& text);

private:
    CMD5Digest m_md5;
};
