#include "logplugin/LoggerApp.h"

#include <cstring>

#include "common/PathText.h"
#include "common/PathUtil.h"
#include "framework/File.h"
#include "framework/ModuleInstance.h"
#include "logplugin/ALogExAPI.h"
#include "logplugin/PluginInfo.h"
#include "logplugin/resource.h"

namespace {

constexpr int kSettingFolderBytes = 512;

std::string LoadText(UINT id)
{
    char buffer[512] = {};
    LoadStringA(fw::ThisModule(), id, buffer, sizeof buffer);
    return buffer;
}

// A text of the table with its "%s" replaced by `name` (the table's texts are no format).
std::string LoadTextWith(UINT id, const std::string& name)
{
    std::string text = LoadText(id);
    if (const std::size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, name);
    return text;
}

// The event code of one of this plug-in's records; 0 for any other record.
int EventCodeOf(const tagALOGEX_DATA* record)
{
    if (!record || !IsEqualGUID(record->source, kPluginGuid) || record->size != sizeof(int) || !record->data)
        return 0;
    int code = 0;
    std::memcpy(&code, record->data, sizeof code);
    return code;
}

std::string FilterPath(const std::string& folder)
{
    return PathText::AppendBackslash(folder) + CLoggerFilter::kFileName;
}

constexpr UINT kListTexts[] = {IDS_LIST_LOCK, IDS_LIST_UNLOCK, IDS_LIST_CHANGE_SETTING, IDS_LIST_ALARM};
constexpr UINT kEventNames[] = {IDS_EVENT_LOCK, IDS_EVENT_UNLOCK, IDS_EVENT_CHANGE_SETTING, IDS_EVENT_ALARM};

} // namespace

CLoggerApp::~CLoggerApp()
{
    LoggingStop();
    OnDestroyOptionPage();
    UnregisterClassA(CLoggerWnd::kClassName, fw::ThisModule());
}

std::optional<std::string> CLoggerApp::FilterFolder()
{
    char buffer[kSettingFolderBytes] = {};
    ALogEx_GetALogSettingDirectoryPath(buffer, sizeof buffer);
    // An answer that fills the buffer without its terminator is cut off: no folder either.
    const std::size_t length = strnlen(buffer, sizeof buffer);
    if (length == 0 || length == sizeof buffer)
        return std::nullopt;
    return PathText::AppendBackslash(std::string(buffer, length)) + LoadText(IDS_FOLDER_NAME);
}

int CLoggerApp::OnInit(BOOL wipe)
{
    if (wipe)
        Uninstall();
    if (!FilterFolder())
        return -1;  // no settings folder of the host: the plug-in cannot start
    const std::string folder = CPathUtil::GetModuleFolder(fw::ThisModule());
    if (folder.empty() || !m_api.Load(PathText::AppendBackslash(folder) + "ArdenvaleAPI.dll"))
        return -1;
    try {
        ReadFilter();
    } catch (...) {
        // missing or unreadable: the flags stay as they are
    }
    return 0;
}

void CLoggerApp::ReadFilter()
{
    const std::optional<std::string> folder = FilterFolder();
    if (!folder)
        return;
    fw::CFile file(FilterPath(*folder), fw::CFile::modeRead | fw::CFile::shareDenyWrite);
    std::string text(static_cast<std::size_t>(file.GetLength()), '\0');
    text.resize(file.Read(text.data(), text.size()));
    file.Close();
    m_filter.Parse(text);
}

void CLoggerApp::WriteFilter()
{
    m_filterSaved = false;
    const std::optional<std::string> folder = FilterFolder();
    if (!folder)
        throw fw::CFileException(fw::CFileException::badPath, ERROR_PATH_NOT_FOUND, CLoggerFilter::kFileName);
    CPathUtil::CreateFolderChain(*folder, nullptr);
    const std::string text = m_filter.Serialize();
    fw::CFile file(FilterPath(*folder), fw::CFile::modeCreate | fw::CFile::modeWrite | fw::CFile::shareDenyWrite);
    file.Write(text.data(), text.size());
    file.Close();
    m_filterSaved = true;
}

