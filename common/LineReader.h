#pragma once
// Splits a multibyte text into lines, one call per line; a double-quoted part may
// hold line breaks. CR, LF and '"' never occur as second bytes in code page 932.
#include <string>

class CLineReader {
public:
    CLineReader() = default;
    virtual ~CLineReader() = default;

    void SetText(std::string text) { m_text = std::move(text); }  // the position stays
    virtual void Clear() { m_text.clear(); }
    // Back to the start; answers the text's length in bytes.
    virtual int Rewind();
    // The next line, without its line end; true when text follows it.
    virtual bool ReadLine(std::string& line);

    static void TrimLineEnd(std::string& line);

private:
    std::size_t FindLineBreak() const;

    std::string m_text;
    int m_position = 0;  // -1 when the text is used up
};
