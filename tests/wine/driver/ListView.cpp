#include "tests/wine/driver/ListView.h"

// commctrl.h needs windows.h before it.
#include <commctrl.h>

#include "framework/win/Handles.h"
#include "tests/wine/driver/WindowQuery.h"

namespace driver {

namespace {

constexpr int kTextChars = 512;

// A block of memory in the process that owns a window, freed at the end.
class RemoteBlock {
public:
    RemoteBlock(HWND window, SIZE_T bytes) : m_bytes(bytes) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        m_process.Reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
        if (m_process)
            m_address = ::VirtualAllocEx(m_process.Get(), nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBlock() {
        if (m_address) ::VirtualFreeEx(m_process.Get(), m_address, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    explicit operator bool() const { return m_address != nullptr; }
    char* At(SIZE_T offset) const { return static_cast<char*>(m_address) + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T bytes) const {
        SIZE_T done = 0;
        return offset + bytes <= m_bytes && ::WriteProcessMemory(m_process.Get(), At(offset), data, bytes, &done) &&
               done == bytes;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T bytes) const {
        SIZE_T done = 0;
        return offset + bytes <= m_bytes && ::ReadProcessMemory(m_process.Get(), At(offset), data, bytes, &done) &&
               done == bytes;
    }

private:
    win::Handle m_process;
    void* m_address = nullptr;
    SIZE_T m_bytes;
};

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer)) return -1;
    return static_cast<LRESULT>(answer);
}

}  // namespace

std::vector<std::vector<std::wstring>> ListViewRows(HWND dialog, int id, int columns) {
    std::vector<std::vector<std::wstring>> rows;
    HWND list = ::GetDlgItem(dialog, id);
    if (!list) return rows;
    const LRESULT count = Ask(list, LVM_GETITEMCOUNT, 0, 0);
    RemoteBlock block(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (count <= 0 || !block) return rows;
    for (int row = 0; row < count; ++row) {
        std::vector<std::wstring> cells;
        for (int column = 0; column < columns; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.cchTextMax = kTextChars;
            item.pszText = reinterpret_cast<wchar_t*>(block.At(sizeof(LVITEMW)));
            wchar_t text[kTextChars] = {};
            if (!block.Write(0, &item, sizeof(item))) return {};
            const LRESULT length =
                Ask(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.At(0)));
            if (length < 0 || !block.Read(sizeof(LVITEMW), text, sizeof(text))) return {};
            text[kTextChars - 1] = L'\0';
            cells.emplace_back(text);
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

bool SelectListViewRows(HWND dialog, int id, const std::vector<int>& rows) {
    HWND list = ::GetDlgItem(dialog, id);
    RemoteBlock block(list, sizeof(LVITEMW));
    if (!list || !block) return false;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    if (!block.Write(0, &state, sizeof(state)) ||
        Ask(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(block.At(0))) < 0)
        return false;
    bool first = true;
    for (int row : rows) {
        state.state = LVIS_SELECTED | (first ? LVIS_FOCUSED : 0);
        first = false;
        if (!block.Write(0, &state, sizeof(state)) ||
            Ask(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.At(0))) < 0)
            return false;
    }
    return true;
}

bool ClickListViewColumn(HWND dialog, int id, int column) {
    HWND list = ::GetDlgItem(dialog, id);
    if (!list) return false;
    const LRESULT header = Ask(list, LVM_GETHEADER, 0, 0);
    HWND headerWindow = reinterpret_cast<HWND>(header);
    RemoteBlock block(list, sizeof(RECT));
    if (header <= 0 || !block) return false;
    // The system does not carry WM_NOTIFY between processes: click the
    // header item itself, which notifies the list as a mouse click does.
    RECT item{};
    if (Ask(headerWindow, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(block.At(0))) <= 0 ||
        !block.Read(0, &item, sizeof(item)))
        return false;
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    return ::PostMessageW(headerWindow, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
           ::PostMessageW(headerWindow, WM_LBUTTONUP, 0, at);
}

}  // namespace driver
