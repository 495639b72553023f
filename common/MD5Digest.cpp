#include "common/MD5Digest.h"

#include <cstring>

namespace {

std::uint32_t RotateLeft(std::uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & y) | (~x & z); }
std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & z) | (y & ~z); }
std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; }
std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); }

// Per-step shift amounts and sine-derived constants of RFC 1321, round by round.
constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};
constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

// Which message word each step reads, round by round.
int WordIndex(int round, int step)
{
    switch (round) {
    case 0: return step;
    case 1: return (5 * step + 1) % 16;
    case 2: return (3 * step + 5) % 16;
    default: return (7 * step) % 16;
    }
}

void EncodeLittleEndian(unsigned char* out, const std::uint32_t* words, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        for (int b = 0; b < 4; ++b)
            out[4 * i + b] = static_cast<unsigned char>(words[i] >> (8 * b));
    }
}

} // namespace

void CMD5Digest::Init()
{
    m_count[0] = m_count[1] = 0;
    m_state[0] = 0x67452301;
    m_state[1] = 0xefcdab89;
    m_state[2] = 0x98badcfe;
    m_state[3] = 0x10325476;
    std::memset(m_buffer, 0, sizeof m_buffer);
    std::memset(m_digest, 0, sizeof m_digest);
}

void CMD5Digest::Update(const void* data, std::size_t length)
{
    const auto* input = static_cast<const unsigned char*>(data);
    std::size_t index = (m_count[0] >> 3) & 0x3F;
    const std::uint64_t bits = (std::uint64_t(m_count[1]) << 32 | m_count[0]) + (std::uint64_t(length) << 3);
    m_count[0] = static_cast<std::uint32_t>(bits);
    m_count[1] = static_cast<std::uint32_t>(bits >> 32);

    while (length > 0) {
        const std::size_t take = length < 64 - index ? length : 64 - index;
        std::memcpy(m_buffer + index, input, take);
        index += take;
        input += take;
        length -= take;
        if (index == 64) {
            Transform(m_buffer);
            index = 0;
        }
    }
}

void CMD5Digest::Final()
{
    unsigned char bits[8];
    EncodeLittleEndian(bits, m_count, 2);
    const std::size_t index = (m_count[0] >> 3) & 0x3F;
    const std::size_t padding = index < 56 ? 56 - index : 120 - index;
    static constexpr unsigned char kPadding[64] = {0x80};
    Update(kPadding, padding);
    Update(bits, 8);
    EncodeLittleEndian(m_digest, m_state, 4);
}

bool CMD5Digest::GetDigest(unsigned char* out, std::size_t size) const
{
    if (size < sizeof m_digest)
        return false;
    std::memcpy(out, m_digest, sizeof m_digest);
    return true;
}

void CMD5Digest::Transform(const unsigned char block[64])
{
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i) {
        x[i] = std::uint32_t(block[4 * i]) | std::uint32_t(block[4 * i + 1]) << 8 |
               std::uint32_t(block[4 * i + 2]) << 16 | std::uint32_t(block[4 * i + 3]) << 24;
    }
    std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    for (int step = 0; step < 64; ++step) {
        const int round = step / 16;
        std::uint32_t mixed;
        switch (round) {
        case 0: mixed = F(b, c, d); break;
        case 1: mixed = G(b, c, d); break;
        case 2: mixed = H(b, c, d); break;
        default: mixed = I(b, c, d); break;
        }
        const std::uint32_t sum = a + mixed + x[WordIndex(round, step % 16)] + kSine[step];
        a = d;
        d = c;
        c = b;
        b = b + RotateLeft(sum, kShift[round][step % 4]);
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}
