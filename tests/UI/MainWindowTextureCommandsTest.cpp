#include "UI/TextureCommandsTest.h"

#include "Platform/Direct3D/D3D9Types.h"
#include "Support/ArchiveBuilder.h"
#include "Support/DdsBuilder.h"
#include "Support/LogCapture.h"
#include "Support/TestHooks.h"
#include "UI/Dialogs/AddTexturesWindow.h"
#include "UI/Dialogs/ReplaceWindow.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace
{
// What the status bar's gauge and the cursor showed each time the archive reported a step.
class ProgressObserver : public LogListener
{
public:
    struct Step
    {
        bool shown;
        int value;
        int range;
        bool busy;
    };

    ProgressObserver(wxGauge* gauge, const std::string& stepMessage)
        : m_gauge(gauge), m_stepMessage(stepMessage)
    {
        MessageLog::getInstance()->addListener(this);
    }
    ~ProgressObserver() override { MessageLog::getInstance()->removeListener(this); }
    ProgressObserver(const ProgressObserver&) = delete;
    ProgressObserver& operator=(const ProgressObserver&) = delete;

    void information(const std::string& message) override { record(message); }
    void warning(const std::string& message) override { record(message); }
    void error(const std::string& message) override { record(message); }

    std::vector<int> values() const
    {
        std::vector<int> values;
        for (const Step& step : m_steps)
            values.push_back(step.value);
        return values;
    }
    bool allShownAndBusy(int range) const
    {
        for (const Step& step : m_steps)
            if (!step.shown || !step.busy || step.range != range)
                return false;
        return !m_steps.empty();
    }

private:
    void record(const std::string& message)
    {
        if (message.find(m_stepMessage) != std::string::npos)
            m_steps.push_back({m_gauge->IsShown(), m_gauge->GetValue(), m_gauge->GetRange(), wxIsBusy()});
    }

    wxGauge* m_gauge;
    std::string m_stepMessage;
    std::vector<Step> m_steps;
};

const std::string FOLDER_PROMPT = "Select extract destination";
} // namespace

class TextureCommandsTestWithArchive : public TextureCommandsTest
{
protected:
    wxGauge* gauge() { return child<wxGauge>(m_window, ID_PROGRESS_BAR); }
    std::string inTemp(const std::string& name) { return tempDir() + "/" + name; }
    // The Add dialog's answer: these files added through its Add button, then OK.
    void answerAddDialog(const std::vector<std::string>& paths)
    {
        m_prompter.answerDialog([this, paths](wxDialog& dialog) {
            m_prompter.answerFiles(paths);
            click(&dialog, ID_ADD_BUTTON);
            click(&dialog, ID_ADD_OK_BUTTON);
            return wxID_OK;
        });
    }
    // The Replace dialog's answer: a file for each listed row given, then OK.
    void answerReplaceDialog(const std::vector<std::pair<int, std::string>>& files)
    {
        m_prompter.answerDialog([this, files](wxDialog& dialog) {
            for (const auto& file : files) {
                chooseRow(&dialog, file.first);
                m_prompter.answerFiles({file.second});
                click(&dialog, ID_REPLACE_SELECT_BUTTON);
            }
            click(&dialog, ID_REPLACE_OK_BUTTON);
            return wxID_OK;
        });
    }
};

// ---- Add ----

TEST_F(TextureCommandsTestWithArchive, AddDoesNothingWithoutAnArchive)
{
    createMainWindow();
    sendMenu(m_window, ID_MENU_ADD);
    EXPECT_TRUE(m_prompter.asked().empty());
    EXPECT_EQ(status(), "Varnel");
}

