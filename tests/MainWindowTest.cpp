#include "GuiTest.h"
#include "ScriptedPrompter.h"

#include "Backend/BackEnd.h"
#include "Backend/Settings.h"
#include "MainWindow.h"
#include "Platform/D3D9Types.h"
#include "Platform/TestHooks.h"
#include "RenderPanel.h"
#include "Support/ArchiveBuilder.h"
#include "Support/LogCapture.h"
#include "WTD/WTDFile.h"
#include "WindowIds.h"

#include <wx/gauge.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/richtext/richtextctrl.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace
{
template <typename T>
T* child(wxWindow* window, int id)
{
    T* found = wxDynamicCast(window->FindWindow(id), T);
    EXPECT_NE(found, nullptr) << "no window " << id;
    return found;
}

std::vector<std::string> rowTexts(wxListCtrl* list, int column)
{
    std::vector<std::string> texts;
    for (long row = 0; row < list->GetItemCount(); ++row)
        texts.push_back(std::string(list->GetItemText(row, column).utf8_str()));
    return texts;
}

std::vector<long> selectedRows(wxListCtrl* list)
{
    std::vector<long> rows;
    for (long row = list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
         row = list->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        rows.push_back(row);
    return rows;
}

void sendMenu(MainWindow* window, int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
}

// How many received lines of the level contain the text.
size_t countLogged(LogLevel level, const std::string& text)
{
    size_t count = 0;
    for (const LogCapture::Entry& entry : LogCapture::instance().entries())
        count += entry.level == level && entry.line.find(text) != std::string::npos ? 1 : 0;
    return count;
}

// Returns whether the handler asked for more idle events.
bool sendIdle(MainWindow* window)
{
    wxIdleEvent event;
    window->GetEventHandler()->ProcessEvent(event);
    return event.MoreRequested();
}
}

class MainWindowTest : public GuiTest
{
protected:
    // Writes an archive of the named textures (DXT1 of the given sizes) to a relative path.
    static void writeArchive(const std::string& path, const std::vector<std::string>& names)
    {
        ArchiveBuilder builder;
        for (const std::string& name : names)
            builder.addTexture(name, 16, 8, D3DFMT_DXT1, 1);
        ASSERT_TRUE(builder.writeTo(path));
    }

    void writeArchiveList(const std::string& contents)
    {
        mkdir("config", 0777);
        writeFile("config/varnel_ar.arf", contents);
    }

    // Opens the archives through the reopen list, as a start-up after a run that left them open.
    MainWindow* startWith(const std::vector<std::string>& paths)
    {
        std::string list;
        for (const std::string& path : paths)
            list += path + "\n";
        writeArchiveList(list);
        return createMainWindow();
    }

    wxListCtrl* textureList() { return child<wxListCtrl>(m_window, ID_TEXTURE_LIST); }
    wxListCtrl* fileList() { return child<wxListCtrl>(m_window, ID_FILE_LIST); }
    wxString status() { return child<wxStaticText>(m_window, ID_STATUS_TEXT)->GetLabel(); }
    Settings* settings() { return m_window->getBackEnd()->getSettings(); }
    WTDFile* archive(size_t index) { return m_window->getBackEnd()->m_files.at(index)->m_file; }

    ScriptedPrompter m_prompter;
};

TEST_F(MainWindowTest, BuildsTheWindowTreeWithItsIdentifiersNamesAndStyles)
{
    createMainWindow();
    EXPECT_EQ(m_window->GetId(), ID_MAIN_WINDOW);
    EXPECT_EQ(m_window->GetTitle(), "Varnel - Oskery");
    EXPECT_EQ(m_window->GetName(), "frame");
    EXPECT_FALSE(m_window->HasFlag(wxCLIP_CHILDREN));
    const struct
    {
        int id;
        const char* name;
        wxWindow* parent;
    } windows[] = {
        {ID_STATUS_BAR, "m_statusBar", m_window},
        {ID_SPLITTER_MAIN, "m_splitterMain", m_window},
        {ID_SPLITTER_FILE_AREA, "m_splitterFileArea", m_window->FindWindow(ID_SPLITTER_MAIN)},
        {ID_SPLITTER_VIEWER_AREA, "m_splitterViewerArea", m_window->FindWindow(ID_SPLITTER_MAIN)},
        {ID_TEXTURE_LIST, "m_textureList", m_window->FindWindow(ID_SPLITTER_FILE_AREA)},
        {ID_FILE_LIST, "m_fileList", m_window->FindWindow(ID_SPLITTER_FILE_AREA)},
        {ID_RENDER_PANEL, "m_renderPanel", m_window->FindWindow(ID_SPLITTER_VIEWER_AREA)},
        {ID_DISPLAY_BOOK, "m_displayBook", m_window->FindWindow(ID_SPLITTER_VIEWER_AREA)},
        {ID_LOG_TEXT, "m_logText", m_window->FindWindow(ID_DISPLAY_BOOK)},
        {ID_STATUS_TEXT, "m_statusText", m_window->FindWindow(ID_STATUS_BAR)},
        {ID_PROGRESS_BAR, "m_progressBar", m_window->FindWindow(ID_STATUS_BAR)},
    };
    for (const auto& expected : windows)
    {
        wxWindow* window = m_window->FindWindow(expected.id);
        ASSERT_NE(window, nullptr) << expected.name;
        EXPECT_EQ(window->GetName(), expected.name);
        EXPECT_EQ(window->GetParent(), expected.parent) << expected.name;
    }

    wxSplitterWindow* main = child<wxSplitterWindow>(m_window, ID_SPLITTER_MAIN);
    EXPECT_EQ(main->GetSplitMode(), wxSPLIT_VERTICAL);
    EXPECT_EQ(main->GetWindow1(), m_window->FindWindow(ID_SPLITTER_FILE_AREA));
    EXPECT_EQ(main->GetWindow2(), m_window->FindWindow(ID_SPLITTER_VIEWER_AREA));
    EXPECT_TRUE(main->HasFlag(wxSP_3DBORDER | wxSP_3DSASH));
    wxSplitterWindow* fileArea = child<wxSplitterWindow>(m_window, ID_SPLITTER_FILE_AREA);
    EXPECT_EQ(fileArea->GetSplitMode(), wxSPLIT_HORIZONTAL);
    EXPECT_EQ(fileArea->GetWindow1(), textureList());
    EXPECT_EQ(fileArea->GetWindow2(), fileList());
    wxSplitterWindow* viewer = child<wxSplitterWindow>(m_window, ID_SPLITTER_VIEWER_AREA);
    EXPECT_EQ(viewer->GetSplitMode(), wxSPLIT_HORIZONTAL);
    EXPECT_EQ(viewer->GetWindow1(), m_window->FindWindow(ID_RENDER_PANEL));
    EXPECT_EQ(viewer->GetWindow2(), m_window->FindWindow(ID_DISPLAY_BOOK));

    EXPECT_TRUE(textureList()->HasFlag(wxLC_REPORT | wxLC_EDIT_LABELS));
    EXPECT_FALSE(textureList()->HasFlag(wxLC_SINGLE_SEL));
    EXPECT_TRUE(fileList()->HasFlag(wxLC_REPORT));
    EXPECT_FALSE(fileList()->HasFlag(wxLC_EDIT_LABELS));
    EXPECT_FALSE(fileList()->HasFlag(wxLC_SINGLE_SEL));
    const struct
    {
        wxListCtrl* list;
        int column;
        const char* heading;
        int width;
        wxListColumnFormat alignment;
    } columns[] = {
        {textureList(), 0, "Name", 170, wxLIST_FORMAT_LEFT},
        {textureList(), 1, "Format", 50, wxLIST_FORMAT_LEFT},
        {textureList(), 2, "Dimensions", 80, wxLIST_FORMAT_CENTRE},
        {fileList(), 0, "File", 150, wxLIST_FORMAT_LEFT},
        {fileList(), 1, "Textures", 70, wxLIST_FORMAT_LEFT},
    };
    EXPECT_EQ(textureList()->GetColumnCount(), 3);
    EXPECT_EQ(fileList()->GetColumnCount(), 2);
    for (const auto& expected : columns)
    {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH | wxLIST_MASK_FORMAT);
        ASSERT_TRUE(expected.list->GetColumn(expected.column, column));
        EXPECT_EQ(column.GetText(), expected.heading);
        EXPECT_EQ(column.GetWidth(), expected.width) << expected.heading;
        EXPECT_EQ(column.GetAlign(), expected.alignment) << expected.heading;
    }

    wxNotebook* book = child<wxNotebook>(m_window, ID_DISPLAY_BOOK);
    ASSERT_EQ(book->GetPageCount(), 1u);
    EXPECT_EQ(book->GetPageText(0), "Log");
    EXPECT_EQ(book->GetPage(0), m_window->FindWindow(ID_LOG_TEXT));
    EXPECT_FALSE(child<wxRichTextCtrl>(m_window, ID_LOG_TEXT)->IsEditable());

    wxStatusBar* statusBar = child<wxStatusBar>(m_window, ID_STATUS_BAR);
    EXPECT_EQ(m_window->GetStatusBar(), statusBar);
    EXPECT_EQ(statusBar->GetFieldsCount(), 2);
    EXPECT_EQ(status(), "Varnel");
    wxGauge* gauge = child<wxGauge>(m_window, ID_PROGRESS_BAR);
    EXPECT_FALSE(gauge->IsShown());
    EXPECT_EQ(gauge->GetValue(), 50);
    EXPECT_EQ(gauge->GetRange(), 100);
    EXPECT_EQ(gauge->GetSize(), wxSize(200, 15));
    EXPECT_EQ(gauge->GetPosition(), wxPoint(5, 5));
}