bool CLoggerApp::SaveFilterTelling(HWND owner)
{
    try {
        WriteFilter();
        return true;
    } catch (...) {
        MessageBoxA(owner, LoadText(IDS_SAVE_FAILED).c_str(), LoadText(IDS_NAME).c_str(), MB_ICONERROR);
        return false;
    }
}

int CLoggerApp::LoggingStart()
{
    const SArdenvaleFunctions* api = m_api.Functions();
    if (!api)
        return -1;
    if (m_window)
        return 0;  // already logging: one window, one registration
    auto window = std::make_unique<CLoggerWnd>(*api, m_filter);
    if (!window->Create())
        return -1;
    if (!api->RegGetEvent(window->GetHwnd(), CLoggerWnd::UM_LOCK_EVENT))
        return -1;
    m_window = std::move(window);
    return 0;
}

int CLoggerApp::LoggingStop()
{
    if (!m_window)
        return 0;
    m_window.reset();  // destroys the window
    m_api.Functions()->UnRegGetEvent();
    return 0;
}

int CLoggerApp::GetListViewDrawData(const tagALOGEX_DATA* record, const int* column, char* buffer, int size) const
{
    const int code = EventCodeOf(record);
    if (code == 0 || !column || !buffer || size <= 0)
        return 0;
    if (*column != 0) {
        std::memset(buffer, 0, static_cast<std::size_t>(size));
        return 0;
    }
    if (code < 1 || code > 4)
        return 0;
    const std::string text = LoadText(kListTexts[code - 1]);
    if (text.empty())
        return 0;
    std::strncpy(buffer, text.c_str(), static_cast<std::size_t>(size));  // unterminated when it fills the buffer
    return static_cast<int>(text.size());
}

// The host may destroy its options window, and the page with it, without telling the
// plug-in: such a page is forgotten, never read.
void CLoggerApp::ForgetDestroyedPage()
{
    if (m_page && !m_page->GetSafeHwnd())
        m_page.reset();
}

HWND CLoggerApp::OnCreateOptionPage(HWND parent)
{
    ForgetDestroyedPage();
    if (m_page)
        return nullptr;
    auto page = std::make_unique<CLoggerOptionPage>(m_filter, parent);
    if (!page->Create())
        return nullptr;
    ShowWindow(page->GetSafeHwnd(), SW_SHOW);
    m_page = std::move(page);
    return m_page->GetSafeHwnd();
}

void CLoggerApp::OnDestroyOptionPage()
{
    m_page.reset();  // destroys the page
}

BOOL CLoggerApp::OnApplayOptionPage()
{
    ForgetDestroyedPage();
    if (!m_page)
        return TRUE;
    const CLoggerFilter chosen = m_page->TakeFilter();
    if (chosen == m_filter && m_filterSaved)
        return TRUE;
    m_filter = chosen;  // in effect for the next event, saved or not
    return SaveFilterTelling(m_page->GetSafeHwnd()) ? TRUE : FALSE;
}

void CLoggerApp::AddExclusion(const tagALOGEX_DATA* record, HWND owner)
{
    const int code = EventCodeOf(record);
    int* flag = m_filter.FlagOf(code);
    if (!flag)
        return;
    try {
        const std::string caption = LoadText(IDS_NAME);
        const std::string name = LoadText(kEventNames[code - 1]);
        if (*flag == 0) {
            MessageBoxA(owner, LoadTextWith(IDS_ALREADY_EXCLUDED, name).c_str(), caption.c_str(), MB_ICONERROR);
            return;
        }
        if (MessageBoxA(owner, LoadTextWith(IDS_ASK_EXCLUDE, name).c_str(), caption.c_str(),
                        MB_ICONQUESTION | MB_YESNO) != IDYES)
            return;
        *flag = 0;
        SaveFilterTelling(owner);
    } catch (...) {
    }
}

void CLoggerApp::Uninstall()
{
    const std::optional<std::string> folder = FilterFolder();
    if (!folder)
        return;
    try {
        CPathUtil::DeleteFileInFolder(*folder, CLoggerFilter::kFileName);
    } catch (const fw::CFileException&) {
    }
    RemoveDirectoryA(folder->c_str());
}
