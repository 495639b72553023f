#include "display/PictureDialog.h"

#include "display/DisplayResource.h"
#include "display/WindowPlacement.h"

CPictureDialog::CPictureDialog(HWND parent, std::string picturePath)
    : CDialog(IDD_COVER_PICTURE, parent), m_picturePath(std::move(picturePath))
{
}

BOOL CPictureDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_picture.SubclassDlgItem(IDC_COVER_PICTURE, GetSafeHwnd());
    if (m_picturePath.empty() || !m_picture.LoadFromFile(m_picturePath, true))
        m_picture.LoadFromResource(IDB_LOCK_PICTURE, true);
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
