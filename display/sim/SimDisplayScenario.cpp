#include "display/sim/SimDisplayScenario.h"

#include <map>
#include <sstream>
#include <stdexcept>

namespace display {

namespace {

using Fields = std::map<std::string, std::string>;

// "keyword key=value ..." into the keyword and its fields.
std::string SplitLine(const std::string& line, Fields& fields)
{
    std::istringstream words(line);
    std::string keyword, word;
    words >> keyword;
    while (words >> word) {
        const std::size_t equals = word.find('=');
        if (equals == std::string::npos || equals == 0)
            throw std::runtime_error("expected key=value, got \"" + word + "\"");
        fields[word.substr(0, equals)] = word.substr(equals + 1);
    }
    return keyword;
}

// Each field is read once; whatever is left over was misspelt.
class FieldReader {
public:
    explicit FieldReader(Fields fields) : m_fields(std::move(fields)) {}

    long long Number(const std::string& key, long long fallback)
    {
        const auto found = m_fields.find(key);
        if (found == m_fields.end())
            return fallback;
        const std::string text = found->second;
        m_fields.erase(found);
        std::size_t used = 0;
        long long value = 0;
        try {
            value = std::stoll(text, &used, 0);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != text.size())
            throw std::runtime_error(key + "=" + text + " is not a number");
        return value;
    }

    int Int(const std::string& key, int fallback)
    {
        const long long value = Number(key, fallback);
        if (value < -0x7FFFFFFFLL || value > 0x7FFFFFFFLL)
            throw std::runtime_error(key + " is out of range");
        return static_cast<int>(value);
    }

    std::uint32_t Unsigned(const std::string& key, std::uint32_t fallback)
    {
        const long long value = Number(key, fallback);
        if (value < 0 || value > 0xFFFFFFFFLL)
            throw std::runtime_error(key + " is out of range");
        return static_cast<std::uint32_t>(value);
    }

    // key=fail
    bool Fails(const std::string& key) { return Text(key) == "fail"; }

    std::string Text(const std::string& key)
    {
        const auto found = m_fields.find(key);
        if (found == m_fields.end())
            return {};
        std::string text = found->second;
        m_fields.erase(found);
        return text;
    }

    void Finish() const
    {
        if (!m_fields.empty())
            throw std::runtime_error("unknown key \"" + m_fields.begin()->first + "\"");
    }

private:
    Fields m_fields;
};

SimMonitor ReadMonitor(FieldReader& fields)
{
    SimMonitor monitor;
    monitor.left = fields.Int("left", 0);
    monitor.top = fields.Int("top", 0);
    monitor.right = fields.Int("right", 0);
    monitor.bottom = fields.Int("bottom", 0);
    monitor.flags = fields.Unsigned("flags", 0);
    if (fields.Int("primary", 0) != 0)
        monitor.flags = 1;
    monitor.fails = fields.Int("fail", 0) != 0;
    return monitor;
}

void ReadMixer(FieldReader& fields, SimMixer& mixer)
{
    mixer.devices = fields.Unsigned("devices", 1);
    mixer.destinations = fields.Unsigned("destinations", 1);
    mixer.capsFail = fields.Fails("caps");
    mixer.openFails = fields.Fails("open");
    const std::string speakers = fields.Text("speakers");
    mixer.speakers = speakers != "0";
    mixer.speakersFail = speakers == "fail";
}

SimMixerControl ReadControl(FieldReader& fields, bool withRange)
{
    SimMixerControl control;
    control.present = true;
    control.value = fields.Unsigned("value", 0);
    if (withRange) {
        control.minimum = fields.Unsigned("min", 0);
        control.maximum = fields.Unsigned("max", 65535);
    }
    control.findFails = fields.Fails("find");
    control.readFails = fields.Fails("read");
    control.writeFails = fields.Fails("write");
    return control;
}

void ReadLine(const std::string& line, SimDisplayScenario& scenario)
{
    Fields parsed;
    const std::string keyword = SplitLine(line, parsed);
    FieldReader fields(std::move(parsed));
    if (keyword == "monitor") {
        scenario.monitors.push_back(ReadMonitor(fields));
    } else if (keyword == "screen") {
        scenario.screenWidth = fields.Int("width", 0);
        scenario.screenHeight = fields.Int("height", 0);
    } else if (keyword == "mixer") {
        ReadMixer(fields, scenario.mixer);
    } else if (keyword == "volume") {
        scenario.mixer.volume = ReadControl(fields, true);
    } else if (keyword == "mute") {
        scenario.mixer.mute = ReadControl(fields, false);
    } else {
        throw std::runtime_error("unknown item \"" + keyword + "\"");
    }
    fields.Finish();
}

} // namespace

bool ParseSimDisplayScenario(const std::string& text, SimDisplayScenario& scenario, std::string& error)
{
    scenario = {};
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        try {
            ReadLine(line, scenario);
        } catch (const std::exception& e) {
            error = "line " + std::to_string(number) + ": " + e.what();
            scenario = {};
            return false;
        }
    }
    error.clear();
    return true;
}

} // namespace display
