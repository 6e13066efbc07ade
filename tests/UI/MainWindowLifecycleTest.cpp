#include "UI/MainWindowTest.h"

#include "Backend/OpenFileRecord.h"
#include "Platform/Direct3D/IDirect3DTexture9.h"
#include "Support/ArchiveBuilder.h"
#include "Support/LogCapture.h"
#include "Support/StderrCapture.h"
#include "Support/TestHooks.h"

#include <wx/menu.h>
#include <wx/splitter.h>
#include <wx/weakref.h>

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>

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

TEST_F(MainWindowTest, ReopenedArchivesAreListedBeforeTheFrameFirstShows)
{
    writeArchive("a.wtd", {"alpha"});
    writeArchiveList("a.wtd\n");
    wxWeakRef<MainWindow> window =
        new MainWindow(nullptr, ID_MAIN_WINDOW, "Varnel - Oskery", wxDefaultPosition, wxSize(800, 600),
                       wxDEFAULT_FRAME_STYLE & ~wxCLIP_CHILDREN);
    EXPECT_FALSE(window->IsShown());
    EXPECT_EQ(rowTexts(child<wxListCtrl>(window, ID_FILE_LIST), 0), std::vector<std::string>{"a.wtd"});
    EXPECT_EQ(rowTexts(child<wxListCtrl>(window, ID_TEXTURE_LIST), 0), std::vector<std::string>{"alpha"});
    window->Destroy();
    for (int i = 0; i < 100 && window; ++i)
        pump(5);
    EXPECT_FALSE(window);
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
    EXPECT_EQ(m_prompter.asked()[0].text,
              "Varnel backend failed to start, unable to continue.\nApplication must now close");
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

TEST_F(MainWindowTest, ACanceledRestartStopsThePreviewUntilAReinitializeSucceeds)
{
    writeArchive("a.wtd", {"alpha"});
    startWith({"a.wtd"});
    // The copy cannot be written where the restart wants its folder, so the restart keeps everything open.
    std::filesystem::create_directory("temp");
    writeFile("temp/varnel", "a file in the way");
    TestHooks::setDeviceLostCalls(1);
    EXPECT_FALSE(sendIdle(m_window));
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(sendIdle(m_window));
    EXPECT_EQ(countLogged(LOG_ERROR, "FAILED to recover from lost device"), 1u);
    EXPECT_EQ(countLogged(LOG_INFORMATION, "Recovered from lost device"), 0u);
    EXPECT_EQ(s_sleeps.size(), 1u);
    EXPECT_TRUE(m_window->isBackEndReady());
    EXPECT_EQ(rowTexts(textureList(), 0), std::vector<std::string>{"alpha"});

    std::filesystem::remove("temp/varnel");
    sendMenu(m_window, ID_MENU_REINITIALIZE_RENDER_PANE);
    EXPECT_TRUE(sendIdle(m_window));
    EXPECT_EQ(s_sleeps.size(), 1u);
    EXPECT_EQ(rowTexts(textureList(), 0), std::vector<std::string>{"alpha"});
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

TEST_F(MainWindowTest, ReinitializeRenderPaneWaitsWhileAModalWindowIsOpen)
{
    writeArchive("a.wtd", {"alpha"});
    startWith({"a.wtd"});
    m_prompter.duringNext([&] {
        sendMenu(m_window, ID_MENU_REINITIALIZE_RENDER_PANE);
        EXPECT_TRUE(sendIdle(m_window));
    });
    m_prompter.answerMessage(wxNO);
    sendMenu(m_window, ID_MENU_RESET_WINDOW);
    EXPECT_EQ(countLogged(LOG_INFORMATION, "Render system reinitialization complete"), 0u);
    EXPECT_TRUE(sendIdle(m_window));
    EXPECT_EQ(countLogged(LOG_INFORMATION, "Render system reinitialization complete"), 1u);
    EXPECT_TRUE(s_sleeps.empty());
    EXPECT_EQ(countLogged(LOG_INFORMATION, "Recovered from lost device"), 0u);
    EXPECT_EQ(rowTexts(textureList(), 0), std::vector<std::string>{"alpha"});
    // Done once only.
    EXPECT_TRUE(sendIdle(m_window));
    EXPECT_EQ(countLogged(LOG_INFORMATION, "Render system reinitialization complete"), 1u);
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
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "BackEnd::restartRenderSystem(490) - Render system reinitialization complete");
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
    moveSash(child<wxSplitterWindow>(m_window, ID_SPLITTER_FILE_AREA), 170);
    EXPECT_EQ(settings()->m_fileAreaSashPosition, 170);
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

TEST_F(MainWindowTest, TheFrameRefusesASizeAtWhichAPaneWouldVanish)
{
    createMainWindow();
    StderrCapture capture("stderr.txt");
    m_window->SetClientSize(100, 100);
    pump();
    const wxSize minimum = m_window->GetClientSize();
    EXPECT_GT(minimum.GetWidth(), 100);
    EXPECT_GT(minimum.GetHeight(), 100);
    EXPECT_EQ(m_window->GetMinClientSize(), minimum);

    // Whichever way the sashes go, every pane keeps room for its contents: the lists their headings and
    // rows, the log its tab and lines.
    for (int id : {ID_SPLITTER_MAIN, ID_SPLITTER_FILE_AREA, ID_SPLITTER_VIEWER_AREA}) {
        wxSplitterWindow* splitter = child<wxSplitterWindow>(m_window, id);
        for (int position : {0, 100000}) {
            splitter->SetSashPosition(position, true);
            pump();
            ASSERT_TRUE(splitter->IsSplit());
            for (wxWindow* pane : {splitter->GetWindow1(), splitter->GetWindow2()}) {
                const wxSize size = pane->GetSize();
                EXPECT_GE(std::min(size.GetWidth(), size.GetHeight()), 100)
                    << pane->GetName() << " with sash " << splitter->GetName() << " at " << position;
            }
        }
    }
    const std::string printed = capture.text();
    EXPECT_EQ(printed.find("CRITICAL"), std::string::npos) << printed;
}

// A preview restarted by Reinitialize Render Pane or Reset Window idles as cheaply as before: once the new
// device has shown its first frame, idle rounds with nothing changed neither hand a frame over again nor
// decode the texture again.
class IdlePreviewTest : public MainWindowTest
{
protected:
    void startWithATextureShown()
    {
        ArchiveBuilder builder;
        builder.addTexture("plain", 64, 32, D3DFMT_A8B8G8R8, 1);
        ASSERT_TRUE(builder.writeTo("a.wtd"));
        startWith({"a.wtd"});
        pump();
        m_framesBeforeRestart = TestHooks::presentedFrameCount();
    }

    void expectIdleRoundsDrawNothingAnew()
    {
        EXPECT_EQ(countLogged(LOG_INFORMATION, "Render system reinitialization complete"), 1u);
        pump();
        const uint64_t settled = TestHooks::presentedFrameCount();
        EXPECT_GT(settled, m_framesBeforeRestart) << "the new device showed no frame";

        const OpenFileRecord* selected = m_window->getBackEnd()->getSelectedFile();
        ASSERT_NE(selected, nullptr);
        IDirect3DTexture9* shown = selected->m_file->m_textures.at(selected->m_selectedTexture).texture.get();
        ASSERT_NE(shown, nullptr);
        // Written behind the device's back, the texels show only in a frame that decodes the texture anew.
        uint8_t* texels = shown->levelData(0);
        std::transform(texels, texels + shown->levelSize(0), texels,
                       [](uint8_t byte) { return static_cast<uint8_t>(~byte); });
        for (int round = 0; round < 20; ++round)
            EXPECT_TRUE(sendIdle(m_window));
        EXPECT_EQ(TestHooks::presentedFrameCount(), settled);

        // Told of the change, the device shows it: those rounds would have shown it too had they decoded.
        shown->markChanged();
        EXPECT_TRUE(sendIdle(m_window));
        EXPECT_EQ(TestHooks::presentedFrameCount(), settled + 1);
    }

    uint64_t m_framesBeforeRestart = 0;
};

TEST_F(IdlePreviewTest, AfterReinitializeRenderPaneIdleRoundsDrawNothingAnew)
{
    startWithATextureShown();
    sendMenu(m_window, ID_MENU_REINITIALIZE_RENDER_PANE);
    expectIdleRoundsDrawNothingAnew();
}

TEST_F(IdlePreviewTest, AfterResetWindowIdleRoundsDrawNothingAnew)
{
    startWithATextureShown();
    m_prompter.answerMessage(wxYES);
    sendMenu(m_window, ID_MENU_RESET_WINDOW);
    expectIdleRoundsDrawNothingAnew();
}

// Once restarted, the editor idles without drawing any pane again: the fade of the log pane's scroll
// bar once kept running after a restart and drew the pane and the panes around it at every frame.
TEST_F(IdlePreviewTest, AfterARestartNoPaneIsDrawnAgainWhileNothingChanges)
{
    for (const bool resetWindow : {false, true}) {
        startWithATextureShown();
        if (resetWindow)
            m_prompter.answerMessage(wxYES);
        sendMenu(m_window, resetWindow ? ID_MENU_RESET_WINDOW : ID_MENU_REINITIALIZE_RENDER_PANE);
        pump();
        int paints = 0;
        for (const int id : {ID_LOG_TEXT, ID_SPLITTER_VIEWER_AREA, ID_SPLITTER_MAIN})
            m_window->FindWindow(id)->Bind(wxEVT_PAINT, [&paints](wxPaintEvent& event) {
                ++paints;
                event.Skip();
            });
        pump(1500);
        EXPECT_EQ(paints, 0) << (resetWindow ? "after Reset Window" : "after Reinitialize Render Pane");
        destroyMainWindow();
    }
}
