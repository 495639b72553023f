#include "usbkey/UsbIoDevice.h"

#include "usbkey/UsbLayout.h"

#include <algorithm>
#include <utility>

namespace usbkey {

using namespace layout;

namespace {

// Names are device paths and registry keys: far below this.
constexpr std::uint32_t kMaxNameBytes = 4096;
constexpr std::size_t kConnectionInfoFixedPart = 35;

} // namespace

CUsbIoDevice::CUsbIoDevice(CUsbPlatform& platform, std::string name)
    : m_platform(platform), m_name(std::move(name))
{
}

bool CUsbIoDevice::Open()
{
    Close();
    m_handle = m_platform.CreateFileA(m_name.c_str(), kGenericWrite, kFileShareWrite, kOpenExisting, 0);
    if (m_handle == nullptr)  // never a valid result; keep the invariant simple
        m_handle = InvalidPlatformHandle();
    return IsOpen();
}

void CUsbIoDevice::Close()
{
    if (IsOpen())
        m_platform.CloseHandle(m_handle);
    m_handle = InvalidPlatformHandle();
}

// Sends a request; `returned` is bounded by the output size.
bool CUsbIoDevice::Control(std::uint32_t code, const void* in, std::uint32_t inSize,
                           std::vector<std::uint8_t>& out, std::uint32_t& returned)
{
    returned = 0;
    if (!IsOpen())
        return false;
    const auto outSize = static_cast<std::uint32_t>(out.size());
    const bool ok = m_platform.DeviceIoControl(m_handle, code, in, inSize, out.data(), outSize, &returned);
    returned = std::min(returned, outSize);
    return ok;
}

// UTF-16 text from `offset` up to `end` or the first NUL, converted.
std::string CUsbIoDevice::TextAt(const std::vector<std::uint8_t>& buffer, std::size_t offset, std::size_t end)
{
    end = std::min(end, buffer.size());
    std::u16string text;
    for (std::size_t i = offset; i + 1 < end; i += 2) {
        const char16_t unit = static_cast<char16_t>(Read16(&buffer[i]));
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text.empty() ? std::string() : m_platform.WideToMultiByte(text.data(), text.size());
}

// The two-call protocol: a header-sized reply gives ActualLength, the whole size of the
// reply; when it is larger, the request is repeated with a buffer of that size.
bool CUsbIoDevice::RequestName(const NameRequest& request, std::string& name)
{
    name.clear();
    std::vector<std::uint8_t> buffer(request.headerSize, 0);
    if (request.hasPort)
        Write32(&buffer[kConnectionIndex], request.port);
    std::vector<std::uint8_t> input = buffer;
    std::uint32_t returned = 0;
    if (!Control(request.code, request.sendsInput ? input.data() : nullptr,
                 request.sendsInput ? request.headerSize : 0, buffer, returned))
        return false;
    if (returned < request.actualLengthOffset + 4)
        return false;
    const std::uint32_t actualLength = Read32(&buffer[request.actualLengthOffset]);
    if (actualLength > request.headerSize) {
        if (actualLength > kMaxNameBytes)
            return false;
        buffer.assign(actualLength, 0);
        if (request.hasPort)
            Write32(&buffer[kConnectionIndex], request.port);
        input = buffer;
        if (!Control(request.code, request.sendsInput ? input.data() : nullptr,
                     request.sendsInput ? actualLength : 0, buffer, returned))
            return false;
    }
    name = TextAt(buffer, request.textOffset, returned);
    return true;
}

bool CUsbIoDevice::GetHcdDriverKeyName(std::string& key)
{
    return RequestName({kIoctlGetHcdDriverKeyName, kHcdNameHeader, 0, kHcdNameText, true, false, 0}, key);
}

bool CUsbIoDevice::GetRootHubName(std::string& name)
{
    return RequestName({kIoctlGetRootHubName, kHcdNameHeader, 0, kHcdNameText, false, false, 0}, name);
}

bool CUsbIoDevice::GetConnectionDriverKeyName(std::uint32_t port, std::string& key)
{
    return RequestName({kIoctlGetNodeConnectionDriverKeyName, kConnectionNameHeader,
                        kConnectionNameActualLength, kConnectionNameText, true, true, port},
                       key);
}

bool CUsbIoDevice::GetExternalHubName(std::uint32_t port, std::string& name)
{
    return RequestName({kIoctlGetNodeConnectionName, kConnectionNameHeader, kConnectionNameActualLength,
                        kConnectionNameText, true, true, port},
                       name);
}

bool CUsbIoDevice::GetNodeInformation(int& numberOfPorts)
{
    numberOfPorts = 0;
    std::vector<std::uint8_t> buffer(kNodeInformationSize, 0);
    const std::vector<std::uint8_t> input = buffer;
    std::uint32_t returned = 0;
    if (!Control(kIoctlGetNodeInformation, input.data(), kNodeInformationSize, buffer, returned) ||
        returned <= kNodeInformationPorts)
        return false;
    numberOfPorts = buffer[kNodeInformationPorts];
    return true;
}

bool CUsbIoDevice::GetConnectionInformation(std::uint32_t port, ConnectionInfo& info)
{
    info.assign(kConnectionInfoSize, 0);
    Write32(&info[kConnectionIndex], port);
    std::vector<std::uint8_t> input = info;
    std::uint32_t returned = 0;
    if (Control(kIoctlGetNodeConnectionInformationEx, input.data(), kConnectionInfoSize, info, returned)) {
        std::fill(info.begin() + returned, info.end(), 0);
        return returned >= kConnectionInfoFixedPart;
    }
    // The old request has the same layout, with LowSpeed where the speed is.
    info.assign(kConnectionInfoSize, 0);
    Write32(&info[kConnectionIndex], port);
    input = info;
    if (!Control(kIoctlGetNodeConnectionInformation, input.data(), kConnectionInfoSize, info, returned) ||
        returned < kConnectionInfoFixedPart) {
        std::fill(info.begin(), info.end(), 0);
        return false;
    }
    std::fill(info.begin() + returned, info.end(), 0);
    info[kSpeed] = info[kSpeed] != 0 ? 0 : 1;
    return true;
}

bool CUsbIoDevice::GetStringDescriptor(std::uint32_t port, std::uint8_t index, std::uint16_t language,
                                       std::vector<std::uint8_t>& descriptor)
{
    descriptor.clear();
    std::vector<std::uint8_t> buffer(kDescriptorRequestSize, 0);
    Write32(&buffer[kConnectionIndex], port);
    buffer[kSetupBmRequest] = 0;
    buffer[kSetupBRequest] = 0;
    Write16(&buffer[kSetupWValue], static_cast<std::uint16_t>(0x0300 + index));
    Write16(&buffer[kSetupWIndex], language);
    Write16(&buffer[kSetupWLength], 255);
    const std::vector<std::uint8_t> input = buffer;
    std::uint32_t returned = 0;
    if (!Control(kIoctlGetDescriptorFromNodeConnection, input.data(), kDescriptorRequestSize, buffer, returned))
        return false;
    // A descriptor is at least its two header bytes, of even length, and exactly as long
    // as what came back.
    if (returned < kDescriptorData + 2)
        return false;
    const std::uint8_t bLength = buffer[kDescriptorData];
    if (buffer[kDescriptorData + 1] != kStringDescriptorType || bLength != returned - kDescriptorData ||
        bLength % 2 != 0)
        return false;
    descriptor.assign(buffer.begin() + kDescriptorData, buffer.begin() + kDescriptorData + bLength);
    return true;
}

bool CUsbIoDevice::GetLanguageIds(std::uint32_t port, std::vector<std::uint16_t>& ids)
{
    ids.clear();
    std::vector<std::uint8_t> descriptor;
    if (!GetStringDescriptor(port, 0, 0, descriptor))
        return false;
    for (std::size_t i = 2; i + 1 < descriptor.size(); i += 2)
        ids.push_back(Read16(&descriptor[i]));
    return true;
}

bool CUsbIoDevice::GetString(std::uint32_t port, std::uint8_t index, std::uint16_t language, std::string& text)
{
    text.clear();
    std::vector<std::uint8_t> descriptor;
    if (!GetStringDescriptor(port, index, language, descriptor))
        return false;
    text = TextAt(descriptor, 2, descriptor.size());
    return true;
}

} // namespace usbkey