TEST_F(TextureCommandsTestWithArchive, AddAddsEveryAcceptedFileAndCountsTheRefusedOne)
{
    writeArchive("a.wtd", {"wall"});
    startWith({"a.wtd"});
    writeDds("rock.dds", D3DFMT_DXT1, 256, 128, 9, 3);
    writeDds("odd.dds", D3DFMT_DXT5, 100, 64, 1, 4);
    writeDds("glow.dds", D3DFMT_DXT5, 16, 16, 1, 5);
    answerAddDialog({inTemp("rock.dds"), inTemp("odd.dds"), inTemp("glow.dds")});
    sendMenu(m_window, ID_MENU_ADD);

    ASSERT_EQ(m_prompter.asked().size(), 2u);
    EXPECT_EQ(m_prompter.asked()[0].kind, ScriptedPrompter::DIALOG);
    EXPECT_EQ(m_prompter.asked()[0].text, "Add Textures - Varnel");
    EXPECT_EQ(m_prompter.asked()[0].style, wxDEFAULT_DIALOG_STYLE | wxTAB_TRAVERSAL);
    EXPECT_EQ(status(), "2 Added ok, 1 Failed to be added to the archive");
    EXPECT_LOGGED_LINE(
        LOG_INFORMATION,
        "MainWindow::addTextures(1496) - Textures added to the archive, Fail count: 1, OK count: 2");
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"wall", "rock.dds", "glow.dds"}));
    EXPECT_EQ(row(1), (std::vector<std::string>{"rock.dds", "DXT1", "256 x 128"}));
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"a.wtd*"});
    EXPECT_EQ(rowTexts(fileList(), 1), std::vector<std::string>{"3"});
    EXPECT_FALSE(gauge()->IsShown());
    EXPECT_EQ(settings()->m_textureDirectory, tempDir());
}

TEST_F(TextureCommandsTestWithArchive, AddAddsAFileChosenTwiceTwiceAndTheGaugeCountsTheSteps)
{
    writeArchive("a.wtd", {"wall"});
    startWith({"a.wtd"});
    writeDds("rock.dds", D3DFMT_DXT1, 8, 8, 1, 3);
    writeDds("sand.dds", D3DFMT_DXT1, 8, 8, 1, 4);
    answerAddDialog({inTemp("rock.dds"), inTemp("sand.dds"), inTemp("rock.dds")});
    ProgressObserver observer(gauge(), "Added new texture");
    sendMenu(m_window, ID_MENU_ADD);
    EXPECT_EQ(status(), "Added 3 textures to the archive");
    EXPECT_EQ(rowTexts(textureList(), 0),
              (std::vector<std::string>{"wall", "rock.dds", "sand.dds", "rock.dds"}));
    // Never the full range before it is hidden; the busy cursor stands throughout.
    EXPECT_EQ(observer.values(), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(observer.allShownAndBusy(3));
    EXPECT_FALSE(gauge()->IsShown());
    EXPECT_FALSE(wxIsBusy());
}

TEST_F(TextureCommandsTestWithArchive, AddWithAnEmptyListOrCancelledAddsNothing)
{
    writeArchive("a.wtd", {"wall"});
    startWith({"a.wtd"});
    m_prompter.answerDialog([this](wxDialog& dialog) {
        click(&dialog, ID_ADD_OK_BUTTON);
        return wxID_OK;
    });
    ProgressObserver observer(gauge(), "MainWindow::formatToString");
    sendMenu(m_window, ID_MENU_ADD);
    EXPECT_EQ(status(), "No textures to add");
    EXPECT_FALSE(gauge()->IsShown());

    writeDds("rock.dds", D3DFMT_DXT1, 8, 8, 1, 3);
    m_prompter.answerDialog([this](wxDialog& dialog) {
        m_prompter.answerFiles({inTemp("rock.dds")});
        click(&dialog, ID_ADD_BUTTON);
        click(&dialog, ID_ADD_CANCEL_BUTTON);
        return wxID_CANCEL;
    });
    sendMenu(m_window, ID_MENU_ADD);
    EXPECT_EQ(status(), "Add textures canceled");
    EXPECT_EQ(rowTexts(textureList(), 0), std::vector<std::string>{"wall"});
    EXPECT_FALSE(archive(0)->isModified());
    EXPECT_EQ(settings()->m_textureDirectory, tempDir());
    EXPECT_EQ(countLogged(LOG_INFORMATION, "Textures added to the archive"), 0u);
}

TEST_F(TextureCommandsTestWithArchive,
       AddGoesToTheArchiveSelectedBeforeTheDialogEvenWhenTheDeviceIsLostMeanwhile)
{
    writeArchive("a.wtd", {"wall"});
    writeArchive("b.wtd", {"door", "roof"});
    startWith({"a.wtd", "b.wtd"});
    writeDds("rock.dds", D3DFMT_DXT5, 16, 16, 1, 3);
    m_prompter.duringNext([this] {
        TestHooks::setDeviceLostCalls(1);
        sendIdle(m_window);
    });
    answerAddDialog({inTemp("rock.dds")});
    sendMenu(m_window, ID_MENU_ADD);
    EXPECT_TRUE(s_sleeps.empty());
    EXPECT_EQ(countLogged(LOG_INFORMATION, "Recovered from lost device"), 0u);
    EXPECT_EQ(archive(1)->m_textures.back().name, "rock.dds");

    EXPECT_TRUE(sendIdle(m_window));
    EXPECT_EQ(s_sleeps, std::vector<uint32_t>{500});
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "MainWindow::OnIdle(397) - Recovered from lost device");
    ASSERT_EQ(m_window->getBackEnd()->getFileCount(), 2u);
    EXPECT_EQ(archive(0)->m_textures.size(), 1u);
    // The restart saves and reopens the archive, which orders the textures by name hash.
    std::vector<std::string> names;
    for (const TextureEntry& entry : archive(1)->m_textures)
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"door", "rock.dds", "roof"}));
    EXPECT_TRUE(archive(1)->isModified());
}

