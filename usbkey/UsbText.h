#pragma once
// Code page 932 text helpers: letter case folds ASCII letters only and never touches the
// second byte of a double-byte character.
#include <string>

namespace usbkey {

std::string ToUpperMb(const std::string& text);
bool EqualsIgnoreCaseMb(const std::string& a, const std::string& b);

} // namespace usbkey
