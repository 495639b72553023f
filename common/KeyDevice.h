#pragma once
// Identity of a key device: USB vendor id, product id and serial number text.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class CKeyDevice {
public:
    CKeyDevice() = default;
    CKeyDevice(std::uint16_t vendorId, std::uint16_t productId, std::string serialNumber)
        : m_vendorId(vendorId), m_productId(productId), m_serialNumber(std::move(serialNumber))
    {
    }
    CKeyDevice(const CKeyDevice&) = default;
    CKeyDevice& operator=(const CKeyDevice&) = default;
    CKeyDevice(CKeyDevice&&) = default;
    CKeyDevice& operator=(CKeyDevice&&) = default;
    virtual ~CKeyDevice() = default;

    std::uint16_t m_vendorId = 0;
    std::uint16_t m_productId = 0;
    std::string m_serialNumber;  // empty when the device reports none
};

// Registered keys, in the order of registration.
using CKeyDeviceList = std::vector<CKeyDevice>;

// Equal ids and serial numbers equal ignoring ASCII letter case.
bool IsSameKeyDevice(const CKeyDevice& a, const CKeyDevice& b);
