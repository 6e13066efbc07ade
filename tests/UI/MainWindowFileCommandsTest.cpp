#include "UI/MainWindowTest.h"

#include "Support/LogCapture.h"
#include "Support/TestDevice.h"
#include "Support/TestHooks.h"
#include "UI/Dialogs/SaveChangesWindow.h"

#include <wx/button.h>
#include <wx/checklst.h>
#include <wx/filedlg.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <functional>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{
const char* const WILDCARD = "Texture archives (*.wtd)|*.wtd|All files (*.*)|*.*";

class FileCommandsTest : public MainWindowTest
{
protected:
    // Renames the archive's first texture, which marks it modified, and shows the mark.
    void modify(size_t index, const std::string& name)
    {
        archive(index)->m_textures.at(0).name = name;
        archive(index)->setModified(true);
        m_window->updateFileList();
    }

    // Leaves exactly these rows of the file list selected.
    void selectFileRows(const std::vector<long>& rows)
    {
        for (long row = 0; row < fileList()->GetItemCount(); ++row)
            fileList()->SetItemState(row, 0, wxLIST_STATE_SELECTED);
        for (long row : rows)
            fileList()->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    }

    std::vector<std::string> openPaths()
    {
        std::vector<std::string> paths;
        for (const std::unique_ptr<OpenFileRecord>& record : m_window->getBackEnd()->m_files)
            paths.push_back(record->m_file->getPath());
        return paths;
    }

    static std::vector<std::string> namesOf(const WTDFile& file)
    {
        std::vector<std::string> names;
        for (const TextureEntry& entry : file.m_textures)
            names.push_back(entry.name);
        return names;
    }

    // The texture names of an archive as it loads from disk, in its stored order.
    static std::vector<std::string> namesOnDisk(const std::string& path)
    {
        TestDevice device;
        EXPECT_TRUE(device.create());
        WTDFile file(path, device.get(), WTDFile::WHOLE_FILE, 0);
        EXPECT_FALSE(file.hasLoadFailed()) << path;
        return namesOf(file);
    }

    // Answers the next modal dialog, which must be the Save Changes dialog, with the action.
    void answerSaveChanges(std::function<void(SaveChangesWindow&)> action)
    {
        m_prompter.answerDialog([action](wxDialog& dialog) {
            SaveChangesWindow* window = wxDynamicCast(&dialog, SaveChangesWindow);
            EXPECT_NE(window, nullptr) << "not the Save Changes dialog";
            if (window != nullptr)
                action(*window);
            return wxID_CANCEL;
        });
    }

    static void click(wxDialog& dialog, int id)
    {
        wxButton* button = wxDynamicCast(dialog.FindWindow(id), wxButton);
        ASSERT_NE(button, nullptr);
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }

    static void tick(SaveChangesWindow& dialog, unsigned row)
    {
        wxCheckListBox* list = wxDynamicCast(dialog.FindWindow(ID_SAVE_CHANGES_LIST), wxCheckListBox);
        ASSERT_NE(list, nullptr);
        list->Check(row, !list->IsChecked(row));
        wxCommandEvent event(wxEVT_CHECKLISTBOX, ID_SAVE_CHANGES_LIST);
        event.SetInt(static_cast<int>(row));
        event.SetEventObject(list);
        list->GetEventHandler()->ProcessEvent(event);
    }

    // The dialog's rows, each with "[x] " or "[ ] " for its check mark.
    static std::vector<std::string> rowsOf(SaveChangesWindow& dialog)
    {
        wxCheckListBox* list = wxDynamicCast(dialog.FindWindow(ID_SAVE_CHANGES_LIST), wxCheckListBox);
        std::vector<std::string> rows;
        for (unsigned row = 0; list != nullptr && row < list->GetCount(); ++row)
            rows.push_back((list->IsChecked(row) ? "[x] " : "[ ] ") +
                           std::string(list->GetString(row).utf8_str()));
        return rows;
    }

    // An archive that cannot be written any more: a folder stands where its file was.
    static void makeUnwritable(const std::string& path)
    {
        fs::remove(path);
        fs::create_directory(path);
    }

    void waitForWindowToGo()
    {
        for (int i = 0; i < 100 && mainWindowExists(); ++i)
            pump(5);
    }

    wxString recentLabel(int item) { return m_window->GetMenuBar()->GetMenu(0)->GetLabel(item); }
};
} // namespace

// ---- New ----