TEST_F(MainWindowTest, MenusCarryTheirLabelsAcceleratorsAndIdentifiers)
{
    createMainWindow();
    wxMenuBar* bar = m_window->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 5u);
    const char* titles[] = {"File", "Edit", "&Textures", "Configue", "Help"};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(bar->GetMenuLabel(i), titles[i]);

    const std::vector<std::vector<std::pair<int, const char*>>> menus = {
        {{ID_MENU_NEW, "&New\tCtrl-N"}, {ID_MENU_OPEN, "&Open\tCtrl-O"}, {ID_MENU_CLOSE, "Close\tCtrl-T"},
         {ID_MENU_CLOSE_ALL, "Close All"}, {wxID_SEPARATOR, ""}, {ID_MENU_SAVE, "&Save\tCtrl-S"},
         {ID_MENU_SAVE_AS, "Save As"}, {ID_MENU_RELOAD, "&Reload\tCtrl-R"}, {wxID_SEPARATOR, ""},
         {ID_MENU_RECENT1, "1. "}, {ID_MENU_RECENT2, "2. "}, {ID_MENU_RECENT3, "3. "}, {ID_MENU_RECENT4, "4. "},
         {ID_MENU_RECENT5, "5. "}, {wxID_SEPARATOR, ""}, {ID_MENU_EXIT, "E&xit       \tCtrl-X"}},
        {{ID_MENU_SELECT_ALL_TEXTURES, "Select &All Textures\tCtrl+A"},
         {ID_MENU_SELECT_NO_TEXTURES, "Textures Select None"},
         {ID_MENU_INVERT_TEXTURE_SELECTION, "&Invert Texture Selection\tCtrl+I"}, {wxID_SEPARATOR, ""},
         {ID_MENU_SELECT_ALL_FILES, "Select All Files"}, {ID_MENU_SELECT_NO_FILES, "Files Select None"},
         {ID_MENU_INVERT_FILE_SELECTION, "Invert File Selection"}},
        {{ID_MENU_ADD, "&Add\tIns"}, {ID_MENU_EXTRACT, "&Extract\tCtrl-E"}, {ID_MENU_EXTRACT_ALL, "Extract All"},
         {wxID_SEPARATOR, ""}, {ID_MENU_DELETE, "&Delete\tDel"}, {ID_MENU_REPLACE, "&Replace\tCtrl-R"},
         {wxID_SEPARATOR, ""}, {ID_MENU_GENERATE_MIPMAPS, "Generate &MipMaps\tCtrl-M"}},
        {{ID_MENU_RESET_WINDOW, "Reset Window"},
         {ID_MENU_REINITIALIZE_RENDER_PANE, "Reinitialize Render Pane\tF2"},
         {ID_MENU_PREFERENCES, "Preferences"}},
        {{ID_MENU_ABOUT, "About"}},
    };
    for (size_t m = 0; m < menus.size(); ++m)
    {
        const wxMenuItemList& items = bar->GetMenu(m)->GetMenuItems();
        ASSERT_EQ(items.size(), menus[m].size()) << titles[m];
        size_t i = 0;
        for (const wxMenuItem* item : items)
        {
            EXPECT_EQ(item->GetId(), menus[m][i].first) << titles[m] << " item " << i;
            EXPECT_EQ(item->GetKind(), menus[m][i].first == wxID_SEPARATOR ? wxITEM_SEPARATOR : wxITEM_NORMAL);
            if (!item->IsSeparator())
            {
                // The toolkit normalises the accelerator's spelling; the key itself must stay.
                wxAcceleratorEntry expected;
                const wxString label = wxString::FromUTF8(menus[m][i].second);
                EXPECT_EQ(item->GetItemLabel().BeforeFirst('\t'), label.BeforeFirst('\t'));
                std::unique_ptr<wxAcceleratorEntry> accelerator(item->GetAccel());
                if (label.Contains("\t") && expected.FromString(label))
                {
                    ASSERT_TRUE(accelerator) << label;
                    EXPECT_EQ(accelerator->GetKeyCode(), expected.GetKeyCode()) << label;
                    EXPECT_EQ(accelerator->GetFlags(), expected.GetFlags()) << label;
                }
                else
                {
                    EXPECT_FALSE(accelerator) << label;
                }
                EXPECT_TRUE(item->GetHelp().empty());
            }
            ++i;
        }
    }
}

