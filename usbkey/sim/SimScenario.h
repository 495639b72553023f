#pragma once
// The parsed form of a simulated machine's scenario (format: SimUsbMachine.h).
#include "usbkey/UsbPlatform.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace usbkey {

struct SimController {
    std::string name;  // as opened
    std::string driverKey;
    std::string rootHub;
};

struct SimPort {
    bool isHub = false;
    std::string externalHub;
    std::string driverKey;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t bcdUsb = 0x0200;
    std::uint8_t speed = 1;
    std::uint32_t connectionStatus = 1;
    std::uint8_t iManufacturer = 0;
    std::uint8_t iProduct = 0;
    std::uint8_t iSerialNumber = 0;
    std::vector<std::uint16_t> languages{0x0409};
    std::map<std::uint8_t, std::vector<std::uint8_t>> strings;  // index to descriptor bytes
};

struct SimHub {
    std::string name;
    int ports = 0;
    std::map<std::uint32_t, SimPort> connections;
};

struct SimNode {
    std::string id;
    int parent = -1;  // index into the node table; -1 for the root
    std::vector<int> children;
    int nextSibling = -1;
    std::map<std::uint32_t, std::string> properties;       // CM_DRP_* to text
    std::map<std::uint32_t, std::vector<std::string>> multiStrings;
    std::uint32_t status = 0x0180200A;
    std::uint32_t problem = 0;
    std::vector<std::string> removalRelations;
};

struct SimVolumeInterface {
    std::string path;
    std::string volumeName;
    std::string nodeId;
};

struct SimFault {
    std::string kind;  // open close ioctl cm classdevs volume
    std::string name;
    std::string call;
    std::string node;
    std::string interfaceClass;
    std::uint32_t code = 0;
    std::int64_t port = -1;
    std::int64_t index = -1;
    std::int64_t property = -1;
    std::int64_t actualLength = -1;
    std::int64_t returned = -1;
    ConfigRet result = 0x13;  // CR_FAILURE
};

struct SimSlowOpen {
    std::string name;
    std::uint32_t milliseconds = 0;
};

struct SimScenario {
    std::vector<SimController> controllers;
    std::map<std::string, SimHub> hubs;            // by upper-cased name
    std::vector<SimNode> nodes;                    // [0] is the root; DEVINST = index + 1
    std::map<std::string, int> nodeIndex;          // upper-cased id to index
    std::map<char, std::string> mounts;            // letter to volume name
    std::vector<SimVolumeInterface> volumeInterfaces;
    std::vector<SimFault> faults;
    std::vector<SimSlowOpen> slowOpens;
};

// Parses scenario text; false with "line N: reason" on the first bad line.
bool ParseSimScenario(const std::string& text, SimScenario& scenario, std::string& error);

// The scenario text with the lines tagged `tag` left out (pulled) or in again (inserted).
std::string SetScenarioTagPulled(const std::string& text, const std::string& tag, bool pulled);

} // namespace usbkey
