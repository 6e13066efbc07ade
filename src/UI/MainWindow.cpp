#include "UI/MainWindow.h"

#include "Backend/BackEnd.h"
#include "UI/RenderPanel.h"
#include "UI/TextureListCtrl.h"
#include "UI/WindowIds.h"

#include <wx/accel.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <cstdlib>
#include <memory>

namespace
{
const long SPLITTER_STYLE = wxSP_3DBORDER | wxSP_3DSASH | wxNO_BORDER;
// Keeps every pane at least this wide and high: a pane dragged or double-clicked to nothing would unsplit
// its splitter, and nothing in the window can split it again. The log's notebook sets the size: it needs
// room for its tab beside and above the log control's creation size (100 x 100), and given less the
// toolkit cannot lay it out.
const int MINIMUM_PANE_SIZE = 150;
// Room for two panes and a sash either way, so every pane keeps its minimum whatever the sash positions.
const wxSize MINIMUM_CLIENT_SIZE(2 * MINIMUM_PANE_SIZE + 20, 2 * MINIMUM_PANE_SIZE + 20);
} // namespace

wxBEGIN_EVENT_TABLE(MainWindow, wxFrame)
    EVT_CLOSE(MainWindow::OnClose)
    EVT_SIZE(MainWindow::OnSize)
    EVT_IDLE(MainWindow::OnIdle)
    EVT_MENU(ID_MENU_NEW, MainWindow::OnMenuNew)
    EVT_MENU(ID_MENU_OPEN, MainWindow::OnMenuOpen)
    EVT_MENU(ID_MENU_CLOSE, MainWindow::OnMenuClose)
    EVT_MENU(ID_MENU_CLOSE_ALL, MainWindow::OnMenuCloseAll)
    EVT_MENU(ID_MENU_SAVE, MainWindow::OnMenuSave)
    EVT_MENU(ID_MENU_SAVE_AS, MainWindow::OnMenuSaveAs)
    EVT_MENU(ID_MENU_RELOAD, MainWindow::OnMenuReload)
    EVT_MENU(ID_MENU_RECENT1, MainWindow::OnMenuRecent1)
    EVT_MENU(ID_MENU_RECENT2, MainWindow::OnMenuRecent2)
    EVT_MENU(ID_MENU_RECENT3, MainWindow::OnMenuRecent3)
    EVT_MENU(ID_MENU_RECENT4, MainWindow::OnMenuRecent4)
    EVT_MENU(ID_MENU_RECENT5, MainWindow::OnMenuRecent5)
    EVT_MENU(ID_MENU_EXIT, MainWindow::OnMenuExit)
    EVT_MENU(ID_MENU_SELECT_ALL_TEXTURES, MainWindow::OnMenuSelectAllTextures)
    EVT_MENU(ID_MENU_SELECT_NO_TEXTURES, MainWindow::OnMenuSelectNoTextures)
    EVT_MENU(ID_MENU_INVERT_TEXTURE_SELECTION, MainWindow::OnMenuInvertTextureSelection)
    EVT_MENU(ID_MENU_SELECT_ALL_FILES, MainWindow::OnMenuSelectAllFiles)
    EVT_MENU(ID_MENU_SELECT_NO_FILES, MainWindow::OnMenuSelectNoFiles)
    EVT_MENU(ID_MENU_INVERT_FILE_SELECTION, MainWindow::OnMenuInvertFileSelection)
    EVT_MENU(ID_MENU_ADD, MainWindow::OnMenuAdd)
    EVT_MENU(ID_MENU_EXTRACT, MainWindow::OnMenuExtract)
    EVT_MENU(ID_MENU_EXTRACT_ALL, MainWindow::OnMenuExtractAll)
    EVT_MENU(ID_MENU_DELETE, MainWindow::OnMenuDelete)
    EVT_MENU(ID_MENU_REPLACE, MainWindow::OnMenuReplace)
    EVT_MENU(ID_MENU_GENERATE_MIPMAPS, MainWindow::OnMenuGenerateMipMaps)
    EVT_MENU(ID_MENU_RESET_WINDOW, MainWindow::OnMenuResetWindow)
    EVT_MENU(ID_MENU_REINITIALIZE_RENDER_PANE, MainWindow::OnMenuReinitializeRenderPane)
    EVT_MENU(ID_MENU_PREFERENCES, MainWindow::OnMenuPreferences)
    EVT_MENU(ID_MENU_ABOUT, MainWindow::OnMenuAbout)
    EVT_SPLITTER_SASH_POS_CHANGED(ID_SPLITTER_MAIN, MainWindow::OnSplitterMainSashChanged)
    EVT_SPLITTER_SASH_POS_CHANGED(ID_SPLITTER_FILE_AREA, MainWindow::OnSplitterFileAreaSashChanged)
    EVT_LIST_ITEM_SELECTED(ID_TEXTURE_LIST, MainWindow::OnTextureListItemSelected)
    EVT_LIST_END_LABEL_EDIT(ID_TEXTURE_LIST, MainWindow::OnTextureListEndLabelEdit)
    EVT_LIST_COL_CLICK(ID_TEXTURE_LIST, MainWindow::OnTextureListColClick)
    EVT_LIST_ITEM_SELECTED(ID_FILE_LIST, MainWindow::OnFileListItemSelected)
    EVT_SPLITTER_SASH_POS_CHANGED(ID_SPLITTER_VIEWER_AREA, MainWindow::OnSplitterViewerAreaSashChanged)
    EVT_CHAR_HOOK(MainWindow::OnCharHook)