TEST_F(MainWindowTest, ReopensTheArchivesOfTheLastRunInOrderAndSelectsTheLast)
{
    writeArchive("a.wtd", {"alpha"});
    writeArchive("b.wtd", {"one", "two"});
    startWith({"a.wtd", "b.wtd"});
    ASSERT_EQ(m_window->getBackEnd()->getFileCount(), 2u);
    EXPECT_EQ(archive(0)->getPath(), "a.wtd");
    EXPECT_EQ(archive(1)->getPath(), "b.wtd");
    EXPECT_EQ(m_window->getBackEnd()->getSelectedFileIndex(), 1u);
    EXPECT_EQ(rowTexts(fileList(), 0), (std::vector<std::string>{"a.wtd", "b.wtd"}));
    EXPECT_EQ(selectedRows(fileList()), std::vector<long>{1});
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(settings()->m_recentFiles[0], "b.wtd");
    EXPECT_EQ(settings()->m_recentFiles[1], "a.wtd");
    wxMenu* fileMenu = m_window->GetMenuBar()->GetMenu(0);
    EXPECT_EQ(fileMenu->GetLabel(ID_MENU_RECENT1), "1. b.wtd");
    EXPECT_EQ(fileMenu->GetLabel(ID_MENU_RECENT2), "2. a.wtd");
    EXPECT_EQ(fileMenu->GetLabel(ID_MENU_RECENT3), "3. ");
}

TEST_F(MainWindowTest, WritesTheOpenArchivesToTheListAtExit)
{
    writeArchive("a.wtd", {"alpha"});
    writeArchive("b.wtd", {"beta"});
    startWith({"b.wtd", "a.wtd"});
    destroyMainWindow();
    EXPECT_EQ(readFile("config/varnel_ar.arf"), "b.wtd\na.wtd\n");
    EXPECT_NE(readFile("log.txt").find("Backend system shutdown"), std::string::npos);
}

TEST_F(MainWindowTest, WithReopeningOffTheListIsNotReadAndIsLeftEmptyAtExit)
{
    writeArchive("a.wtd", {"alpha"});
    writeArchiveList("a.wtd\n");
    {
        Settings stored("config\\varnel.bcf");
        stored.m_autoOpenLastFiles = false;
        ASSERT_TRUE(stored.saveFile());
    }
    createMainWindow();
    EXPECT_EQ(m_window->getBackEnd()->getFileCount(), 0u);
    destroyMainWindow();
    EXPECT_EQ(readFile("config/varnel_ar.arf"), "");
}

