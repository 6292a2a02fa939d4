#include "browser/ViewDlg.h"

// shellapi.h, shlobj.h and commctrl.h need windows.h before them.
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <utility>

#include "app/services/ShowMessage.h"
#include "browser/ChangeDlg.h"
#include "browser/ConvertRequest.h"
#include "browser/ViewDlgIds.h"
#include "framework/win/Handles.h"
#include "settings/Settings.h"
#include "settings/SettingsText.h"

namespace {

ViewDlg* g_browser = nullptr;

struct Column {
    const wchar_t* title;
    int width;
};
constexpr Column kColumns[] = {{L"File Name", 140}, {L"Type", 50}, {L"Size (MB)", 70}, {L"Modified", 100}};

constexpr wchar_t kMediaPlayer[] = L"C:\\Program Files\\Windows Media Player\\wmplayer";
constexpr wchar_t kConverterKey[] = L"SOFTWARE\\Zorv Converter Pro";

// How the raising thread looks for the converter's window.
constexpr int kRaiseTries = 20;
constexpr DWORD kRaiseIntervalMs = 1000;

std::wstring RecordingsFolder() { return std::wstring(TextOf(Settings.RecordingFolder)); }

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    const std::size_t slash = folder.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
}

// The sibling recorder's folder under the user's application data, which
// holds the converter's list file; created when missing.
std::wstring ZorvRecorderFolder() {
    std::wstring appData(TextOf(AppDataFolder));
    if (appData.empty()) {
        wchar_t path[MAX_PATH] = {};
        if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
        appData = path;
    }
    const std::wstring folder = appData + L"\\Zorv Recorder";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring ConverterDirectoryValue() {
    wchar_t value[1000] = {};
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, kConverterKey, L"Directory", RRF_RT_REG_SZ, nullptr, value, &bytes) !=
        ERROR_SUCCESS)
        return {};
    return value;
}

// The file's short (8.3) path in the system code page; the long path when
// the volume keeps no short names.
std::string ShortNarrowPath(const std::wstring& path) {
    std::wstring shortPath(MAX_PATH, L'\0');
    DWORD length = ::GetShortPathNameW(path.c_str(), shortPath.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        shortPath = path;
    else
        shortPath.resize(length);
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, shortPath.c_str(), static_cast<int>(shortPath.size()), nullptr,
                                            0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
    if (bytes > 0)
        ::WideCharToMultiByte(CP_ACP, 0, shortPath.c_str(), static_cast<int>(shortPath.size()), narrow.data(), bytes,
                              nullptr, nullptr);
    return narrow;
}

// Looks for the converter's window once a second and brings it up, above
// the other windows that are not topmost.
void RaiseConverterWindow() {
    for (int i = 0; i < kRaiseTries; ++i) {
        if (HWND converter = ::FindWindowW(nullptr, L"ZVC")) {
            ::ShowWindow(converter, SW_RESTORE);
            ::SetWindowPos(converter, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            return;
        }
        ::Sleep(kRaiseIntervalMs);
    }
}

// A new name stays a name in the recordings folder: no separators, no
// drive, no "." or "..".
bool IsPlainName(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    return name.find_first_of(L"\\/:") == std::wstring::npos;
}

std::wstring FileTimeText(std::int64_t localTime) {
    FILETIME time{static_cast<DWORD>(localTime & 0xFFFFFFFF), static_cast<DWORD>(localTime >> 32)};
    SYSTEMTIME parts{};
    if (!::FileTimeToSystemTime(&time, &parts)) return RecordingModifiedText(0, 0, 0, 0);
    return RecordingModifiedText(parts.wMonth, parts.wDay, parts.wHour, parts.wMinute);
}

void SetCellText(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
}

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM column) {
    return CompareRecordings(*reinterpret_cast<const RecordingItem*>(a), *reinterpret_cast<const RecordingItem*>(b),
                             static_cast<RecordingColumn>(column));
}

}  // namespace

BEGIN_MESSAGE_MAP(ViewDlg, CDialog)
ON_COMMAND(ID_VIEW_PLAY, OnPlay)
ON_COMMAND(ID_VIEW_OPEN_FOLDER, OnOpenFolder)
ON_COMMAND(ID_VIEW_CONVERT, OnConvert)
ON_COMMAND(ID_VIEW_RENAME, OnRename)
ON_COMMAND(ID_VIEW_DELETE, OnDelete)
ON_NOTIFY(LVN_COLUMNCLICK, IDC_VIEW_LIST, OnColumnClick)
ON_NOTIFY(NM_DBLCLK, IDC_VIEW_LIST, OnDoubleClick)
ON_NOTIFY(NM_RCLICK, IDC_VIEW_LIST, OnRightClick)
END_MESSAGE_MAP()

ViewDlg::ViewDlg(BrowserContext context) : CDialog(IDD_VIEW), m_context(std::move(context)) {}

