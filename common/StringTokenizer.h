#pragma once
// Cuts a text into tokens at a set of delimiter bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CStringTokenizer {
public:
    static constexpr std::uint32_t kEnd = 0xFFFFFFFF;

    struct Range {
        std::size_t start;
        std::size_t length;
    };

    // The text to cut; the position starts at 0.
    explicit CStringTokenizer(std::string text = {}) : m_text(std::move(text)) {}

    // Sets the delimiter bytes and whether each delimiter is a token of its own;
    // the position is not touched.
    void SetDelimiters(std::string_view delimiters, bool returnDelimiters);

    bool AtEnd();
    // Throws std::out_of_range when no token is left: test AtEnd or CountTokens first.
    std::string NextToken();
    Range NextTokenRange();
    // How many tokens NextToken would still return; the position stays.
    unsigned CountTokens();
    void SkipDelimiters();

    std::uint32_t m_position = 0;  // next byte to look at; kEnd past the end
    std::string m_text;

private:
    bool IsDelimiter(char byte) const { return m_delimiters.find(byte) != std::string::npos; }

    std::string m_delimiters;
    bool m_returnDelimiters = false;
};
