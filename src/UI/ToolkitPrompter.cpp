#include "UI/ToolkitPrompter.h"

#include <wx/dialog.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

int ToolkitPrompter::doMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent)
{
    return wxMessageBox(text, caption, style, parent);
}

bool ToolkitPrompter::doChooseFiles(const FileDialogRequest& request, wxArrayString& paths)
{
    wxFileDialog dialog(request.parent, request.message, request.directory, request.defaultFile,
                        request.wildcard, request.style, wxDefaultPosition, wxDefaultSize,
                        request.name.empty() ? wxString(wxFileDialogNameStr) : request.name);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    if (request.style & wxFD_MULTIPLE)
        dialog.GetPaths(paths);
    else
        paths.push_back(dialog.GetPath());
    return true;
}

bool ToolkitPrompter::doChooseFolder(const FolderDialogRequest& request, wxString& path)
{
    wxDirDialog dialog(request.parent, request.message, request.directory, request.style);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    path = dialog.GetPath();
    return true;
}

int ToolkitPrompter::doShowModal(wxDialog& dialog)
{
    return dialog.ShowModal();
}
