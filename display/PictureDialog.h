#pragma once
// A borderless dialog that covers one further monitor with the lock picture, already
// stretched to the monitor's size (CStretchedPictures). The owner sizes it to its monitor
// and calls ResizePicture with the monitor's size. It exists only while the
// display is locked: it refuses to be minimised, moved, sized or closed.
#include "framework/Dialog.h"
#include "display/PictureStatic.h"
#include "display/StretchedPictures.h"

class CPictureDialog : public fw::CDialog {
public:
    // The dialog holds the picture while it lives; null shows none.
    CPictureDialog(HWND parent, SharedBitmap picture);

    void ResizePicture(int cx, int cy);
    const CPictureStatic& Picture() const { return m_picture; }

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Enter, Escape and WM_CLOSE would hide it.
    void OnOK() override {}
    void OnCancel() override {}

private:
    SharedBitmap m_bitmap;  // outlives the control that shows it
    CPictureStatic m_picture;
};