wxEND_EVENT_TABLE()

MainWindow::MainWindow(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                       const wxSize& size, long style)
{
    Init();
    Create(parent, id, caption, pos, size, style);
}

void MainWindow::Init()
{
    m_fileMenu = nullptr;
    m_splitterMain = nullptr;
    m_splitterFileArea = nullptr;
    m_textureList = nullptr;
    m_fileList = nullptr;
    m_splitterViewerArea = nullptr;
    m_renderPanel = nullptr;
    m_displayBook = nullptr;
    m_logText = nullptr;
    m_statusBar = nullptr;
    m_statusText = nullptr;
    m_progressBar = nullptr;
}

bool MainWindow::Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                        const wxSize& size, long style)
{
    // GTK's overlay scroll bars fade in and out on the frame clock, and the log pane's fade can keep
    // running after a render-system restart, drawing the panes around it at every frame while nothing
    // changes. Classic scroll bars do not fade. A user's own setting of the variable stands.
    setenv("GTK_OVERLAY_SCROLLING", "0", 0);
    wxFrame::Create(parent, id, caption, pos, size, style, "frame");
    CreateControls();
    SetIcon(GetIconResource("Resources/icons/varnel_small.ico"));
    Centre(wxBOTH);
    const std::pair<int, int> sashes[] = {
        {ID_SPLITTER_MAIN, 250}, {ID_SPLITTER_FILE_AREA, 350}, {ID_SPLITTER_VIEWER_AREA, 350}};
    for (const auto& sash : sashes) {
        wxSplitterWindow* splitter = wxDynamicCast(FindWindow(sash.first), wxSplitterWindow);
        if (splitter != nullptr)
            splitter->SetSashPosition(sash.second, true);
    }
    startUp();
    return true;
}

