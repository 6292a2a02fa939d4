#pragma once
// ViewDlg: the recordings browser "Telvane recordings" (template 138),
// modeless, one at a time. It lists the recordings folder's video files
// and plays, renames, deletes and converts them. The list's rules are
// RecordingList's, the converter's ConvertRequest's.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/RecordingList.h"
#include "framework/ui/Dialog.h"

// What the browser needs of the recorder.
struct BrowserContext {
    // The file being recorded; empty when no recording runs.
    std::function<std::wstring()> recordingPath;
    // Stops the clone preview; Play calls it while the capture window is up.
    std::function<void()> stopPreview;
    // The list's colours: the skin's status colours.
    COLORREF background = RGB(1, 161, 208);
    COLORREF text = RGB(255, 255, 255);
};

class ViewDlg : public CDialog {
public:
    explicit ViewDlg(BrowserContext context);

    BOOL OnInitDialog() override;
    void OnCancel() override { DestroyWindow(); }

protected:
    void OnPlay();
    void OnOpenFolder();
    void OnConvert();
    void OnRename();
    void OnDelete();
    void OnColumnClick(NMHDR* header, LRESULT* result);
    void OnDoubleClick(NMHDR* header, LRESULT* result);
    void OnRightClick(NMHDR* header, LRESULT* result);
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    void FillList();
    void SortBy(RecordingColumn column);
    // The list's selected rows, in list order.
    std::vector<int> SelectedRows() const;
    const RecordingItem* ItemAt(int row) const;
    std::wstring PathOf(const std::wstring& name) const;
    bool WriteConvertList(const std::vector<int>& rows) const;
    // Says "No items selected" when rows is empty.
    bool HasSelection(const std::vector<int>& rows) const;

    BrowserContext m_context;
    HWND m_list = nullptr;
    // The rows' records; each row's LPARAM points at one.
    std::vector<std::unique_ptr<RecordingItem>> m_items;
};

// Brings the browser to the front when it is open, otherwise opens it.
void OpenRecordingsBrowser(const BrowserContext& context);

// The open browser's window, or null.
HWND RecordingsBrowserWindow();
