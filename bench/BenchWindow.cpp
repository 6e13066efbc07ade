#include "BenchWindow.h"

#include "Common/MessageLog/MessageLog.h"

#include "Backend/BackEnd.h"
#include "UI/MainWindow.h"
#include "UI/Prompter.h"
#include "UI/WindowIds.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/log.h>

#include <filesystem>
#include <memory>

#include <unistd.h>

namespace
{
// Answers every folder dialog with one folder; nothing else is asked during the benchmarks.
class FolderPrompter : public Prompter
{
public:
    std::string folder;

protected:
    int doMessageBox(const wxString&, const wxString&, long, wxWindow*) override { return wxNO; }
    bool doChooseFiles(const FileDialogRequest&, wxArrayString&) override { return false; }
    bool doChooseFolder(const FolderDialogRequest&, wxString& path) override
    {
        path = wxString::FromUTF8(folder.c_str());
        return true;
    }
    int doShowModal(wxDialog&) override { return wxID_CANCEL; }
};

FolderPrompter s_prompter;

bool startToolkit()
{
    static int argc = 1;
    static char name[] = "varnel_bench";
    static char* argv[] = {name, nullptr};
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv))
        return false;
    wxTheApp->SetExitOnFrameDelete(false);
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxInitAllImageHandlers();
    wxEventLoopBase::SetActive(new wxGUIEventLoop);
    return true;
}
} // namespace

BenchWindow* BenchWindow::shared()
{
    static std::unique_ptr<BenchWindow> instance(new BenchWindow);
    return instance->m_window != nullptr ? instance.get() : nullptr;
}

BenchWindow::BenchWindow()
{
    char pattern[] = "/tmp/varnel-bench-ui-XXXXXX";
    if (mkdtemp(pattern) == nullptr || chdir(pattern) != 0 || !startToolkit())
        return;
    m_folder = pattern;
    std::filesystem::create_directory_symlink(VARNEL_SOURCE_DIR "/Resources", "Resources");
    Prompter::install(&s_prompter);
    MainWindow* window = new MainWindow(
        nullptr, ID_MAIN_WINDOW, "Varnel - Oskery", wxDefaultPosition, wxSize(800, 600),
        wxSYSTEM_MENU | wxRESIZE_BORDER | wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxCLOSE_BOX | wxCAPTION);
    if (window->getBackEnd() == nullptr)
        return;
    window->Show(true);
    m_window = window;
    pump();
}

// The window is left to the end of the process: closing it would run the toolkit's shutdown after
// the benchmark library's.
BenchWindow::~BenchWindow()
{
    if (!m_folder.empty()) {
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }
}

bool BenchWindow::open(const std::string& path)
{
    if (!m_window->getBackEnd()->openFile(path, false))
        return false;
    m_window->refreshAfterOpen();
    pump();
    return true;
}

void BenchWindow::answerFolder(const std::string& folder)
{
    s_prompter.folder = folder;
}

void BenchWindow::listen(bool on)
{
    if (m_window == nullptr || on == m_listening)
        return;
    if (on)
        MessageLog::getInstance()->addListener(m_window);
    else
        MessageLog::getInstance()->removeListener(m_window);
    m_listening = on;
}

void BenchWindow::pump()
{
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    while (loop->Pending())
        loop->Dispatch();
    wxTheApp->ProcessPendingEvents();
}
