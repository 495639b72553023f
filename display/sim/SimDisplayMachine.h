#pragma once
// A simulated display machine for tests and test builds: its monitors and its mixer
// answer the display platform calls from a scenario (format: SimDisplayScenario.h). It
// checks the mixer's request layouts as Win32 would and records every value written.
#include "common/WatchedFile.h"
#include "display/DisplayPlatform.h"
#include "display/sim/SimDisplayScenario.h"

#include <set>
#include <string>
#include <vector>

namespace display {

class CSimDisplayMachine : public CMonitorPlatform, public CMixerPlatform {
public:
    // Replaces the machine with the scenario; on an error the machine has no monitor and
    // no mixer.
    bool Load(const std::string& text, std::string& error);
    // Reads the scenario from a file, and again whenever its content changed (checked at
    // each enumeration and each mixer opening while no mixer is open), so a test can plug
    // in a monitor while a program runs. A missing or bad file: no monitor, no mixer.
    void WatchScenarioFile(std::string path);
    const std::string& LastError() const { return m_lastError; }

    const SimDisplayScenario& Scenario() const { return m_scenario; }
    // Each value written to a control, as "volume <n>" or "mute <n>", in order.
    const std::vector<std::string>& Writes() const { return m_writes; }
    int OpenMixers() const { return static_cast<int>(m_open.size()); }

    BOOL EnumMonitors(const std::function<bool(HMONITOR)>& visit) override;
    BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFO& info) override;
    SIZE ScreenSize() override;

    UINT GetNumDevs() override;
    MMRESULT GetDevCaps(UINT device, MIXERCAPSA& caps) override;
    MMRESULT Open(HMIXER& mixer, UINT device) override;
    MMRESULT GetLineInfo(HMIXER mixer, MIXERLINEA& line, DWORD flags) override;
    MMRESULT GetLineControls(HMIXER mixer, MIXERLINECONTROLSA& controls, DWORD flags) override;
    MMRESULT GetControlDetails(HMIXER mixer, MIXERCONTROLDETAILS& details, DWORD flags) override;
    MMRESULT SetControlDetails(HMIXER mixer, MIXERCONTROLDETAILS& details, DWORD flags) override;
    MMRESULT Close(HMIXER mixer) override;

private:
    void ReloadIfChanged();
    bool IsOpen(HMIXER mixer) const;
    SimMixerControl* ControlById(DWORD id);
    MMRESULT CheckDetails(HMIXER mixer, const MIXERCONTROLDETAILS& details, DWORD flags,
                          SimMixerControl*& control);

    SimDisplayScenario m_scenario;
    CWatchedFile m_scenarioFile;
    std::string m_lastError;
    std::vector<std::string> m_writes;
    std::set<UINT_PTR> m_open;
    UINT_PTR m_nextMixer = 0x4D00;
};

} // namespace display
