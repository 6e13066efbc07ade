#include "UI/MainWindowTest.h"

#include "Platform/Direct3D/D3D9Types.h"
#include "Support/ArchiveBuilder.h"
#include "Support/LogCapture.h"
#include "Support/TestHooks.h"

#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <memory>

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
    for (size_t row = 0; row < names.size(); ++row) {
        if (names[row] == "wall") {
            EXPECT_EQ(formats[row], "DXT1");
            EXPECT_EQ(dimensions[row], "256 x 128");
        } else if (names[row] == "odd") {
            EXPECT_EQ(formats[row], "Unknown: 21");
        } else {
            EXPECT_EQ(names[row], "caf\xc3\xa9");
            EXPECT_EQ(formats[row], "DXT5");
        }
    }
    const std::string warning =
        "MainWindow::formatToString(1017) - Unsupported texture format for formatToString: 21";
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
    clickHeading(0);
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_TRUE(archive(0)->isModified());
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"a.wtd*"});
    clickHeading(0);
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"gamma", "beta", "Alpha"}));
    clickHeading(0);
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    clickHeading(1);
    EXPECT_EQ(rowTexts(textureList(), 1), (std::vector<std::string>{"DXT5", "DXT1", "A8B8G8R8"}));
    EXPECT_EQ(selectedRows(textureList()), std::vector<long>{0});
}

TEST_F(MainWindowTest, TheSortColumnIsRememberedAcrossArchives)
{
    writeArchive("a.wtd", {"beta", "alpha", "gamma"});
    writeArchive("b.wtd", {"yak", "xenon", "zebra"});
    startWith({"a.wtd", "b.wtd"});
    fileList()->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    clickHeading(0);
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"alpha", "beta", "gamma"}));
    fileList()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    ASSERT_EQ(m_window->getBackEnd()->getSelectedFileIndex(), 1u);
    clickHeading(0);
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"zebra", "yak", "xenon"}));
    EXPECT_EQ(rowTexts(fileList(), 0), (std::vector<std::string>{"a.wtd*", "b.wtd*"}));
}

TEST_F(MainWindowTest, AfterAFailedRestartHeadingClicksAndRenamesAreRefused)
{
    writeArchive("a.wtd", {"wall", "door"});
    startWith({"a.wtd"});
    TestHooks::setDeviceLostCalls(1);
    TestHooks::failNextCreateDevice();
    sendIdle(m_window);
    ASSERT_FALSE(m_window->isBackEndReady());
    // The failed restart has closed the archives; the lists show what is left.
    EXPECT_EQ(textureList()->GetItemCount(), 0);

    clickHeading(0);
    EXPECT_EQ(textureList()->GetItemCount(), 0);
    EXPECT_FALSE(endLabelEdit(0, "floor"));
    EXPECT_EQ(status(), "Varnel");
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
    EXPECT_EQ(status(), "Texture names can only hold Latin-1 characters");

    // A Latin-1 name is stored as its single bytes.
    editor = textureList()->EditLabel(row);
    ASSERT_NE(editor, nullptr);
    editor->SetValue(wxString::FromUTF8("caf\xc3\xa9"));
    textureList()->EndEditLabel(false);
    pump();
    EXPECT_EQ(archive(0)->m_textures[static_cast<size_t>(row)].name, "caf\xe9");
    EXPECT_EQ(status(), wxString::FromUTF8("Renamed 'floor' to 'caf\xc3\xa9'"));
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

    EXPECT_FALSE(endLabelEdit(5, "ghost"));
    EXPECT_FALSE(archive(0)->isModified());
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"wall", "door"}));
}

TEST_F(MainWindowTest, AClickAfterStartUpSelectsOnlyTheClickedRow)
{
    useDisplayAlone();
    writeArchive("a.wtd", {"t0", "t1", "t2", "t3"});
    writeArchive("b.wtd", {"u0"});
    startWith({"a.wtd", "b.wtd"});
    fileList()->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    fileList()->SetItemState(1, 0, wxLIST_STATE_SELECTED);
    m_window->Raise();
    pump(200);
    wxUIActionSimulator simulator;
    auto click = [&](wxListCtrl* list, long row) {
        wxRect rect;
        ASSERT_TRUE(list->GetItemRect(row, rect));
        simulator.MouseMove(list->ClientToScreen(rect.GetPosition() + wxPoint(20, rect.height / 2)));
        pump(100);
        simulator.MouseClick();
        pump(200);
    };
    // Otherwise the row the program selected would stay selected next to the clicked one, and a command
    // on the selected rows would act on both.
    EXPECT_EQ(selectedRows(textureList()), std::vector<long>{0});
    click(textureList(), 2);
    EXPECT_EQ(selectedRows(textureList()), std::vector<long>{2});
    EXPECT_EQ(m_window->getBackEnd()->getSelectedFile()->m_selectedTexture, 2u);

    m_window->refreshFileList();
    ASSERT_EQ(selectedRows(fileList()), std::vector<long>{0});
    click(fileList(), 1);
    EXPECT_EQ(selectedRows(fileList()), std::vector<long>{1});
    EXPECT_EQ(m_window->getBackEnd()->getSelectedFileIndex(), 1u);
    EXPECT_EQ(rowTexts(textureList(), 0), std::vector<std::string>{"u0"});
}

