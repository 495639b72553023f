#pragma once
// A picture dialog over every monitor but the primary one, rebuilt when the monitors
// change, and kept directly behind the lock display's newest window.
#include "display/DisplayPlatform.h"
#include "display/PictureDialog.h"

#include <memory>
#include <string>
#include <vector>

class CTopmostWindowList;

class CCoverDialogs {
public:
    CCoverDialogs() : CCoverDialogs(display::DefaultMonitorPlatform()) {}
    explicit CCoverDialogs(display::CMonitorPlatform& monitors) : m_monitors(monitors) {}

    // `picturePath`: the settings' lock picture, empty for the program's own.
    void Create(const std::string& picturePath);
    void Destroy();
    // Rebuilds the covers when the number of monitors or a monitor's rectangle changed;
    // true when it did.
    bool Check(const std::string& picturePath);
    // Every cover directly behind the topmost list's newest window.
    void Restack(CTopmostWindowList& topmost);

    std::size_t Count() const { return m_covers.size(); }
    HWND Window(std::size_t index) const { return m_covers[index]->GetSafeHwnd(); }

private:
    display::CMonitorPlatform& m_monitors;
    std::vector<std::unique_ptr<CPictureDialog>> m_covers;
    std::vector<MONITORINFO> m_known;
};
