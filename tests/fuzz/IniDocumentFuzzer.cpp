// Any text parses; the written form of a parsed document is a fixed point.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/IniDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CIniDocument first;
    first.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string written;
    first.Write(written);
    CIniDocument second;
    second.Parse(written);
    std::string rewritten;
    second.Write(rewritten);
    if (written != rewritten)
        std::abort();
    return 0;
}
