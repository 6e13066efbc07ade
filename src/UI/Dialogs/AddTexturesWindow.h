#pragma once

#include "UI/Dialogs/VarnelDialog.h"

#include "UI/Dialogs/AddTexturesRequest.h"

class Settings;
class wxButton;
class wxListCtrl;

// The Add Textures dialog: gathers image files into a list (Add, Delete, Clear All) and hands them to
// its command through the request block on OK. It touches no archive.
class AddTexturesWindow : public VarnelDialog
{
    wxDECLARE_DYNAMIC_CLASS(AddTexturesWindow);
    wxDECLARE_EVENT_TABLE();

public:
    AddTexturesWindow();
    AddTexturesWindow(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                      const wxSize& size, long style);
    ~AddTexturesWindow() override;

    AddTexturesWindow(const AddTexturesWindow&) = delete;
    AddTexturesWindow& operator=(const AddTexturesWindow&) = delete;

    void Init();
    bool Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                const wxSize& size, long style);
    void CreateControls() override;
    void setupListColumns();
    // Rebuilds the rows from the request's entries.
    void updateList();
    // Appends the file to the request and remembers its folder at once.
    void addFile(const wxString& path);

    void OnAddClick(wxCommandEvent& event);
    void OnDeleteClick(wxCommandEvent& event);
    void OnClearClick(wxCommandEvent& event);
    void OnCancelClick(wxCommandEvent& event);
    void OnOkClick(wxCommandEvent& event);

    // Set by the creator before the modal run; not owned.
    AddTexturesRequest* m_request = nullptr;
    Settings* m_settings = nullptr;

private:
    wxListCtrl* m_addList;
    wxButton* m_addButton;
    wxButton* m_deleteButton;
    wxButton* m_clearButton;
    wxButton* m_cancelButton;
    wxButton* m_okButton;
};
