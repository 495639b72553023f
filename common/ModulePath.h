#pragma once
// Reading a module's file path of any length.
#include <functional>
#include <string>

namespace modulepath {

// A call like GetModuleFileNameA: writes at most size bytes and answers the count
// written; a path that does not fit is cut, on Windows XP without a terminator, and the
// answer is then size. 0 means failure.
using Reader = std::function<unsigned long(char* buffer, unsigned long size)>;

// The whole path, asking again with twice the room while the answer fills the buffer;
// empty when the call fails or the path outgrows any path Windows holds.
std::string ReadWhole(const Reader& read);

} // namespace modulepath
