#include "tests/resident/support/SheetDriver.h"

#include <commctrl.h>

#include <vector>

namespace {

constexpr std::size_t kRemoteSize = 4096;
constexpr std::size_t kTextOffset = 1024;  // the text follows the request in the buffer
constexpr int kMessageTextId = 0xFFFF;     // the message box's text control

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    char text[2048] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

DWORD ProcessOf(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindowOf(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    if (ProcessOf(window) == search.processId)
        search.windows.push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId)
{
    WindowSearch search{processId, {}};
    EnumWindows(CollectWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return condition();
        Sleep(10);
    }
    return true;
}

HWND CSheetDriver::FindSheet(DWORD processId)
{
    for (const HWND window : TopLevelWindowsOf(processId)) {
        if (IsWindowVisible(window) && ClassOf(window) == "#32770" &&
            SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0))
            return window;
    }
    return nullptr;
}

HWND CSheetDriver::FindMessageBox(DWORD processId, const std::string& caption)
{
    for (const HWND window : TopLevelWindowsOf(processId)) {
        if (IsWindowVisible(window) && ClassOf(window) == "#32770" && TextOf(window) == caption &&
            GetDlgItem(window, kMessageTextId))
            return window;
    }
    return nullptr;
}

HWND CSheetDriver::FindDialogWith(DWORD processId, int controlId)
{
    for (const HWND window : TopLevelWindowsOf(processId)) {
        if (IsWindowVisible(window) && GetDlgItem(window, controlId))
            return window;
    }
    return nullptr;
}

std::string CSheetDriver::MessageText(HWND messageBox)
{
    return TextOf(GetDlgItem(messageBox, kMessageTextId));
}

CSheetDriver::CSheetDriver(HWND sheet) : m_sheet(sheet)
{
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(sheet));
    if (m_process)
        m_remote = VirtualAllocEx(m_process, nullptr, kRemoteSize, MEM_COMMIT, PAGE_READWRITE);
}

CSheetDriver::~CSheetDriver()
{
    if (m_remote)
        VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
    if (m_process)
        CloseHandle(m_process);
}

HWND CSheetDriver::CurrentPage() const
{
    const HWND page = reinterpret_cast<HWND>(SendMessageA(m_sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    return page ? page : m_sheet;
}

int CSheetDriver::CurrentIndex() const
{
    return static_cast<int>(SendMessageA(m_sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPage()), 0));
}

bool CSheetDriver::WaitForPage(int index, DWORD timeoutMs) const
{
    return WaitUntil([&] { return IsWindow(m_sheet) && CurrentIndex() == index; }, timeoutMs);
}

std::string CSheetDriver::ItemText(int id) const
{
    return TextOf(Item(id));
}

void CSheetDriver::Press(int button) const
{
    PostMessageA(m_sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
}

void CSheetDriver::Click(int id) const
{
    PostMessageA(Item(id), BM_CLICK, 0, 0);
}

void CSheetDriver::SetText(int id, const std::string& text) const
{
    SendMessageA(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int CSheetDriver::RowCount(int listId) const
{
    return static_cast<int>(SendMessageA(Item(listId), LVM_GETITEMCOUNT, 0, 0));
}

std::string CSheetDriver::RowText(int listId, int row, int column) const
{
    if (!m_remote)
        return {};
    char* remoteText = static_cast<char*>(m_remote) + kTextOffset;
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = remoteText;
    item.cchTextMax = static_cast<int>(kRemoteSize - kTextOffset);
    const char empty = '\0';
    WriteProcessMemory(m_process, remoteText, &empty, 1, nullptr);
    WriteProcessMemory(m_process, m_remote, &item, sizeof item, nullptr);
    SendMessageA(Item(listId), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(m_remote));
    char text[1024] = {};
    ReadProcessMemory(m_process, remoteText, text, sizeof text - 1, nullptr);
    return text;
}

int CSheetDriver::FindRow(int listId, const std::string& text) const
{
    for (int row = 0, rows = RowCount(listId); row < rows; ++row)
        if (RowText(listId, row) == text)
            return row;
    return -1;
}

void CSheetDriver::SetRowChecked(int listId, int row, bool checked) const
{
    SetRowState(listId, row, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

void CSheetDriver::SelectRow(int listId, int row) const
{
    SetRowState(listId, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CSheetDriver::SetRowState(int listId, int row, UINT state, UINT mask) const
{
    if (!m_remote)
        return;
    LVITEMA item{};
    item.state = state;
    item.stateMask = mask;
    WriteProcessMemory(m_process, m_remote, &item, sizeof item, nullptr);
    SendMessageA(Item(listId), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(m_remote));
}
