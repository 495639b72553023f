#pragma once
// A fresh folder under the temporary folder, named with the process id so tests
// running beside each other never share one; removed with its files at the end.
#include <windows.h>

#include <string>

class CTempFolder {
public:
    explicit CTempFolder(const std::string& name);
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    ~CTempFolder();

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& text);
