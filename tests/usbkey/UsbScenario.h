#pragma once
// Helpers for tests that enumerate a simulated machine.
#include "usbkey/sim/SimUsbMachine.h"
#include "usbkey/UsbDeviceEnumerator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace usbkey::test {

// One controller with a four-port root hub "RH0".
inline const char* const kOneController =
    "controller name=\\\\.\\HCD0 driver={36FC9E60-C465-11CF-8056-444553540000}\\0000 roothub=RH0\n"
    "hub name=RH0 ports=4\n";

inline void LoadScenario(CSimUsbMachine& machine, const std::string& text)
{
    std::string error;
    ASSERT_TRUE(machine.Load(text, error)) << error;
}

// Every handle and device-information set opened by the run was closed once.
inline void ExpectBalanced(const CSimUsbMachine& machine)
{
    EXPECT_EQ(0, machine.OpenHandles());
    EXPECT_EQ(0, machine.BadCloses());
    EXPECT_EQ(machine.Opens(), machine.CloseCalls());
}

inline std::vector<CUsbDevice> Enumerate(CSimUsbMachine& machine, int portMask = 0x13, int propertyMask = 0x19)
{
    std::vector<CUsbDevice> devices;
    CUsbDeviceEnumerator enumerator(machine, portMask, propertyMask, &devices);
    enumerator.Enumerate();
    ExpectBalanced(machine);
    return devices;
}

inline std::vector<CUsbDevice> EnumerateScenario(const std::string& text, int portMask = 0x13,
                                                 int propertyMask = 0x19)
{
    CSimUsbMachine machine;
    std::string error;
    EXPECT_TRUE(machine.Load(text, error)) << error;
    return Enumerate(machine, portMask, propertyMask);
}

inline std::vector<std::uint16_t> VendorIds(const std::vector<CUsbDevice>& devices)
{
    std::vector<std::uint16_t> ids;
    for (const CUsbDevice& device : devices)
        ids.push_back(device.vendorId);
    return ids;
}

} // namespace usbkey::test