TEST_F(MainWindowTest, AMissingListOpensNothingAndShowsNothing)
{
    createMainWindow();
    EXPECT_EQ(m_window->getBackEnd()->getFileCount(), 0u);
    EXPECT_TRUE(m_prompter.asked().empty());
    struct stat info;
    EXPECT_EQ(stat("config", &info), 0);
}

TEST_F(MainWindowTest, ListLinesArePathsAsTheyStandWithWindowsLineEndsAccepted)
{
    writeArchive("a.wtd", {"alpha"});
    writeArchive("b.wtd", {"beta"});
    writeArchive("c.wtd", {"gamma"});
    writeArchiveList("a.wtd  \r\n\r\nb.wtd\r\nc.wtd");
    createMainWindow();
    EXPECT_LOGGED_LINE(LOG_ERROR, "BackEnd::openFile(138) - Unable to open file, invalid file path: a.wtd  ");
    ASSERT_EQ(m_window->getBackEnd()->getFileCount(), 2u);
    EXPECT_EQ(archive(0)->getPath(), "b.wtd");
    EXPECT_EQ(archive(1)->getPath(), "c.wtd");
}

TEST_F(MainWindowTest, AFailedStartShowsTheBoxWritesNoListAndClosesUnshown)
{
    writeArchive("a.wtd", {"alpha"});
    writeArchiveList("a.wtd\n");
    TestHooks::failNextCreateDevice();
    m_prompter.answerMessage(wxOK);
    createMainWindow();
    ASSERT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(m_prompter.asked()[0].text, "Varnel backend failed to start, unable to continue.\nApplication must now close");
    EXPECT_EQ(m_prompter.asked()[0].caption, "Failure to start");
    EXPECT_EQ(m_prompter.asked()[0].style & (wxOK | wxYES_NO | wxCANCEL), wxOK);
    EXPECT_EQ(m_window->getBackEnd(), nullptr);
    EXPECT_FALSE(m_window->IsShown());
    EXPECT_FALSE(sendIdle(m_window));
    // The close it asked for destroys the frame without anyone's help.
    for (int i = 0; i < 50 && mainWindowExists(); ++i)
        pump(5);
    EXPECT_FALSE(mainWindowExists());
    EXPECT_EQ(readFile("config/varnel_ar.arf"), "a.wtd\n");
    EXPECT_NE(readFile("log.txt").find("Backend render system failed to init"), std::string::npos);
}

TEST_F(MainWindowTest, RecoversALostDeviceAfterThePauseKeepingTheArchives)
{
    writeArchive("a.wtd", {"alpha", "beta"});
    startWith({"a.wtd"});
    TestHooks::setDeviceLostCalls(1);
    EXPECT_TRUE(sendIdle(m_window));
    EXPECT_EQ(s_sleeps, std::vector<uint32_t>{500});
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "MainWindow::OnIdle(397) - Recovered from lost device");
    EXPECT_TRUE(m_window->isBackEndReady());
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"a.wtd"});
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"alpha", "beta"}));
}

TEST_F(MainWindowTest, AFailedRestartIsReportedOnceAndStopsTheIdleLoop)
{
    createMainWindow();
    TestHooks::setDeviceLostCalls(1);
    TestHooks::failNextCreateDevice();
    EXPECT_FALSE(sendIdle(m_window));
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(sendIdle(m_window));
    EXPECT_EQ(countLogged(LOG_ERROR, "FAILED to recover from lost device"), 1u);
    EXPECT_EQ(s_sleeps.size(), 1u);
    EXPECT_FALSE(m_window->isBackEndReady());
}

TEST_F(MainWindowTest, RecoveryWaitsWhileAModalWindowIsOpen)
{
    createMainWindow();
    size_t restartsDuringBox = 0;
    m_prompter.duringNext([&] {
        TestHooks::setDeviceLostCalls(1);
        sendIdle(m_window);
        sendMenu(m_window, ID_MENU_REINITIALIZE_RENDER_PANE);
        restartsDuringBox = countLogged(LOG_INFORMATION, "Render system reinitialization complete");
    });
    m_prompter.answerMessage(wxNO);
    sendMenu(m_window, ID_MENU_RESET_WINDOW);
    EXPECT_EQ(restartsDuringBox, 0u);
    EXPECT_TRUE(s_sleeps.empty());
    EXPECT_TRUE(sendIdle(m_window));
    EXPECT_EQ(s_sleeps, std::vector<uint32_t>{500});
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "MainWindow::OnIdle(397) - Recovered from lost device");
}

TEST_F(MainWindowTest, ResetWindowAsksAndOnYesRestoresTheDefaultLayout)
{
    createMainWindow();
    settings()->m_windowWidth = 700;
    m_prompter.answerMessage(wxNO);
    sendMenu(m_window, ID_MENU_RESET_WINDOW);
    ASSERT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(m_prompter.asked()[0].text, "Are you sure you want to reset the window sizes?");
    EXPECT_EQ(m_prompter.asked()[0].caption, "Confirm Reset");
    EXPECT_EQ(m_prompter.asked()[0].style & (wxYES_NO | wxOK), wxYES_NO);
    EXPECT_EQ(settings()->m_windowWidth, 700);
    EXPECT_EQ(countLogged(LOG_INFORMATION, "reinitialization complete"), 0u);

    m_prompter.answerMessage(wxYES);
    sendMenu(m_window, ID_MENU_RESET_WINDOW);
    pump();
    EXPECT_EQ(settings()->m_windowWidth, 800);
    EXPECT_EQ(settings()->m_windowHeight, 600);
    EXPECT_EQ(m_window->GetClientSize(), wxSize(800, 600));
    EXPECT_EQ(child<wxSplitterWindow>(m_window, ID_SPLITTER_MAIN)->GetSashPosition(), 300);
    EXPECT_EQ(child<wxSplitterWindow>(m_window, ID_SPLITTER_FILE_AREA)->GetSashPosition(), 340);
    EXPECT_EQ(child<wxSplitterWindow>(m_window, ID_SPLITTER_VIEWER_AREA)->GetSashPosition(), 340);
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "BackEnd::restartRenderSystem(490) - Render system reinitialization complete");
}

