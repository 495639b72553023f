#pragma once
// The scenario file of the simulated USB machine that a test build of the resident
// program reads: one controller with a root hub and the test's key devices, each tagged
// so that it can be pulled and inserted again.
#include <cstdint>
#include <string>
#include <vector>

#include "common/KeyDevice.h"

struct SSimulatedKey {
    std::string tag;
    CKeyDevice identity;
};

class CSimulatedKeys {
public:
    // Writes the scenario file with every key attached. The constructor, Pull and Insert
    // throw std::runtime_error when the file cannot be written.
    CSimulatedKeys(std::string path, const std::vector<SSimulatedKey>& keys);
    ~CSimulatedKeys();

    const std::string& Path() const { return m_path; }
    void Pull(const std::string& tag) { SetPulled(tag, true); }
    void Insert(const std::string& tag) { SetPulled(tag, false); }
    // One more scenario line, a slow device say; throws as Pull does.
    void AddLine(const std::string& line);

private:
    void SetPulled(const std::string& tag, bool pulled);
    void Write() const;

    std::string m_path;
    std::string m_text;
};
