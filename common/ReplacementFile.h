#pragma once
// Replaces a file's whole content in one step: the new text goes to a temporary
// file in the same folder, which then takes the old file's place. At every moment
// either the old or the new file is whole at the target path.
#include <optional>
#include <string>
#include <string_view>

#include "framework/File.h"

class CReplacementFile {
public:
    explicit CReplacementFile(std::string targetPath);
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;
    // A replacement that was not committed leaves the target untouched and its
    // temporary file removed.
    ~CReplacementFile();

    void Write(std::string_view data);
    // Flushes the new content to disk and moves it over the target. Fails (and
    // changes nothing) while another handle holds the target open.
    void Commit();

    const std::string& GetTempPath() const { return m_tempPath; }

private:
    void MoveOverTarget();

    std::string m_targetPath;
    std::string m_tempPath;
    std::optional<fw::CFile> m_file;
    bool m_committed = false;
};