// ---- Replace ----

TEST_F(TextureCommandsTestWithArchive, ReplaceDoesNothingWithoutASelectedRow)
{
    writeArchive("a.wtd", {"wall"});
    startWith({"a.wtd"});
    selectTextures({});
    sendMenu(m_window, ID_MENU_REPLACE);
    EXPECT_TRUE(m_prompter.asked().empty());
    EXPECT_EQ(status(), "Varnel");
}

TEST_F(TextureCommandsTestWithArchive, ReplaceListsTheSelectedTexturesInRowOrderAndSkipsThoseWithoutAFile)
{
    writeArchive("a.wtd", {"t0", "t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8", "t9"});
    startWith({"a.wtd"});
    selectTextures({5, 2, 9});
    std::vector<wxString> listed;
    m_prompter.answerDialog([&](wxDialog& dialog) {
        wxListBox* list = child<wxListBox>(&dialog, ID_REPLACE_LIST);
        for (unsigned i = 0; i < list->GetCount(); ++i)
            listed.push_back(list->GetString(i));
        click(&dialog, ID_REPLACE_OK_BUTTON);
        return wxID_OK;
    });
    sendMenu(m_window, ID_MENU_REPLACE);
    EXPECT_EQ(listed, (std::vector<wxString>{"t2", "t5", "t9"}));
    EXPECT_EQ(m_prompter.asked()[0].text, "Replace Textures - Varnel");
    EXPECT_EQ(status(), "Replaced 0 textures, 3 skipped");
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "MainWindow::replaceTextures(1784) - Textures replaced: 0 OK, 0 Failed, 3 Skipped");
    EXPECT_FALSE(archive(0)->isModified());
}

TEST_F(TextureCommandsTestWithArchive, ReplaceShowsTheNewPictureUnderTheOldNameAndCountsTheRefusedFile)
{
    writeArchive("a.wtd", {"wall", "door", "roof", "gate"});
    startWith({"a.wtd"});
    writeDds("new.dds", D3DFMT_DXT5, 64, 32, 7, 3);
    writeDds("odd.dds", D3DFMT_DXT5, 100, 32, 1, 4);
    selectTextures({0, 1, 3});
    answerReplaceDialog({{0, inTemp("new.dds")}, {2, inTemp("odd.dds")}});
    ProgressObserver observer(gauge(), "Replaced the texture");
    sendMenu(m_window, ID_MENU_REPLACE);
    EXPECT_EQ(status(), "Replaced 1 textures, 1 skipped, 1 Failed");
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "MainWindow::replaceTextures(1784) - Textures replaced: 1 OK, 1 Failed, 1 Skipped");
    EXPECT_EQ(row(0), (std::vector<std::string>{"wall", "DXT5", "64 x 32"}));
    EXPECT_EQ(row(3), (std::vector<std::string>{"gate", "DXT1", "16 x 8"}));
    EXPECT_EQ(archive(0)->m_textures[0].record.mipLevelCount, 7);
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"a.wtd*"});
    EXPECT_EQ(observer.values(), std::vector<int>{0});
    EXPECT_TRUE(observer.allShownAndBusy(3));
    EXPECT_FALSE(gauge()->IsShown());
}

