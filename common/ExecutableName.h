#pragma once
// Executable names as the process finder compares them: code page 932 text, where
// the second byte of a double-byte character is never a letter or a "\".
#include <cstddef>
#include <string>
#include <string_view>

namespace exename {

bool IsLeadByte(unsigned char byte);

// Upper-cases the single-byte letters; double-byte characters pass untouched.
std::string UpperCase(std::string_view text);

// Position of the last "\" that is a character of its own, or npos.
std::size_t LastSeparator(std::string_view path);

// The part after the last "\" (the whole text when there is none).
std::string_view FileNamePart(std::string_view path);

// The folder part including its final "\"; empty when the path has no "\".
std::string_view FolderPart(std::string_view path);

// True when the process path's file name, upper-cased, equals wanted taken whole
// (upper-cased too): "c:\x\brontal.exe" matches "BRONTAL.EXE", never "x\BRONTAL.EXE".
bool Matches(std::string_view processPath, std::string_view wanted);

// True when the text after the last "." is "EXE" in any case.
bool HasExeExtension(std::string_view path);

} // namespace exename
