#pragma once
// The snapshot of attached USB devices and the two rules that decide whether the
// registered keys are present.
#include <cstddef>
#include <vector>

#include "usbkey/DeviceNameNode.h"
#include "common/KeyDevice.h"

// An attached device: its identity and the root of its display-name tree.
class CUsbDeviceEntry : public CKeyDevice {
public:
    CUsbDeviceEntry() = default;
    CUsbDeviceEntry(CKeyDevice identity, CDeviceNameNode names)
        : CKeyDevice(std::move(identity)), m_names(std::move(names))
    {
    }

    CDeviceNameNode m_names;
};

class CUsbDeviceList {
public:
    using const_iterator = std::vector<CUsbDeviceEntry>::const_iterator;

    void AddTail(CUsbDeviceEntry entry) { m_entries.push_back(std::move(entry)); }
    void RemoveAll() { m_entries.clear(); }
    std::size_t GetCount() const { return m_entries.size(); }
    bool IsEmpty() const { return m_entries.empty(); }
    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }

    // 1 when at least one registered key is attached. With `found`: it is emptied,
    // then receives the attached device's identity for every key that matched.
    int HasAnyKey(const CKeyDeviceList& keys, CKeyDeviceList* found = nullptr) const;
    // 1 when every registered key is attached (one device answers one key). With
    // `found`: every key that is present still lands there, even when one is missing.
    int HasAllKeys(const CKeyDeviceList& keys, CKeyDeviceList* found = nullptr) const;

private:
    std::vector<CUsbDeviceEntry> m_entries;
};