TEST_F(FileCommandsTest, NewWritesTheEmptyArchiveOpensItAndRelabelsTheRecentItems)
{
    createMainWindow();
    WTDFile().saveFile("reference.wtd", 0);
    settings()->m_newFileDirectory = "start";
    fs::create_directory("maps");
    const std::string path = tempDir() + "/maps/fresh.wtd";
    m_prompter.answerFiles({path});
    sendMenu(m_window, ID_MENU_NEW);

    ASSERT_EQ(m_prompter.asked().size(), 1u);
    const ScriptedPrompter::Question& asked = m_prompter.asked()[0];
    EXPECT_EQ(asked.text, "Create a new file");
    EXPECT_EQ(asked.directory, "start");
    EXPECT_EQ(asked.defaultFile, "");
    EXPECT_EQ(asked.wildcard, WILDCARD);
    EXPECT_EQ(asked.style, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);

    EXPECT_EQ(readFile(path), readFile("reference.wtd"));
    EXPECT_EQ(readFile(path).substr(0, 4), std::string("RSC\x05", 4));
    EXPECT_EQ(openPaths(), std::vector<std::string>{path});
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"fresh.wtd"});
    EXPECT_EQ(rowTexts(fileList(), 1), std::vector<std::string>{"0"});
    EXPECT_EQ(selectedRows(fileList()), std::vector<long>{0});
    EXPECT_EQ(settings()->m_newFileDirectory, tempDir() + "/maps");
    EXPECT_EQ(status(), "Created the new file: " + path);
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "MainWindow::newFile(1203) - Created the new file: " + path);
    EXPECT_EQ(recentLabel(ID_MENU_RECENT1), "1. fresh.wtd");
}

TEST_F(FileCommandsTest, NewCanceledOnlySaysSo)
{
    createMainWindow();
    m_prompter.answerCancel();
    sendMenu(m_window, ID_MENU_NEW);
    EXPECT_EQ(status(), "Create new file canceled");
    EXPECT_EQ(m_window->getBackEnd()->getFileCount(), 0u);
}

TEST_F(FileCommandsTest, NewOntoAnOpenArchiveIsRefusedBeforeAnythingIsWritten)
{
    writeArchive("a.wtd", {"alpha", "beta"});
    startWith({"a.wtd"});
    const std::string before = readFile("a.wtd");
    m_prompter.answerFiles({"./a.wtd"});
    sendMenu(m_window, ID_MENU_NEW);
    EXPECT_EQ(readFile("a.wtd"), before);
    EXPECT_EQ(status(), "Failed to save new file: ./a.wtd");
    EXPECT_LOGGED_LINE(LOG_ERROR, "MainWindow::newFile(1179) - File already open: ./a.wtd");
    EXPECT_EQ(openPaths(), std::vector<std::string>{"a.wtd"});
    EXPECT_EQ(namesOf(*archive(0)), (std::vector<std::string>{"alpha", "beta"}));
}

TEST_F(FileCommandsTest, NewThatCannotBeWrittenSaysWhere)
{
    createMainWindow();
    m_prompter.answerFiles({"missing/100%s.wtd"});
    sendMenu(m_window, ID_MENU_NEW);
    EXPECT_EQ(status(), "Failed to save new file: missing/100%s.wtd");
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "MainWindow::newFile(1183) - Failed to save newly create file: missing/100%s.wtd");
    EXPECT_EQ(m_window->getBackEnd()->getFileCount(), 0u);
    EXPECT_EQ(settings()->m_newFileDirectory, "");
}

// ---- Open ----

TEST_F(FileCommandsTest, OpenGoesPastAPathThatFailsAndSelectsTheLast)
{
    writeArchive("a.wtd", {"alpha"});
    writeArchive("b.wtd", {"beta"});
    writeArchive("c.wtd", {"gamma", "delta"});
    startWith({"b.wtd"});
    settings()->m_openDirectory = "somewhere";
    m_prompter.answerFiles({"a.wtd", "b.wtd", tempDir() + "/c.wtd"});
    sendMenu(m_window, ID_MENU_OPEN);

    ASSERT_EQ(m_prompter.asked().size(), 1u);
    const ScriptedPrompter::Question& asked = m_prompter.asked()[0];
    EXPECT_EQ(asked.text, "Open a file");
    EXPECT_EQ(asked.directory, "somewhere");
    EXPECT_EQ(asked.wildcard, WILDCARD);
    EXPECT_EQ(asked.style, wxFD_OPEN | wxFD_MULTIPLE);

    EXPECT_EQ(openPaths(), (std::vector<std::string>{"b.wtd", "a.wtd", tempDir() + "/c.wtd"}));
    EXPECT_LOGGED_LINE(LOG_ERROR, "BackEnd::openFile(153) - File already open: b.wtd");
    EXPECT_EQ(m_window->getBackEnd()->getSelectedFileIndex(), 2u);
    EXPECT_EQ(selectedRows(fileList()), std::vector<long>{2});
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"gamma", "delta"}));
    wxGauge* gauge = child<wxGauge>(m_window, ID_PROGRESS_BAR);
    EXPECT_EQ(gauge->GetRange(), 3);
    EXPECT_EQ(gauge->GetValue(), 2);
    EXPECT_FALSE(gauge->IsShown());
    EXPECT_EQ(settings()->m_openDirectory, tempDir());
    EXPECT_EQ(recentLabel(ID_MENU_RECENT1), "1. c.wtd");
    EXPECT_EQ(status(), "Varnel");
}

