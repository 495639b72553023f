#pragma once
// A host controller or hub opened by device name, and the requests sent to it. Every
// reply length is bounded by the bytes the platform actually returned.
#include "usbkey/UsbPlatform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace usbkey {

// A USB_NODE_CONNECTION_INFORMATION_EX image (the fixed part and 30 pipe entries).
using ConnectionInfo = std::vector<std::uint8_t>;

class CUsbIoDevice {
public:
    CUsbIoDevice(CUsbPlatform& platform, std::string name);
    CUsbIoDevice(const CUsbIoDevice&) = delete;
    CUsbIoDevice& operator=(const CUsbIoDevice&) = delete;
    ~CUsbIoDevice() { Close(); }

    bool Open();
    // Marks the handle closed even when CloseHandle fails: retrying later could close a
    // reused handle value.
    void Close();
    bool IsOpen() const { return m_handle != InvalidPlatformHandle(); }

    bool GetHcdDriverKeyName(std::string& key);
    bool GetRootHubName(std::string& name);
    bool GetNodeInformation(int& numberOfPorts);
    bool GetConnectionInformation(std::uint32_t port, ConnectionInfo& info);
    bool GetConnectionDriverKeyName(std::uint32_t port, std::string& key);
    bool GetExternalHubName(std::uint32_t port, std::string& name);
    // The descriptor bytes, header included.
    bool GetStringDescriptor(std::uint32_t port, std::uint8_t index, std::uint16_t language,
                             std::vector<std::uint8_t>& descriptor);
    bool GetLanguageIds(std::uint32_t port, std::vector<std::uint16_t>& ids);
    bool GetString(std::uint32_t port, std::uint8_t index, std::uint16_t language, std::string& text);

private:
    struct NameRequest {
        std::uint32_t code;
        std::uint32_t headerSize;
        std::size_t actualLengthOffset;
        std::size_t textOffset;
        bool sendsInput;  // the request buffer goes in as well as out
        bool hasPort;
        std::uint32_t port;
    };
    bool Control(std::uint32_t code, const void* in, std::uint32_t inSize, std::vector<std::uint8_t>& out,
                 std::uint32_t& returned);
    bool RequestName(const NameRequest& request, std::string& name);
    std::string TextAt(const std::vector<std::uint8_t>& buffer, std::size_t offset, std::size_t end);

    CUsbPlatform& m_platform;
    std::string m_name;
    PlatformHandle m_handle = InvalidPlatformHandle();
};

} // namespace usbkey
