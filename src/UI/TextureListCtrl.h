#pragma once

#include <wx/listctrl.h>

#include <array>
#include <vector>

// The texture list: a report view whose rows show texts held here. The toolkit's list measures every
// cell's text when a row is inserted, so rebuilding an archive's rows one by one took many times
// longer than loading the archive; here a rebuild only replaces the texts and the row count, and the
// control asks for the texts of the rows it draws.
class TextureListCtrl : public wxListCtrl
{
public:
    static const int COLUMN_COUNT = 3;
    typedef std::array<wxString, COLUMN_COUNT> RowTexts;

    // The style is a report view's; the control adds what keeps its rows here.
    TextureListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style);

    TextureListCtrl(const TextureListCtrl&) = delete;
    TextureListCtrl& operator=(const TextureListCtrl&) = delete;

    // Replaces every row (the selection and the current row go with them) and shows the first.
    void setRows(std::vector<RowTexts> rows);

protected:
    wxString OnGetItemText(long item, long column) const override;
    // The rows have no icon, though the list shares the file list's images.
    int OnGetItemImage(long item) const override;

private:
    // A range of rows selected with the mouse or the keyboard is reported for none of its rows; the
    // row that took the focus is then reported as selected, as a single selected row is, so that the
    // preview shows the row the user went to.
    void onItemFocused(wxListEvent& event);

    std::vector<RowTexts> m_rows;
};