TEST_F(FileCommandsTest, OpenCanceledOnlySaysSo)
{
    createMainWindow();
    m_prompter.answerCancel();
    sendMenu(m_window, ID_MENU_OPEN);
    EXPECT_EQ(status(), "Open file canceled");
}

TEST_F(FileCommandsTest, OpenWhoseEveryPathFailsStillSelectsTheLastArchive)
{
    writeArchive("a.wtd", {"alpha"});
    writeArchive("b.wtd", {"beta"});
    startWith({"a.wtd", "b.wtd"});
    selectFileRows({0});
    ASSERT_EQ(m_window->getBackEnd()->getSelectedFileIndex(), 0u);
    m_prompter.answerFiles({"missing.wtd"});
    sendMenu(m_window, ID_MENU_OPEN);
    EXPECT_LOGGED_CONTAINS(LOG_ERROR, "invalid file path: missing.wtd");
    EXPECT_EQ(m_window->getBackEnd()->getSelectedFileIndex(), 1u);
    EXPECT_EQ(selectedRows(fileList()), std::vector<long>{1});
    EXPECT_EQ(rowTexts(textureList(), 0), std::vector<std::string>{"beta"});
}

// ---- Recent ----

TEST_F(FileCommandsTest, RecentOpensItsEntryAndAnEmptyOrFailingSlotDoesNothing)
{
    writeArchive("a.wtd", {"alpha"});
    createMainWindow();
    settings()->m_recentFiles[1] = "a.wtd";
    settings()->m_recentFiles[2] = "gone.wtd";
    sendMenu(m_window, ID_MENU_RECENT1);
    sendMenu(m_window, ID_MENU_RECENT3);
    EXPECT_EQ(m_window->getBackEnd()->getFileCount(), 0u);
    EXPECT_LOGGED_CONTAINS(LOG_ERROR, "invalid file path: gone.wtd");
    sendMenu(m_window, ID_MENU_RECENT2);
    EXPECT_EQ(openPaths(), std::vector<std::string>{"a.wtd"});
    EXPECT_EQ(selectedRows(fileList()), std::vector<long>{0});
    EXPECT_EQ(rowTexts(textureList(), 0), std::vector<std::string>{"alpha"});
    EXPECT_EQ(recentLabel(ID_MENU_RECENT1), "1. a.wtd");
    EXPECT_EQ(status(), "Varnel");
    EXPECT_TRUE(m_prompter.asked().empty());
}

// ---- Save ----

TEST_F(FileCommandsTest, SaveWritesAnArchiveThatLoadsBackAndKeepsTheSelectedRow)
{
    fs::create_directory("maps");
    writeArchive("maps/a.wtd", {"zeta", "alpha", "mid"});
    startWith({"maps/a.wtd"});
    modify(0, "renamed");
    ASSERT_TRUE(m_window->getBackEnd()->setSelectedTexture(2));
    m_window->updateTextureList();
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"a.wtd*"});
    sendMenu(m_window, ID_MENU_SAVE);

    EXPECT_EQ(status(), "Saved file: maps/a.wtd");
    EXPECT_FALSE(archive(0)->isModified());
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"a.wtd"});
    // Saved in name-hash order; the list follows and the selected row stays where it was.
    EXPECT_EQ(namesOnDisk("maps/a.wtd"), namesOf(*archive(0)));
    EXPECT_EQ(rowTexts(textureList(), 0), namesOf(*archive(0)));
    std::vector<std::string> sorted = namesOf(*archive(0));
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"alpha", "mid", "renamed"}));
    EXPECT_EQ(m_window->getBackEnd()->m_files[0]->m_selectedTexture, 2u);
    EXPECT_EQ(selectedRows(textureList()), std::vector<long>{2});
    EXPECT_EQ(settings()->m_saveDirectory, "maps");
}

TEST_F(FileCommandsTest, SaveWithoutAnArchiveLeavesTheStatusAlone)
{
    createMainWindow();
    sendMenu(m_window, ID_MENU_SAVE);
    EXPECT_EQ(status(), "Varnel");
    EXPECT_EQ(settings()->m_saveDirectory, "");
}

TEST_F(FileCommandsTest, ASaveThatFailsSaysSoAndKeepsTheChanges)
{
    writeArchive("a.wtd", {"alpha"});
    startWith({"a.wtd"});
    modify(0, "changed");
    makeUnwritable("a.wtd");
    sendMenu(m_window, ID_MENU_SAVE);
    EXPECT_EQ(status(), "Failed to save file: a.wtd");
    EXPECT_TRUE(archive(0)->isModified());
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"a.wtd*"});
    EXPECT_EQ(namesOf(*archive(0)), std::vector<std::string>{"changed"});
}

// ---- Save As ----

