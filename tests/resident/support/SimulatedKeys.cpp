#include "tests/resident/support/SimulatedKeys.h"

#include "usbkey/sim/SimScenario.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace {

// How long a replace waits while the machine reads the file: it holds it for
// milliseconds, longer on a loaded machine.
constexpr DWORD kReplaceTimeout = 5000;

// One controller with a root hub, the keys at its ports; each key's device node names it
// "Key <tag>", as the wizard's device list shows it, with a disk "Disk <tag>" below.
std::string ScenarioOf(const std::vector<SSimulatedKey>& keys)
{
    std::string text =
        "controller name=\\\\.\\HCD0 driver={36FC9E60-C465-11CF-8056-444553540000}\\0000 roothub=RH0\n"
        "hub name=RH0 ports=" + std::to_string(std::max<std::size_t>(8, keys.size())) + "\n";
    int port = 1;
    for (const SSimulatedKey& key : keys) {
        char line[1024];
        std::snprintf(line, sizeof line,
                      "device hub=RH0 port=%d driver={36FC9E60-C465-11CF-8056-444553540000}\\%04d vid=%04X pid=%04X "
                      "product=\"Key %s\" serial=\"%s\" tag=%s\n"
                      "node id=USB\\VID_%04X&PID_%04X\\%04d driver={36FC9E60-C465-11CF-8056-444553540000}\\%04d "
                      "friendly=\"Key %s\" tag=%s\n"
                      "node id=USBSTOR\\DISK\\%04d parent=USB\\VID_%04X&PID_%04X\\%04d desc=\"Disk %s\" tag=%s\n",
                      port, port, key.identity.m_vendorId, key.identity.m_productId, key.tag.c_str(),
                      key.identity.m_serialNumber.c_str(), key.tag.c_str(), key.identity.m_vendorId,
                      key.identity.m_productId, port, port, key.tag.c_str(), key.tag.c_str(), port,
                      key.identity.m_vendorId, key.identity.m_productId, port, key.tag.c_str(), key.tag.c_str());
        text += line;
        ++port;
    }
    return text;
}

} // namespace

CSimulatedKeys::CSimulatedKeys(std::string path, const std::vector<SSimulatedKey>& keys)
    : m_path(std::move(path)), m_text(ScenarioOf(keys))
{
    Write();
}

CSimulatedKeys::~CSimulatedKeys()
{
    DeleteFileA(m_path.c_str());
}

void CSimulatedKeys::AddLine(const std::string& line)
{
    m_text += line + "\n";
    Write();
}

void CSimulatedKeys::SetPulled(const std::string& tag, bool pulled)
{
    m_text = usbkey::SetScenarioTagPulled(m_text, tag, pulled);
    Write();
}

// The whole text goes to a new file that then replaces the old one, so that the machine
// never reads half a scenario; the replace waits while the machine has the file open. A
// scenario that cannot be written throws: a pull that never happened would pass every
// check that nothing happened.
void CSimulatedKeys::Write() const
{
    const std::string temporary = m_path + ".new";
    FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out)
        throw std::runtime_error("cannot write the USB scenario " + temporary);
    const bool written = std::fwrite(m_text.data(), 1, m_text.size(), out) == m_text.size();
    if (std::fclose(out) != 0 || !written) {
        DeleteFileA(temporary.c_str());
        throw std::runtime_error("cannot write the USB scenario " + temporary);
    }
    const DWORD start = GetTickCount();
    while (!MoveFileExA(temporary.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        if (GetTickCount() - start > kReplaceTimeout) {
            const DWORD error = GetLastError();
            DeleteFileA(temporary.c_str());
            throw std::runtime_error("cannot replace the USB scenario " + m_path + " (error " +
                                     std::to_string(error) + ")");
        }
        Sleep(1);
    }
}
