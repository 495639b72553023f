#include "common/StringTokenizer.h"

#include <stdexcept>

void CStringTokenizer::SetDelimiters(std::string_view delimiters, bool returnDelimiters)
{
    m_delimiters.assign(delimiters);
    m_returnDelimiters = returnDelimiters;
}

void CStringTokenizer::SkipDelimiters()
{
    if (m_position == m_text.size())
        m_position = kEnd;
    if (m_returnDelimiters || m_position == kEnd)
        return;
    while (m_position < m_text.size() && IsDelimiter(m_text[m_position]))
        ++m_position;
    if (m_position >= m_text.size())
        m_position = kEnd;
}

bool CStringTokenizer::AtEnd()
{
    SkipDelimiters();
    return m_position == kEnd;
}

CStringTokenizer::Range CStringTokenizer::NextTokenRange()
{
    SkipDelimiters();
    const std::size_t start = m_position;
    if (start >= m_text.size())
        throw std::out_of_range("no token left");
    std::size_t at = start;
    while (at < m_text.size() && !IsDelimiter(m_text[at]))
        ++at;
    if (at == m_text.size()) {
        m_position = kEnd;
        return {start, at - start};
    }
    if (at == start) {  // only when delimiters are returned
        m_position = std::uint32_t(start + 1);
        return {start, 1};
    }
    m_position = std::uint32_t(at);
    return {start, at - start};
}

std::string CStringTokenizer::NextToken()
{
    const Range range = NextTokenRange();
    return m_text.substr(range.start, range.length);
}

unsigned CStringTokenizer::CountTokens()
{
    const std::uint32_t saved = m_position;
    unsigned count = 0;
    while (!AtEnd()) {
        NextTokenRange();
        ++count;
    }
    m_position = saved;
    return count;
}