TEST_F(FileCommandsTest, SaveAsMovesTheArchiveToTheNewFileAndLeavesTheOldOne)
{
    writeArchive("a.wtd", {"alpha", "beta"});
    startWith({"a.wtd"});
    const std::string before = readFile("a.wtd");
    const std::string recent = settings()->m_recentFiles[0];
    modify(0, "changed");
    settings()->m_saveDirectory = "last";
    fs::create_directory("Out");
    m_prompter.answerFiles({"Out/B.wtd"});
    sendMenu(m_window, ID_MENU_SAVE_AS);

    ASSERT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(m_prompter.asked()[0].text, "Save file as");
    EXPECT_EQ(m_prompter.asked()[0].directory, "last");
    EXPECT_EQ(m_prompter.asked()[0].wildcard, WILDCARD);
    EXPECT_EQ(m_prompter.asked()[0].style, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    EXPECT_EQ(status(), "Saved file as: Out/B.wtd");
    EXPECT_EQ(archive(0)->getPath(), "Out/B.wtd");
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"B.wtd"});
    EXPECT_EQ(readFile("a.wtd"), before);
    std::vector<std::string> names = namesOnDisk("Out/B.wtd");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"beta", "changed"}));
    EXPECT_EQ(settings()->m_saveDirectory, "Out");
    EXPECT_EQ(settings()->m_recentFiles[0], recent);

    // From now on Save writes the new file.
    modify(0, "again");
    sendMenu(m_window, ID_MENU_SAVE);
    EXPECT_EQ(status(), "Saved file: Out/B.wtd");
    names = namesOnDisk("Out/B.wtd");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"again", "beta"}));
    EXPECT_EQ(readFile("a.wtd"), before);
}

TEST_F(FileCommandsTest, SaveAsCanceledOrWithoutAnArchiveChangesNothing)
{
    createMainWindow();
    sendMenu(m_window, ID_MENU_SAVE_AS);
    EXPECT_TRUE(m_prompter.asked().empty());

    destroyMainWindow();
    writeArchive("a.wtd", {"alpha"});
    startWith({"a.wtd"});
    m_prompter.answerCancel();
    sendMenu(m_window, ID_MENU_SAVE_AS);
    EXPECT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(status(), "Varnel");
    EXPECT_EQ(archive(0)->getPath(), "a.wtd");
}

TEST_F(FileCommandsTest, SaveAsOntoAnotherOpenArchiveIsRefusedBeforeAnythingIsWritten)
{
    writeArchive("a.wtd", {"alpha"});
    writeArchive("b.wtd", {"beta"});
    startWith({"a.wtd", "b.wtd"});
    selectFileRows({0});
    modify(0, "changed");
    const std::string before = readFile("b.wtd");
    m_prompter.answerFiles({tempDir() + "/b.wtd"});
    sendMenu(m_window, ID_MENU_SAVE_AS);
    EXPECT_EQ(readFile("b.wtd"), before);
    EXPECT_EQ(status(), "Failed to save file as: a.wtd");
    EXPECT_LOGGED_LINE(LOG_ERROR, "MainWindow::saveFileAs(1250) - Save as canceled, the file is already open "
                                  "as another archive: b.wtd");
    EXPECT_EQ(openPaths(), (std::vector<std::string>{"a.wtd", "b.wtd"}));
    EXPECT_TRUE(archive(0)->isModified());
}

TEST_F(FileCommandsTest, SaveAsOntoTheArchivesOwnFileIsAnOrdinarySave)
{
    writeArchive("a.wtd", {"alpha"});
    startWith({"a.wtd"});
    modify(0, "changed");
    m_prompter.answerFiles({"./a.wtd"});
    sendMenu(m_window, ID_MENU_SAVE_AS);
    EXPECT_EQ(status(), "Saved file as: ./a.wtd");
    EXPECT_FALSE(archive(0)->isModified());
    EXPECT_EQ(namesOnDisk("a.wtd"), std::vector<std::string>{"changed"});
}

// ---- Reload ----

TEST_F(FileCommandsTest, ReloadDropsTheEditsAndKeepsTheSelectedTexture)
{
    writeArchive("a.wtd", {"alpha", "beta", "gamma"});
    startWith({"a.wtd"});
    ASSERT_TRUE(m_window->getBackEnd()->setSelectedTexture(2));
    modify(0, "changed");
    sendMenu(m_window, ID_MENU_RELOAD);
    EXPECT_EQ(status(), "REloaded file: a.wtd");
    EXPECT_EQ(namesOf(*archive(0)), (std::vector<std::string>{"alpha", "beta", "gamma"}));
    EXPECT_FALSE(archive(0)->isModified());
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"a.wtd"});
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"alpha", "beta", "gamma"}));
    EXPECT_EQ(m_window->getBackEnd()->m_files[0]->m_selectedTexture, 2u);
    EXPECT_EQ(selectedRows(textureList()), std::vector<long>{2});
}

TEST_F(FileCommandsTest, ReloadOfAShrunkenFileSelectsTheFirstTexture)
{
    writeArchive("a.wtd", {"alpha", "beta", "gamma"});
    startWith({"a.wtd"});
    ASSERT_TRUE(m_window->getBackEnd()->setSelectedTexture(2));
    writeArchive("a.wtd", {"only"});
    sendMenu(m_window, ID_MENU_RELOAD);
    EXPECT_EQ(status(), "REloaded file: a.wtd");
    EXPECT_EQ(m_window->getBackEnd()->m_files[0]->m_selectedTexture, 0u);
    EXPECT_EQ(selectedRows(textureList()), std::vector<long>{0});
}

