#pragma once

#include "UI/Dialogs/VarnelDialog.h"

#include <wx/bitmap.h>

class wxHyperlinkCtrl;

// Help > About: the ribbon picture, the program's name, version and date, three links and OK.
class AboutWindow : public VarnelDialog
{
public:
    AboutWindow();
    AboutWindow(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                const wxSize& size, long style);
    ~AboutWindow() override = default;

    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    void Init();
    bool Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                const wxSize& size, long style);
    void CreateControls() override;
    static wxBitmap GetBitmapResource(const wxString& name);

    void OnOkClick(wxCommandEvent& event);

private:
    wxHyperlinkCtrl* m_draveLink;
    wxHyperlinkCtrl* m_forumsLink;
    wxHyperlinkCtrl* m_pobbleLink;

    wxDECLARE_DYNAMIC_CLASS(AboutWindow);
    wxDECLARE_EVENT_TABLE();
};
