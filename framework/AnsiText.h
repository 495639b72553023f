#pragma once
// Texts written in the sources as UTF-8, turned into the ANSI code page the programs
// run in (932 for Japanese texts).
#include <string>
#include <string_view>

namespace fw {

// Characters the ANSI code page lacks become '?'.
std::string AnsiFromUtf8(std::string_view utf8);

} // namespace fw
