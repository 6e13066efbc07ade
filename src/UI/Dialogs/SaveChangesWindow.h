#pragma once

#include "UI/Dialogs/VarnelDialog.h"

struct SaveChangesRequest;
class wxButton;
class wxCheckListBox;

// Lists the archives with unsaved changes, each with a check mark, and asks which to save: Save All,
// Save Selected (the ticked rows) or Save None. Dismissed any other way, it cancels the close that asked.
class SaveChangesWindow : public VarnelDialog
{
    wxDECLARE_DYNAMIC_CLASS(SaveChangesWindow);
    wxDECLARE_EVENT_TABLE();

public:
    SaveChangesWindow();
    SaveChangesWindow(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                      const wxSize& size, long style);
    virtual ~SaveChangesWindow();

    SaveChangesWindow(const SaveChangesWindow&) = delete;
    SaveChangesWindow& operator=(const SaveChangesWindow&) = delete;

    void Init();
    bool Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                const wxSize& size, long style);
    void CreateControls() override;
    // One row per entry of the request, ticked as the entry's save flag.
    void updateList();

    void OnChangeListToggled(wxCommandEvent& event);
    void OnSaveAllClick(wxCommandEvent& event);
    void OnSaveNoneClick(wxCommandEvent& event);
    void OnSaveSelectedClick(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);

    wxCheckListBox* m_changeList;
    wxButton* m_saveAll;
    wxButton* m_saveNone;
    wxButton* m_okButton;
    // The caller's request, set right after construction; not owned.
    SaveChangesRequest* m_request = nullptr;

private:
    // Set while updateList adds the rows, whose check marks are then the entries' own.
    bool m_filling = false;
};
