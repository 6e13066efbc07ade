#include "UI/MainWindow.h"

#include "Backend/BackEnd.h"
#include "Backend/Settings.h"
#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/PathSpelling.h"
#include "Common/STDFunctions/STDFunctions.h"
#include "Common/SafeFile/FileReplacement.h"
#include "Platform/System/WindowsApi.h"
#include "UI/Prompter.h"
#include "UI/RenderPanel.h"
#include "UI/WindowHelpers.h"
#include "WTD/WTDFile.h"

#include <wx/display.h>
#include <wx/icon.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/splitter.h>

#include <algorithm>
#include <fstream>

namespace
{
const char* const ARCHIVE_LIST_PATH = "config\\varnel_ar.arf";
// The folder of the archive list and the settings file. The system names it "Config" when it creates
// it and "config" when it opens files in it; names are case-sensitive here, so one spelling serves both.
const char* const CONFIG_FOLDER = "config";
const char* const CONFIG_FOLDER_TEST = "config\\";
} // namespace

MainWindow::SleepFunction MainWindow::s_sleep = &Sleep;

void MainWindow::setSleepFunction(SleepFunction sleep)
{
    s_sleep = sleep != nullptr ? sleep : &Sleep;
}

void MainWindow::startUp()
{
    setupListColumns();
    setupImageLists();
    MessageLog::getInstance()->addListener(this);
    m_stdFunctions = STDFunctions::getInstance();
    m_backEnd = std::make_unique<BackEnd>(m_renderPanel);
    applySettings();
    m_backEnd->initialize();
    m_sortColumn = -1;
    if (!m_backEnd->isRenderSystemOK()) {
        m_backEnd.reset();
        Prompter::get().messageBox(
            "Varnel backend failed to start, unable to continue.\nApplication must now close",
            "Failure to start", wxOK, nullptr);
        Close(false);
    }
    reopenArchiveList();
}

void MainWindow::applySettings()
{
    if (!m_backEnd->isRenderSystemOK())
        return;
    m_updating = true;
    applyLayout();
    MessageLog::getInstance()->setListenerFullMessage(m_backEnd->getSettings()->m_fullLogMessages);
    updateRecentFilesMenu();
    m_updating = false;
}

// A stored size from another screen (or a damaged settings file) must still give a window that fits
// and shows its panes.
wxSize MainWindow::usableClientSize(int width, int height) const
{
    const int display = wxDisplay::GetFromWindow(this);
    const wxRect screen =
        wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
    const wxSize decoration = GetSize() - GetClientSize();
    const wxSize minimum = GetMinClientSize();
    const int maximumWidth = std::max(minimum.GetWidth(), screen.width - decoration.x);
    const int maximumHeight = std::max(minimum.GetHeight(), screen.height - decoration.y);
    return wxSize(std::min(std::max(width, minimum.GetWidth()), maximumWidth),
                  std::min(std::max(height, minimum.GetHeight()), maximumHeight));
}

void MainWindow::applyLayout()
{
    const Settings* settings = m_backEnd->getSettings();
    SetClientSize(usableClientSize(settings->m_windowWidth, settings->m_windowHeight));
    m_splitterMain->SetSashPosition(settings->m_mainSashPosition, true);
    m_splitterFileArea->SetSashPosition(settings->m_fileAreaSashPosition, true);
    m_splitterViewerArea->SetSashPosition(settings->m_viewerAreaSashPosition, true);
    Centre(wxBOTH);
}

// A minimised frame reports a size that is no use to restore.
bool MainWindow::canStoreLayout() const
{
    return !m_updating && isBackEndReady() && !IsIconized();
}

void MainWindow::OnSize(wxSizeEvent& event)
{
    if (canStoreLayout()) {
        const wxSize size = GetClientSize();
        m_backEnd->getSettings()->m_windowWidth = size.GetWidth();
        m_backEnd->getSettings()->m_windowHeight = size.GetHeight();
    }
    event.Skip();
}

void MainWindow::OnSplitterMainSashChanged(wxSplitterEvent& event)
{
    if (canStoreLayout())
        m_backEnd->getSettings()->m_mainSashPosition = m_splitterMain->GetSashPosition();
    event.Skip();
}

void MainWindow::OnSplitterFileAreaSashChanged(wxSplitterEvent& event)
{
    if (canStoreLayout())
        m_backEnd->getSettings()->m_fileAreaSashPosition = m_splitterFileArea->GetSashPosition();
    event.Skip();
}

void MainWindow::OnSplitterViewerAreaSashChanged(wxSplitterEvent& event)
{
    if (canStoreLayout())
        m_backEnd->getSettings()->m_viewerAreaSashPosition = m_splitterViewerArea->GetSashPosition();
    event.Skip();
}

void MainWindow::OnIdle(wxIdleEvent& event)
{
    if (drawPreview())
        event.RequestMore(true);
    event.Skip();
}

