#include "UI/MainWindowTest.h"

#include "Platform/Direct3D/D3D9Types.h"
#include "Support/ArchiveBuilder.h"
#include "Support/LogCapture.h"

#include <wx/gauge.h>
#include <wx/imaglist.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <sys/stat.h>

#include <memory>

std::vector<std::string> MainWindowTest::rowTexts(wxListCtrl* list, int column)
{
    std::vector<std::string> texts;
    for (long row = 0; row < list->GetItemCount(); ++row)
        texts.push_back(std::string(list->GetItemText(row, column).utf8_str()));
    return texts;
}

std::vector<long> MainWindowTest::selectedRows(wxListCtrl* list)
{
    std::vector<long> rows;
    for (long row = list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
         row = list->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        rows.push_back(row);
    return rows;
}

void MainWindowTest::sendMenu(MainWindow* window, int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
}

size_t MainWindowTest::countLogged(LogLevel level, const std::string& text)
{
    size_t count = 0;
    for (const LogCapture::Entry& entry : LogCapture::instance().entries())
        count += entry.level == level && entry.line.find(text) != std::string::npos ? 1 : 0;
    return count;
}

bool MainWindowTest::sendIdle(MainWindow* window)
{
    wxIdleEvent event;
    window->GetEventHandler()->ProcessEvent(event);
    return event.MoreRequested();
}

void MainWindowTest::clickHeading(int column)
{
    wxListEvent event(wxEVT_LIST_COL_CLICK, ID_TEXTURE_LIST);
    event.m_col = column;
    event.SetEventObject(textureList());
    textureList()->GetEventHandler()->ProcessEvent(event);
}

bool MainWindowTest::endLabelEdit(long row, const wxString& label)
{
    wxListEvent event(wxEVT_LIST_END_LABEL_EDIT, ID_TEXTURE_LIST);
    event.SetEventObject(textureList());
    event.m_itemIndex = row;
    event.m_item.SetId(row);
    event.m_item.SetText(label);
    textureList()->GetEventHandler()->ProcessEvent(event);
    return event.IsAllowed();
}

void MainWindowTest::writeArchive(const std::string& path, const std::vector<std::string>& names)
{
    ArchiveBuilder builder;
    for (const std::string& name : names)
        builder.addTexture(name, 16, 8, D3DFMT_DXT1, 1);
    ASSERT_TRUE(builder.writeTo(path));
}

void MainWindowTest::writeArchiveList(const std::string& contents)
{
    mkdir("config", 0777);
    writeFile("config/varnel_ar.arf", contents);
}

MainWindow* MainWindowTest::startWith(const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths)
        list += path + "\n";
    writeArchiveList(list);
    return createMainWindow();
}

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
    for (const auto& expected : windows) {
        wxWindow* window = m_window->FindWindow(expected.id);
        ASSERT_NE(window, nullptr) << expected.name;
        EXPECT_EQ(window->GetName(), expected.name);
        EXPECT_EQ(window->GetParent(), expected.parent) << expected.name;
    }

    wxSplitterWindow* main = child<wxSplitterWindow>(m_window, ID_SPLITTER_MAIN);
    EXPECT_EQ(main->GetSplitMode(), wxSPLIT_VERTICAL);
    EXPECT_EQ(main->GetWindow1(), m_window->FindWindow(ID_SPLITTER_FILE_AREA));
    EXPECT_EQ(main->GetWindow2(), m_window->FindWindow(ID_SPLITTER_VIEWER_AREA));
    wxSplitterWindow* fileArea = child<wxSplitterWindow>(m_window, ID_SPLITTER_FILE_AREA);
    EXPECT_EQ(fileArea->GetSplitMode(), wxSPLIT_HORIZONTAL);
    EXPECT_EQ(fileArea->GetWindow1(), textureList());
    EXPECT_EQ(fileArea->GetWindow2(), fileList());
    wxSplitterWindow* viewer = child<wxSplitterWindow>(m_window, ID_SPLITTER_VIEWER_AREA);
    EXPECT_EQ(viewer->GetSplitMode(), wxSPLIT_HORIZONTAL);
    EXPECT_EQ(viewer->GetWindow1(), m_window->FindWindow(ID_RENDER_PANEL));
    EXPECT_EQ(viewer->GetWindow2(), m_window->FindWindow(ID_DISPLAY_BOOK));

    // Every style bit the window was given, each one tested on its own.
    const struct
    {
        int id;
        long style;
    } styles[] = {
        {ID_MAIN_WINDOW,
         wxSYSTEM_MENU | wxRESIZE_BORDER | wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxCLOSE_BOX | wxCAPTION},
        {ID_SPLITTER_MAIN, wxSP_3DBORDER | wxSP_3DSASH | wxNO_BORDER},
        {ID_SPLITTER_FILE_AREA, wxSP_3DBORDER | wxSP_3DSASH | wxNO_BORDER},
        {ID_SPLITTER_VIEWER_AREA, wxSP_3DBORDER | wxSP_3DSASH | wxNO_BORDER},
        {ID_TEXTURE_LIST, wxLC_REPORT | wxLC_EDIT_LABELS},
        {ID_FILE_LIST, wxLC_REPORT},
        {ID_RENDER_PANEL, wxSUNKEN_BORDER | wxTAB_TRAVERSAL},
        {ID_LOG_TEXT, wxTE_MULTILINE | wxTE_RICH2 | wxTE_READONLY | wxNO_BORDER},
        {ID_STATUS_BAR, wxSTB_SIZEGRIP | wxNO_BORDER},
    };
    for (const auto& expected : styles) {
        const wxWindow* window = expected.id == ID_MAIN_WINDOW ? m_window : m_window->FindWindow(expected.id);
        ASSERT_NE(window, nullptr) << expected.id;
        for (long bit = 1; bit != 0 && bit <= expected.style; bit <<= 1) {
            if (expected.style & bit) {
                EXPECT_TRUE(window->HasFlag(static_cast<int>(bit)))
                    << window->GetName() << " lacks style bit " << std::hex << bit;
            }
        }
    }
    EXPECT_FALSE(textureList()->HasFlag(wxLC_SINGLE_SEL));
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
    for (const auto& expected : columns) {
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
    EXPECT_FALSE(child<wxTextCtrl>(m_window, ID_LOG_TEXT)->IsEditable());

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
        {{ID_MENU_NEW, "&New\tCtrl-N"},
         {ID_MENU_OPEN, "&Open\tCtrl-O"},
         {ID_MENU_CLOSE, "Close\tCtrl-T"},
         {ID_MENU_CLOSE_ALL, "Close All"},
         {wxID_SEPARATOR, ""},
         {ID_MENU_SAVE, "&Save\tCtrl-S"},
         {ID_MENU_SAVE_AS, "Save As"},
         {ID_MENU_RELOAD, "&Reload\tCtrl-R"},
         {wxID_SEPARATOR, ""},
         {ID_MENU_RECENT1, "1. "},
         {ID_MENU_RECENT2, "2. "},
         {ID_MENU_RECENT3, "3. "},
         {ID_MENU_RECENT4, "4. "},
         {ID_MENU_RECENT5, "5. "},
         {wxID_SEPARATOR, ""},
         {ID_MENU_EXIT, "E&xit       \tCtrl-X"}},
        {{ID_MENU_SELECT_ALL_TEXTURES, "Select &All Textures\tCtrl+A"},
         {ID_MENU_SELECT_NO_TEXTURES, "Textures Select None"},
         {ID_MENU_INVERT_TEXTURE_SELECTION, "&Invert Texture Selection\tCtrl+I"},
         {wxID_SEPARATOR, ""},
         {ID_MENU_SELECT_ALL_FILES, "Select All Files"},
         {ID_MENU_SELECT_NO_FILES, "Files Select None"},
         {ID_MENU_INVERT_FILE_SELECTION, "Invert File Selection"}},
        {{ID_MENU_ADD, "&Add\tIns"},
         {ID_MENU_EXTRACT, "&Extract\tCtrl-E"},
         {ID_MENU_EXTRACT_ALL, "Extract All"},
         {wxID_SEPARATOR, ""},
         {ID_MENU_DELETE, "&Delete\tDel"},
         {ID_MENU_REPLACE, "&Replace\tCtrl-R"},
         {wxID_SEPARATOR, ""},
         {ID_MENU_GENERATE_MIPMAPS, "Generate &MipMaps\tCtrl-M"}},
        {{ID_MENU_RESET_WINDOW, "Reset Window"},
         {ID_MENU_REINITIALIZE_RENDER_PANE, "Reinitialize Render Pane\tF2"},
         {ID_MENU_PREFERENCES, "Preferences"}},
        {{ID_MENU_ABOUT, "About"}},
    };
    for (size_t m = 0; m < menus.size(); ++m) {
        const wxMenuItemList& items = bar->GetMenu(m)->GetMenuItems();
        ASSERT_EQ(items.size(), menus[m].size()) << titles[m];
        size_t i = 0;
        for (const wxMenuItem* item : items) {
            EXPECT_EQ(item->GetId(), menus[m][i].first) << titles[m] << " item " << i;
            EXPECT_EQ(item->GetKind(),
                      menus[m][i].first == wxID_SEPARATOR ? wxITEM_SEPARATOR : wxITEM_NORMAL);
            if (!item->IsSeparator()) {
                // The toolkit normalises the accelerator's spelling; the key itself must stay.
                wxAcceleratorEntry expected;
                const wxString label = wxString::FromUTF8(menus[m][i].second);
                EXPECT_EQ(item->GetItemLabel().BeforeFirst('\t'), label.BeforeFirst('\t'));
                std::unique_ptr<wxAcceleratorEntry> accelerator(item->GetAccel());
                if (label.Contains("\t") && expected.FromString(label)) {
                    ASSERT_TRUE(accelerator) << label;
                    EXPECT_EQ(accelerator->GetKeyCode(), expected.GetKeyCode()) << label;
                    EXPECT_EQ(accelerator->GetFlags(), expected.GetFlags()) << label;
                } else {
                    EXPECT_FALSE(accelerator) << label;
                }
                EXPECT_TRUE(item->GetHelp().empty());
            }
            ++i;
        }
    }
}

