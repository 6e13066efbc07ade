#include "TextureListCtrl.h"

TextureListCtrl::TextureListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                 long style)
    : wxListCtrl(parent, id, pos, size, style | wxLC_VIRTUAL)
{
}

void TextureListCtrl::setRows(std::vector<RowTexts> rows)
{
    DeleteAllItems();
    m_rows = std::move(rows);
    SetItemCount(static_cast<long>(m_rows.size()));
    Refresh();
}

// A row deleted by a command leaves the texts one row behind until the command's rebuild; no row past
// the texts is ever read.
wxString TextureListCtrl::OnGetItemText(long item, long column) const
{
    if (item < 0 || static_cast<size_t>(item) >= m_rows.size() || column < 0 || column >= COLUMN_COUNT)
        return wxString();
    return m_rows[static_cast<size_t>(item)][static_cast<size_t>(column)];
}

int TextureListCtrl::OnGetItemImage(long) const
{
    return -1;
}
