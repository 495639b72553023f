#pragma once
// Drives a running property sheet from another thread or process, the way a user would:
// through the sheet's own messages (PSM_*), button clicks (BM_CLICK) and WM_SETTEXT.
// Actions are posted, so that a message box they open never blocks the driver; queries
// are sent. List-view rows are checked through a buffer in the sheet's process.
#include <windows.h>

#include <functional>
#include <string>

// Polls until the condition holds or the time is up; the condition's last answer.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 15000);

class CSheetDriver {
public:
    // The visible property sheet among the top-level windows of this process; null
    // until one shows.
    static HWND FindSheet(DWORD processId);
    // The visible message box captioned `caption` owned by the sheet's process; null when none.
    static HWND FindMessageBox(DWORD processId, const std::string& caption);
    static std::string MessageText(HWND messageBox);
    // The visible top-level dialog of the process that holds the control; null when none.
    static HWND FindDialogWith(DWORD processId, int controlId);

    explicit CSheetDriver(HWND sheet);
    ~CSheetDriver();
    CSheetDriver(const CSheetDriver&) = delete;
    CSheetDriver& operator=(const CSheetDriver&) = delete;

    HWND Sheet() const { return m_sheet; }
    // The current page; over a plain dialog (no pages), the dialog itself.
    HWND CurrentPage() const;
    int CurrentIndex() const;
    // Waits until the page at `index` is the current one.
    bool WaitForPage(int index, DWORD timeoutMs = 15000) const;
    HWND Item(int id) const { return GetDlgItem(CurrentPage(), id); }
    std::string ItemText(int id) const;
    // Back, Next, Finish or Cancel (PSBTN_*), posted.
    void Press(int button) const;
    // Whether the sheet's wizard button (IDC_NEXT_BUTTON...) is enabled.
    bool IsButtonEnabled(int id) const { return IsWindowEnabled(GetDlgItem(m_sheet, id)) != FALSE; }
    void Click(int id) const;
    void SetText(int id, const std::string& text) const;

    // Rows of a list view of the current page, and their texts in column 0.
    int RowCount(int listId) const;
    std::string RowText(int listId, int row, int column = 0) const;
    int FindRow(int listId, const std::string& text) const;
    void SetRowChecked(int listId, int row, bool checked) const;
    void SelectRow(int listId, int row) const;

private:
    void SetRowState(int listId, int row, UINT state, UINT mask) const;

    HWND m_sheet;
    HANDLE m_process = nullptr;
    void* m_remote = nullptr;  // a buffer in the sheet's process for list-view requests
};
