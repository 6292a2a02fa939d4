#pragma once
// Reading and selecting the rows of another program's list view. The list
// view's messages carry pointers, so the request goes through a block of
// memory in the target process (VirtualAllocEx), as a screen reader does.

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// The texts of every row, column by column (columns cells per row); empty
// when there is no such child or the target cannot be read.
std::vector<std::vector<std::wstring>> ListViewRows(HWND dialog, int id, int columns);

// Selects exactly the rows given (by index) and makes the first one the
// focused row. False when the target cannot be reached.
bool SelectListViewRows(HWND dialog, int id, const std::vector<int>& rows);

// Clicks the header of column `column` (posted mouse messages at its
// centre); returns at once. False when the target cannot be reached.
bool ClickListViewColumn(HWND dialog, int id, int column);

}  // namespace driver
