#include "UI/Dialogs/AboutWindow.h"

#include "UI/WindowIds.h"

#include <wx/button.h>
#include <wx/hyperlink.h>
#include <wx/image.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>

namespace
{
const char* const RIBBON_PATH = "Resources/GUI/varnel_ribbon.png";
// The toolkit's own link style (0x200009: a context menu, no border, the label centred). A link opens its
// address in the browser from its own click and context menu; the dialog handles none.
const long LINK_STYLE = wxHL_DEFAULT_STYLE;
} // namespace

wxIMPLEMENT_DYNAMIC_CLASS(AboutWindow, VarnelDialog);

wxBEGIN_EVENT_TABLE(AboutWindow, VarnelDialog)
    EVT_BUTTON(ID_ABOUT_OK_BUTTON, AboutWindow::OnOkClick)
wxEND_EVENT_TABLE()

AboutWindow::AboutWindow()
{
    Init();
}

AboutWindow::AboutWindow(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                         const wxSize& size, long style)
{
    Init();
    Create(parent, id, caption, pos, size, style);
}

void AboutWindow::Init()
{
    m_draveLink = nullptr;
    m_forumsLink = nullptr;
    m_pobbleLink = nullptr;
}

bool AboutWindow::Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                         const wxSize& size, long style)
{
    if (!createDialog(parent, id, caption, pos, size, style))
        return false;
    return true;
}

void AboutWindow::CreateControls()
{
    wxBoxSizer* topSizer = new wxBoxSizer(wxVERTICAL);
    SetSizer(topSizer);

    wxStaticBitmap* ribbon = new wxStaticBitmap(this, wxID_STATIC, GetBitmapResource(RIBBON_PATH),
                                                wxDefaultPosition, wxSize(543, 68), 0, "staticBitmap");
    topSizer->Add(ribbon, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 0);

    wxStaticLine* ribbonLine =
        new wxStaticLine(this, wxID_STATIC, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL, "staticLine");
    topSizer->Add(ribbonLine, 0, wxGROW | wxALL, 0);

    wxBoxSizer* middleRow = new wxBoxSizer(wxHORIZONTAL);
    topSizer->Add(middleRow, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);

    wxBoxSizer* textSizer = new wxBoxSizer(wxVERTICAL);
    middleRow->Add(textSizer, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    wxStaticText* text = new wxStaticText(this, wxID_STATIC, _("Varnel\nVersion 0.1.0\n29th February 2009"),
                                          wxDefaultPosition, wxDefaultSize, 0, "staticText");
    textSizer->Add(text, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);

    middleRow->Add(5, 5, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    wxStaticLine* separator =
        new wxStaticLine(this, wxID_STATIC, wxDefaultPosition, wxSize(-1, 40), wxLI_VERTICAL, "staticLine");
    middleRow->Add(separator, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    middleRow->Add(5, 5, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);

    wxBoxSizer* linkSizer = new wxBoxSizer(wxVERTICAL);
    middleRow->Add(linkSizer, 0, wxALL, 5);
    const struct
    {
        wxHyperlinkCtrl** member;
        int id;
        const char* name;
        const char* label;
        const char* address;
    } links[] = {
        {&m_draveLink, ID_ABOUT_DRAVE_LINK, "m_draveLink", "www.example.org", "https://www.example.org/"},
        {&m_forumsLink, ID_ABOUT_FORUMS_LINK, "m_forumsLink", "forum.example.net",
         "https://forum.example.net/"},
        {&m_pobbleLink, ID_ABOUT_POBBLE_LINK, "m_pobbleLink", "www.example.com", "https://www.example.com/"},
    };
    for (const auto& link : links) {
        *link.member = new wxHyperlinkCtrl(this, link.id, link.label, link.address, wxDefaultPosition,
                                           wxDefaultSize, LINK_STYLE, "hyperlink");
        (*link.member)->SetName(link.name);
        linkSizer->Add(*link.member, 0, wxALL, 1);
    }

    wxStaticLine* buttonLine = new wxStaticLine(this, wxID_STATIC, wxDefaultPosition, wxSize(530, -1),
                                                wxLI_HORIZONTAL, "staticLine");
    topSizer->Add(buttonLine, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);

    wxButton* okButton = new wxButton(this, ID_ABOUT_OK_BUTTON, _("OK"), wxDefaultPosition, wxDefaultSize, 0,
                                      wxDefaultValidator, "button");
    topSizer->Add(okButton, 0, wxALIGN_RIGHT | wxALL, 5);
    // Escape closes the dialog as OK does: the toolkit's Escape looks for a Cancel button, and there is none.
    SetEscapeId(ID_ABOUT_OK_BUTTON);
}

// A missing or unreadable picture is reported by the toolkit's own log and leaves the ribbon empty.
wxBitmap AboutWindow::GetBitmapResource(const wxString& name)
{
    if (name != RIBBON_PATH)
        return wxNullBitmap;
    wxImage image;
    if (!image.LoadFile(name, wxBITMAP_TYPE_PNG))
        return wxNullBitmap;
    return wxBitmap(image);
}

void AboutWindow::OnOkClick(wxCommandEvent&)
{
    EndModal(ID_ABOUT_OK_BUTTON);
}
