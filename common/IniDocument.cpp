#include "common/IniDocument.h"

#include <climits>
#include <cstdint>

#include "common/StringTokenizer.h"

void CIniDocument::SetValue(std::string_view section, std::string_view key, std::string_view value)
{
    SetKeyValue(FindOrAddSection(section), key, value);
}

bool CIniDocument::GetValue(std::string_view section, std::string_view key, std::string& value) const
{
    value.clear();
    const CIniKeyList* keys = FindSection(section);
    const std::string* found = keys ? FindKey(*keys, key) : nullptr;
    if (!found)
        return false;
    value = *found;
    return true;
}

void CIniDocument::SetInt(std::string_view section, std::string_view key, int value)
{
    SetValue(section, key, std::to_string(value));
}

CIniKeyList& CIniDocument::AddSection(std::string_view name)
{
    CIniKeyList& added = m_sections.emplace_back(CIniKeyList(std::string(name)));
    m_firstByName.try_emplace(added.m_name, &added);
    return added;
}

CIniKeyList* CIniDocument::FindSection(std::string_view name)
{
    const auto found = m_firstByName.find(std::string(name));
    return found == m_firstByName.end() ? nullptr : found->second;
}

const CIniKeyList* CIniDocument::FindSection(std::string_view name) const
{
    const auto found = m_firstByName.find(std::string(name));
    return found == m_firstByName.end() ? nullptr : found->second;
}

CIniKeyList& CIniDocument::FindOrAddSection(std::string_view name)
{
    CIniKeyList* found = FindSection(name);
    return found ? *found : AddSection(name);
}

const std::string* CIniDocument::FindKey(const CIniKeyList& keys, std::string_view key)
{
    const auto found = keys.m_index.find(std::string(key));
    return found == keys.m_index.end() ? nullptr : &found->second->second;
}

void CIniDocument::SetKeyValue(CIniKeyList& keys, std::string_view key, std::string_view value)
{
    if (value.empty()) {
        RemoveKey(keys, key);
        return;
    }
    const auto found = keys.m_index.find(std::string(key));
    if (found != keys.m_index.end()) {
        found->second->second.assign(value);
        return;
    }
    keys.m_pairs.emplace_back(std::string(key), std::string(value));
    keys.m_index.emplace(std::string(key), std::prev(keys.m_pairs.end()));
}

void CIniDocument::RemoveKey(CIniKeyList& keys, std::string_view key)
{
    const auto found = keys.m_index.find(std::string(key));
    if (found == keys.m_index.end())
        return;
    keys.m_pairs.erase(found->second);
    keys.m_index.erase(found);
}

void CIniDocument::Write(std::string& text) const
{
    text.clear();
    for (const CIniKeyList& section : m_sections) {
        text += '[';
        text += section.m_name;
        text += "]\r\n";
        WriteKeys(section, text);
        text += "\r\n";
    }
}

void CIniDocument::WriteKeys(const CIniKeyList& keys, std::string& text)
{
    for (const auto& [key, value] : keys.m_pairs) {
        text += key;
        text += '=';
        text += value;
        text += "\r\n";
    }
}

void CIniDocument::Parse(std::string_view text, EKeyLineRule rule)
{
    CStringTokenizer lines{std::string(text)};
    lines.SetDelimiters("\r\n", false);
    std::string currentSection;
    while (!lines.AtEnd()) {
        const std::string line = lines.NextToken();
        if (line.front() == '[' && line.back() == ']')
            ParseHeaderLine(line, currentSection);
        else if (rule == EKeyLineRule::ExactlyTwoParts)
            ParseTwoPartKeyLine(line, currentSection);
        else
            ParseKeyLine(line, currentSection);
    }
}

// "[A]" names section A; "[]" and "[A][B]" name nothing and leave the current one.
void CIniDocument::ParseHeaderLine(const std::string& line, std::string& currentSection)
{
    CStringTokenizer parts(line);
    parts.SetDelimiters("[]", false);
    if (parts.CountTokens() == 1)
        currentSection = parts.NextToken();
}

void CIniDocument::ParseKeyLine(std::string_view line, const std::string& currentSection)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0 || equals + 1 == line.size())
        return;
    SetValue(currentSection, line.substr(0, equals), line.substr(equals + 1));
}

void CIniDocument::ParseTwoPartKeyLine(const std::string& line, const std::string& currentSection)
{
    CStringTokenizer parts(line);
    parts.SetDelimiters("=", false);
    if (parts.CountTokens() != 2)
        return;
    const std::string key = parts.NextToken();
    SetValue(currentSection, key, parts.NextToken());
}

// The leading decimal number as the C runtime's atoi reads it: leading white space,
// an optional sign, digits up to the first other byte; no digits give 0. Values out
// of range saturate instead of overflowing.
int CIniDocument::ReadLeadingInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t(INT_MAX) + 1)
            value = std::int64_t(INT_MAX) + 1;
    }
    if (negative)
        return int(-value);
    return value > INT_MAX ? INT_MAX : int(value);
}
