#pragma once

#include "UI/Dialogs/VarnelDialog.h"

#include "UI/Dialogs/ReplaceRequest.h"

class Settings;
class wxButton;
class wxListBox;
class wxTextCtrl;

// The Replace Textures dialog: lists the selected textures by name and lets the user choose a new
// image file for each; a texture left without a file is skipped. It touches no archive.
class ReplaceWindow : public VarnelDialog
{
    wxDECLARE_DYNAMIC_CLASS(ReplaceWindow);
    wxDECLARE_EVENT_TABLE();

public:
    ReplaceWindow();
    ReplaceWindow(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                  const wxSize& size, long style);
    ~ReplaceWindow() override;

    ReplaceWindow(const ReplaceWindow&) = delete;
    ReplaceWindow& operator=(const ReplaceWindow&) = delete;

    void Init();
    bool Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                const wxSize& size, long style);
    void CreateControls() override;
    // Appends every entry's texture name; called once, before the modal run.
    void updateList();

    void OnReplaceListSelected(wxCommandEvent& event);
    void OnSelectClick(wxCommandEvent& event);
    void OnCancelClick(wxCommandEvent& event);
    void OnOkClick(wxCommandEvent& event);

    // Set by the creator before the modal run; not owned.
    ReplaceRequest* m_request = nullptr;
    Settings* m_settings = nullptr;

private:
    wxListBox* m_replaceList;
    wxTextCtrl* m_pathTextBox;
    wxButton* m_selectButton;
    wxButton* m_cancelButton;
    wxButton* m_okButton;
    // The row last chosen; Select is enabled only once there is one.
    int m_currentIndex = -1;
};
