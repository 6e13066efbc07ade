#pragma once

#include <wx/icon.h>
#include <wx/string.h>

#include <functional>
#include <string>
#include <vector>

class wxListCtrl;

// What the main window and the dialogs share: the text of our strings in the toolkit, the walk over a
// list's selected rows, and the windows' icon.
namespace WindowHelpers
{
// Paths travel as UTF-8 and texture names as bytes (Latin-1); the toolkit's implicit conversion would
// turn any other text into an empty string under the C locale.
wxString pathToText(const std::string& path);
wxString nameToText(const std::string& name);
// False when the text holds a character that is not one byte of a name.
bool textToName(const wxString& text, std::string& name);

// The first selected row after row (from the first row when row is -1), or -1; a row past the end,
// where a deletion can leave the search, finds none.
long nextSelectedRow(const wxListCtrl* list, long row);
// The selected rows in ascending order, found by searching: the toolkit's own count is not updated
// when a selected row is deleted.
std::vector<long> selectedRows(const wxListCtrl* list);
// Deletes the selected row a deletion takes next after row (from the first row when row is -1) and
// gives its index. A deleted row's follower moves into its index and is passed over by the search,
// which starts after that index; the search then starts from the first row again and finds it. Called
// as many times as rows were selected, it deletes every selected row exactly once.
long deleteNextSelectedRow(wxListCtrl* list, long row);
// Deletes every selected row together with the item at the same index (deleteItem), so that rows and
// items stay in step.
void deleteSelectedRows(wxListCtrl* list, const std::function<void(long)>& deleteItem);

// Every window of the editor takes its icon from here; a name it does not know gives no icon.
wxIcon iconResource(const wxString& name);
} // namespace WindowHelpers