BOOL ViewDlg::OnInitDialog() {
    m_list = GetDlgItem(IDC_VIEW_LIST);
    ZorvRecorderFolder();
    FillList();
    return TRUE;
}

void ViewDlg::PostNcDestroy() {
    if (g_browser == this) g_browser = nullptr;
    delete this;
}

void ViewDlg::FillList() {
    win::ScopedCursor wait(::LoadCursorW(nullptr, IDC_WAIT));
    ListView_DeleteAllItems(m_list);
    m_items.clear();
    while (ListView_DeleteColumn(m_list, 0)) {
    }
    ListView_SetBkColor(m_list, m_context.background);
    ListView_SetTextBkColor(m_list, m_context.background);
    ListView_SetTextColor(m_list, m_context.text);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(kColumns[i].title);
        column.cx = kColumns[i].width;
        column.iSubItem = i;
        ::SendMessageW(m_list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    ListView_SetExtendedListViewStyle(m_list,
                                      LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_FLATSB);

    const std::wstring folder = RecordingsFolder();
    SetDlgItemText(IDC_VIEW_STATUS, L"Saved recordings folder (" + folder + L")");
    WIN32_FIND_DATAW entry{};
    win::FindHandle find(::FindFirstFileW((folder + L"\\*.*").c_str(), &entry));
    if (!find) {
        ShowMessage(L"Cannot find recording directory " + folder);
        return;
    }
    do {
        if (!IsListedRecording(entry.cFileName, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) continue;
        auto item = std::make_unique<RecordingItem>();
        item->name = entry.cFileName;
        item->type = RecordingType(item->name);
        win::Handle file(::CreateFileW(PathOf(item->name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
        if (file) {
            LARGE_INTEGER size{};
            FILETIME written{}, local{};
            if (::GetFileSizeEx(file.Get(), &size)) item->size = static_cast<std::uint64_t>(size.QuadPart);
            if (::GetFileTime(file.Get(), nullptr, nullptr, &written) && ::FileTimeToLocalFileTime(&written, &local))
                item->modified = static_cast<std::int64_t>((static_cast<std::uint64_t>(local.dwHighDateTime) << 32) |
                                                           local.dwLowDateTime);
        }
        LVITEMW row{};
        row.mask = LVIF_TEXT | LVIF_PARAM;
        row.iItem = ListView_GetItemCount(m_list);
        row.pszText = const_cast<wchar_t*>(item->name.c_str());
        row.lParam = reinterpret_cast<LPARAM>(item.get());
        const int index = static_cast<int>(::SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
        if (index < 0) continue;
        SetCellText(m_list, index, static_cast<int>(RecordingColumn::Type), item->type);
        SetCellText(m_list, index, static_cast<int>(RecordingColumn::Size), RecordingSizeText(item->size));
        SetCellText(m_list, index, static_cast<int>(RecordingColumn::Modified), FileTimeText(item->modified));
        m_items.push_back(std::move(item));
    } while (::FindNextFileW(find.Get(), &entry));
    SortBy(RecordingColumn::Modified);
}

void ViewDlg::SortBy(RecordingColumn column) { ListView_SortItems(m_list, CompareRows, static_cast<LPARAM>(column)); }

std::vector<int> ViewDlg::SelectedRows() const {
    std::vector<int> rows;
    for (int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(m_list, row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

const RecordingItem* ViewDlg::ItemAt(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!ListView_GetItem(m_list, &item)) return nullptr;
    return reinterpret_cast<const RecordingItem*>(item.lParam);
}

std::wstring ViewDlg::PathOf(const std::wstring& name) const { return RecordingsFolder() + L"\\" + name; }

bool ViewDlg::HasSelection(const std::vector<int>& rows) const {
    if (!rows.empty()) return true;
    ShowMessage(L"No items selected");
    return false;
}

void ViewDlg::OnPlay() {
    const std::vector<int> rows = SelectedRows();
    if (!HasSelection(rows)) return;
    const RecordingItem* item = ItemAt(rows.front());
    if (!item) return;
    const std::wstring quoted = L"\"" + PathOf(item->name) + L"\"";
    const std::function<void()> stopPreview = m_context.stopPreview;
    DestroyWindow();  // deletes this: only locals from here on

    if (Settings.SetTopWindow && stopPreview) stopPreview();
    const auto opened =
        reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", quoted.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (opened > 32) return;
    const auto played = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", kMediaPlayer, quoted.c_str(), nullptr, SW_SHOWNORMAL));
    if (played <= 32) ShowMessage(L"Cannot playback file. Media player not found.");
}

void ViewDlg::OnOpenFolder() {
    ::ShellExecuteW(nullptr, L"open", RecordingsFolder().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void ViewDlg::OnRename() {
    const std::vector<int> rows = SelectedRows();
    if (!HasSelection(rows)) return;
    const int row = rows.front();
    auto* item = const_cast<RecordingItem*>(ItemAt(row));
    if (!item) return;
    ChangeDlg change(item->name, this);
    if (change.DoModal() != IDOK) return;
    const std::wstring name = change.Name();
    if (!IsPlainName(name) || !::MoveFileW(PathOf(item->name).c_str(), PathOf(name).c_str())) {
        ShowMessage(L"Could not rename file");
        return;
    }
    item->name = name;
    SetCellText(m_list, row, static_cast<int>(RecordingColumn::Name), name);
}

void ViewDlg::OnDelete() {
    const std::vector<int> rows = SelectedRows();
    if (!HasSelection(rows)) return;
    wchar_t question[64];
    std::swprintf(question, 64, L"Permanently delete %d file(s) ?", static_cast<int>(rows.size()));
    if (ShowMessage(question, MB_YESNO) != IDYES) return;
    for (int row : rows)
        if (const RecordingItem* item = ItemAt(row)) ::DeleteFileW(PathOf(item->name).c_str());
    FillList();
}

bool ViewDlg::WriteConvertList(const std::vector<int>& rows) const {
    const std::wstring folder = ZorvRecorderFolder();
    if (folder.empty()) return false;
    const std::wstring listPath = folder + L"\\Convert.txt";
    {
        win::Handle created(::CreateFileW(listPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!created) return false;
    }
    std::vector<std::string> paths;
    for (int row : rows)
        if (const RecordingItem* item = ItemAt(row)) paths.push_back(ShortNarrowPath(PathOf(item->name)));
    const std::string text = ConvertListText(paths);
    win::Handle list(::CreateFileW(listPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!list) return false;
    DWORD written = 0;
    return ::WriteFile(list.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

void ViewDlg::OnConvert() {
    const std::wstring converterFolder = ConverterFolder(ConverterDirectoryValue(), ProgramFolder());
    if (::FindWindowW(nullptr, L"ZorvConvert")) {
        ShowMessage(L"Zorv Converter is currently working. Files can only be added when all conversions are finished.");
        return;
    }
    if (!IsConverterFolder(converterFolder)) {
        ShowMessage(L"Cannot find Zorv Converter folder (reported folder: " + converterFolder + L")");
        return;
    }
    const std::vector<int> rows = SelectedRows();
    std::vector<std::wstring> names;
    for (int row : rows)
        if (const RecordingItem* item = ItemAt(row)) names.push_back(item->name);
    if (SelectionBeingRecorded(names, m_context.recordingPath ? m_context.recordingPath() : std::wstring())) {
        ShowMessage(L"Recording must be finished.");
        return;
    }
    if (!HasSelection(rows)) return;
    // A list that cannot be written leaves the converter to what it has.
    WriteConvertList(rows);

    HWND converter = ::FindWindowW(nullptr, L"ZVC");
    if (!converter) converter = ::FindWindowW(nullptr, L"Zorv Converter Pro");
    if (converter) {
        static const UINT filesToConvert = ::RegisterWindowMessageW(L"files to convert");
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(converter, filesToConvert, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    } else {
        const ConverterCommand command = ConverterCommandLine(converterFolder, RecordingsFolder());
        const auto started = reinterpret_cast<INT_PTR>(::ShellExecuteW(
            nullptr, L"open", command.program.c_str(), command.arguments.c_str(), nullptr, SW_SHOWNORMAL));
        if (started <= 32) ShowMessage(L"File Zorv Converter.exe could not be found or open.");
    }
    std::thread(RaiseConverterWindow).detach();
    DestroyWindow();
}

void ViewDlg::OnColumnClick(NMHDR* header, LRESULT* result) {
    const auto* click = reinterpret_cast<const NMLISTVIEW*>(header);
    if (click->iSubItem >= 0 && click->iSubItem < static_cast<int>(std::size(kColumns)))
        SortBy(static_cast<RecordingColumn>(click->iSubItem));
    *result = 0;
}

void ViewDlg::OnDoubleClick(NMHDR*, LRESULT* result) {
    *result = 0;
    if (!SelectedRows().empty()) OnPlay();
}

void ViewDlg::OnRightClick(NMHDR*, LRESULT* result) {
    *result = 0;
    win::Menu menu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_VIEW_MENU)));
    if (!menu) return;
    POINT at{};
    ::GetCursorPos(&at);
    ::TrackPopupMenu(::GetSubMenu(menu.Get(), 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr);
}

void OpenRecordingsBrowser(const BrowserContext& context) {
    if (g_browser) {
        ::SetForegroundWindow(g_browser->m_hWnd);
        return;
    }
    auto* browser = new ViewDlg(context);
    if (!browser->Create(IDD_VIEW)) {
        delete browser;
        return;
    }
    g_browser = browser;
    browser->ShowWindow(SW_SHOW);
}

HWND RecordingsBrowserWindow() { return g_browser ? g_browser->m_hWnd : nullptr; }