TEST_F(TextureCommandsTestWithArchive, ReplaceCancelledAfterChoosingFilesReplacesNothing)
{
    writeArchive("a.wtd", {"wall"});
    startWith({"a.wtd"});
    writeDds("new.dds", D3DFMT_DXT5, 64, 32, 1, 3);
    m_prompter.answerDialog([this](wxDialog& dialog) {
        chooseRow(&dialog, 0);
        m_prompter.answerFiles({inTemp("new.dds")});
        click(&dialog, ID_REPLACE_SELECT_BUTTON);
        click(&dialog, ID_REPLACE_CANCEL_BUTTON);
        return wxID_CANCEL;
    });
    sendMenu(m_window, ID_MENU_REPLACE);
    EXPECT_EQ(status(), "Replace textures canceled");
    EXPECT_EQ(row(0), (std::vector<std::string>{"wall", "DXT1", "16 x 8"}));
    EXPECT_FALSE(archive(0)->isModified());
}

TEST_F(TextureCommandsTestWithArchive, ReplaceKeepsItsTexturesWhenTheDeviceIsLostWhileTheDialogIsOpen)
{
    writeArchive("a.wtd", {"wall", "door"});
    writeArchive("b.wtd", {"gate", "roof"});
    startWith({"a.wtd", "b.wtd"});
    writeDds("new.dds", D3DFMT_DXT5, 32, 32, 1, 3);
    selectTextures({1});
    m_prompter.duringNext([this] {
        TestHooks::setDeviceLostCalls(1);
        sendIdle(m_window);
    });
    answerReplaceDialog({{0, inTemp("new.dds")}});
    sendMenu(m_window, ID_MENU_REPLACE);
    EXPECT_TRUE(s_sleeps.empty());
    EXPECT_EQ(status(), "Replaced 1 textures, 0 skipped");
    EXPECT_TRUE(sendIdle(m_window));
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "MainWindow::OnIdle(397) - Recovered from lost device");
    // The restart saves and reopens the archive, which orders the textures by name hash.
    for (const TextureEntry& entry : archive(1)->m_textures)
        EXPECT_EQ(entry.record.format,
                  static_cast<uint32_t>(entry.name == "roof" ? D3DFMT_DXT5 : D3DFMT_DXT1))
            << entry.name;
    for (const TextureEntry& entry : archive(0)->m_textures)
        EXPECT_EQ(entry.record.format, static_cast<uint32_t>(D3DFMT_DXT1)) << entry.name;
}

// ---- Extract ----

