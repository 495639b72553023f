#pragma once
// Path text rules of the settings folder, code-page aware: the second byte of a
// double-byte character is never taken for "\".
#include <string>
#include <string_view>
#include <vector>

namespace PathText {

// The path with "\" appended unless it already ends with "\"; "" gives "\".
std::string AppendBackslash(std::string path);

// Drops the last n components: "C:\a\b.exe", 1 gives "C:\a"; a bare drive keeps
// its "\" ("C:\b.exe", 1 gives "C:\"); one trailing "\" goes before the count.
std::string RemovePathComponents(std::string path, int n);

// The file name with its extension, what follows the last "\", "/" or drive ":";
// empty when the path ends with a separator.
std::string FileName(std::string_view path);

// The folders to create for `path`, from the root down, bare drives left out.
// The last one equals `path` unless `path` ends with "\".
std::vector<std::string> FolderChain(std::string_view path);

} // namespace PathText
