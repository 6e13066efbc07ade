#include "UI/Dialogs/SaveChangesWindow.h"

#include "UI/Dialogs/SaveChangesRequest.h"
#include "UI/WindowHelpers.h"
#include "UI/WindowIds.h"

#include <wx/button.h>
#include <wx/checklst.h>
#include <wx/sizer.h>

wxIMPLEMENT_DYNAMIC_CLASS(SaveChangesWindow, VarnelDialog);

wxBEGIN_EVENT_TABLE(SaveChangesWindow, VarnelDialog)
    EVT_CHECKLISTBOX(ID_SAVE_CHANGES_LIST, SaveChangesWindow::OnChangeListToggled)
    EVT_BUTTON(ID_SAVE_CHANGES_SAVE_ALL, SaveChangesWindow::OnSaveAllClick)
    EVT_BUTTON(ID_SAVE_CHANGES_SAVE_NONE, SaveChangesWindow::OnSaveNoneClick)
    EVT_BUTTON(ID_SAVE_CHANGES_SAVE_SELECTED, SaveChangesWindow::OnSaveSelectedClick)
    EVT_CHAR_HOOK(SaveChangesWindow::OnCharHook)
wxEND_EVENT_TABLE()

SaveChangesWindow::SaveChangesWindow()
{
    Init();
}

SaveChangesWindow::SaveChangesWindow(wxWindow* parent, wxWindowID id, const wxString& caption,
                                     const wxPoint& pos, const wxSize& size, long style)
{
    Init();
    Create(parent, id, caption, pos, size, style);
}

SaveChangesWindow::~SaveChangesWindow() {}

void SaveChangesWindow::Init()
{
    m_changeList = nullptr;
    m_saveAll = nullptr;
    m_saveNone = nullptr;
    m_okButton = nullptr;
}

bool SaveChangesWindow::Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                               const wxSize& size, long style)
{
    if (!createDialog(parent, id, caption, pos, size, style))
        return false;
    return true;
}

void SaveChangesWindow::CreateControls()
{
    wxBoxSizer* vertical = new wxBoxSizer(wxVERTICAL);
    SetSizer(vertical);

    m_changeList = new wxCheckListBox(this, ID_SAVE_CHANGES_LIST, wxDefaultPosition, wxSize(650, 300),
                                      wxArrayString(), wxLB_SINGLE, wxDefaultValidator, "listBox");
    m_changeList->SetName("m_changeList");
    vertical->Add(m_changeList, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);

    wxBoxSizer* horizontal = new wxBoxSizer(wxHORIZONTAL);
    vertical->Add(horizontal, 0, wxALIGN_RIGHT | wxALL, 5);

    const struct
    {
        wxButton** member;
        int id;
        wxString label;
        const char* name;
    } buttons[] = {
        {&m_saveAll, ID_SAVE_CHANGES_SAVE_ALL, _("Save All"), "m_saveAll"},
        {&m_saveNone, ID_SAVE_CHANGES_SAVE_NONE, _("Save None"), "m_saveNone"},
        {&m_okButton, ID_SAVE_CHANGES_SAVE_SELECTED, _("Save Selected"), "m_okButton"},
    };
    for (const auto& button : buttons) {
        *button.member = new wxButton(this, button.id, button.label, wxDefaultPosition, wxDefaultSize, 0,
                                      wxDefaultValidator, "button");
        (*button.member)->SetName(button.name);
        horizontal->Add(*button.member, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    }
}

void SaveChangesWindow::updateList()
{
    m_filling = true;
    for (size_t i = 0; i < m_request->entries.size(); ++i) {
        const unsigned row = static_cast<unsigned>(i);
        m_changeList->Insert(WindowHelpers::pathToText(m_request->entries[i].path), row);
        m_changeList->Check(row, m_request->entries[i].save);
    }
    m_filling = false;
}

void SaveChangesWindow::OnChangeListToggled(wxCommandEvent& event)
{
    const int row = event.GetInt();
    if (!m_filling && row >= 0 && static_cast<size_t>(row) < m_request->entries.size())
        m_request->entries[static_cast<size_t>(row)].save =
            m_changeList->IsChecked(static_cast<unsigned>(row));
    event.Skip();
}

void SaveChangesWindow::OnSaveAllClick(wxCommandEvent& event)
{
    for (SaveChangesEntry& entry : m_request->entries)
        entry.save = true;
    m_request->cancelled = false;
    Close(false);
    event.Skip();
}

// The explicit answer that discards: unlike the close box it lets the close go on.
void SaveChangesWindow::OnSaveNoneClick(wxCommandEvent& event)
{
    for (SaveChangesEntry& entry : m_request->entries)
        entry.save = false;
    m_request->cancelled = false;
    Close(false);
    event.Skip();
}

void SaveChangesWindow::OnSaveSelectedClick(wxCommandEvent& event)
{
    m_request->cancelled = false;
    Close(false);
    event.Skip();
}

// The toolkit turns Escape into a click on a Cancel button, and this dialog has none: Escape dismisses it
// as its close box does.
void SaveChangesWindow::OnCharHook(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_ESCAPE && event.GetModifiers() == wxMOD_NONE)
        Close(false);
    else
        event.Skip();
}
