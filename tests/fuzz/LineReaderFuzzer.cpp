// Any text reads to its end in at most one line per byte, and no line ends in CR or LF.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/LineReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CLineReader reader;
    reader.SetText(std::string(reinterpret_cast<const char*>(data), size));
    reader.Rewind();
    std::string line;
    std::size_t lines = 0, bytes = 0;
    bool more = true;
    while (more) {
        more = reader.ReadLine(line);
        if (++lines > size + 1 || (!line.empty() && (line.back() == '\r' || line.back() == '\n')))
            std::abort();
        bytes += line.size();
    }
    if (bytes > size)
        std::abort();
    return 0;
}