TEST_F(MainWindowTest, RealKeysReachTheMenuCommandsWhileTheLogPaneHasTheFocus)
{
    useDisplayAlone();
    createMainWindow();
    std::vector<int> fired;
    for (int id : {ID_MENU_DELETE, ID_MENU_REINITIALIZE_RENDER_PANE, ID_MENU_EXIT, ID_MENU_REPLACE,
                   ID_MENU_RELOAD, ID_MENU_SELECT_ALL_TEXTURES}) {
        // Records the command and keeps it from running further (Exit would close the window).
        m_window->Bind(
            wxEVT_MENU, [&fired](wxCommandEvent& event) { fired.push_back(event.GetId()); }, id);
    }
    m_window->Raise();
    wxTextCtrl* log = child<wxTextCtrl>(m_window, ID_LOG_TEXT);
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
    for (const auto& key : keys) {
        fired.clear();
        simulator.Char(key.key, key.modifiers);
        pump(150);
        EXPECT_EQ(fired, std::vector<int>{key.command}) << "key " << key.key;
    }
    EXPECT_EQ(log->GetValue(), before);
    EXPECT_TRUE(mainWindowExists());
}

TEST_F(MainWindowTest, TheListsPassTheMenuKeysOnAndTheLabelEditorKeepsItsOwn)
{
    useDisplayAlone();
    writeArchive("a.wtd", {"wall", "door"});
    startWith({"a.wtd"});
    std::vector<int> fired;
    for (int id : {ID_MENU_DELETE, ID_MENU_ADD, ID_MENU_INVERT_TEXTURE_SELECTION, ID_MENU_GENERATE_MIPMAPS,
                   ID_MENU_SELECT_ALL_TEXTURES, ID_MENU_EXIT})
        m_window->Bind(
            wxEVT_MENU, [&fired](wxCommandEvent& event) { fired.push_back(event.GetId()); }, id);
    m_window->Raise();
    wxUIActionSimulator simulator;
    auto focusOn = [&](wxWindow* window) {
        simulator.MouseMove(window->GetScreenRect().GetPosition() + wxPoint(20, 20));
        window->SetFocus();
        pump(200);
        wxWindow* focus = wxWindow::FindFocus();
        // A list control takes the focus on its inner window.
        return focus == window || (focus != nullptr && focus->GetParent() == window);
    };
    auto press = [&](int key, int modifiers) {
        fired.clear();
        simulator.Char(key, modifiers);
        pump(150);
        return fired;
    };

    ASSERT_TRUE(focusOn(textureList()));
    EXPECT_EQ(press(WXK_DELETE, wxMOD_NONE), std::vector<int>{ID_MENU_DELETE});
    EXPECT_EQ(press(WXK_INSERT, wxMOD_NONE), std::vector<int>{ID_MENU_ADD});
    EXPECT_EQ(press('i', wxMOD_CONTROL), std::vector<int>{ID_MENU_INVERT_TEXTURE_SELECTION});
    EXPECT_EQ(press('m', wxMOD_CONTROL), std::vector<int>{ID_MENU_GENERATE_MIPMAPS});
    ASSERT_TRUE(focusOn(fileList()));
    EXPECT_EQ(press('a', wxMOD_CONTROL), std::vector<int>{ID_MENU_SELECT_ALL_TEXTURES});

    // In the label editor Del deletes a character and Ctrl-X cuts; no command runs.
    wxTextCtrl* editor = textureList()->EditLabel(0);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(focusOn(editor));
    editor->SetInsertionPoint(0);
    EXPECT_TRUE(press(WXK_DELETE, wxMOD_NONE).empty());
    EXPECT_EQ(editor->GetValue(), "all");
    editor->SetSelection(-1, -1);
    EXPECT_TRUE(press('x', wxMOD_CONTROL).empty());
    EXPECT_EQ(editor->GetValue(), "");
    textureList()->EndEditLabel(true);
    pump();
    EXPECT_EQ(archive(0)->m_textures[0].name, "wall");
    EXPECT_TRUE(mainWindowExists());
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
    for (int entry = 0; entry < 2; ++entry) {
        const unsigned char* directory = reinterpret_cast<const unsigned char*>(ico.data()) + 6 + 16 * entry;
        EXPECT_EQ(directory[0], entry == 0 ? 16 : 32);
        EXPECT_EQ(directory[1], entry == 0 ? 16 : 32);
        const uint32_t offset =
            directory[12] | directory[13] << 8 | directory[14] << 16 | uint32_t(directory[15]) << 24;
        ASSERT_LT(offset + 4, ico.size());
        EXPECT_EQ(static_cast<uint8_t>(ico[offset]), 40u);
    }
    for (const char* name : {"tex_woa.png", "tex_wa.png", "tex_file.png", "small_info.png", "small_warn.png",
                             "small_error.png"}) {
        const wxImage icon(wxString("Resources/icons/") + name, wxBITMAP_TYPE_PNG);
        EXPECT_EQ(icon.GetSize(), wxSize(16, 16)) << name;
    }
    EXPECT_EQ(wxImage("Resources/GUI/varnel_ribbon.png", wxBITMAP_TYPE_PNG).GetSize(), wxSize(543, 68));
}
