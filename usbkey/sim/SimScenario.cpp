#include "usbkey/sim/SimScenario.h"

#include "usbkey/UsbLayout.h"
#include "usbkey/UsbText.h"

#include <set>
#include <sstream>
#include <stdexcept>

namespace usbkey {

namespace {

using Fields = std::map<std::string, std::string>;

struct Line {
    std::string keyword;
    std::vector<std::string> words;  // bare words after the keyword
    Fields fields;
};

// Splits "keyword a=b c="d e" word" into its parts.
Line SplitLine(const std::string& text)
{
    Line line;
    std::size_t at = 0;
    auto skipSpace = [&] {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r'))
            ++at;
    };
    skipSpace();
    while (at < text.size()) {
        std::string token;
        bool quoted = false;
        std::size_t equals = std::string::npos;
        while (at < text.size() && (quoted || (text[at] != ' ' && text[at] != '\t' && text[at] != '\r'))) {
            if (text[at] == '"')
                quoted = !quoted;
            else {
                if (text[at] == '=' && equals == std::string::npos && !quoted)
                    equals = token.size();
                token.push_back(text[at]);
            }
            ++at;
        }
        if (quoted)
            throw std::runtime_error("unterminated quote");
        if (line.keyword.empty())
            line.keyword = token;
        else if (equals == std::string::npos)
            line.words.push_back(token);
        else
            line.fields[token.substr(0, equals)] = token.substr(equals + 1);
        skipSpace();
    }
    return line;
}

std::uint64_t Number(const std::string& text, int base, std::uint64_t max)
{
    std::size_t used = 0;
    std::uint64_t value = 0;
    try {
        value = std::stoull(text, &used, base);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size() || value > max)
        throw std::runtime_error("bad number \"" + text + "\"");
    return value;
}

class FieldReader {
public:
    explicit FieldReader(const Line& line) : m_line(line) {}
    void RejectUnknown() const
    {
        for (const auto& [key, value] : m_line.fields)
            if (!m_used.count(key))
                throw std::runtime_error("unknown field \"" + key + "\"");
    }
    bool Has(const std::string& key)
    {
        m_used.insert(key);
        return m_line.fields.count(key) != 0;
    }
    std::string Text(const std::string& key, const std::string& fallback = {})
    {
        return Has(key) ? m_line.fields.at(key) : fallback;
    }
    std::string Required(const std::string& key)
    {
        if (!Has(key) || m_line.fields.at(key).empty())
            throw std::runtime_error("missing " + key + "=");
        return m_line.fields.at(key);
    }
    std::uint64_t Hex(const std::string& key, std::uint64_t fallback, std::uint64_t max)
    {
        return Has(key) ? Number(m_line.fields.at(key), 16, max) : fallback;
    }
    std::int64_t Int(const std::string& key, std::int64_t fallback, std::uint64_t max = 0xFFFFFFFF)
    {
        return Has(key) ? static_cast<std::int64_t>(Number(m_line.fields.at(key), 0, max)) : fallback;
    }
    std::vector<std::string> List(const std::string& key)
    {
        std::vector<std::string> items;
        std::stringstream stream(Text(key));
        for (std::string item; std::getline(stream, item, ',');)
            if (!item.empty())
                items.push_back(item);
        return items;
    }

private:
    const Line& m_line;
    std::set<std::string> m_used;
};

std::vector<std::uint8_t> StringDescriptor(const std::string& text)
{
    std::vector<std::uint8_t> bytes;
    if (text.rfind("raw:", 0) == 0) {
        const std::string hex = text.substr(4);
        if (hex.size() % 2 != 0)
            throw std::runtime_error("odd raw descriptor");
        for (std::size_t i = 0; i < hex.size(); i += 2)
            bytes.push_back(static_cast<std::uint8_t>(Number(hex.substr(i, 2), 16, 0xFF)));
        return bytes;
    }
    if (text.size() > 126)
        throw std::runtime_error("string longer than a descriptor holds");
    bytes = {static_cast<std::uint8_t>(2 + 2 * text.size()), layout::kStringDescriptorType};
    for (const char c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(0);
    }
    return bytes;
}

SimHub& HubOf(SimScenario& scenario, const std::string& name)
{
    const auto found = scenario.hubs.find(ToUpperMb(name));
    if (found == scenario.hubs.end())
        throw std::runtime_error("unknown hub \"" + name + "\"");
    return found->second;
}

SimPort& NewPort(SimScenario& scenario, FieldReader& fields)
{
    SimHub& hub = HubOf(scenario, fields.Required("hub"));
    const auto port = static_cast<std::uint32_t>(fields.Int("port", 0, 255));
    if (port == 0 || static_cast<int>(port) > hub.ports)
        throw std::runtime_error("no port " + std::to_string(port) + " on hub " + hub.name);
    if (!hub.connections.emplace(port, SimPort{}).second)
        throw std::runtime_error("port " + std::to_string(port) + " used twice");
    return hub.connections[port];
}

void AddString(SimPort& port, FieldReader& fields, const std::string& key, std::uint8_t defaultIndex,
               std::uint8_t& index)
{
    index = static_cast<std::uint8_t>(fields.Int("i" + key, fields.Has(key) ? defaultIndex : 0, 255));
    if (fields.Has(key) && index != 0)
        port.strings[index] = StringDescriptor(fields.Text(key));
}

void ParseDevice(SimScenario& scenario, FieldReader& fields)
{
    SimPort& port = NewPort(scenario, fields);
    port.driverKey = fields.Text("driver");
    port.vendorId = static_cast<std::uint16_t>(fields.Hex("vid", 0, 0xFFFF));
    port.productId = static_cast<std::uint16_t>(fields.Hex("pid", 0, 0xFFFF));
    port.bcdUsb = static_cast<std::uint16_t>(fields.Hex("bcd", 0x0200, 0xFFFF));
    port.speed = static_cast<std::uint8_t>(fields.Int("speed", 1, 255));
    port.connectionStatus = static_cast<std::uint32_t>(fields.Int("status", 1));
    if (fields.Has("langs")) {
        port.languages.clear();
        for (const std::string& id : fields.List("langs"))
            port.languages.push_back(static_cast<std::uint16_t>(Number(id, 16, 0xFFFF)));
    }
    AddString(port, fields, "manufacturer", 1, port.iManufacturer);
    AddString(port, fields, "product", 2, port.iProduct);
    AddString(port, fields, "serial", 3, port.iSerialNumber);
}

void ParseExternalHub(SimScenario& scenario, FieldReader& fields)
{
    SimPort& port = NewPort(scenario, fields);
    port.isHub = true;
    port.externalHub = fields.Required("name");
    port.driverKey = fields.Text("driver");
}

void ParseNode(SimScenario& scenario, FieldReader& fields)
{
    SimNode node;
    node.id = fields.Required("id");
    if (scenario.nodeIndex.count(ToUpperMb(node.id)))
        throw std::runtime_error("node \"" + node.id + "\" defined twice");
    node.parent = 0;
    if (fields.Has("parent")) {
        const auto parent = scenario.nodeIndex.find(ToUpperMb(fields.Text("parent")));
        if (parent == scenario.nodeIndex.end())
            throw std::runtime_error("unknown parent \"" + fields.Text("parent") + "\"");
        node.parent = parent->second;
    }
    const std::pair<const char*, std::uint32_t> texts[] = {
        {"driver", layout::kCmDrpDriver},     {"friendly", layout::kCmDrpFriendlyName},
        {"desc", layout::kCmDrpDeviceDesc},   {"enum", layout::kCmDrpEnumeratorName},
        {"class", layout::kCmDrpClassGuid}};
    for (const auto& [key, property] : texts)
        if (fields.Has(key))
            node.properties[property] = fields.Text(key);
    if (fields.Has("lower"))
        node.multiStrings[layout::kCmDrpLowerFilters] = fields.List("lower");
    if (fields.Has("upper"))
        node.multiStrings[layout::kCmDrpUpperFilters] = fields.List("upper");
    node.status = static_cast<std::uint32_t>(fields.Int("status", node.status));
    node.problem = static_cast<std::uint32_t>(fields.Int("problem", 0));
    node.removalRelations = fields.List("removal");
    const int index = static_cast<int>(scenario.nodes.size());
    std::vector<int>& siblings = scenario.nodes[static_cast<std::size_t>(node.parent)].children;
    if (!siblings.empty())
        scenario.nodes[static_cast<std::size_t>(siblings.back())].nextSibling = index;
    siblings.push_back(index);
    scenario.nodeIndex[ToUpperMb(node.id)] = index;
    scenario.nodes.push_back(std::move(node));
}

void ParseFault(SimScenario& scenario, const Line& line, FieldReader& fields)
{
    if (line.words.size() != 1)
        throw std::runtime_error("fault needs one kind");
    SimFault fault;
    fault.kind = line.words[0];
    static const std::set<std::string> kinds = {"open", "close", "ioctl", "cm", "classdevs", "volume"};
    if (!kinds.count(fault.kind))
        throw std::runtime_error("unknown fault \"" + fault.kind + "\"");
    fault.name = fields.Text("name");
    fault.call = fields.Text("call");
    fault.node = fields.Text("node");
    fault.interfaceClass = fields.Text("class");
    fault.code = static_cast<std::uint32_t>(fields.Int("code", 0));
    fault.port = fields.Int("port", -1);
    fault.index = fields.Int("index", -1);
    fault.property = fields.Int("property", -1);
    fault.actualLength = fields.Int("actual", -1);
    fault.returned = fields.Int("returned", -1);
    fault.result = static_cast<ConfigRet>(fields.Int("result", layout::kCrFailure));
    if (fault.kind == "ioctl" && fault.code == 0)
        throw std::runtime_error("ioctl fault needs code=");
    if (fault.kind == "cm" && fault.call.empty())
        throw std::runtime_error("cm fault needs call=");
    scenario.faults.push_back(fault);
}

void ParseLine(SimScenario& scenario, const Line& line)
{
    FieldReader fields(line);
    fields.Has("tag");
    if (line.keyword == "fault") {
        ParseFault(scenario, line, fields);
        fields.RejectUnknown();
        return;
    }
    if (line.keyword == "slow") {
        if (line.words.size() != 1 || line.words[0] != "open")
            throw std::runtime_error("slow needs the kind open");
        scenario.slowOpens.push_back({fields.Required("name"), static_cast<std::uint32_t>(fields.Int("ms", 0, 60000))});
        fields.RejectUnknown();
        return;
    }
    if (!line.words.empty())
        throw std::runtime_error("unexpected \"" + line.words[0] + "\"");
    if (line.keyword == "controller") {
        scenario.controllers.push_back({fields.Required("name"), fields.Text("driver"), fields.Text("roothub")});
    } else if (line.keyword == "hub") {
        SimHub hub;
        hub.name = fields.Required("name");
        hub.ports = static_cast<int>(fields.Int("ports", 0, 255));
        if (!scenario.hubs.emplace(ToUpperMb(hub.name), hub).second)
            throw std::runtime_error("hub \"" + hub.name + "\" defined twice");
    } else if (line.keyword == "device") {
        ParseDevice(scenario, fields);
    } else if (line.keyword == "exthub") {
        ParseExternalHub(scenario, fields);
    } else if (line.keyword == "node") {
        ParseNode(scenario, fields);
    } else if (line.keyword == "mount") {
        const std::string letter = fields.Required("letter");
        if (letter.size() != 1 || letter[0] < 'A' || letter[0] > 'Z')
            throw std::runtime_error("bad drive letter \"" + letter + "\"");
        scenario.mounts[letter[0]] = fields.Required("volume");
    } else if (line.keyword == "volume") {
        scenario.volumeInterfaces.push_back({fields.Required("path"), fields.Text("volume"), fields.Text("node")});
    } else {
        throw std::runtime_error("unknown item \"" + line.keyword + "\"");
    }
    fields.RejectUnknown();
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

bool IsBlankOrComment(const std::string& line)
{
    const std::size_t first = line.find_first_not_of(" \t\r");
    return first == std::string::npos || line[first] == '#';
}

} // namespace

bool ParseSimScenario(const std::string& text, SimScenario& scenario, std::string& error)
{
    scenario = SimScenario{};
    SimNode root;
    root.id = "HTREE\\ROOT\\0";
    scenario.nodes.push_back(root);
    scenario.nodeIndex[root.id] = 0;
    const std::vector<std::string> lines = SplitLines(text);
    std::size_t number = 0;
    try {
        // The pulled tags first, so that a line may come before its tag is pulled.
        std::set<std::string> pulled;
        std::vector<std::pair<std::size_t, Line>> items;
        for (number = 1; number <= lines.size(); ++number) {
            if (IsBlankOrComment(lines[number - 1]))
                continue;
            Line line = SplitLine(lines[number - 1]);
            if (line.keyword == "pulled") {
                if (line.words.size() != 1 || !line.fields.empty())
                    throw std::runtime_error("pulled needs one tag");
                pulled.insert(line.words[0]);
            } else {
                items.emplace_back(number, std::move(line));
            }
        }
        for (const auto& [at, line] : items) {
            number = at;
            const auto tag = line.fields.find("tag");
            if (tag == line.fields.end() || !pulled.count(tag->second))
                ParseLine(scenario, line);
        }
    } catch (const std::exception& e) {
        error = "line " + std::to_string(number) + ": " + e.what();
        scenario = SimScenario{};
        scenario.nodes.push_back(root);
        scenario.nodeIndex[root.id] = 0;
        return false;
    }
    return true;
}

std::string SetScenarioTagPulled(const std::string& text, const std::string& tag, bool pulled)
{
    std::string result;
    for (const std::string& line : SplitLines(text)) {
        const bool isPulledLine = !IsBlankOrComment(line) && [&] {
            const Line parts = SplitLine(line);
            return parts.keyword == "pulled" && parts.words.size() == 1 && parts.words[0] == tag;
        }();
        if (!isPulledLine)
            result += line + "\n";
    }
    if (pulled)
        result += "pulled " + tag + "\n";
    return result;
}

} // namespace usbkey