// Draws the preview; true while it is to be redrawn continuously. A restart of the render system
// closes and reopens every archive: never while a modal window is open, since the command that opened it
// still holds the archives. A lost-device recovery or a Reinitialize Render Pane asked for meanwhile waits
// until none is (closing it brings the next idle event).
bool MainWindow::drawPreview()
{
    if (!isBackEndReady() || m_previewStopped)
        return false;
    if (!m_recoveryPending && !m_backEnd->render())
        m_recoveryPending = true;
    const bool modalOpen = Prompter::get().openModalCount() > 0;
    if (m_recoveryPending)
        return !modalOpen && recoverLostDevice();
    if (m_reinitializePending && !modalOpen)
        reinitializeRenderPane();
    return true;
}

// After a failed restart the render system is gone for good: the failure is logged once and the
// preview stops. True when the render system works again.
bool MainWindow::recoverLostDevice()
{
    m_recoveryPending = false;
    s_sleep(500);
    if (!reinitializeRenderPane() || !m_backEnd->isRenderSystemOK()) {
        MessageLog::getInstance()->log(LOG_ERROR, "FAILED to recover from lost device", ".\\MainWindow", 401,
                                       "MainWindow::OnIdle");
        m_previewStopped = true;
        return false;
    }
    MessageLog::getInstance()->log(LOG_INFORMATION, "Recovered from lost device", ".\\MainWindow", 397,
                                   "MainWindow::OnIdle");
    return true;
}

// True when the render system was restarted.
bool MainWindow::reinitializeRenderPane()
{
    if (!isBackEndReady())
        return false;
    m_reinitializePending = Prompter::get().openModalCount() > 0;
    if (m_reinitializePending)
        return false;
    const bool restarted = m_backEnd->restartRenderSystem();
    if (restarted)
        m_previewStopped = false;
    updateFileList();
    updateTextureList();
    return restarted;
}

void MainWindow::resetWindow()
{
    if (!isBackEndReady())
        return;
    if (Prompter::get().messageBox("Are you sure you want to reset the window sizes?", "Confirm Reset",
                                   wxYES_NO, nullptr) != wxYES)
        return;
    m_updating = true;
    m_backEnd->getSettings()->resetWindowSizes();
    applyLayout();
    reinitializeRenderPane();
    m_updating = false;
}

// A dismissed Save Changes dialog, or a save that failed, keeps the window and every archive open,
// unless the close cannot be refused (the session ends).
void MainWindow::OnClose(wxCloseEvent& event)
{
    std::vector<const WTDFile*> kept;
    const bool confirmed = checkSaveChanges(-1, kept);
    if (event.CanVeto() && (!confirmed || !kept.empty())) {
        for (const WTDFile* file : kept)
            MessageLog::getInstance()->log(
                LOG_ERROR, "Exit canceled, the changes of this file could not be saved: %s", ".\\MainWindow",
                1112, "MainWindow::OnClose", file->getPath().c_str());
        setStatus("Exit canceled");
        event.Veto();
        return;
    }
    event.Skip();
}

MainWindow::~MainWindow()
{
    saveArchiveList();
    m_backEnd.reset();
    STDFunctions::release();
    MessageLog::getInstance()->saveLog("log.txt");
    // The lists only borrow the image list; they must not keep a pointer to a deleted one.
    m_textureList->SetImageList(nullptr, wxIMAGE_LIST_SMALL);
    m_fileList->SetImageList(nullptr, wxIMAGE_LIST_SMALL);
    m_imageList.reset();
    MessageLog::getInstance()->removeListener(this);
}

static void makeConfigFolder()
{
    if (!STDFunctions::pathExists(CONFIG_FOLDER_TEST))
        CreateDirectoryA(CONFIG_FOLDER, nullptr);
}

void MainWindow::saveArchiveList()
{
    if (!isBackEndReady())
        return;
    makeConfigFolder();
    FileReplacement list(PathSpelling::toFileSystem(ARCHIVE_LIST_PATH));
    if (!list.isOpen())
        return;
    // With reopening turned off the list is left empty.
    if (m_backEnd->getSettings()->m_autoOpenLastFiles)
        for (uint32_t i = 0; i < m_backEnd->getFileCount(); ++i)
            list.stream() << m_backEnd->getFile(i)->getPath() << '\n';
    list.commit();
}

void MainWindow::reopenArchiveList()
{
    if (!isBackEndReady() || !m_backEnd->getSettings()->m_autoOpenLastFiles)
        return;
    makeConfigFolder();
    // Read only: the list is never written here, and a list without write permission must still open.
    std::ifstream list(PathSpelling::toFileSystem(ARCHIVE_LIST_PATH));
    if (!list.is_open())
        return;
    std::string line;
    while (std::getline(list, line)) {
        // A list written on Windows ends its lines with CR LF.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            m_backEnd->openFile(line, true);
    }
    refreshAfterOpen();
}

wxIcon MainWindow::GetIconResource(const wxString& name)
{
    return WindowHelpers::iconResource(name);
}