TEST_F(MainWindowTest, AppliesTheStoredLayoutAndStoresChangesOnlyWhenAllowed)
{
    mkdir("config", 0777);
    {
        Settings stored("config\\varnel.bcf");
        stored.m_windowWidth = 600;
        stored.m_windowHeight = 420;
        stored.m_mainSashPosition = 280;
        stored.m_fileAreaSashPosition = 150;
        stored.m_viewerAreaSashPosition = 200;
        ASSERT_TRUE(stored.saveFile());
    }
    createMainWindow();
    pump();
    EXPECT_EQ(m_window->GetClientSize(), wxSize(600, 420));
    wxSplitterWindow* main = child<wxSplitterWindow>(m_window, ID_SPLITTER_MAIN);
    EXPECT_EQ(main->GetSashPosition(), 280);
    EXPECT_EQ(child<wxSplitterWindow>(m_window, ID_SPLITTER_FILE_AREA)->GetSashPosition(), 150);
    EXPECT_EQ(child<wxSplitterWindow>(m_window, ID_SPLITTER_VIEWER_AREA)->GetSashPosition(), 200);

    auto moveSash = [](wxSplitterWindow* splitter, int position) {
        splitter->SetSashPosition(position, true);
        wxSplitterEvent moved(wxEVT_SPLITTER_SASH_POS_CHANGED, splitter);
        moved.SetSashPosition(position);
        splitter->GetEventHandler()->ProcessEvent(moved);
    };
    moveSash(main, 260);
    EXPECT_EQ(settings()->m_mainSashPosition, 260);
    moveSash(child<wxSplitterWindow>(m_window, ID_SPLITTER_VIEWER_AREA), 180);
    EXPECT_EQ(settings()->m_viewerAreaSashPosition, 180);
    m_window->SetClientSize(560, 400);
    pump();
    EXPECT_EQ(settings()->m_windowWidth, 560);
    EXPECT_EQ(settings()->m_windowHeight, 400);

    // While the layout is applied nothing is stored back.
    settings()->m_mainSashPosition = 240;
    settings()->m_windowWidth = 580;
    m_window->applySettings();
    pump();
    EXPECT_EQ(settings()->m_mainSashPosition, 240);
    EXPECT_EQ(settings()->m_windowWidth, 580);

    // A sash cannot close its pane: neither dragged to the edge nor double-clicked.
    moveSash(main, 0);
    EXPECT_TRUE(main->IsSplit());
    EXPECT_GT(main->GetSashPosition(), 0);
    EXPECT_GT(settings()->m_mainSashPosition, 0);
    main->OnDoubleClickSash(main->GetSashPosition(), 10);
    EXPECT_TRUE(main->IsSplit());
}

TEST_F(MainWindowTest, StoredSizesAreClampedToTheScreen)
{
    mkdir("config", 0777);
    {
        Settings stored("config\\varnel.bcf");
        stored.m_windowWidth = 5;
        stored.m_windowHeight = 100000;
        ASSERT_TRUE(stored.saveFile());
    }
    createMainWindow();
    pump();
    const wxSize client = m_window->GetClientSize();
    EXPECT_GE(client.GetWidth(), 320);
    EXPECT_GE(client.GetHeight(), 240);
    EXPECT_LE(client.GetHeight(), wxGetDisplaySize().GetHeight());
}

TEST_F(MainWindowTest, TheLogPaneColoursWarningsAndErrorsAndShowsItsEnd)
{
    createMainWindow();
    wxRichTextCtrl* log = child<wxRichTextCtrl>(m_window, ID_LOG_TEXT);
    log->Clear();
    m_window->information("a");
    m_window->warning("b");
    m_window->error("c");
    EXPECT_EQ(log->GetValue(), "a\nb\nc\n");
    const struct
    {
        long position;
        wxColour colour;
    } expected[] = {{0, log->GetBasicStyle().GetTextColour()}, {2, *wxBLUE}, {3, *wxBLUE}, {4, *wxRED}, {5, *wxRED}};
    for (const auto& at : expected)
    {
        wxRichTextAttr style;
        ASSERT_TRUE(log->GetStyle(at.position, style));
        EXPECT_EQ(style.GetTextColour(), at.colour) << "position " << at.position;
        EXPECT_FALSE(style.HasBackgroundColour());
    }

    for (int i = 0; i < 300; ++i)
        m_window->information(std::string("line ") + std::to_string(i));
    pump();
    int unitX = 0;
    int unitY = 0;
    log->GetScrollPixelsPerUnit(&unitX, &unitY);
    ASSERT_GT(unitY, 0);
    int viewX = 0;
    int viewY = 0;
    log->GetViewStart(&viewX, &viewY);
    EXPECT_GE(viewY * unitY + log->GetClientSize().GetHeight(), log->GetVirtualSize().GetHeight() - unitY);

    // Texts that are not UTF-8 (texture names are bytes) are shown, not dropped.
    m_window->information("caf\xe9");
    EXPECT_TRUE(log->GetValue().EndsWith(wxString::FromUTF8("caf\xc3\xa9\n")));
}