void MainWindow::CreateControls()
{
    buildMenus();

    m_splitterMain =
        new wxSplitterWindow(this, ID_SPLITTER_MAIN, wxDefaultPosition, wxSize(100, 100), SPLITTER_STYLE);
    m_splitterMain->SetMinimumPaneSize(MINIMUM_PANE_SIZE);
    m_splitterMain->SetName("m_splitterMain");

    m_splitterFileArea = new wxSplitterWindow(m_splitterMain, ID_SPLITTER_FILE_AREA, wxDefaultPosition,
                                              wxSize(100, 100), SPLITTER_STYLE);
    m_splitterFileArea->SetMinimumPaneSize(MINIMUM_PANE_SIZE);
    m_splitterFileArea->SetName("m_splitterFileArea");

    m_textureList = new TextureListCtrl(m_splitterFileArea, ID_TEXTURE_LIST, wxDefaultPosition,
                                        wxSize(100, 100), wxLC_REPORT | wxLC_EDIT_LABELS);
    m_textureList->SetName("m_textureList");

    m_fileList =
        new wxListCtrl(m_splitterFileArea, ID_FILE_LIST, wxDefaultPosition, wxSize(100, 100), wxLC_REPORT);
    m_fileList->SetName("m_fileList");
    m_splitterFileArea->SplitHorizontally(m_textureList, m_fileList, 350);

    m_splitterViewerArea = new wxSplitterWindow(m_splitterMain, ID_SPLITTER_VIEWER_AREA, wxDefaultPosition,
                                                wxSize(100, 100), SPLITTER_STYLE);
    m_splitterViewerArea->SetMinimumPaneSize(MINIMUM_PANE_SIZE);
    m_splitterViewerArea->SetName("m_splitterViewerArea");

    m_renderPanel = new RenderPanel(m_splitterViewerArea, ID_RENDER_PANEL, wxDefaultPosition, wxDefaultSize,
                                    wxSUNKEN_BORDER | wxTAB_TRAVERSAL);
    m_renderPanel->SetName("m_renderPanel");

    m_displayBook =
        new wxNotebook(m_splitterViewerArea, ID_DISPLAY_BOOK, wxDefaultPosition, wxDefaultSize, 0);
    m_displayBook->SetName("m_displayBook");

    // Read-only: the pane is the log's record of the run, and an editable pane would also swallow the
    // menu keys (Del, Ctrl-X) as edits. The native control lays out only the lines it shows, so a
    // command that logs a thousand lines does not wait for all of them to be measured. Long lines wrap,
    // so that a path or the reason of a failure is read without scrolling sideways.
    m_logText = new wxTextCtrl(m_displayBook, ID_LOG_TEXT, wxEmptyString, wxDefaultPosition, wxSize(100, 100),
                               wxTE_MULTILINE | wxTE_RICH2 | wxTE_READONLY | wxNO_BORDER);
    m_logText->SetName("m_logText");
    m_displayBook->AddPage(m_logText, _("Log"), false);

    m_splitterViewerArea->SplitHorizontally(m_renderPanel, m_displayBook, 350);
    m_splitterMain->SplitVertically(m_splitterFileArea, m_splitterViewerArea, 250);

    m_statusBar = new wxStatusBar(this, ID_STATUS_BAR, wxST_SIZEGRIP | wxNO_BORDER);
    m_statusBar->SetName("m_statusBar");
    m_statusBar->SetFieldsCount(2);
    SetStatusBar(m_statusBar);

    m_statusText =
        new wxStaticText(m_statusBar, ID_STATUS_TEXT, _("Varnel"), wxPoint(5, 5), wxDefaultSize, 0);
    m_statusText->SetName("m_statusText");

    m_progressBar = new wxGauge(m_statusBar, ID_PROGRESS_BAR, 100, wxPoint(5, 5), wxSize(200, 15), 0);
    m_progressBar->SetValue(50);
    m_progressBar->SetName("m_progressBar");
    m_progressBar->Show(false);

    SetMinClientSize(MINIMUM_CLIENT_SIZE);
}

