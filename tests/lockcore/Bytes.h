#pragma once
// Byte-vector helpers for the tests: hex text in, hex text out.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// "05 00 00 00" (spaces optional) to bytes.
inline std::vector<uint8_t> Hex(const std::string& text)
{
    std::vector<uint8_t> bytes;
    std::string digits;
    for (char c : text) {
        if (c != ' ')
            digits += c;
    }
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

inline std::string ToHex(const std::vector<uint8_t>& bytes)
{
    std::string text;
    char digits[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(digits, sizeof digits, i ? " %02X" : "%02X", bytes[i]);
        text += digits;
    }
    return text;
}