TEST_F(MainWindowTest, ListsShowNamesCountsFormatsAndDimensions)
{
    ArchiveBuilder builder;
    builder.addTexture("wall", 256, 128, D3DFMT_DXT1, 1);
    builder.addTexture("odd", 4, 4, D3DFMT_A8R8G8B8, 1);
    builder.addTexture("caf\xe9", 8, 8, D3DFMT_DXT5, 1);
    ASSERT_TRUE(builder.writeTo("a.wtd"));
    writeArchive("b.wtd", {"x"});
    startWith({"b.wtd", "a.wtd"});
    EXPECT_EQ(rowTexts(fileList(), 0), (std::vector<std::string>{"b.wtd", "a.wtd"}));
    EXPECT_EQ(rowTexts(fileList(), 1), (std::vector<std::string>{"1", "3"}));
    wxListItem item;
    item.SetId(0);
    item.SetMask(wxLIST_MASK_IMAGE);
    ASSERT_TRUE(fileList()->GetItem(item));
    EXPECT_EQ(item.GetImage(), 2);

    const std::vector<std::string> names = rowTexts(textureList(), 0);
    const std::vector<std::string> formats = rowTexts(textureList(), 1);
    const std::vector<std::string> dimensions = rowTexts(textureList(), 2);
    ASSERT_EQ(names.size(), 3u);
    for (size_t row = 0; row < names.size(); ++row)
    {
        if (names[row] == "wall")
        {
            EXPECT_EQ(formats[row], "DXT1");
            EXPECT_EQ(dimensions[row], "256 x 128");
        }
        else if (names[row] == "odd")
        {
            EXPECT_EQ(formats[row], "Unknown: 21");
        }
        else
        {
            EXPECT_EQ(names[row], "caf\xc3\xa9");
            EXPECT_EQ(formats[row], "DXT5");
        }
    }
    const std::string warning = "MainWindow::formatToString(1017) - Unsupported texture format for formatToString: 21";
    const size_t before = countLogged(LOG_WARNING, warning);
    EXPECT_GE(before, 1u);
    m_window->updateTextureList();
    EXPECT_EQ(countLogged(LOG_WARNING, warning), before + 1);

    // Unsaved changes show as "*" until the archive is saved by the writer.
    archive(1)->setModified(true);
    m_window->refreshFileList();
    EXPECT_EQ(rowTexts(fileList(), 0), (std::vector<std::string>{"b.wtd", "a.wtd*"}));
    ASSERT_TRUE(archive(1)->saveFile("", 0));
    m_window->refreshFileList();
    EXPECT_EQ(rowTexts(fileList(), 0), (std::vector<std::string>{"b.wtd", "a.wtd"}));
}

TEST_F(MainWindowTest, HeadingClicksSortByNameBothWaysAndByFormat)
{
    ArchiveBuilder builder;
    builder.addTexture("beta", 8, 8, D3DFMT_DXT1, 1);
    builder.addTexture("Alpha", 8, 8, D3DFMT_A8B8G8R8, 1);
    builder.addTexture("gamma", 8, 8, D3DFMT_DXT5, 1);
    ASSERT_TRUE(builder.writeTo("a.wtd"));
    startWith({"a.wtd"});
    auto click = [&](int column) {
        wxListEvent event(wxEVT_LIST_COL_CLICK, ID_TEXTURE_LIST);
        event.m_col = column;
        event.SetEventObject(textureList());
        textureList()->GetEventHandler()->ProcessEvent(event);
    };
    click(0);
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_TRUE(archive(0)->isModified());
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"a.wtd*"});
    click(0);
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"gamma", "beta", "Alpha"}));
    click(0);
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    click(1);
    EXPECT_EQ(rowTexts(textureList(), 1), (std::vector<std::string>{"DXT5", "DXT1", "A8B8G8R8"}));
    EXPECT_EQ(selectedRows(textureList()), std::vector<long>{0});
}

TEST_F(MainWindowTest, RenamingInPlaceRenamesAndEscapeChangesNothing)
{
    writeArchive("a.wtd", {"wall", "door"});
    startWith({"a.wtd"});
    const long row = textureList()->FindItem(-1, "wall");
    ASSERT_GE(row, 0);

    wxTextCtrl* editor = textureList()->EditLabel(row);
    ASSERT_NE(editor, nullptr);
    editor->SetValue("floor");
    textureList()->EndEditLabel(true);
    pump();
    EXPECT_EQ(archive(0)->m_textures[static_cast<size_t>(row)].name, "wall");
    EXPECT_FALSE(archive(0)->isModified());

    editor = textureList()->EditLabel(row);
    ASSERT_NE(editor, nullptr);
    editor->SetValue("floor");
    textureList()->EndEditLabel(false);
    pump();
    EXPECT_EQ(archive(0)->m_textures[static_cast<size_t>(row)].name, "floor");
    EXPECT_TRUE(archive(0)->isModified());
    EXPECT_EQ(status(), "Renamed 'wall' to 'floor'");
    EXPECT_EQ(textureList()->GetItemText(row), "floor");
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"a.wtd*"});

    // A rebuild under an open editor ends the edit without renaming anything.
    editor = textureList()->EditLabel(row);
    ASSERT_NE(editor, nullptr);
    editor->SetValue("roof");
    m_window->updateTextureList();
    pump();
    EXPECT_EQ(textureList()->GetEditControl(), nullptr);
    EXPECT_EQ(archive(0)->m_textures[static_cast<size_t>(row)].name, "floor");

    // A name the archive cannot store as bytes is refused.
    editor = textureList()->EditLabel(row);
    ASSERT_NE(editor, nullptr);
    editor->SetValue(wxString::FromUTF8("\xe2\x82\xac"));
    textureList()->EndEditLabel(false);
    pump();
    EXPECT_EQ(archive(0)->m_textures[static_cast<size_t>(row)].name, "floor");
    EXPECT_EQ(textureList()->GetItemText(row), "floor");
}

