#include "UI/TextureListCtrl.h"

TextureListCtrl::TextureListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                 long style)
    : wxListCtrl(parent, id, pos, size, style | wxLC_VIRTUAL)
{
    Bind(wxEVT_LIST_ITEM_FOCUSED, &TextureListCtrl::onItemFocused, this);
}

// Emptying the list first would hide its scroll bar and show it again, and the headings would be
// painted again with the rows though they did not change. The selection and the current row are
// cleared and the view goes back to the first row instead, as emptying did; the new count alone has
// the rows repainted.
void TextureListCtrl::setRows(std::vector<RowTexts> rows)
{
    SetItemState(-1, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    m_rows = std::move(rows);
    SetItemCount(static_cast<long>(m_rows.size()));
    Scroll(-1, 0);
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

// The list takes the focus before it selects the range, so the row is looked at once the click is done.
void TextureListCtrl::onItemFocused(wxListEvent& event)
{
    event.Skip();
    const long row = event.GetIndex();
    CallAfter([this, row] {
        if (row < 0 || row >= GetItemCount() || GetItemState(row, wxLIST_STATE_SELECTED) == 0 ||
            GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED) != row)
            return;
        wxListEvent selected(wxEVT_LIST_ITEM_SELECTED, GetId());
        selected.SetEventObject(this);
        selected.m_itemIndex = row;
        selected.m_item.SetId(row);
        GetEventHandler()->ProcessEvent(selected);
    });
}
