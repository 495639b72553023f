#include "usbkey/UsbPortEnumerator.h"

#include "usbkey/UsbLayout.h"
#include "usbkey/UsbText.h"

#include <cctype>
#include <cstring>
#include <unordered_set>

namespace usbkey {

using namespace layout;

namespace {

constexpr std::uint32_t kPropertyBufferSize = 200;

bool ConsumeHex(const std::string& text, std::size_t& at)
{
    const std::size_t start = at;
    while (at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at])))
        ++at;
    return at > start;
}

bool ConsumeLiteral(const std::string& text, std::size_t& at, const char* literal)
{
    const std::size_t length = std::strlen(literal);
    if (text.compare(at, length, literal) != 0)
        return false;
    at += length;
    return true;
}

// The rest after "USB\VID_%x&PID_%x\", up to the first white space.
std::string SerialTail(const std::string& id)
{
    std::size_t at = 0;
    if (!ConsumeLiteral(id, at, "USB\\VID_") || !ConsumeHex(id, at) || !ConsumeLiteral(id, at, "&PID_") ||
        !ConsumeHex(id, at) || !ConsumeLiteral(id, at, "\\"))
        return {};
    while (at < id.size() && std::isspace(static_cast<unsigned char>(id[at])))
        ++at;
    std::size_t end = at;
    while (end < id.size() && !std::isspace(static_cast<unsigned char>(id[end])))
        ++end;
    return id.substr(at, end - at);
}

} // namespace

CUsbPortEnumerator::CUsbPortEnumerator(CUsbPlatform& platform, int portFieldMask)
    : CUsbHostEnumerator(platform, kSearchHcdNames | kSearchInterfaceClass), m_portFieldMask(portFieldMask)
{
}

void CUsbPortEnumerator::Enumerate()
{
    m_driverKeyIndex.clear();
    m_driverKeysIndexed = false;
    CUsbHostEnumerator::Enumerate();
}

bool CUsbPortEnumerator::ReadInstanceId(DevInst node, std::string& id)
{
    if (node == 0)
        return false;
    char buffer[kPropertyBufferSize] = {};
    if (Platform().CM_Get_Device_IDA(node, buffer, kPropertyBufferSize, 0) != kCrSuccess)
        return false;
    const std::size_t length = strnlen(buffer, kPropertyBufferSize);
    if (length == kPropertyBufferSize)  // longer than the buffer: unreadable
        return false;
    id.assign(buffer, length);
    return true;
}

bool CUsbPortEnumerator::ReadStringProperty(DevInst node, std::uint32_t property, std::string& text)
{
    if (node == 0)
        return false;
    char buffer[kPropertyBufferSize] = {};
    std::uint32_t length = kPropertyBufferSize;
    if (Platform().CM_Get_DevNode_Registry_PropertyA(node, property, nullptr, buffer, &length, 0) != kCrSuccess)
        return false;
    const std::size_t size = strnlen(buffer, kPropertyBufferSize);
    if (size == kPropertyBufferSize)
        return false;
    text.assign(buffer, size);
    return true;
}

// One walk over the whole device tree: first child, else next sibling, else up to the
// parent's next sibling. A node met twice (a platform that links back) ends that branch.
void CUsbPortEnumerator::IndexDriverKeys()
{
    m_driverKeysIndexed = true;
    DevInst node = 0;
    if (Platform().CM_Locate_DevNodeA(&node, nullptr, 0) != kCrSuccess || node == 0)
        return;
    std::unordered_set<DevInst> visited{node};
    int depth = 0;
    auto step = [&](ConfigRet (CUsbPlatform::*call)(DevInst*, DevInst, std::uint32_t), DevInst from) {
        DevInst next = 0;
        if ((Platform().*call)(&next, from, 0) != kCrSuccess || next == 0 || !visited.insert(next).second)
            return DevInst{0};
        return next;
    };
    while (node != 0) {
        std::string key;
        if (ReadStringProperty(node, kCmDrpDriver, key))
            m_driverKeyIndex.emplace(ToUpperMb(key), node);  // the first node keeps the key
        if (DevInst child = step(&CUsbPlatform::CM_Get_Child, node)) {
            node = child;
            ++depth;
            continue;
        }
        DevInst next = 0;
        for (DevInst at = node; next == 0;) {
            if ((next = step(&CUsbPlatform::CM_Get_Sibling, at)) != 0)
                break;
            DevInst parent = 0;
            if (depth == 0 || Platform().CM_Get_Parent(&parent, at, 0) != kCrSuccess || parent == 0)
                break;
            at = parent;
            --depth;
        }
        node = next;
    }
}