TEST_F(FileCommandsTest, ReloadOfAFileThatNoLongerLoadsFailsAndLeavesNothingToSave)
{
    writeArchive("a.wtd", {"alpha"});
    startWith({"a.wtd"});
    modify(0, "changed");
    writeFile("a.wtd", "not an archive");
    sendMenu(m_window, ID_MENU_RELOAD);
    EXPECT_EQ(status(), "Failed to REload file: a.wtd");
    EXPECT_TRUE(archive(0)->m_textures.empty());
    EXPECT_FALSE(archive(0)->isModified());
    EXPECT_EQ(rowTexts(fileList(), 1), std::vector<std::string>{"0"});
    // Nothing is offered at exit, and the broken file is never overwritten by an empty archive.
    sendMenu(m_window, ID_MENU_SAVE);
    EXPECT_EQ(status(), "Failed to save file: a.wtd");
    EXPECT_EQ(readFile("a.wtd"), "not an archive");
}

// ---- Close ----

TEST_F(FileCommandsTest, CloseWithNoRowSelectedClosesNothing)
{
    writeArchive("a.wtd", {"alpha"});
    startWith({"a.wtd"});
    modify(0, "changed");
    selectFileRows({});
    sendMenu(m_window, ID_MENU_CLOSE);
    EXPECT_EQ(status(), "Closed 0 files");
    EXPECT_EQ(openPaths(), std::vector<std::string>{"a.wtd"});
    EXPECT_TRUE(m_prompter.asked().empty());
}

TEST_F(FileCommandsTest, CloseOfOneModifiedRowAsksAboutItAloneAndYesSaves)
{
    writeArchive("a.wtd", {"alpha"});
    writeArchive("b.wtd", {"beta"});
    startWith({"a.wtd", "b.wtd"});
    modify(0, "changed");
    modify(1, "other");
    selectFileRows({0});
    m_prompter.answerMessage(wxYES);
    m_prompter.answerMessage(wxOK);
    sendMenu(m_window, ID_MENU_CLOSE);
    ASSERT_EQ(m_prompter.asked().size(), 2u);
    EXPECT_EQ(m_prompter.asked()[0].text, "Save changes to: a.wtd");
    EXPECT_EQ(m_prompter.asked()[0].caption, "Save changes?");
    EXPECT_EQ(m_prompter.asked()[0].style & (wxYES_NO | wxOK | wxCANCEL), wxYES_NO);
    EXPECT_EQ(m_prompter.asked()[1].text, "Saved!");
    EXPECT_EQ(m_prompter.asked()[1].caption, "Saved!");
    EXPECT_EQ(m_prompter.asked()[1].style & (wxYES_NO | wxOK), wxOK);
    EXPECT_EQ(namesOnDisk("a.wtd"), std::vector<std::string>{"changed"});
    EXPECT_EQ(openPaths(), std::vector<std::string>{"b.wtd"});
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"b.wtd*"});
    EXPECT_EQ(status(), "Closed 1 files");
}

TEST_F(FileCommandsTest, CloseOfOneRowAnsweredNoDiscardsAndCancelKeepsItOpen)
{
    writeArchive("a.wtd", {"alpha"});
    startWith({"a.wtd"});
    const std::string before = readFile("a.wtd");
    modify(0, "changed");
    selectFileRows({0});
    m_prompter.answerMessage(wxCANCEL);
    sendMenu(m_window, ID_MENU_CLOSE);
    EXPECT_EQ(status(), "Close canceled");
    EXPECT_EQ(openPaths(), std::vector<std::string>{"a.wtd"});
    EXPECT_TRUE(archive(0)->isModified());

    selectFileRows({0});
    m_prompter.answerMessage(wxNO);
    sendMenu(m_window, ID_MENU_CLOSE);
    EXPECT_EQ(m_prompter.asked().size(), 2u);
    EXPECT_EQ(status(), "Closed 1 files");
    EXPECT_TRUE(openPaths().empty());
    EXPECT_EQ(readFile("a.wtd"), before);
}

TEST_F(FileCommandsTest, CloseOfARowWhoseSaveFailsKeepsItOpen)
{
    writeArchive("a.wtd", {"alpha"});
    startWith({"a.wtd"});
    modify(0, "changed");
    makeUnwritable("a.wtd");
    selectFileRows({0});
    m_prompter.answerMessage(wxYES);
    m_prompter.answerMessage(wxOK);
    sendMenu(m_window, ID_MENU_CLOSE);
    ASSERT_EQ(m_prompter.asked().size(), 2u);
    EXPECT_EQ(m_prompter.asked()[1].text, "Failed to save the file!");
    EXPECT_EQ(m_prompter.asked()[1].caption, "Save failed!");
    EXPECT_EQ(openPaths(), std::vector<std::string>{"a.wtd"});
    EXPECT_TRUE(archive(0)->isModified());
    EXPECT_EQ(status(), "Closed 0 files, 1 stayed open because their changes could not be saved");
}

