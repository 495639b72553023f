#pragma once
// One MD5 computation (RFC 1321).
#include <cstddef>
#include <cstdint>

class CMD5Digest {
public:
    CMD5Digest() { Init(); }
    virtual ~CMD5Digest() = default;

    void Init();
    void Update(const void* data, std::size_t length);
    void Final();
    // Copies the 16 digest bytes; false (nothing copied) when `size` is below 16.
    bool GetDigest(unsigned char* out, std::size_t size) const;

private:
    void Transform(const unsigned char block[64]);

    std::uint32_t m_count[2];  // message bits fed so far, low word first
    std::uint32_t m_state[4];
    unsigned char m_buffer[64];
    unsigned char m_digest[16];
};
