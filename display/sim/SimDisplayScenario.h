#pragma once
// The parsed form of a simulated display machine's scenario: its monitors and its mixer.
//
// Scenario text: one item per line, "keyword key=value ..."; a line starting with '#' is
// a comment; numbers are decimal or 0x-prefixed.
//
//   monitor left=0 top=0 right=640 bottom=512 [primary=1] [flags=n] [fail=1]
//       A monitor, in enumeration order; its work area is its rectangle. primary=1 sets
//       the flags to 1 (MONITORINFOF_PRIMARY). fail=1: its information cannot be read.
//   screen width=1280 height=1024
//       SM_CXSCREEN and SM_CYSCREEN; without this line, the primary monitor's size.
//   mixer [devices=1] [destinations=1] [caps=fail] [open=fail] [speakers=0|fail]
//       Mixer device 0; without this line there is no mixer. speakers=0: no speakers
//       line; speakers=fail: asking for it fails.
//   volume value=n [min=0] [max=65535] [find=fail] [read=fail] [write=fail]
//   mute value=n [find=fail] [read=fail] [write=fail]
//       The speakers line's volume control and mute switch; a control without its line is
//       absent. find=fail: the control lookup fails.
#include <cstdint>
#include <string>
#include <vector>

namespace display {

struct SimMonitor {
    int left = 0, top = 0, right = 0, bottom = 0;
    std::uint32_t flags = 0;
    bool fails = false;
};

struct SimMixerControl {
    bool present = false;
    std::uint32_t value = 0;
    std::uint32_t minimum = 0;
    std::uint32_t maximum = 65535;
    bool findFails = false;
    bool readFails = false;
    bool writeFails = false;
};

struct SimMixer {
    unsigned devices = 0;
    unsigned destinations = 1;
    bool capsFail = false;
    bool openFails = false;
    bool speakers = true;
    bool speakersFail = false;
    SimMixerControl volume;
    SimMixerControl mute;
};

struct SimDisplayScenario {
    std::vector<SimMonitor> monitors;
    int screenWidth = -1;   // -1: the primary monitor's size
    int screenHeight = -1;
    SimMixer mixer;
};

// Parses scenario text; false with "line N: reason" on the first bad line.
bool ParseSimDisplayScenario(const std::string& text, SimDisplayScenario& scenario, std::string& error);

} // namespace display
