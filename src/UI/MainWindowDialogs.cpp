#include "UI/MainWindow.h"

#include "Backend/BackEnd.h"
#include "UI/Dialogs/AboutWindow.h"
#include "UI/Dialogs/OptionWindow.h"
#include "UI/Prompter.h"
#include "UI/WindowIds.h"

// The dialog writes every change into the settings as it is made, however it is closed; the File menu
// then shows a recent-files list that Clear has emptied.
void MainWindow::showPreferences()
{
    if (!isBackEndReady())
        return;
    OptionWindow dialog(this, ID_OPTION_WINDOW, _("Settings - Varnel"), wxDefaultPosition, wxSize(400, 300),
                        wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxTAB_TRAVERSAL);
    dialog.m_settings = m_backEnd->getSettings();
    dialog.loadSettings();
    Prompter::get().showModal(dialog);
    updateRecentFilesMenu();
}

void MainWindow::OnMenuAbout(wxCommandEvent&)
{
    AboutWindow dialog(this, ID_ABOUT_WINDOW, _("About Varnel"), wxDefaultPosition, wxSize(400, 300),
                       wxDEFAULT_DIALOG_STYLE | wxTAB_TRAVERSAL);
    Prompter::get().showModal(dialog);
}
