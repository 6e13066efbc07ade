#pragma once

#include <wx/app.h>

// The toolkit's application object: registers the image formats and opens the main window.
class VarnelApp : public wxApp
{
public:
    bool OnInit() override;
    int OnExit() override;

private:
    wxDECLARE_EVENT_TABLE();
};

wxDECLARE_APP(VarnelApp);
