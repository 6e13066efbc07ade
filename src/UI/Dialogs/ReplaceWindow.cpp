#include "UI/Dialogs/ReplaceWindow.h"

#include "Backend/Settings.h"
#include "UI/Prompter.h"
#include "UI/WindowHelpers.h"
#include "UI/WindowIds.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

wxIMPLEMENT_DYNAMIC_CLASS(ReplaceWindow, VarnelDialog);

wxBEGIN_EVENT_TABLE(ReplaceWindow, VarnelDialog)
    EVT_LISTBOX(ID_REPLACE_LIST, ReplaceWindow::OnReplaceListSelected)
    EVT_BUTTON(ID_REPLACE_SELECT_BUTTON, ReplaceWindow::OnSelectClick)
    EVT_BUTTON(ID_REPLACE_CANCEL_BUTTON, ReplaceWindow::OnCancelClick)
    EVT_BUTTON(ID_REPLACE_OK_BUTTON, ReplaceWindow::OnOkClick)
wxEND_EVENT_TABLE()

ReplaceWindow::ReplaceWindow()
{
    Init();
}

ReplaceWindow::ReplaceWindow(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                             const wxSize& size, long style)
{
    Init();
    Create(parent, id, caption, pos, size, style);
}

ReplaceWindow::~ReplaceWindow() = default;

void ReplaceWindow::Init()
{
    m_replaceList = nullptr;
    m_pathTextBox = nullptr;
    m_selectButton = nullptr;
    m_cancelButton = nullptr;
    m_okButton = nullptr;
}

bool ReplaceWindow::Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                           const wxSize& size, long style)
{
    if (!createDialog(parent, id, caption, pos, size, style))
        return false;
    return true;
}

// The path box is read-only: only a file chosen with Select becomes an entry's path, so a typed path
// would be silently skipped.
void ReplaceWindow::CreateControls()
{
    wxBoxSizer* topSizer = new wxBoxSizer(wxVERTICAL);
    SetSizer(topSizer);

    wxBoxSizer* listRow = new wxBoxSizer(wxHORIZONTAL);
    topSizer->Add(listRow, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);
    m_replaceList =
        new wxListBox(this, ID_REPLACE_LIST, wxDefaultPosition, wxSize(200, 250), 0, nullptr, wxLB_SINGLE);
    m_replaceList->SetName("m_replaceList");
    listRow->Add(m_replaceList, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);

    wxBoxSizer* fileColumn = new wxBoxSizer(wxVERTICAL);
    listRow->Add(fileColumn, 0, 0, 0);
    wxBoxSizer* labelRow = new wxBoxSizer(wxHORIZONTAL);
    fileColumn->Add(labelRow, 0, 0, 0);
    wxStaticText* label = new wxStaticText(this, wxID_STATIC, _("New Texture File"));
    labelRow->Add(label, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    wxBoxSizer* pathRow = new wxBoxSizer(wxHORIZONTAL);
    fileColumn->Add(pathRow, 0, wxALIGN_CENTER_HORIZONTAL, 0);
    m_pathTextBox = new wxTextCtrl(this, ID_REPLACE_PATH_TEXT_BOX, wxEmptyString, wxDefaultPosition,
                                   wxSize(300, -1), wxTE_READONLY);
    m_pathTextBox->SetName("m_pathTextBox");
    m_pathTextBox->Enable(false);
    pathRow->Add(m_pathTextBox, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    m_selectButton = new wxButton(this, ID_REPLACE_SELECT_BUTTON, _("Select"));
    m_selectButton->SetName("m_selectButton");
    m_selectButton->Enable(false);
    pathRow->Add(m_selectButton, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);

    wxBoxSizer* dialogButtons = new wxBoxSizer(wxHORIZONTAL);
    topSizer->Add(dialogButtons, 0, wxALIGN_RIGHT | wxALL, 5);
    m_cancelButton = new wxButton(this, ID_REPLACE_CANCEL_BUTTON, _("Cancel"));
    m_cancelButton->SetName("m_cancelButton");
    dialogButtons->Add(m_cancelButton, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    // The toolkit's Escape presses a button of the stock Cancel id only; this one has its own.
    SetEscapeId(ID_REPLACE_CANCEL_BUTTON);
    m_okButton = new wxButton(this, ID_REPLACE_OK_BUTTON, _("OK"));
    m_okButton->SetName("m_okButton");
    dialogButtons->Add(m_okButton, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
}

void ReplaceWindow::updateList()
{
    for (const ReplaceEntry& entry : m_request->entries)
        m_replaceList->Append(WindowHelpers::nameToText(entry.textureName));
}

// The toolkit reports a cleared selection with row -1; only a real row is chosen.
void ReplaceWindow::OnReplaceListSelected(wxCommandEvent& event)
{
    const int row = event.GetInt();
    if (row >= 0 && static_cast<size_t>(row) < m_request->entries.size()) {
        m_currentIndex = row;
        m_pathTextBox->Enable(true);
        m_selectButton->Enable(true);
        m_pathTextBox->ChangeValue(
            WindowHelpers::pathToText(m_request->entries[static_cast<size_t>(row)].path));
    }
    event.Skip();
}

void ReplaceWindow::OnSelectClick(wxCommandEvent& event)
{
    FileDialogRequest request;
    request.parent = this;
    request.message = _("Select File");
    request.directory = WindowHelpers::pathToText(m_settings->m_textureDirectory);
    request.wildcard = _("DirectX Textures (*.dds)|*.dds|All files (*.*)|*.*");
    request.style = wxFD_OPEN;
    request.name = _("Open");
    wxArrayString paths;
    if (m_currentIndex >= 0 && Prompter::get().chooseFiles(request, paths) && !paths.empty()) {
        m_request->entries[static_cast<size_t>(m_currentIndex)].path = std::string(paths[0].utf8_str());
        m_pathTextBox->ChangeValue(paths[0]);
    }
    event.Skip();
}

void ReplaceWindow::OnCancelClick(wxCommandEvent& event)
{
    Close(false);
    event.Skip();
}

void ReplaceWindow::OnOkClick(wxCommandEvent& event)
{
    m_request->cancelled = false;
    Close(false);
    event.Skip();
}