TEST_F(MainWindowTest, SelectionCommandsSelectAndTheBackEndFollows)
{
    writeArchive("a.wtd", {"t0", "t1", "t2"});
    writeArchive("b.wtd", {"u0"});
    writeArchive("c.wtd", {"v0", "v1"});
    startWith({"a.wtd", "b.wtd", "c.wtd"});
    BackEnd* backEnd = m_window->getBackEnd();

    m_window->selectNoFiles();
    EXPECT_TRUE(selectedRows(fileList()).empty());
    EXPECT_EQ(status(), "All files unselected");
    EXPECT_EQ(backEnd->getSelectedFileIndex(), 2u);

    fileList()->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    EXPECT_EQ(backEnd->getSelectedFileIndex(), 0u);
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"t0", "t1", "t2"}));

    m_window->selectAllTextures();
    EXPECT_EQ(selectedRows(textureList()), (std::vector<long>{0, 1, 2}));
    EXPECT_EQ(backEnd->getSelectedFile()->m_selectedTexture, 2u);
    EXPECT_EQ(status(), "All textures selected");

    m_window->selectNoTextures();
    EXPECT_TRUE(selectedRows(textureList()).empty());
    EXPECT_EQ(backEnd->getSelectedFile()->m_selectedTexture, 2u);
    EXPECT_EQ(status(), "All textures deselected");

    textureList()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    m_window->invertTextureSelection();
    EXPECT_EQ(selectedRows(textureList()), (std::vector<long>{0, 2}));
    EXPECT_EQ(backEnd->getSelectedFile()->m_selectedTexture, 2u);
    EXPECT_EQ(status(), "Texture selection inverted");

    m_window->invertFileSelection();
    EXPECT_EQ(selectedRows(fileList()), (std::vector<long>{1, 2}));
    EXPECT_EQ(backEnd->getSelectedFileIndex(), 2u);
    EXPECT_EQ(status(), "File selection inverted");

    m_window->selectNoFiles();
    m_window->selectAllFiles();
    EXPECT_EQ(selectedRows(fileList()), (std::vector<long>{0, 1, 2}));
    EXPECT_EQ(backEnd->getSelectedFileIndex(), 2u);
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"v0", "v1"}));
    EXPECT_EQ(status(), "All files selected");
}

TEST_F(MainWindowTest, RecentLabelsShowFileNamesVerbatim)
{
    createMainWindow();
    settings()->m_recentFiles[0] = "c:\\data\\a.wtd";
    settings()->m_recentFiles[1] = "/tmp/R&D\tx.wtd";
    settings()->m_recentFiles[2] = "/tmp/caf\xc3\xa9.wtd";
    m_window->updateRecentFilesMenu();
    wxMenu* fileMenu = m_window->GetMenuBar()->GetMenu(0);
    EXPECT_EQ(fileMenu->GetLabelText(ID_MENU_RECENT1), "1. a.wtd");
    EXPECT_EQ(fileMenu->GetLabelText(ID_MENU_RECENT2), "2. R&D x.wtd");
    EXPECT_EQ(fileMenu->GetLabelText(ID_MENU_RECENT3), wxString::FromUTF8("3. caf\xc3\xa9.wtd"));
    EXPECT_EQ(fileMenu->GetLabelText(ID_MENU_RECENT4), "4. ");
    EXPECT_EQ(fileMenu->GetLabelText(ID_MENU_RECENT5), "5. ");
}

TEST_F(MainWindowTest, RealKeysReachTheMenuCommandsWhileTheLogPaneHasTheFocus)
{
    useDisplayAlone();
    createMainWindow();
    std::vector<int> fired;
    for (int id : {ID_MENU_DELETE, ID_MENU_REINITIALIZE_RENDER_PANE, ID_MENU_EXIT, ID_MENU_REPLACE, ID_MENU_RELOAD,
                   ID_MENU_SELECT_ALL_TEXTURES})
    {
        // Records the command and keeps it from running further (Exit would close the window).
        m_window->Bind(wxEVT_MENU, [&fired](wxCommandEvent& event) { fired.push_back(event.GetId()); }, id);
    }
    m_window->Raise();
    wxRichTextCtrl* log = child<wxRichTextCtrl>(m_window, ID_LOG_TEXT);
    const wxString before = log->GetValue();
    wxUIActionSimulator simulator;
    simulator.MouseMove(log->GetScreenRect().GetPosition() + wxPoint(20, 20));
    log->SetFocus();
    pump(200);
    ASSERT_EQ(wxWindow::FindFocus(), log);

    const struct
    {
        int key;
        int modifiers;
        int command;
    } keys[] = {{WXK_DELETE, wxMOD_NONE, ID_MENU_DELETE},
                {WXK_F2, wxMOD_NONE, ID_MENU_REINITIALIZE_RENDER_PANE},
                {'x', wxMOD_CONTROL, ID_MENU_EXIT},
                {'r', wxMOD_CONTROL, ID_MENU_REPLACE},
                {'a', wxMOD_CONTROL, ID_MENU_SELECT_ALL_TEXTURES}};
    for (const auto& key : keys)
    {
        fired.clear();
        simulator.Char(key.key, key.modifiers);
        pump(150);
        EXPECT_EQ(fired, std::vector<int>{key.command}) << "key " << key.key;
    }
    EXPECT_EQ(log->GetValue(), before);
    EXPECT_TRUE(mainWindowExists());
}

