#pragma once
// A borderless dialog that covers one further monitor with the lock picture: the file
// the settings name, else the program's bitmap IDB_LOCK_PICTURE. The owner sizes it to
// its monitor and calls ResizePicture with the monitor's size.
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

private:
    CPictureStatic m_picture;
    std::string m_picturePath;
};