TEST_F(MainWindowTest, TheSelectedRowIsScrolledIntoViewWhenTheListIsRebuilt)
{
    std::vector<std::string> names;
    for (int i = 0; i < 200; ++i)
        names.push_back("t" + std::to_string(1000 + i));
    writeArchive("a.wtd", names);
    startWith({"a.wtd"});
    m_window->getBackEnd()->setSelectedTexture(190);
    m_window->refreshFileList();
    pump();
    const long top = textureList()->GetTopItem();
    EXPECT_LE(top, 190);
    EXPECT_GE(top + textureList()->GetCountPerPage(), 190);
}

// Another archive, or the same one sorted, is shown from its first row when its selected row is there.
TEST_F(MainWindowTest, ARebuildShowsTheListFromTheFirstRow)
{
    std::vector<std::string> names;
    for (int i = 0; i < 200; ++i)
        names.push_back("t" + std::to_string(1000 + i));
    writeArchive("a.wtd", names);
    startWith({"a.wtd"});
    m_window->getBackEnd()->setSelectedTexture(190);
    m_window->updateTextureList();
    pump();
    ASSERT_GT(textureList()->GetTopItem(), 5);
    m_window->getBackEnd()->setSelectedTexture(5);
    m_window->updateTextureList();
    pump();
    EXPECT_EQ(textureList()->GetTopItem(), 0);
}

TEST_F(MainWindowTest, ARebuildRepaintsTheRowsButNotTheUnchangedHeadings)
{
    writeArchive("a.wtd", {"t0", "t1", "t2"});
    startWith({"a.wtd"});
    pump();
    // The toolkit's list is two windows: the headings, and the rows below them.
    wxWindow* headings = nullptr;
    wxWindow* rows = nullptr;
    for (wxWindow* part : textureList()->GetChildren())
        (part->GetPosition().y == 0 ? headings : rows) = part;
    ASSERT_NE(headings, nullptr);
    ASSERT_NE(rows, nullptr);
    // Shared: paints may still arrive while the window is destroyed after the test.
    auto rowPaints = std::make_shared<int>(0);
    auto headingPaints = std::make_shared<int>(0);
    const auto counting = [](std::shared_ptr<int> count) {
        return [count](wxPaintEvent& event) {
            ++*count;
            event.Skip();
        };
    };
    rows->Bind(wxEVT_PAINT, counting(rowPaints));
    headings->Bind(wxEVT_PAINT, counting(headingPaints));

    m_window->updateTextureList();
    textureList()->Update();
    pump();
    EXPECT_GE(*rowPaints, 1);
    EXPECT_EQ(*headingPaints, 0);
    EXPECT_EQ(selectedRows(textureList()), std::vector<long>{0});
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

TEST_F(MainWindowTest, AShiftClickSelectsTheRangeAndThePreviewShowsTheClickedRow)
{
    useDisplayAlone();
    writeArchive("a.wtd", {"t0", "t1", "t2", "t3"});
    startWith({"a.wtd"});
    m_window->Raise();
    pump(200);
    wxUIActionSimulator simulator;
    auto click = [&](long row, int modifiers) {
        wxRect rect;
        ASSERT_TRUE(textureList()->GetItemRect(row, rect));
        simulator.MouseMove(textureList()->ClientToScreen(rect.GetPosition() + wxPoint(20, rect.height / 2)));
        pump(100);
        if (modifiers & wxMOD_SHIFT)
            simulator.KeyDown(WXK_SHIFT);
        simulator.MouseClick();
        if (modifiers & wxMOD_SHIFT)
            simulator.KeyUp(WXK_SHIFT);
        pump(200);
    };
    click(3, wxMOD_NONE);
    ASSERT_EQ(m_window->getBackEnd()->getSelectedFile()->m_selectedTexture, 3u);
    click(1, wxMOD_SHIFT);
    EXPECT_EQ(selectedRows(textureList()), (std::vector<long>{1, 2, 3}));
    EXPECT_EQ(m_window->getBackEnd()->getSelectedFile()->m_selectedTexture, 1u);
}
