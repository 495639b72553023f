#pragma once
// An INI text in memory: ordered sections of ordered key and value pairs, parsed
// from and written to text with CR LF line ends. Every test is byte-wise.
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

// The pairs of one section, in insertion order; a key occurs at most once.
class CIniKeyList {
public:
    using Pair = std::pair<std::string, std::string>;
    using const_iterator = std::list<Pair>::const_iterator;

    const std::string& GetName() const { return m_name; }
    const_iterator begin() const { return m_pairs.begin(); }
    const_iterator end() const { return m_pairs.end(); }
    std::size_t size() const { return m_pairs.size(); }

    CIniKeyList(const CIniKeyList&) = delete;
    CIniKeyList& operator=(const CIniKeyList&) = delete;
    CIniKeyList(CIniKeyList&&) = default;  // list iterators in the index stay valid
    CIniKeyList& operator=(CIniKeyList&&) = default;

private:
    friend class CIniDocument;
    explicit CIniKeyList(std::string name) : m_name(std::move(name)) {}

    std::string m_name;
    std::list<Pair> m_pairs;
    std::unordered_map<std::string, std::list<Pair>::iterator> m_index;  // lookups stay fast in huge files
};

class CIniDocument {
public:
    CIniDocument() = default;
    CIniDocument(const CIniDocument&) = delete;
    CIniDocument& operator=(const CIniDocument&) = delete;
    virtual ~CIniDocument() = default;

    // In the first section of that name, appended when there is none.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);
    // `value` becomes empty first; true when the first section of that name holds the key.
    bool GetValue(std::string_view section, std::string_view key, std::string& value) const;
    void SetInt(std::string_view section, std::string_view key, int value);

    CIniKeyList& AddSection(std::string_view name);  // appends even when the name exists
    CIniKeyList* FindSection(std::string_view name);
    const CIniKeyList* FindSection(std::string_view name) const;

    static const std::string* FindKey(const CIniKeyList& keys, std::string_view key);
    // An empty value removes the key; else the key keeps its place or is appended.
    static void SetKeyValue(CIniKeyList& keys, std::string_view key, std::string_view value);
    static void RemoveKey(CIniKeyList& keys, std::string_view key);

    // The leading decimal number as the C runtime's atoi reads it (leading white space,
    // an optional sign, digits up to the first other byte; none gives 0), saturating
    // where atoi would overflow.
    static int ReadLeadingInt(std::string_view text);

    void Write(std::string& text) const;
    static void WriteKeys(const CIniKeyList& keys, std::string& text);

    // How a key line splits into key and value: at its first "=" (neither part empty),
    // or at every "=" (runs count as one cut), taken only when that gives exactly two parts.
    enum class EKeyLineRule { FirstEquals, ExactlyTwoParts };
    void Parse(std::string_view text, EKeyLineRule rule = EKeyLineRule::FirstEquals);

    const std::list<CIniKeyList>& GetSections() const { return m_sections; }

private:
    CIniKeyList& FindOrAddSection(std::string_view name);
    void ParseHeaderLine(const std::string& line, std::string& currentSection);
    void ParseKeyLine(std::string_view line, const std::string& currentSection);
    void ParseTwoPartKeyLine(const std::string& line, const std::string& currentSection);

    std::list<CIniKeyList> m_sections;
    std::unordered_map<std::string, CIniKeyList*> m_firstByName;
};
