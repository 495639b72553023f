#include "common/ModulePath.h"

namespace modulepath {
namespace {

constexpr unsigned long kFirstSize = 512;
constexpr unsigned long kLargestSize = 0x10000; // beyond the longest path Windows holds

} // namespace

std::string ReadWhole(const Reader& read)
{
    for (unsigned long size = kFirstSize; size <= kLargestSize; size *= 2) {
        std::string path(size, '\0');
        const unsigned long length = read(path.data(), size);
        if (length == 0)
            return {};
        if (length < size) {
            path.resize(length);
            return path;
        }
    }
    return {};
}

} // namespace modulepath
