#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

class wxDialog;
class wxWindow;

// What a file dialog is asked: the toolkit's file dialog arguments that the commands vary.
struct FileDialogRequest
{
    wxWindow* parent = nullptr;
    wxString message;
    wxString directory;
    wxString defaultFile;
    wxString wildcard;
    long style = 0;
    wxString name;
};

// What a folder dialog is asked.
struct FolderDialogRequest
{
    wxWindow* parent = nullptr;
    wxString message;
    wxString directory;
    long style = 0;
};

// Every message box, file dialog, folder dialog and modal dialog of the editor is shown through the
// installed prompter, so that tests can answer them from a script. It also counts the modal windows
// that are open: idle events keep arriving while one is, and the main window must not restart the
// render system (which closes and reopens every archive) under the command that opened it.
class Prompter
{
public:
    Prompter() = default;
    Prompter(const Prompter&) = delete;
    Prompter& operator=(const Prompter&) = delete;
    virtual ~Prompter() = default;

    // The installed prompter; the toolkit's own when none is installed.
    static Prompter& get();
    // Installs a prompter (not owned); null brings back the toolkit's own.
    static void install(Prompter* prompter);

    // Returns wxOK, wxYES, wxNO or wxCANCEL as the toolkit's message box does.
    int messageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent = nullptr);
    // True and the chosen paths when the user confirmed the dialog.
    bool chooseFiles(const FileDialogRequest& request, wxArrayString& paths);
    // True and the chosen folder when the user confirmed the dialog.
    bool chooseFolder(const FolderDialogRequest& request, wxString& path);
    // Runs the dialog modally and returns its modal result.
    int showModal(wxDialog& dialog);

    int openModalCount() const { return m_openModals; }

protected:
    virtual int doMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent) = 0;
    virtual bool doChooseFiles(const FileDialogRequest& request, wxArrayString& paths) = 0;
    virtual bool doChooseFolder(const FolderDialogRequest& request, wxString& path) = 0;
    virtual int doShowModal(wxDialog& dialog) = 0;

private:
    class ModalScope;

    int m_openModals = 0;
    static Prompter* s_installed;
};