DevInst CUsbPortEnumerator::FindDevNodeByDriverKey(const std::string& driverKey)
{
    if (driverKey.empty())
        return 0;
    if (!m_driverKeysIndexed)
        IndexDriverKeys();
    const auto found = m_driverKeyIndex.find(ToUpperMb(driverKey));
    return found == m_driverKeyIndex.end() ? 0 : found->second;
}

bool CUsbPortEnumerator::ParseUsbInstanceId(DevInst node, std::string& serialNumber)
{
    if (node == 0)
        return false;
    std::string id;
    if (!ReadInstanceId(node, id))
        return true;
    serialNumber = SerialTail(id);
    if (serialNumber.find('&') != std::string::npos)
        serialNumber.clear();
    return true;
}

std::string CUsbPortEnumerator::SerialFromInstanceId(CUsbIoDevice& hub, std::uint32_t port)
{
    std::string key;
    std::string serial;
    if (hub.GetConnectionDriverKeyName(port, key))
        ParseUsbInstanceId(FindDevNodeByDriverKey(key), serial);
    return serial;
}

void CUsbPortEnumerator::ReadStrings(CUsbIoDevice& hub, std::uint32_t port, const std::uint8_t* descriptor,
                                     CUsbDeviceInfo& device)
{
    const std::uint8_t iManufacturer = descriptor[kDescIManufacturer];
    const std::uint8_t iProduct = descriptor[kDescIProduct];
    const std::uint8_t iSerial = descriptor[kDescISerialNumber];
    const bool wantManufacturer = (m_portFieldMask & kPortManufacturer) && iManufacturer != 0;
    const bool wantProduct = (m_portFieldMask & kPortProduct) && iProduct != 0;
    const bool wantSerial = (m_portFieldMask & kPortSerialNumber) && iSerial != 0;
    if (!wantManufacturer && !wantProduct && !wantSerial)
        return;
    std::vector<std::uint16_t> languages;
    if (!hub.GetLanguageIds(port, languages) || languages.empty()) {
        if (wantSerial)
            device.serialNumber = SerialFromInstanceId(hub, port);
        return;
    }
    const std::uint16_t language = languages.front();
    if (wantManufacturer)
        hub.GetString(port, iManufacturer, language, device.manufacturer);
    if (wantProduct)
        hub.GetString(port, iProduct, language, device.product);
    if (wantSerial && !hub.GetString(port, iSerial, language, device.serialNumber))
        device.serialNumber = SerialFromInstanceId(hub, port);
}

bool CUsbPortEnumerator::ReadPortDevice(CUsbIoDevice& hub, std::uint32_t port, const ConnectionInfo& info,
                                        CUsbDeviceInfo& device)
{
    device = CUsbDeviceInfo{};
    if (Read32(&info[kConnectionStatus]) != kDeviceConnected)
        return false;
    const std::uint8_t* descriptor = &info[kDeviceDescriptor];
    if (m_portFieldMask & kPortVendorId)
        device.vendorId = Read16(descriptor + kDescIdVendor);
    if (m_portFieldMask & kPortProductId)
        device.productId = Read16(descriptor + kDescIdProduct);
    if (m_portFieldMask & kPortBcdUsb)
        device.bcdUsb = Read16(descriptor + kDescBcdUsb);
    if (m_portFieldMask & kPortSpeed)
        device.speed = info[kSpeed];
    ReadStrings(hub, port, descriptor, device);
    return true;
}

} // namespace usbkey
