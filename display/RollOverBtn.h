#pragma once
// An owner-drawn image button that changes its image while the mouse is over it (the
// exit button of the lock display). Its images are bitmap resources named after the
// control's caption: caption + "U" (normal, required), "D" (pressed), "F" (focus),
// "X" (disabled), "R" (roll-over).
#include "framework/Handle.h"
#include "framework/SubclassWnd.h"

class CRollOverBtn : public fw::CSubclassWnd {
public:
    CRollOverBtn() = default;

    // Binds the dialog's button, loads its images and sizes it to the normal image;
    // false when the button is missing or has no normal image.
    bool AutoLoad(int id, HWND parentDialog);
    bool IsHovering() const { return m_hovering; }

    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void DrawItem(const DRAWITEMSTRUCT& item) const;
    HBITMAP ImageFor(const DRAWITEMSTRUCT& item) const;

    fw::unique_hgdiobj m_normal;
    fw::unique_hgdiobj m_selected;
    fw::unique_hgdiobj m_focus;
    fw::unique_hgdiobj m_disabled;
    fw::unique_hgdiobj m_rollOver;
    bool m_hovering = false;
};
