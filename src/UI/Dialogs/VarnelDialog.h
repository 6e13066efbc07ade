#pragma once

#include <wx/dialog.h>
#include <wx/icon.h>

// The base of the editor's dialogs. Each is built in two steps (a default constructor for the toolkit's
// dynamic creation, then Create), keeps its command events to itself, and once its controls are made
// takes the editor's icon, fits itself to its controls and centres itself over its parent.
class VarnelDialog : public wxDialog
{
public:
    static wxIcon GetIconResource(const wxString& name);

protected:
    VarnelDialog() = default;

    bool createDialog(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                      const wxSize& size, long style);
    virtual void CreateControls() = 0;

private:
    wxDECLARE_ABSTRACT_CLASS(VarnelDialog);
};
