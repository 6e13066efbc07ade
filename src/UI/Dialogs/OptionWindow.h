#pragma once

#include "UI/Dialogs/VarnelDialog.h"

class Settings;
class wxButton;
class wxCheckBox;

// The Preferences dialog: the delete confirmation, the reopening of the last archives and the emptying
// of the recent-files list. Every change goes into the settings at once, so there is no Cancel; the
// settings file itself is written when the program exits.
class OptionWindow : public VarnelDialog
{
public:
    OptionWindow();
    OptionWindow(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                 const wxSize& size, long style);
    ~OptionWindow() override = default;

    OptionWindow(const OptionWindow&) = delete;
    OptionWindow& operator=(const OptionWindow&) = delete;

    void Init();
    bool Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                const wxSize& size, long style);
    void CreateControls() override;
    // Shows the settings' options in the check boxes without writing them back.
    void loadSettings();

    void OnDeleteCheckBoxClick(wxCommandEvent& event);
    void OnAutoOpenCheckBoxClick(wxCommandEvent& event);
    void OnClearClick(wxCommandEvent& event);
    void OnOkClick(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);

    // The settings being edited; set by the creator before loadSettings, not owned.
    Settings* m_settings = nullptr;

private:
    wxCheckBox* m_deleteCheckBox;
    wxCheckBox* m_autoOpenCheckBox;
    wxButton* m_clearButton;
    wxButton* m_okButton;
    // Set while the check boxes are filled from the settings, so that filling them writes nothing back.
    bool m_loading = false;

    wxDECLARE_DYNAMIC_CLASS(OptionWindow);
    wxDECLARE_EVENT_TABLE();
};
