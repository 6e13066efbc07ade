#include "UI/Dialogs/VarnelDialog.h"

#include "UI/WindowHelpers.h"

#include <wx/sizer.h>

wxIMPLEMENT_ABSTRACT_CLASS(VarnelDialog, wxDialog);

wxIcon VarnelDialog::GetIconResource(const wxString& name)
{
    return WindowHelpers::iconResource(name);
}

bool VarnelDialog::createDialog(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                                const wxSize& size, long style)
{
    SetExtraStyle(wxWS_EX_BLOCK_EVENTS);
    wxDialog::Create(parent, id, caption, pos, size, style, "dialog");
    CreateControls();
    SetIcon(GetIconResource("Resources/icons/varnel_small.ico"));
    // The dialog takes the size its controls need, not the size it was asked for.
    if (GetSizer() != nullptr)
        GetSizer()->SetSizeHints(this);
    Centre(wxBOTH);
    return true;
}