TEST_F(FileCommandsTest, CloseOfRowsTwoAndThreeOfFourClosesBoth)
{
    for (const char* path : {"a.wtd", "b.wtd", "c.wtd", "d.wtd"})
        writeArchive(path, {"t"});
    startWith({"a.wtd", "b.wtd", "c.wtd", "d.wtd"});
    selectFileRows({1, 2});
    sendMenu(m_window, ID_MENU_CLOSE);
    EXPECT_EQ(openPaths(), (std::vector<std::string>{"a.wtd", "d.wtd"}));
    EXPECT_EQ(rowTexts(fileList(), 0), (std::vector<std::string>{"a.wtd", "d.wtd"}));
    EXPECT_EQ(status(), "Closed 2 files");
    EXPECT_TRUE(m_prompter.asked().empty());
    EXPECT_EQ(countLogged(LOG_ERROR, "outside the number of files"), 0u);
}

TEST_F(FileCommandsTest, CloseOfSeveralRowsAsksOnceAboutEveryModifiedArchive)
{
    for (const char* path : {"a.wtd", "b.wtd", "c.wtd", "d.wtd"})
        writeArchive(path, {"t"});
    startWith({"a.wtd", "b.wtd", "c.wtd", "d.wtd"});
    modify(0, "unselected");
    modify(2, "selected");
    selectFileRows({1, 2});
    std::vector<std::string> rows;
    answerSaveChanges([&](SaveChangesWindow& dialog) {
        rows = rowsOf(dialog);
        click(dialog, ID_SAVE_CHANGES_SAVE_SELECTED);
    });
    sendMenu(m_window, ID_MENU_CLOSE);
    ASSERT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(m_prompter.asked()[0].text, "Save Changes - Varnel");
    EXPECT_EQ(rows, (std::vector<std::string>{"[ ] a.wtd", "[ ] c.wtd"}));
    EXPECT_EQ(openPaths(), (std::vector<std::string>{"a.wtd", "d.wtd"}));
    EXPECT_TRUE(archive(0)->isModified());
    EXPECT_EQ(namesOnDisk("c.wtd"), std::vector<std::string>{"t"});
    EXPECT_EQ(status(), "Closed 2 files");
}

TEST_F(FileCommandsTest, CloseOfSeveralRowsClosesNothingWhenTheDialogIsDismissed)
{
    writeArchive("a.wtd", {"t"});
    writeArchive("b.wtd", {"t"});
    startWith({"a.wtd", "b.wtd"});
    modify(1, "changed");
    selectFileRows({0, 1});
    answerSaveChanges([](SaveChangesWindow& dialog) { dialog.Close(false); });
    sendMenu(m_window, ID_MENU_CLOSE);
    EXPECT_EQ(openPaths(), (std::vector<std::string>{"a.wtd", "b.wtd"}));
    EXPECT_EQ(status(), "Close canceled");
}

// ---- Close All ----

TEST_F(FileCommandsTest, CloseAllWithNothingOpen)
{
    createMainWindow();
    sendMenu(m_window, ID_MENU_CLOSE_ALL);
    EXPECT_EQ(status(), "All files closed");
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "BackEnd::closeAllFiles(224) - Closed 0 files");
    EXPECT_TRUE(m_prompter.asked().empty());
}

TEST_F(FileCommandsTest, CloseAllSavesWhatItCanAndKeepsTheArchiveThatCannotBeWritten)
{
    for (const char* path : {"a.wtd", "b.wtd", "c.wtd", "d.wtd"})
        writeArchive(path, {"t"});
    startWith({"a.wtd", "b.wtd", "c.wtd", "d.wtd"});
    modify(0, "first");
    modify(1, "second");
    modify(3, "fourth");
    makeUnwritable("b.wtd");
    std::vector<std::string> rows;
    answerSaveChanges([&](SaveChangesWindow& dialog) {
        rows = rowsOf(dialog);
        click(dialog, ID_SAVE_CHANGES_SAVE_ALL);
    });
    m_prompter.answerMessage(wxOK);
    sendMenu(m_window, ID_MENU_CLOSE_ALL);
    EXPECT_EQ(rows, (std::vector<std::string>{"[ ] a.wtd", "[ ] b.wtd", "[ ] d.wtd"}));
    ASSERT_EQ(m_prompter.asked().size(), 2u);
    EXPECT_EQ(m_prompter.asked()[1].text, "Saved 2 files, 1 failed to save");
    EXPECT_EQ(m_prompter.asked()[1].caption, "Varnel");
    EXPECT_EQ(namesOnDisk("a.wtd"), std::vector<std::string>{"first"});
    EXPECT_EQ(namesOnDisk("d.wtd"), std::vector<std::string>{"fourth"});
    EXPECT_EQ(openPaths(), std::vector<std::string>{"b.wtd"});
    EXPECT_TRUE(archive(0)->isModified());
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"b.wtd*"});
    EXPECT_EQ(status(), "Closed 3 files, 1 stayed open because their changes could not be saved");
}