void MainWindow::buildMenus()
{
    wxMenuBar* menuBar = new wxMenuBar;

    m_fileMenu = new wxMenu;
    m_fileMenu->Append(ID_MENU_NEW, _("&New\tCtrl-N"), wxEmptyString, wxITEM_NORMAL);
    m_fileMenu->Append(ID_MENU_OPEN, _("&Open\tCtrl-O"), wxEmptyString, wxITEM_NORMAL);
    m_fileMenu->Append(ID_MENU_CLOSE, _("Close\tCtrl-T"), wxEmptyString, wxITEM_NORMAL);
    m_fileMenu->Append(ID_MENU_CLOSE_ALL, _("Close All"), wxEmptyString, wxITEM_NORMAL);
    m_fileMenu->AppendSeparator();
    m_fileMenu->Append(ID_MENU_SAVE, _("&Save\tCtrl-S"), wxEmptyString, wxITEM_NORMAL);
    m_fileMenu->Append(ID_MENU_SAVE_AS, _("Save As"), wxEmptyString, wxITEM_NORMAL);
    m_fileMenu->Append(ID_MENU_RELOAD, _("&Reload\tCtrl-R"), wxEmptyString, wxITEM_NORMAL);
    m_fileMenu->AppendSeparator();
    m_fileMenu->Append(ID_MENU_RECENT1, _("Recent 1"), wxEmptyString, wxITEM_NORMAL);
    m_fileMenu->Append(ID_MENU_RECENT2, _("Recent 2"), wxEmptyString, wxITEM_NORMAL);
    m_fileMenu->Append(ID_MENU_RECENT3, _("Recent 3"), wxEmptyString, wxITEM_NORMAL);
    m_fileMenu->Append(ID_MENU_RECENT4, _("Recent 4"), wxEmptyString, wxITEM_NORMAL);
    m_fileMenu->Append(ID_MENU_RECENT5, _("Recent 5"), wxEmptyString, wxITEM_NORMAL);
    m_fileMenu->AppendSeparator();
    m_fileMenu->Append(ID_MENU_EXIT, _("E&xit       \tCtrl-X"), wxEmptyString, wxITEM_NORMAL);
    menuBar->Append(m_fileMenu, _("File"));

    wxMenu* editMenu = new wxMenu;
    editMenu->Append(ID_MENU_SELECT_ALL_TEXTURES, _("Select &All Textures\tCtrl+A"), wxEmptyString,
                     wxITEM_NORMAL);
    editMenu->Append(ID_MENU_SELECT_NO_TEXTURES, _("Textures Select None"), wxEmptyString, wxITEM_NORMAL);
    editMenu->Append(ID_MENU_INVERT_TEXTURE_SELECTION, _("&Invert Texture Selection\tCtrl+I"), wxEmptyString,
                     wxITEM_NORMAL);
    editMenu->AppendSeparator();
    editMenu->Append(ID_MENU_SELECT_ALL_FILES, _("Select All Files"), wxEmptyString, wxITEM_NORMAL);
    editMenu->Append(ID_MENU_SELECT_NO_FILES, _("Files Select None"), wxEmptyString, wxITEM_NORMAL);
    editMenu->Append(ID_MENU_INVERT_FILE_SELECTION, _("Invert File Selection"), wxEmptyString, wxITEM_NORMAL);
    menuBar->Append(editMenu, _("Edit"));

    wxMenu* texturesMenu = new wxMenu;
    texturesMenu->Append(ID_MENU_ADD, _("&Add\tIns"), wxEmptyString, wxITEM_NORMAL);
    texturesMenu->Append(ID_MENU_EXTRACT, _("&Extract\tCtrl-E"), wxEmptyString, wxITEM_NORMAL);
    texturesMenu->Append(ID_MENU_EXTRACT_ALL, _("Extract All"), wxEmptyString, wxITEM_NORMAL);
    texturesMenu->AppendSeparator();
    texturesMenu->Append(ID_MENU_DELETE, _("&Delete\tDel"), wxEmptyString, wxITEM_NORMAL);
    texturesMenu->Append(ID_MENU_REPLACE, _("&Replace\tCtrl-R"), wxEmptyString, wxITEM_NORMAL);
    texturesMenu->AppendSeparator();
    texturesMenu->Append(ID_MENU_GENERATE_MIPMAPS, _("Generate &MipMaps\tCtrl-M"), wxEmptyString,
                         wxITEM_NORMAL);
    menuBar->Append(texturesMenu, _("&Textures"));

    wxMenu* configureMenu = new wxMenu;
    configureMenu->Append(ID_MENU_RESET_WINDOW, _("Reset Window"), wxEmptyString, wxITEM_NORMAL);
    configureMenu->Append(ID_MENU_REINITIALIZE_RENDER_PANE, _("Reinitialize Render Pane\tF2"), wxEmptyString,
                          wxITEM_NORMAL);
    configureMenu->Append(ID_MENU_PREFERENCES, _("Preferences"), wxEmptyString, wxITEM_NORMAL);
    menuBar->Append(configureMenu, _("Configue"));

    wxMenu* helpMenu = new wxMenu;
    helpMenu->Append(ID_MENU_ABOUT, _("About"), wxEmptyString, wxITEM_NORMAL);
    menuBar->Append(helpMenu, _("Help"));

    buildAcceleratorMap(menuBar);
    SetMenuBar(menuBar);
}

