#include "UI/Prompter.h"

#include "UI/ToolkitPrompter.h"

Prompter* Prompter::s_installed = nullptr;

// Counts one open modal window for as long as it is shown.
class Prompter::ModalScope
{
public:
    explicit ModalScope(Prompter& prompter) : m_prompter(prompter) { ++m_prompter.m_openModals; }
    ~ModalScope() { --m_prompter.m_openModals; }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    Prompter& m_prompter;
};

Prompter& Prompter::get()
{
    static ToolkitPrompter toolkitPrompter;
    return s_installed != nullptr ? *s_installed : toolkitPrompter;
}

void Prompter::install(Prompter* prompter)
{
    s_installed = prompter;
}

int Prompter::messageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent)
{
    ModalScope scope(*this);
    return doMessageBox(text, caption, style, parent);
}

bool Prompter::chooseFiles(const FileDialogRequest& request, wxArrayString& paths)
{
    ModalScope scope(*this);
    paths.clear();
    return doChooseFiles(request, paths);
}

bool Prompter::chooseFolder(const FolderDialogRequest& request, wxString& path)
{
    ModalScope scope(*this);
    path.clear();
    return doChooseFolder(request, path);
}

int Prompter::showModal(wxDialog& dialog)
{
    ModalScope scope(*this);
    return doShowModal(dialog);
}