TEST_F(TextureCommandsTestWithArchive, ExtractOneWritesTheSelectedTextureWhereTheUserChose)
{
    ArchiveBuilder builder;
    builder.addTexture("rock", 16, 16, D3DFMT_DXT5, 5);
    builder.addTexture("sand", 8, 8, D3DFMT_DXT1, 1);
    ASSERT_TRUE(builder.writeTo("a.wtd"));
    startWith({"a.wtd"});
    mkdir("out", 0777);
    settings()->m_extractDirectory = "/start";
    selectTextures({0});
    m_prompter.answerFiles({inTemp("out/rock.dds")});
    sendMenu(m_window, ID_MENU_EXTRACT);

    ASSERT_EQ(m_prompter.asked().size(), 1u);
    const ScriptedPrompter::Question& question = m_prompter.asked()[0];
    EXPECT_EQ(question.text, "Extract texture");
    EXPECT_EQ(question.directory, "/start");
    EXPECT_EQ(question.defaultFile, "rock");
    EXPECT_EQ(question.wildcard, "DirectX Textures (*.dds)|*.dds|All files (*.*)|*.*");
    EXPECT_EQ(question.style, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    EXPECT_EQ(status(), wxString::FromUTF8(("Extracted texture as: " + inTemp("out/rock.dds")).c_str()));
    EXPECT_EQ(settings()->m_extractDirectory, inTemp("out"));
    EXPECT_FALSE(archive(0)->isModified());

    std::unique_ptr<WTDFile> extracted = readBack("out/rock.dds");
    ASSERT_EQ(extracted->m_textures.size(), 1u);
    const TextureEntry& original = archive(0)->m_textures[0];
    EXPECT_EQ(extracted->m_textures[0].record.format, original.record.format);
    ASSERT_EQ(extracted->m_textures[0].record.mipLevelCount, 5);
    for (uint32_t level = 0; level < 5; ++level)
        EXPECT_EQ(levelBytes(extracted->m_textures[0].texture.get(), level),
                  levelBytes(original.texture.get(), level))
            << level;

    // The next dialog starts where the last file went.
    m_prompter.answerCancel();
    sendMenu(m_window, ID_MENU_EXTRACT);
    EXPECT_EQ(m_prompter.asked()[1].directory, wxString::FromUTF8(inTemp("out").c_str()));
    EXPECT_EQ(status(), "Extract texture canceled");
}

TEST_F(TextureCommandsTestWithArchive, ExtractOneUsesTheTextureThePreviewShows)
{
    writeArchive("a.wtd", {"t0", "t1", "t2"});
    startWith({"a.wtd"});
    selectTextures({1, 2});
    ASSERT_EQ(m_window->getBackEnd()->getSelectedFile()->m_selectedTexture, 2u);
    textureList()->SetItemState(2, 0, wxLIST_STATE_SELECTED);
    m_prompter.answerFiles({inTemp("copy.dds")});
    sendMenu(m_window, ID_MENU_EXTRACT);
    EXPECT_EQ(m_prompter.asked()[0].defaultFile, "t2");
    EXPECT_EQ(archive(0)->m_textures[2].record.width, readBack("copy.dds")->m_textures[0].record.width);
    EXPECT_LOGGED_CONTAINS(LOG_INFORMATION, "Extracted: t2 as: " + inTemp("copy.dds"));
}

TEST_F(TextureCommandsTestWithArchive, ExtractOneThatCannotBeWrittenKeepsTheRememberedFolder)
{
    writeArchive("a.wtd", {"rock"});
    startWith({"a.wtd"});
    settings()->m_extractDirectory = "/start";
    TestHooks::failNextSaveTexture();
    m_prompter.answerFiles({inTemp("rock.dds")});
    sendMenu(m_window, ID_MENU_EXTRACT);
    EXPECT_EQ(status(), wxString::FromUTF8(("Failed to extract texture as: " + inTemp("rock.dds")).c_str()));
    EXPECT_EQ(settings()->m_extractDirectory, "/start");
}

TEST_F(TextureCommandsTestWithArchive, ExtractOneProposesNoNameThatCannotBeAFileName)
{
    writeArchive("a.wtd", {"../escape"});
    startWith({"a.wtd"});
    m_prompter.answerCancel();
    sendMenu(m_window, ID_MENU_EXTRACT);
    EXPECT_EQ(m_prompter.asked()[0].defaultFile, "");
}

TEST_F(TextureCommandsTestWithArchive, ExtractSeveralNamesEachFileAfterItsTextureAndOverwrites)
{
    writeArchive("a.wtd", {"t0", "t1", "t2", "t3"});
    startWith({"a.wtd"});
    const std::string folder = inTemp("out 100%");
    mkdir(folder.c_str(), 0777);
    writeFile(folder + "/t3", "an older file");
    settings()->m_extractDirectory = "/start";
    selectTextures({0, 1, 3});
    m_prompter.answerFolder(folder);
    ProgressObserver observer(gauge(), "Extracted:");
    sendMenu(m_window, ID_MENU_EXTRACT);

    ASSERT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(m_prompter.asked()[0].kind, ScriptedPrompter::FOLDER);
    EXPECT_EQ(m_prompter.asked()[0].text, FOLDER_PROMPT);
    EXPECT_EQ(m_prompter.asked()[0].directory, "/start");
    EXPECT_EQ(m_prompter.asked()[0].style, wxDD_DEFAULT_STYLE);
    EXPECT_EQ(status(), wxString::FromUTF8(("3 Textures extracted to: " + folder).c_str()));
    EXPECT_EQ(settings()->m_extractDirectory, "/start");
    for (const char* name : {"t0", "t1", "t3"})
        EXPECT_EQ(readBack(folder + "/" + name)->m_textures.size(), 1u) << name;
    EXPECT_FALSE(std::filesystem::exists(folder + "/t2"));
    EXPECT_EQ(observer.values(), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(observer.allShownAndBusy(3));
    EXPECT_FALSE(gauge()->IsShown());
}

TEST_F(TextureCommandsTestWithArchive, ExtractSeveralCountsWhatWasNotWritten)
{
    writeArchive("a.wtd", {"t0", "a/b", "t2"});
    startWith({"a.wtd"});
    selectTextures({0, 1, 2});
    m_prompter.answerFolder(tempDir());
    sendMenu(m_window, ID_MENU_EXTRACT);
    EXPECT_EQ(status(), "2 Textures extracted ok, 1 failed");
    EXPECT_FALSE(std::filesystem::exists("a/b"));

    m_prompter.answerCancel();
    sendMenu(m_window, ID_MENU_EXTRACT);
    EXPECT_EQ(status(), "Extract texture canceled");
}

TEST_F(TextureCommandsTestWithArchive, ExtractDoesNothingWithoutASelectedRowOrArchive)
{
    createMainWindow();
    sendMenu(m_window, ID_MENU_EXTRACT);
    sendMenu(m_window, ID_MENU_EXTRACT_ALL);
    destroyMainWindow();
    writeArchive("a.wtd", {"t0"});
    startWith({"a.wtd"});
    selectTextures({});
    sendMenu(m_window, ID_MENU_EXTRACT);
    EXPECT_TRUE(m_prompter.asked().empty());
    EXPECT_EQ(status(), "Varnel");
}

TEST_F(TextureCommandsTestWithArchive, ExtractAllWritesEveryTextureCountsFailuresAndRemembersTheFolder)
{
    writeArchive("a.wtd", {"t0", "t1", "..", "t3", "t4", "t5", "c:x", "t7", "t8", "t9"});
    startWith({"a.wtd"});
    selectTextures({});
    m_prompter.answerFolder(tempDir() + "/");
    ProgressObserver observer(gauge(), "xtract");
    sendMenu(m_window, ID_MENU_EXTRACT_ALL);
    EXPECT_EQ(status(), "8 Textures extracted ok, 2 failed");
    EXPECT_EQ(settings()->m_extractDirectory, tempDir() + "/");
    EXPECT_EQ(readBack("t9")->m_textures[0].name, "t9");
    EXPECT_EQ(observer.values(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_TRUE(observer.allShownAndBusy(10));
    EXPECT_FALSE(gauge()->IsShown());
}

TEST_F(TextureCommandsTestWithArchive, ExtractAllOfAnEmptyArchiveAndACancelledExtractAll)
{
    ArchiveBuilder empty;
    ASSERT_TRUE(empty.writeTo("a.wtd"));
    startWith({"a.wtd"});
    bool gaugeShownDuringDialog = false;
    m_prompter.duringNext([&] { gaugeShownDuringDialog = gauge()->IsShown(); });
    m_prompter.answerFolder(tempDir() + "/100%s");
    sendMenu(m_window, ID_MENU_EXTRACT_ALL);
    EXPECT_TRUE(gaugeShownDuringDialog);
    EXPECT_EQ(status(), wxString::FromUTF8(("0 Textures extracted to: " + tempDir() + "/100%s").c_str()));

    m_prompter.answerCancel();
    sendMenu(m_window, ID_MENU_EXTRACT_ALL);
    EXPECT_FALSE(gauge()->IsShown());
    EXPECT_EQ(status(), wxString::FromUTF8(("0 Textures extracted to: " + tempDir() + "/100%s").c_str()));
}

// Two textures of one name would go to one file: within a run the first is written and the second
// counts as failed with an Error; a file of an earlier run is overwritten as any older file is.
TEST_F(TextureCommandsTestWithArchive, ExtractingTwoTexturesOfOneNameWritesTheFirstOnly)
{
    ArchiveBuilder builder;
    builder.addTexture("twin", 16, 8, D3DFMT_DXT1, 1);
    builder.addTexture("other", 16, 8, D3DFMT_DXT1, 1);
    builder.addTexture("twin", 32, 16, D3DFMT_DXT1, 1);
    ASSERT_TRUE(builder.writeTo("a.wtd"));
    startWith({"a.wtd"});
    const std::string twin = inTemp("twin");
    const std::string refused = "Texture 2, twin, not extracted: its file was already written for another "
                                "texture: " +
                                twin;

    for (int run = 0; run < 2; ++run) {
        LogCapture::instance().clear();
        m_prompter.answerFolder(tempDir());
        sendMenu(m_window, ID_MENU_EXTRACT_ALL);
        EXPECT_EQ(status(), "2 Textures extracted ok, 1 failed") << "run " << run;
        EXPECT_LOGGED_CONTAINS(LOG_ERROR, refused);
        EXPECT_EQ(readBack(twin)->m_textures[0].record.width, 16) << "run " << run;
    }

    std::filesystem::remove(twin);
    LogCapture::instance().clear();
    selectTextures({0, 2});
    m_prompter.answerFolder(tempDir());
    sendMenu(m_window, ID_MENU_EXTRACT);
    EXPECT_EQ(status(), "1 Textures extracted ok, 1 failed");
    EXPECT_LOGGED_CONTAINS(LOG_ERROR, refused);
    EXPECT_EQ(readBack(twin)->m_textures[0].record.width, 16);
}

// ---- Delete ----

TEST_F(TextureCommandsTestWithArchive, DeleteAsksAndNoKeepsEverything)
{
    writeArchive("a.wtd", {"t0", "t1"});
    startWith({"a.wtd"});
    selectTextures({0});
    m_prompter.answerMessage(wxNO);
    sendMenu(m_window, ID_MENU_DELETE);
    ASSERT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(m_prompter.asked()[0].text, "Are you sure you want to delete the selected textures?");
    EXPECT_EQ(m_prompter.asked()[0].caption, "Confirm Delete");
    EXPECT_EQ(m_prompter.asked()[0].style, wxYES_NO);
    EXPECT_EQ(status(), "Delete textures canceled");
    EXPECT_EQ(archive(0)->m_textures.size(), 2u);
}

TEST_F(TextureCommandsTestWithArchive, DeleteWithoutSelectionSaysSoAndAsksNothing)
{
    writeArchive("a.wtd", {"t0", "t1"});
    startWith({"a.wtd"});
    settings()->m_confirmDelete = false;
    selectTextures({});
    sendMenu(m_window, ID_MENU_DELETE);
    EXPECT_EQ(status(), "No textures selected");
    EXPECT_TRUE(m_prompter.asked().empty());
}

TEST_F(TextureCommandsTestWithArchive, DeletingRowsZeroOneAndThreeOfFiveLeavesTheRightTwo)
{
    writeArchive("a.wtd", {"t0", "t1", "t2", "t3", "t4"});
    startWith({"a.wtd"});
    settings()->m_confirmDelete = false;
    selectTextures({0, 1, 3});
    sendMenu(m_window, ID_MENU_DELETE);
    EXPECT_TRUE(m_prompter.asked().empty());
    EXPECT_EQ(status(), "Deleted 3 textures");
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "MainWindow::deleteTextures(1844) - Deleted textures from file: 3 OK, 0 Failed");
    ASSERT_EQ(archive(0)->m_textures.size(), 2u);
    EXPECT_EQ(archive(0)->m_textures[0].name, "t2");
    EXPECT_EQ(archive(0)->m_textures[1].name, "t4");
    EXPECT_EQ(rowTexts(textureList(), 0), (std::vector<std::string>{"t2", "t4"}));
    EXPECT_EQ(m_window->getBackEnd()->getSelectedFile()->m_selectedTexture, 0u);
    EXPECT_EQ(selectedRows(textureList()), std::vector<long>{0});
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"a.wtd*"});

    // Two adjacent rows.
    m_prompter.answerMessage(wxYES);
    settings()->m_confirmDelete = true;
    selectTextures({0, 1});
    sendMenu(m_window, ID_MENU_DELETE);
    EXPECT_TRUE(archive(0)->m_textures.empty());
}

TEST_F(TextureCommandsTestWithArchive, DeletingEveryTextureLogsNoError)
{
    writeArchive("a.wtd", {"t0", "t1", "t2"});
    startWith({"a.wtd"});
    settings()->m_confirmDelete = false;
    selectTextures({0, 1, 2});
    ASSERT_EQ(m_window->getBackEnd()->getSelectedFile()->m_selectedTexture, 2u);
    const size_t errorsBefore = LogCapture::instance().count(LOG_ERROR);
    sendMenu(m_window, ID_MENU_DELETE);
    EXPECT_EQ(status(), "Deleted 3 textures");
    EXPECT_EQ(LogCapture::instance().count(LOG_ERROR), errorsBefore);
    EXPECT_EQ(m_window->getBackEnd()->getSelectedFile()->m_selectedTexture, 0u);
    EXPECT_EQ(textureList()->GetItemCount(), 0);
    EXPECT_EQ(rowTexts(fileList(), 1), std::vector<std::string>{"0"});
}

// ---- Generate MipMaps ----

TEST_F(TextureCommandsTestWithArchive, GenerateMipMapsCountsTheTextureThatFailed)
{
    ArchiveBuilder builder;
    builder.addTexture("t0", 256, 256, D3DFMT_DXT1, 1);
    builder.addTexture("t1", 64, 16, D3DFMT_DXT5, 1);
    builder.addTexture("t2", 32, 32, D3DFMT_DXT1, 1);
    builder.addTexture("t3", 8, 8, D3DFMT_DXT1, 1);
    ASSERT_TRUE(builder.writeTo("a.wtd"));
    startWith({"a.wtd"});
    selectTextures({0, 1, 2});
    TestHooks::failNextTextureCreation(D3DFMT_DXT5);
    sendMenu(m_window, ID_MENU_GENERATE_MIPMAPS);
    EXPECT_EQ(status(), "Generated MipMaps for 2 textures, 1 Failed");
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "MainWindow::generateMipMaps(1902) - Generated MipMaps; 2 OK, 1 Failed");
    EXPECT_EQ(archive(0)->m_textures[0].record.mipLevelCount, 9);
    EXPECT_EQ(archive(0)->m_textures[1].record.mipLevelCount, 1);
    EXPECT_EQ(archive(0)->m_textures[2].record.mipLevelCount, 6);
    EXPECT_EQ(archive(0)->m_textures[3].record.mipLevelCount, 1);
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"a.wtd*"});

    selectTextures({3});
    sendMenu(m_window, ID_MENU_GENERATE_MIPMAPS);
    EXPECT_EQ(status(), "Generated MipMaps for 1 textures");
    EXPECT_TRUE(m_prompter.asked().empty());
}

