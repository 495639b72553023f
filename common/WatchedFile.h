#pragma once
// A text file read again on request, telling whether its content changed since the last
// read: the scenario files of the simulated machines, which tests rewrite while a
// program runs.
#include <string>

class CWatchedFile {
public:
    // Starts over with this file: the next Changed() reports a change.
    void Watch(std::string path);
    bool Watching() const { return !m_path.empty(); }

    // Reads the file; true when its content or its readability differs from the last read.
    bool Changed();

    const std::string& Path() const { return m_path; }
    const std::string& Text() const { return m_text; }  // empty when unreadable
    bool Readable() const { return m_readable; }

private:
    std::string m_path;
    std::string m_text;
    bool m_readable = false;
    bool m_read = false;
};
