#pragma once
// The lock display's own message box: a string-table text beside a system icon, the box
// sized to the text, with OK and Cancel or OK alone. It stays top-most and belongs to
// the topmost window list while it exists.
#include "framework/Dialog.h"

class CTopmostWindowList;

class CLockMessageBox : public fw::CDialog {
public:
    // Button sets.
    static constexpr int kOkCancel = 0;
    static constexpr int kOkOnly = 1;
    // Icon kinds; any other value is the warning icon.
    static constexpr int kIconError = 1;
    static constexpr int kIconQuestion = 2;
    static constexpr int kIconInformation = 3;

    CLockMessageBox(CTopmostWindowList& topmost, HWND parent);

    // Called before DoModal. Another button set leaves the buttons where the template
    // puts them. DoModal returns IDOK or IDCANCEL; an owner ends the box early with 2.
    void SetMessage(UINT messageId, int iconKind, int buttonSet);

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetIcon();
    SIZE MeasureText(const std::string& text) const;
    void PlaceText(SIZE text);
    int MinimumWidth() const;
    void PlaceButtons(int width);

    CTopmostWindowList& m_topmost;
    UINT m_messageId = 0;
    int m_iconKind = 0;
    int m_buttonSet = 0;
};