TEST_F(FileCommandsTest, CloseAllWithSaveNoneDiscardsAndWithTheCloseBoxKeepsAll)
{
    writeArchive("a.wtd", {"t"});
    writeArchive("b.wtd", {"t"});
    startWith({"a.wtd", "b.wtd"});
    modify(0, "changed");
    answerSaveChanges([](SaveChangesWindow& dialog) { dialog.Close(false); });
    sendMenu(m_window, ID_MENU_CLOSE_ALL);
    EXPECT_EQ(status(), "Close canceled");
    EXPECT_EQ(openPaths(), (std::vector<std::string>{"a.wtd", "b.wtd"}));

    answerSaveChanges([](SaveChangesWindow& dialog) {
        tick(dialog, 0);
        click(dialog, ID_SAVE_CHANGES_SAVE_NONE);
    });
    sendMenu(m_window, ID_MENU_CLOSE_ALL);
    EXPECT_EQ(status(), "All files closed");
    EXPECT_TRUE(openPaths().empty());
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{});
    EXPECT_EQ(rowTexts(textureList(), 0), std::vector<std::string>{});
    EXPECT_EQ(namesOnDisk("a.wtd"), std::vector<std::string>{"t"});
}

TEST_F(FileCommandsTest, CloseAllSavesOnlyTheTickedRows)
{
    for (const char* path : {"a.wtd", "b.wtd", "c.wtd"})
        writeArchive(path, {"t"});
    startWith({"a.wtd", "b.wtd", "c.wtd"});
    modify(0, "first");
    modify(1, "second");
    modify(2, "third");
    answerSaveChanges([](SaveChangesWindow& dialog) {
        tick(dialog, 1);
        tick(dialog, 2);
        tick(dialog, 2);
        click(dialog, ID_SAVE_CHANGES_SAVE_SELECTED);
    });
    sendMenu(m_window, ID_MENU_CLOSE_ALL);
    EXPECT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(namesOnDisk("a.wtd"), std::vector<std::string>{"t"});
    EXPECT_EQ(namesOnDisk("b.wtd"), std::vector<std::string>{"second"});
    EXPECT_EQ(namesOnDisk("c.wtd"), std::vector<std::string>{"t"});
    EXPECT_TRUE(openPaths().empty());
}

// ---- Exit ----

TEST_F(FileCommandsTest, ExitWithSaveAllSavesAndTheWindowCloses)
{
    writeArchive("a.wtd", {"t"});
    writeArchive("b.wtd", {"t"});
    startWith({"a.wtd", "b.wtd"});
    modify(0, "first");
    modify(1, "second");
    answerSaveChanges([](SaveChangesWindow& dialog) { click(dialog, ID_SAVE_CHANGES_SAVE_ALL); });
    sendMenu(m_window, ID_MENU_EXIT);
    waitForWindowToGo();
    EXPECT_FALSE(mainWindowExists());
    EXPECT_EQ(namesOnDisk("a.wtd"), std::vector<std::string>{"first"});
    EXPECT_EQ(namesOnDisk("b.wtd"), std::vector<std::string>{"second"});
    EXPECT_EQ(readFile("config/varnel_ar.arf"), "a.wtd\nb.wtd\n");
}

TEST_F(FileCommandsTest, ExitDismissedKeepsTheWindowAndEveryArchiveOpen)
{
    writeArchive("a.wtd", {"t"});
    writeArchive("b.wtd", {"t"});
    startWith({"a.wtd", "b.wtd"});
    modify(1, "second");
    answerSaveChanges([](SaveChangesWindow& dialog) { dialog.Close(false); });
    sendMenu(m_window, ID_MENU_EXIT);
    pump(50);
    ASSERT_TRUE(mainWindowExists());
    EXPECT_EQ(openPaths(), (std::vector<std::string>{"a.wtd", "b.wtd"}));
    EXPECT_TRUE(archive(1)->isModified());
    EXPECT_EQ(status(), "Exit canceled");
}

TEST_F(FileCommandsTest, ExitWhoseSaveFailsStaysOpenAndNamesTheArchive)
{
    writeArchive("a.wtd", {"t"});
    writeArchive("b.wtd", {"t"});
    startWith({"a.wtd", "b.wtd"});
    modify(0, "first");
    modify(1, "second");
    makeUnwritable("b.wtd");
    answerSaveChanges([](SaveChangesWindow& dialog) { click(dialog, ID_SAVE_CHANGES_SAVE_ALL); });
    m_prompter.answerMessage(wxOK);
    sendMenu(m_window, ID_MENU_EXIT);
    pump(50);
    ASSERT_TRUE(mainWindowExists());
    EXPECT_EQ(m_prompter.asked()[1].text, "Saved 1 files, 1 failed to save");
    EXPECT_LOGGED_LINE(
        LOG_ERROR,
        "MainWindow::OnClose(1112) - Exit canceled, the changes of this file could not be saved: b.wtd");
    EXPECT_EQ(countLogged(LOG_ERROR, "Exit canceled"), 1u);
    EXPECT_EQ(openPaths(), (std::vector<std::string>{"a.wtd", "b.wtd"}));
    EXPECT_FALSE(archive(0)->isModified());
    EXPECT_TRUE(archive(1)->isModified());
}

