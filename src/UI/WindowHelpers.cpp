#include "UI/WindowHelpers.h"

#include <wx/listctrl.h>

wxString WindowHelpers::pathToText(const std::string& path)
{
    return wxString::FromUTF8(path.c_str(), path.size());
}

wxString WindowHelpers::nameToText(const std::string& name)
{
    return wxString(name.c_str(), wxConvISO8859_1, name.size());
}

bool WindowHelpers::textToName(const wxString& text, std::string& name)
{
    const wxCharBuffer bytes = text.mb_str(wxConvISO8859_1);
    if (bytes.length() != text.length())
        return false;
    name.assign(bytes.data(), bytes.length());
    return true;
}

long WindowHelpers::nextSelectedRow(const wxListCtrl* list, long row)
{
    if (row >= list->GetItemCount())
        return -1;
    return list->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
}

std::vector<long> WindowHelpers::selectedRows(const wxListCtrl* list)
{
    std::vector<long> rows;
    for (long row = nextSelectedRow(list, -1); row >= 0; row = nextSelectedRow(list, row))
        rows.push_back(row);
    return rows;
}

long WindowHelpers::deleteNextSelectedRow(wxListCtrl* list, long row)
{
    long next = nextSelectedRow(list, row);
    if (next < 0)
        next = nextSelectedRow(list, -1);
    list->DeleteItem(next);
    return next;
}

void WindowHelpers::deleteSelectedRows(wxListCtrl* list, const std::function<void(long)>& deleteItem)
{
    long row = -1;
    for (size_t left = selectedRows(list).size(); left > 0; --left) {
        row = deleteNextSelectedRow(list, row);
        deleteItem(row);
    }
}

wxIcon WindowHelpers::iconResource(const wxString& name)
{
    if (name == "Resources/icons/varnel_small.ico")
        return wxIcon(name, wxBITMAP_TYPE_ICO);
    return wxNullIcon;
}
