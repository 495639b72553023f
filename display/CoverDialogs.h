#pragma once
// A picture dialog over every monitor but the primary one, rebuilt when the monitors
// change, held on its monitor, and kept directly below the lock display's windows.
#include "display/DisplayPlatform.h"
#include "display/PictureDialog.h"
#include "display/StretchedPictures.h"

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
    // Rebuilds the covers when the number of monitors or a monitor's rectangle changed,
    // else tries again each cover that could not be created or whose window is gone; true
    // when a cover was made.
    bool Check(const std::string& picturePath);
    // Every cover shown, restored and on its monitor again, whatever another program did.
    void KeepInPlace();
    // The topmost list's windows, then every cover, above every other window
    // (CTopmostWindowList::KeepOnTop).
    void Restack(CTopmostWindowList& topmost);

    // The covers that exist, in the order they were made.
    std::size_t Count() const { return m_covers.size(); }
    HWND Window(std::size_t index) const { return m_covers[index].dialog->GetSafeHwnd(); }

private:
    struct SCover {
        RECT monitor;
        std::unique_ptr<CPictureDialog> dialog;
    };
    bool CreateCover(const RECT& monitor, const std::string& picturePath);
    void DropLost();
    bool CreateMissing(const std::string& picturePath);

    display::CMonitorPlatform& m_monitors;
    CStretchedPictures m_pictures;
    std::vector<SCover> m_covers;
    // The further monitors whose cover could not be created yet, or went.
    std::vector<RECT> m_missing;
    std::vector<MONITORINFO> m_known;
};