TEST_F(FileCommandsTest, AnExitThatCannotBeRefusedClosesWhateverTheAnswer)
{
    writeArchive("a.wtd", {"t"});
    startWith({"a.wtd"});
    modify(0, "changed");
    answerSaveChanges([](SaveChangesWindow& dialog) { dialog.Close(false); });
    wxCloseEvent close(wxEVT_CLOSE_WINDOW, m_window->GetId());
    close.SetEventObject(m_window);
    close.SetCanVeto(false);
    m_window->GetEventHandler()->ProcessEvent(close);
    waitForWindowToGo();
    EXPECT_FALSE(mainWindowExists());
    EXPECT_EQ(namesOnDisk("a.wtd"), std::vector<std::string>{"t"});
}

// ---- Lost device while the dialog is open ----

TEST_F(FileCommandsTest, ALostDeviceDuringTheDialogRecoversAfterItAndTheSavesReachTheirArchives)
{
    for (const char* path : {"a.wtd", "b.wtd", "c.wtd"})
        writeArchive(path, {"t"});
    startWith({"a.wtd", "b.wtd", "c.wtd"});
    modify(0, "first");
    modify(1, "second");
    modify(2, "third");
    selectFileRows({1, 2});
    size_t restartsDuringDialog = 1;
    m_prompter.duringNext([&] {
        TestHooks::setDeviceLostCalls(1);
        sendIdle(m_window);
        sendIdle(m_window);
        restartsDuringDialog = countLogged(LOG_INFORMATION, "Render system reinitialization complete");
    });
    answerSaveChanges([](SaveChangesWindow& dialog) {
        tick(dialog, 0);
        tick(dialog, 2);
        click(dialog, ID_SAVE_CHANGES_SAVE_SELECTED);
    });
    sendMenu(m_window, ID_MENU_CLOSE);
    EXPECT_EQ(restartsDuringDialog, 0u);
    EXPECT_TRUE(s_sleeps.empty());
    EXPECT_EQ(namesOnDisk("a.wtd"), std::vector<std::string>{"first"});
    EXPECT_EQ(namesOnDisk("b.wtd"), std::vector<std::string>{"t"});
    EXPECT_EQ(namesOnDisk("c.wtd"), std::vector<std::string>{"third"});
    EXPECT_EQ(openPaths(), std::vector<std::string>{"a.wtd"});

    EXPECT_TRUE(sendIdle(m_window));
    EXPECT_EQ(s_sleeps, std::vector<uint32_t>{500});
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "MainWindow::OnIdle(397) - Recovered from lost device");
    EXPECT_EQ(openPaths(), std::vector<std::string>{"a.wtd"});
    EXPECT_FALSE(archive(0)->isModified());
    EXPECT_EQ(namesOf(*archive(0)), std::vector<std::string>{"first"});
}

// ---- Keys ----

TEST_F(FileCommandsTest, RealKeysReachTheFileCommandsWhileTheLogPaneHasTheFocus)
{
    useDisplayAlone();
    writeArchive("a.wtd", {"alpha"});
    startWith({"a.wtd"});
    modify(0, "changed");
    m_window->Raise();
    wxTextCtrl* log = child<wxTextCtrl>(m_window, ID_LOG_TEXT);
    wxUIActionSimulator simulator;
    simulator.MouseMove(log->GetScreenRect().GetPosition() + wxPoint(20, 20));
    log->SetFocus();
    pump(200);
    ASSERT_EQ(wxWindow::FindFocus(), log);

    m_prompter.answerCancel();
    simulator.Char('n', wxMOD_CONTROL);
    pump(150);
    EXPECT_EQ(status(), "Create new file canceled");

    m_prompter.answerCancel();
    simulator.Char('o', wxMOD_CONTROL);
    pump(150);
    EXPECT_EQ(status(), "Open file canceled");

    simulator.Char('s', wxMOD_CONTROL);
    pump(150);
    EXPECT_EQ(status(), "Saved file: a.wtd");
    EXPECT_EQ(namesOnDisk("a.wtd"), std::vector<std::string>{"changed"});

    ASSERT_EQ(selectedRows(fileList()), std::vector<long>{0});
    simulator.Char('t', wxMOD_CONTROL);
    pump(150);
    EXPECT_EQ(status(), "Closed 1 files");
    EXPECT_TRUE(openPaths().empty());
    EXPECT_EQ(m_prompter.asked().size(), 2u);
}
