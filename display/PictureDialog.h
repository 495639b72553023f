#pragma once
// A borderless dialog that covers one further monitor with the lock picture: the file
// the settings name, else the program's bitmap IDB_LOCK_PICTURE. The owner sizes it to
// its monitor and calls ResizePicture with the monitor's size. It exists only while the
// display is locked: it refuses to be minimised, moved, sized or closed.
#include "framework/Dialog.h"
#include "display/PictureStatic.h"

#include <string>

class CPictureDialog : public fw::CDialog {
public:
    // `picturePath`: the settings' lock picture; empty for the program's own.
    CPictureDialog(HWND parent, std::string picturePath);

    void ResizePicture(int cx, int cy);
    const CPictureStatic& Picture() const { return m_picture; }

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Enter, Escape and WM_CLOSE would hide it.
    void OnOK() override {}
    void OnCancel() override {}

private:
    CPictureStatic m_picture;
    std::string m_picturePath;
};
