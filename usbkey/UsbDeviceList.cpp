#include "usbkey/UsbDeviceList.h"

namespace {

// The devices not yet taken by a key; the snapshot itself is never changed.
class CUnmatchedDevices {
public:
    explicit CUnmatchedDevices(const CUsbDeviceList& devices) : m_devices(devices)
    {
        m_taken.assign(devices.GetCount(), false);
    }

    // The first untaken device that is this key, marked taken; nullptr when none.
    const CUsbDeviceEntry* Take(const CKeyDevice& key)
    {
        std::size_t i = 0;
        for (const CUsbDeviceEntry& entry : m_devices) {
            if (!m_taken[i] && IsSameKeyDevice(key, entry)) {
                m_taken[i] = true;
                return &entry;
            }
            ++i;
        }
        return nullptr;
    }

private:
    const CUsbDeviceList& m_devices;
    std::vector<bool> m_taken;
};

CKeyDevice IdentityOf(const CUsbDeviceEntry& entry)
{
    return CKeyDevice(entry.m_vendorId, entry.m_productId, entry.m_serialNumber);
}

} // namespace

int CUsbDeviceList::HasAnyKey(const CKeyDeviceList& keys, CKeyDeviceList* found) const
{
    if (found)
        found->clear();
    CUnmatchedDevices unmatched(*this);
    for (const CKeyDevice& key : keys) {
        const CUsbDeviceEntry* entry = unmatched.Take(key);
        if (!entry)
            continue;
        if (!found)
            return 1;
        found->push_back(IdentityOf(*entry));
    }
    return found && !found->empty() ? 1 : 0;
}

int CUsbDeviceList::HasAllKeys(const CKeyDeviceList& keys, CKeyDeviceList* found) const
{
    if (found)
        found->clear();
    CUnmatchedDevices unmatched(*this);
    int result = 1;
    for (const CKeyDevice& key : keys) {
        const CUsbDeviceEntry* entry = unmatched.Take(key);
        if (!entry) {
            if (!found)
                return 0;
            result = 0;
            continue;
        }
        if (found)
            found->push_back(IdentityOf(*entry));
    }
    return result;
}
