#include "UI/Dialogs/OptionWindow.h"

#include "Backend/Settings.h"
#include "UI/WindowIds.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>

wxIMPLEMENT_DYNAMIC_CLASS(OptionWindow, VarnelDialog);

wxBEGIN_EVENT_TABLE(OptionWindow, VarnelDialog)
    EVT_CHECKBOX(ID_OPTION_DELETE_CHECK_BOX, OptionWindow::OnDeleteCheckBoxClick)
    EVT_CHECKBOX(ID_OPTION_AUTO_OPEN_CHECK_BOX, OptionWindow::OnAutoOpenCheckBoxClick)
    EVT_BUTTON(ID_OPTION_CLEAR_BUTTON, OptionWindow::OnClearClick)
    EVT_BUTTON(ID_OPTION_OK_BUTTON, OptionWindow::OnOkClick)
    EVT_CHAR_HOOK(OptionWindow::OnCharHook)
wxEND_EVENT_TABLE()

OptionWindow::OptionWindow()
{
    Init();
}

OptionWindow::OptionWindow(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                           const wxSize& size, long style)
{
    m_loading = true;
    Init();
    Create(parent, id, caption, pos, size, style);
    m_loading = false;
}

void OptionWindow::Init()
{
    m_deleteCheckBox = nullptr;
    m_autoOpenCheckBox = nullptr;
    m_clearButton = nullptr;
    m_okButton = nullptr;
}

bool OptionWindow::Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                          const wxSize& size, long style)
{
    if (!createDialog(parent, id, caption, pos, size, style))
        return false;
    return true;
}

void OptionWindow::CreateControls()
{
    const int border = 5;
    wxBoxSizer* dialogSizer = new wxBoxSizer(wxVERTICAL);
    SetSizer(dialogSizer);

    wxStaticText* heading = new wxStaticText(this, wxID_STATIC, _("Varnel Settings"));
    heading->SetFont(wxFont(8, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD, false, "Tahoma"));
    dialogSizer->Add(heading, 0, wxLEFT | wxRIGHT | wxTOP, border);

    wxStaticLine* topLine =
        new wxStaticLine(this, wxID_STATIC, wxDefaultPosition, wxSize(300, -1), wxLI_HORIZONTAL);
    dialogSizer->Add(topLine, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, border);

    wxBoxSizer* optionSizer = new wxBoxSizer(wxVERTICAL);
    dialogSizer->Add(optionSizer, 0, wxALL, border);

    m_deleteCheckBox = new wxCheckBox(this, ID_OPTION_DELETE_CHECK_BOX, _("Confirm delete of textures"));
    m_deleteCheckBox->SetValue(false);
    m_deleteCheckBox->SetName("m_deleteCheckBox");
    optionSizer->Add(m_deleteCheckBox, 0, wxALL, border);

    m_autoOpenCheckBox = new wxCheckBox(this, ID_OPTION_AUTO_OPEN_CHECK_BOX, _("Auto open last used files"));
    m_autoOpenCheckBox->SetValue(false);
    m_autoOpenCheckBox->SetName("m_autoOpenCheckBox");
    optionSizer->Add(m_autoOpenCheckBox, 0, wxALL, border);

    m_clearButton = new wxButton(this, ID_OPTION_CLEAR_BUTTON, _("Clear Recent Files List"));
    m_clearButton->SetName("m_clearButton");
    optionSizer->Add(m_clearButton, 0, wxALL, border);

    wxStaticLine* bottomLine =
        new wxStaticLine(this, wxID_STATIC, wxDefaultPosition, wxSize(300, -1), wxLI_HORIZONTAL);
    optionSizer->Add(bottomLine, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, border);

    wxBoxSizer* buttonSizer = new wxBoxSizer(wxHORIZONTAL);
    dialogSizer->Add(buttonSizer, 0, wxALIGN_RIGHT | wxALL, border);

    m_okButton = new wxButton(this, ID_OPTION_OK_BUTTON, _("OK"));
    m_okButton->SetName("m_okButton");
    buttonSizer->Add(m_okButton, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT | wxBOTTOM, border);
}

void OptionWindow::loadSettings()
{
    m_loading = true;
    m_deleteCheckBox->SetValue(m_settings->m_confirmDelete);
    m_autoOpenCheckBox->SetValue(m_settings->m_autoOpenLastFiles);
    m_loading = false;
}

void OptionWindow::OnDeleteCheckBoxClick(wxCommandEvent& event)
{
    if (!m_loading)
        m_settings->m_confirmDelete = m_deleteCheckBox->GetValue();
    event.Skip();
}

void OptionWindow::OnAutoOpenCheckBoxClick(wxCommandEvent& event)
{
    if (!m_loading)
        m_settings->m_autoOpenLastFiles = m_autoOpenCheckBox->GetValue();
    event.Skip();
}

void OptionWindow::OnClearClick(wxCommandEvent& event)
{
    for (std::string& recentFile : m_settings->m_recentFiles)
        recentFile.clear();
    event.Skip();
}

// OK only closes: every change has already reached the settings.
void OptionWindow::OnOkClick(wxCommandEvent& event)
{
    Close(false);
    event.Skip();
}

// Escape closes the dialog as its close box does: the toolkit's own Escape presses a Cancel button, and
// there is none.
void OptionWindow::OnCharHook(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_ESCAPE && event.GetModifiers() == wxMOD_NONE)
        Close(false);
    else
        event.Skip();
}
