#pragma once
// What the plug-in tells the log host about itself, and the GUID its records carry.
#include <windows.h>

#include <cstdint>

// {070166DD-1101-49AE-B105-371EB39F3E00}
inline constexpr GUID kPluginGuid = {0x070166DD, 0x1101, 0x49AE, {0xB1, 0x05, 0x37, 0x1E, 0xB3, 0x9F, 0x3E, 0x00}};

// Copied to the host unchanged: 32 bytes, little-endian.
struct SPluginInfo {
    std::uint32_t version = 0x00010000;
    std::uint32_t hostVersion = 0x00010000;
    std::uint32_t descriptionId = 2;  // string ids in this library's table
    std::uint32_t nameId = 4;
    GUID guid = kPluginGuid;
};

static_assert(sizeof(SPluginInfo) == 32);
