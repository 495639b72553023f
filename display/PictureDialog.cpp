#include "display/PictureDialog.h"

#include "display/DisplayResource.h"
#include "display/WindowPlacement.h"

CPictureDialog::CPictureDialog(HWND parent, SharedBitmap picture)
    : CDialog(IDD_COVER_PICTURE, parent), m_bitmap(std::move(picture))
{
}

BOOL CPictureDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_picture.SubclassDlgItem(IDC_COVER_PICTURE, GetSafeHwnd());
    // Painted 1:1 once the owner gives the control the picture's size.
    m_picture.SetBitmap(m_bitmap.get(), false);
    return TRUE;
}

void CPictureDialog::ResizePicture(int cx, int cy)
{
    SetWindowPos(m_picture.GetSafeHwnd(), nullptr, 0, 0, cx, cy, SWP_NOZORDER);
}

INT_PTR CPictureDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSCOMMAND && IsPutAwayCommand(wParam))
        return Result(0);
    return CDialog::OnMessage(message, wParam, lParam);
}