TEST_F(MainWindowTest, MissingOrWrongSizedIconsBecomeBlanksSoTheIndexesStay)
{
    ASSERT_EQ(0, unlink("Resources"));
    mkdir("Resources", 0777);
    mkdir("Resources/icons", 0777);
    const std::string icons = VARNEL_SOURCE_DIR "/Resources/icons/";
    writeFile("Resources/icons/tex_file.png", readFile(icons + "tex_file.png"));
    // A 32 x 32 picture where a 16 x 16 one belongs; tex_woa.png and the log icons are missing.
    wxImage large(32, 32);
    ASSERT_TRUE(large.SaveFile("Resources/icons/tex_wa.png", wxBITMAP_TYPE_PNG));
    createMainWindow();
    wxImageList* images = fileList()->GetImageList(wxIMAGE_LIST_SMALL);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(textureList()->GetImageList(wxIMAGE_LIST_SMALL), images);
    ASSERT_EQ(images->GetImageCount(), 6);
    wxImage expected(wxString::FromUTF8((icons + "tex_file.png").c_str()), wxBITMAP_TYPE_PNG);
    const wxImage fileIcon = images->GetBitmap(2).ConvertToImage();
    ASSERT_EQ(fileIcon.GetSize(), wxSize(16, 16));
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(fileIcon.GetRed(x, 8), expected.GetRed(x, 8)) << x;
    EXPECT_EQ(images->GetBitmap(1).ConvertToImage().GetSize(), wxSize(16, 16));
    EXPECT_FALSE(m_window->GetIcon().IsOk());
}

TEST_F(MainWindowTest, ExitClosesTheWindowByTheRoadOfTheCloseBox)
{
    writeArchive("a.wtd", {"alpha"});
    startWith({"a.wtd"});
    ::unlink("config/varnel_ar.arf");
    sendMenu(m_window, ID_MENU_EXIT);
    for (int i = 0; i < 100 && mainWindowExists(); ++i)
        pump(5);
    EXPECT_FALSE(mainWindowExists());
    EXPECT_EQ(readFile("config/varnel_ar.arf"), "a.wtd\n");
    EXPECT_TRUE(m_prompter.asked().empty());
}

TEST_F(MainWindowTest, OnlyExistingRowsAreSelectedOrRenamed)
{
    writeArchive("a.wtd", {"wall", "door"});
    startWith({"a.wtd"});
    // A delete or a reload can leave the remembered texture past the last row.
    m_window->getBackEnd()->getSelectedFile()->m_selectedTexture = 7;
    m_window->updateTextureList();
    EXPECT_TRUE(selectedRows(textureList()).empty());
    EXPECT_EQ(textureList()->GetItemCount(), 2);

    wxListEvent rename(wxEVT_LIST_END_LABEL_EDIT, ID_TEXTURE_LIST);
    rename.SetEventObject(textureList());
    rename.m_itemIndex = 5;
    rename.m_item.SetId(5);
    rename.m_item.SetText("ghost");
    textureList()->GetEventHandler()->ProcessEvent(rename);
    EXPECT_FALSE(rename.IsAllowed());
    EXPECT_FALSE(archive(0)->isModified());
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"wall", "door"}));
}

TEST_F(MainWindowTest, TheIconResourceIsTheProgramIconAndTheImagesHaveTheirSizes)
{
    createMainWindow();
    EXPECT_TRUE(m_window->GetIconResource("Resources/icons/varnel_small.ico").IsOk());
    EXPECT_FALSE(m_window->GetIconResource("Resources/icons/other.ico").IsOk());
    EXPECT_TRUE(m_window->GetIcon().IsOk());

    // The program icon holds a 16 x 16 and a 32 x 32 entry, both in the BMP form (a 40-byte header).
    const std::string ico = readFile("Resources/icons/varnel_small.ico");
    ASSERT_GE(ico.size(), 38u);
    ASSERT_EQ(static_cast<uint8_t>(ico[4]), 2u);
    for (int entry = 0; entry < 2; ++entry)
    {
        const unsigned char* directory = reinterpret_cast<const unsigned char*>(ico.data()) + 6 + 16 * entry;
        EXPECT_EQ(directory[0], entry == 0 ? 16 : 32);
        EXPECT_EQ(directory[1], entry == 0 ? 16 : 32);
        const uint32_t offset = directory[12] | directory[13] << 8 | directory[14] << 16 | uint32_t(directory[15]) << 24;
        ASSERT_LT(offset + 4, ico.size());
        EXPECT_EQ(static_cast<uint8_t>(ico[offset]), 40u);
    }
    for (const char* name : {"tex_woa.png", "tex_wa.png", "tex_file.png", "small_info.png", "small_warn.png",
                             "small_error.png"})
    {
        const wxImage icon(wxString("Resources/icons/") + name, wxBITMAP_TYPE_PNG);
        EXPECT_EQ(icon.GetSize(), wxSize(16, 16)) << name;
    }
    EXPECT_EQ(wxImage("Resources/GUI/varnel_ribbon.png", wxBITMAP_TYPE_PNG).GetSize(), wxSize(543, 68));
}