// The menus are walked in bar order and a later item takes a key from an earlier one, so Ctrl-R, which
// both Reload and Replace show, fires Replace: the command that asks before it changes anything.
void MainWindow::buildAcceleratorMap(wxMenuBar* menuBar)
{
    m_accelerators.clear();
    for (size_t menu = 0; menu < menuBar->GetMenuCount(); ++menu) {
        for (wxMenuItem* item : menuBar->GetMenu(menu)->GetMenuItems()) {
            std::unique_ptr<wxAcceleratorEntry> accelerator(item->GetAccel());
            if (accelerator)
                m_accelerators[{accelerator->GetFlags(), accelerator->GetKeyCode()}] = item->GetId();
        }
    }
}

// GTK hands a key to the focused control before the menus see it, so the lists and the log pane would
// swallow Del, Ins, F2, Ctrl+A, Ctrl+I, Ctrl-X and Ctrl-M. The frame's key hook sees every key first.
void MainWindow::OnCharHook(wxKeyEvent& event)
{
    if (!fireMenuAccelerator(event))
        event.Skip();
}

// Fires the menu command whose accelerator the key is; only the label editor keeps all its keys.
bool MainWindow::fireMenuAccelerator(const wxKeyEvent& key)
{
    if (m_textureList != nullptr && m_textureList->GetEditControl() != nullptr)
        return false;
    const int modifiers = key.GetModifiers() & (wxMOD_ALT | wxMOD_CONTROL | wxMOD_SHIFT);
    int keyCode = key.GetKeyCode();
    if (keyCode >= 'a' && keyCode <= 'z')
        keyCode = keyCode - 'a' + 'A';
    const auto found = m_accelerators.find({modifiers, keyCode});
    if (found == m_accelerators.end())
        return false;
    wxCommandEvent command(wxEVT_MENU, found->second);
    command.SetEventObject(this);
    GetEventHandler()->ProcessEvent(command);
    return true;
}

bool MainWindow::isBackEndReady() const
{
    return m_backEnd != nullptr && m_backEnd->isRenderSystemOK();
}

void MainWindow::setupListColumns()
{
    m_textureList->InsertColumn(0, _("Name"), wxLIST_FORMAT_LEFT, 170);
    m_textureList->InsertColumn(1, _("Format"), wxLIST_FORMAT_LEFT, 50);
    m_textureList->InsertColumn(2, _("Dimensions"), wxLIST_FORMAT_CENTRE, 80);
    m_fileList->InsertColumn(0, _("File"), wxLIST_FORMAT_LEFT, 150);
    m_fileList->InsertColumn(1, _("Textures"), wxLIST_FORMAT_LEFT, 70);
}

void MainWindow::setStatus(const wxString& text)
{
    m_statusText->SetLabelText(text);
}

