#include "UI/Dialogs/AddTexturesWindow.h"

#include "Backend/Settings.h"
#include "Common/STDFunctions/PathSpelling.h"
#include "Common/STDFunctions/STDFunctions.h"
#include "UI/Prompter.h"
#include "UI/WindowHelpers.h"
#include "UI/WindowIds.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

wxIMPLEMENT_DYNAMIC_CLASS(AddTexturesWindow, VarnelDialog);

wxBEGIN_EVENT_TABLE(AddTexturesWindow, VarnelDialog)
    EVT_BUTTON(ID_ADD_BUTTON, AddTexturesWindow::OnAddClick)
    EVT_BUTTON(ID_ADD_DELETE_BUTTON, AddTexturesWindow::OnDeleteClick)
    EVT_BUTTON(ID_ADD_CLEAR_BUTTON, AddTexturesWindow::OnClearClick)
    EVT_BUTTON(ID_ADD_CANCEL_BUTTON, AddTexturesWindow::OnCancelClick)
    EVT_BUTTON(ID_ADD_OK_BUTTON, AddTexturesWindow::OnOkClick)
wxEND_EVENT_TABLE()

AddTexturesWindow::AddTexturesWindow()
{
    Init();
}

AddTexturesWindow::AddTexturesWindow(wxWindow* parent, wxWindowID id, const wxString& caption,
                                     const wxPoint& pos, const wxSize& size, long style)
{
    Init();
    Create(parent, id, caption, pos, size, style);
}

AddTexturesWindow::~AddTexturesWindow() = default;

void AddTexturesWindow::Init()
{
    m_addList = nullptr;
    m_addButton = nullptr;
    m_deleteButton = nullptr;
    m_clearButton = nullptr;
    m_cancelButton = nullptr;
    m_okButton = nullptr;
}

bool AddTexturesWindow::Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                               const wxSize& size, long style)
{
    if (!createDialog(parent, id, caption, pos, size, style))
        return false;
    setupListColumns();
    return true;
}

void AddTexturesWindow::CreateControls()
{
    wxBoxSizer* topSizer = new wxBoxSizer(wxVERTICAL);
    SetSizer(topSizer);

    wxBoxSizer* listRow = new wxBoxSizer(wxHORIZONTAL);
    topSizer->Add(listRow, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);
    m_addList = new wxListCtrl(this, ID_ADD_LIST, wxDefaultPosition, wxSize(550, 250), wxLC_REPORT);
    m_addList->SetName("m_addList");
    listRow->Add(m_addList, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);

    wxBoxSizer* listButtons = new wxBoxSizer(wxVERTICAL);
    listRow->Add(listButtons, 0, wxALIGN_TOP | wxLEFT | wxRIGHT | wxBOTTOM, 5);
    m_addButton = new wxButton(this, ID_ADD_BUTTON, _("Add"));
    m_addButton->SetName("m_addButton");
    listButtons->Add(m_addButton, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);
    m_deleteButton = new wxButton(this, ID_ADD_DELETE_BUTTON, _("Delete"));
    m_deleteButton->SetName("m_deleteButton");
    listButtons->Add(m_deleteButton, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);
    m_clearButton = new wxButton(this, ID_ADD_CLEAR_BUTTON, _("Clear All"));
    m_clearButton->SetName("m_clearButton");
    listButtons->Add(m_clearButton, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);

    wxBoxSizer* dialogButtons = new wxBoxSizer(wxHORIZONTAL);
    topSizer->Add(dialogButtons, 0, wxALIGN_RIGHT | wxALL, 5);
    m_cancelButton = new wxButton(this, ID_ADD_CANCEL_BUTTON, _("Cancel"));
    m_cancelButton->SetName("m_cancelButton");
    dialogButtons->Add(m_cancelButton, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    // The toolkit's Escape presses a button of the stock Cancel id only; this one has its own.
    SetEscapeId(ID_ADD_CANCEL_BUTTON);
    m_okButton = new wxButton(this, ID_ADD_OK_BUTTON, _("OK"));
    m_okButton->SetName("m_okButton");
    dialogButtons->Add(m_okButton, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
}

void AddTexturesWindow::setupListColumns()
{
    m_addList->InsertColumn(0, "Name", wxLIST_FORMAT_LEFT, 125);
    m_addList->InsertColumn(1, "Path", wxLIST_FORMAT_LEFT, 400);
}

void AddTexturesWindow::updateList()
{
    m_addList->DeleteAllItems();
    for (size_t i = 0; i < m_request->entries.size(); ++i) {
        const long row = static_cast<long>(i);
        m_addList->InsertItem(row, WindowHelpers::nameToText(m_request->entries[i].name), -1);
        m_addList->SetItem(row, 1, WindowHelpers::pathToText(m_request->entries[i].path));
    }
}

// The texture is named after the file. A file name beyond Latin-1 cannot be a name in the archive's
// single bytes; its UTF-8 bytes are kept so that nothing the user chose is lost.
void AddTexturesWindow::addFile(const wxString& path)
{
    AddTextureEntry entry;
    entry.path = std::string(path.utf8_str());
    std::string directory;
    std::string fileName;
    PathSpelling::splitPath(entry.path, directory, fileName);
    if (!WindowHelpers::textToName(WindowHelpers::pathToText(fileName), entry.name))
        entry.name = fileName;
    m_request->entries.push_back(entry);
    m_settings->m_textureDirectory = directory;
}

void AddTexturesWindow::OnAddClick(wxCommandEvent& event)
{
    FileDialogRequest request;
    request.parent = this;
    request.message = _("Open a file");
    request.directory = WindowHelpers::pathToText(m_settings->m_textureDirectory);
    request.wildcard = _("DirectX Textures (*.dds)|*.dds|All files (*.*)|*.*");
    request.style = wxFD_OPEN | wxFD_MULTIPLE;
    request.name = _("Open");
    wxArrayString paths;
    if (Prompter::get().chooseFiles(request, paths)) {
        for (const wxString& path : paths)
            addFile(path);
        updateList();
    }
    event.Skip();
}

void AddTexturesWindow::OnDeleteClick(wxCommandEvent& event)
{
    if (Prompter::get().messageBox("Are you sure you want to delete the selected items?", "Confirm delete",
                                   wxYES_NO, nullptr) == wxYES) {
        std::vector<AddTextureEntry>& entries = m_request->entries;
        WindowHelpers::deleteSelectedRows(m_addList,
                                          [&entries](long row) { entries.erase(entries.begin() + row); });
        updateList();
    }
    event.Skip();
}

void AddTexturesWindow::OnClearClick(wxCommandEvent& event)
{
    if (Prompter::get().messageBox("Are you sure you want to clear the entire list?", "Confirm clear",
                                   wxYES_NO, nullptr) == wxYES) {
        m_addList->DeleteAllItems();
        m_request->entries.clear();
    }
    event.Skip();
}

void AddTexturesWindow::OnCancelClick(wxCommandEvent& event)
{
    Close(false);
    event.Skip();
}

void AddTexturesWindow::OnOkClick(wxCommandEvent& event)
{
    m_request->cancelled = false;
    Close(false);
    event.Skip();
}
