#include "MainWindow.h"

// Preferences and About; until they are built each menu item is there and does nothing.

void MainWindow::showPreferences()
{
}

void MainWindow::OnMenuAbout(wxCommandEvent& event)
{
    event.Skip();
}
