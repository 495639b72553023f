#pragma once
// What is known of one device node of the platform's device tree.
#include "usbkey/UsbPlatform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace usbkey {

struct CDevNodeInfo {
    DevInst devNode = 0;   // 0: not found
    char driveLetter = 0;  // 'A'..'Y', or 0
    std::string instanceId;
    std::string enumerator;
    std::string friendlyName;
    std::string description;
    std::string classGuid;
    std::vector<std::string> lowerFilters;
    std::vector<std::string> upperFilters;
    std::uint32_t status = 0;
    std::uint32_t problem = 0;

    bool operator==(const CDevNodeInfo&) const = default;
};

// Which fields CUsbDeviceEnumerator::ReadDevNodeInfo fills.
enum DevNodePropertyMask : int {
    kDevNodeDriveLetter = 0x001,  // reads the instance id as well
    kDevNodeInstanceId = 0x002,
    kDevNodeEnumerator = 0x004,
    kDevNodeFriendlyName = 0x008,
    kDevNodeDescription = 0x010,
    kDevNodeClassGuid = 0x020,
    kDevNodeStatus = 0x040,
    kDevNodeProblem = 0x080,
    kDevNodeLowerFilters = 0x100,
    kDevNodeUpperFilters = 0x200,
};

} // namespace usbkey