TEST_F(TextureCommandsTestWithArchive, GenerateMipMapsDoesNothingWithoutASelectedRow)
{
    writeArchive("a.wtd", {"t0"});
    startWith({"a.wtd"});
    selectTextures({});
    sendMenu(m_window, ID_MENU_GENERATE_MIPMAPS);
    EXPECT_EQ(status(), "Varnel");
    EXPECT_EQ(archive(0)->m_textures[0].record.mipLevelCount, 1);
}

TEST_F(TextureCommandsTestWithArchive, ALongCommandsLogLinesReachTheLogPaneInOrderWithTheirColours)
{
    writeArchive("a.wtd", {"t0", "a:b", "t2"});
    startWith({"a.wtd"});
    m_prompter.answerFolder(tempDir());
    sendMenu(m_window, ID_MENU_EXTRACT_ALL);
    wxTextCtrl* pane = child<wxTextCtrl>(m_window, ID_LOG_TEXT);
    const wxString text = pane->GetValue();
    const int first = text.Find("Extracted: t0 as: ");
    const int failure = text.Find("the texture's name cannot be used as a file name: a:b");
    const int last = text.Find("Extracted: t2 as: ");
    ASSERT_NE(first, wxNOT_FOUND);
    ASSERT_NE(failure, wxNOT_FOUND);
    ASSERT_NE(last, wxNOT_FOUND);
    EXPECT_LT(first, failure);
    EXPECT_LT(failure, last);
    wxTextAttr style;
    ASSERT_TRUE(pane->GetStyle(failure + 2, style));
    EXPECT_EQ(style.GetTextColour(), *wxRED);
    ASSERT_TRUE(pane->GetStyle(last + 2, style));
    EXPECT_NE(style.GetTextColour(), *wxRED);
}
