#include "UI/VarnelApp.h"

#include "UI/MainWindow.h"
#include "UI/WindowIds.h"

#include <wx/image.h>

wxBEGIN_EVENT_TABLE(VarnelApp, wxApp)
wxEND_EVENT_TABLE()

// The command line is not parsed: the program takes no arguments.
bool VarnelApp::OnInit()
{
    wxImage::AddHandler(new wxXPMHandler);
    wxImage::AddHandler(new wxPNGHandler);
    wxImage::AddHandler(new wxJPEGHandler);
    wxImage::AddHandler(new wxGIFHandler);
    // GTK reads the window icon through the ICO handler.
    wxImage::AddHandler(new wxICOHandler);
    MainWindow* mainWindow = new MainWindow(
        nullptr, ID_MAIN_WINDOW, _("Varnel - Oskery"), wxDefaultPosition, wxSize(800, 600),
        wxSYSTEM_MENU | wxRESIZE_BORDER | wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxCLOSE_BOX | wxCAPTION);
    // A failed start has already asked the frame to close; showing it would only flash it.
    if (mainWindow->getBackEnd() != nullptr)
        mainWindow->Show(true);
    return true;
}

int VarnelApp::OnExit()
{
    return wxApp::OnExit();
}
