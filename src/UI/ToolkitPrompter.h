#pragma once

#include "UI/Prompter.h"

// The prompter of the running editor: the toolkit's own message box and dialogs.
class ToolkitPrompter : public Prompter
{
protected:
    int doMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent) override;
    bool doChooseFiles(const FileDialogRequest& request, wxArrayString& paths) override;
    bool doChooseFolder(const FolderDialogRequest& request, wxString& path) override;
    int doShowModal(wxDialog& dialog) override;
};