void MainWindow::showProgress(int range)
{
    m_progressBar->SetRange(range);
    m_progressBar->Show(true);
    m_progressBar->Update();
}

void MainWindow::setProgress(int value)
{
    m_progressBar->SetValue(value);
    m_progressBar->Update();
}

void MainWindow::hideProgress()
{
    m_progressBar->Show(false);
}

void MainWindow::OnMenuNew(wxCommandEvent& event)
{
    newFile();
    event.Skip();
}

void MainWindow::OnMenuOpen(wxCommandEvent& event)
{
    openFile();
    event.Skip();
}

void MainWindow::OnMenuClose(wxCommandEvent& event)
{
    closeFiles();
    event.Skip();
}

void MainWindow::OnMenuCloseAll(wxCommandEvent& event)
{
    closeAllFiles();
    event.Skip();
}

void MainWindow::OnMenuSave(wxCommandEvent& event)
{
    saveFile();
    event.Skip();
}

void MainWindow::OnMenuSaveAs(wxCommandEvent& event)
{
    saveFileAs();
    event.Skip();
}

void MainWindow::OnMenuReload(wxCommandEvent& event)
{
    reloadFile();
    event.Skip();
}

void MainWindow::OnMenuRecent1(wxCommandEvent& event)
{
    openRecentFile(0);
    event.Skip();
}

void MainWindow::OnMenuRecent2(wxCommandEvent& event)
{
    openRecentFile(1);
    event.Skip();
}

void MainWindow::OnMenuRecent3(wxCommandEvent& event)
{
    openRecentFile(2);
    event.Skip();
}

void MainWindow::OnMenuRecent4(wxCommandEvent& event)
{
    openRecentFile(3);
    event.Skip();
}

void MainWindow::OnMenuRecent5(wxCommandEvent& event)
{
    openRecentFile(4);
    event.Skip();
}

void MainWindow::OnMenuExit(wxCommandEvent& event)
{
    Close(false);
    event.Skip();
}

void MainWindow::OnMenuSelectAllTextures(wxCommandEvent& event)
{
    selectAllTextures();
    event.Skip();
}

void MainWindow::OnMenuSelectNoTextures(wxCommandEvent& event)
{
    selectNoTextures();
    event.Skip();
}

void MainWindow::OnMenuInvertTextureSelection(wxCommandEvent& event)
{
    invertTextureSelection();
    event.Skip();
}

void MainWindow::OnMenuSelectAllFiles(wxCommandEvent& event)
{
    selectAllFiles();
    event.Skip();
}

void MainWindow::OnMenuSelectNoFiles(wxCommandEvent& event)
{
    selectNoFiles();
    event.Skip();
}

void MainWindow::OnMenuInvertFileSelection(wxCommandEvent& event)
{
    invertFileSelection();
    event.Skip();
}

void MainWindow::OnMenuAdd(wxCommandEvent& event)
{
    addTextures();
    event.Skip();
}

void MainWindow::OnMenuExtract(wxCommandEvent& event)
{
    extractTextures();
    event.Skip();
}

void MainWindow::OnMenuExtractAll(wxCommandEvent& event)
{
    extractAllTextures();
    event.Skip();
}

void MainWindow::OnMenuDelete(wxCommandEvent& event)
{
    deleteTextures();
    event.Skip();
}

void MainWindow::OnMenuReplace(wxCommandEvent& event)
{
    replaceTextures();
    event.Skip();
}

void MainWindow::OnMenuGenerateMipMaps(wxCommandEvent& event)
{
    generateMipMaps();
    event.Skip();
}

void MainWindow::OnMenuResetWindow(wxCommandEvent& event)
{
    resetWindow();
    event.Skip();
}

void MainWindow::OnMenuReinitializeRenderPane(wxCommandEvent& event)
{
    reinitializeRenderPane();
    event.Skip();
}

void MainWindow::OnMenuPreferences(wxCommandEvent& event)
{
    showPreferences();
    event.Skip();
}
