#include "Backend/BackEnd.h"
#include "Backend/Settings.h"
#include "Support/ArchiveBuilder.h"
#include "Support/LogCapture.h"
#include "Support/MemoryPresentTarget.h"
#include "Support/TempDirTest.h"
#include "Support/TestDevice.h"
#include "Support/TestHooks.h"
#include "WTD/WTDFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
// A window whose size query can run a test's action once: the restart asks for the size between
// writing the copies and reopening them.
class ScriptedWindow : public MemoryPresentTarget
{
public:
    using MemoryPresentTarget::MemoryPresentTarget;

    UINT clientWidth() const override
    {
        if (m_action) {
            std::function<void()> action;
            action.swap(m_action);
            action();
        }
        return MemoryPresentTarget::clientWidth();
    }
    void onNextSizeQuery(std::function<void()> action) { m_action = std::move(action); }

private:
    mutable std::function<void()> m_action;
};

class BackEndTest : public TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        TestHooks::reset();
        ASSERT_EQ(mkdir("config", 0777), 0);
        LogCapture::instance().clear();
    }
    void TearDown() override
    {
        m_backEnd.reset();
        TestHooks::reset();
        TempDirTest::TearDown();
    }

    BackEnd& start(HWND window = nullptr)
    {
        m_backEnd.reset(new BackEnd(window));
        EXPECT_TRUE(m_backEnd->initialize());
        LogCapture::instance().clear();
        return *m_backEnd;
    }

    // An archive whose textures carry the given names.
    void writeArchive(const std::string& path, const std::vector<std::string>& names,
                      uint32_t format = D3DFMT_DXT1)
    {
        fs::create_directories(fs::path(path).parent_path().empty() ? "." : fs::path(path).parent_path());
        ArchiveBuilder builder;
        for (const std::string& name : names)
            builder.addTexture(name, 8, 8, format, 1);
        ASSERT_TRUE(builder.writeTo(path)) << path;
    }

    WTDFile& file(uint32_t index) { return *m_backEnd->m_files.at(index)->m_file; }
    std::vector<std::string> textureNames(uint32_t index)
    {
        std::vector<std::string> names;
        for (const TextureEntry& entry : file(index).m_textures)
            names.push_back(entry.name);
        return names;
    }
    std::vector<std::string> recentFiles()
    {
        const Settings* settings = m_backEnd->getSettings();
        return std::vector<std::string>(settings->m_recentFiles,
                                        settings->m_recentFiles + Settings::RECENT_FILE_COUNT);
    }
    // Position of the first captured message at or after `from` that starts with the text; -1 if none.
    static int findMessage(const std::string& start, int from = 0)
    {
        const auto& entries = LogCapture::instance().entries();
        for (int i = from; i < static_cast<int>(entries.size()); ++i)
            if (entries[i].message.compare(0, start.size(), start) == 0)
                return i;
        return -1;
    }
    static bool copyFolderIsEmpty() { return fs::is_empty("temp/varnel"); }
    // The texture names of an archive on disk, read on a device of its own.
    static std::vector<std::string> textureNamesIn(const std::string& path)
    {
        TestDevice device;
        EXPECT_TRUE(device.create());
        WTDFile archive(path, device.get(), WTDFile::WHOLE_FILE, 0);
        std::vector<std::string> names;
        for (const TextureEntry& entry : archive.m_textures)
            names.push_back(entry.name);
        return names;
    }

    std::unique_ptr<BackEnd> m_backEnd;
};
} // namespace

// ---- Opening ----

TEST_F(BackEndTest, OpensArchiveUnderThePathAsGivenAndSelectsIt)
{
    writeArchive("Dir/Grass.wtd", {"grass", "dirt"});
    BackEnd& backEnd = start();
    EXPECT_EQ(backEnd.getSelectedFileIndex(), NO_SELECTION);
    EXPECT_EQ(backEnd.getSelectedFile(), nullptr);

    ASSERT_TRUE(backEnd.openFile("Dir/Grass.wtd", true));
    EXPECT_EQ(backEnd.getFileCount(), 1u);
    EXPECT_EQ(file(0).getPath(), "Dir/Grass.wtd");
    EXPECT_EQ(textureNames(0), (std::vector<std::string>{"grass", "dirt"}));
    EXPECT_EQ(backEnd.getSelectedFileIndex(), 0u);
    EXPECT_EQ(backEnd.getSelectedFile(), backEnd.m_files[0].get());
    EXPECT_EQ(backEnd.m_files[0]->m_selectedTexture, 0u);
    EXPECT_EQ(recentFiles()[0], "Dir/Grass.wtd");
}

TEST_F(BackEndTest, SameFileByAnySpellingIsAlreadyOpen)
{
    writeArchive("a.wtd", {"t"});
    ASSERT_EQ(symlink("a.wtd", "link.wtd"), 0);
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.openFile("a.wtd", true));
    const std::string spellings[] = {"a.wtd", "./a.wtd", "sub/../a.wtd", tempDir() + "/a.wtd", "link.wtd"};
    ASSERT_EQ(mkdir("sub", 0777), 0);
    for (const std::string& spelling : spellings) {
        LogCapture::instance().clear();
        EXPECT_FALSE(backEnd.openFile(spelling, true)) << spelling;
        EXPECT_LOGGED_LINE(LOG_ERROR, "BackEnd::openFile(153) - File already open: " + spelling);
    }
    EXPECT_EQ(backEnd.getFileCount(), 1u);
    EXPECT_EQ(file(0).getPath(), "a.wtd");
    EXPECT_EQ(recentFiles(), (std::vector<std::string>{"a.wtd", "", "", "", ""}));
}

TEST_F(BackEndTest, FindsTheOpenArchiveOfAFileByAnySpelling)
{
    writeArchive("a.wtd", {"t"});
    writeArchive("b.wtd", {"t"});
    writeArchive("c.wtd", {"t"});
    ASSERT_EQ(symlink("b.wtd", "link.wtd"), 0);
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.openFile("a.wtd", true));
    ASSERT_TRUE(backEnd.openFile("b.wtd", true));
    EXPECT_EQ(backEnd.findOpenFile("./a.wtd"), 0u);
    EXPECT_EQ(backEnd.findOpenFile(tempDir() + "/b.wtd"), 1u);
    EXPECT_EQ(backEnd.findOpenFile("link.wtd"), 1u);
    EXPECT_EQ(backEnd.findOpenFile("c.wtd"), NO_SELECTION);
    EXPECT_EQ(backEnd.findOpenFile("missing.wtd"), NO_SELECTION);
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
}

TEST_F(BackEndTest, NamesDifferingInCaseAreDifferentFiles)
{
    writeArchive("Tex.wtd", {"upper"});
    writeArchive("tex.wtd", {"lower"});
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.openFile("Tex.wtd", true));
    ASSERT_TRUE(backEnd.openFile("tex.wtd", true));
    EXPECT_EQ(textureNames(0), std::vector<std::string>{"upper"});
    EXPECT_EQ(textureNames(1), std::vector<std::string>{"lower"});
}

TEST_F(BackEndTest, MissingOrBrokenArchiveTouchesNothing)
{
    writeArchive("good.wtd", {"t"});
    writeFile("broken.wtd", "not an archive at all");
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.openFile("good.wtd", true));
    ASSERT_TRUE(backEnd.setSelectedTexture(0));
    const std::vector<std::string> recent = recentFiles();

    EXPECT_FALSE(backEnd.openFile("missing %s.wtd", true));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "BackEnd::openFile(138) - Unable to open file, invalid file path: missing %s.wtd");
    EXPECT_FALSE(backEnd.openFile("broken.wtd", true));
    EXPECT_EQ(backEnd.getFileCount(), 1u);
    EXPECT_EQ(backEnd.getSelectedFileIndex(), 0u);
    EXPECT_EQ(recentFiles(), recent);
}

TEST_F(BackEndTest, FolderIsNoArchive)
{
    ASSERT_EQ(mkdir("folder.wtd", 0777), 0);
    BackEnd& backEnd = start();
    EXPECT_FALSE(backEnd.openFile("folder.wtd", true));
    EXPECT_EQ(backEnd.getFileCount(), 0u);
    EXPECT_EQ(backEnd.getSelectedFileIndex(), NO_SELECTION);
    EXPECT_EQ(recentFiles(), std::vector<std::string>(5));
}

TEST_F(BackEndTest, OpeningMoreDoesNotMoveTheSelectionUntilSelectLast)
{
    writeArchive("p.wtd", {"p"});
    writeArchive("q.wtd", {"q"});
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.openFile("p.wtd", true));
    ASSERT_TRUE(backEnd.openFile("q.wtd", true));
    EXPECT_EQ(backEnd.getSelectedFileIndex(), 0u);
    backEnd.selectLastFile();
    EXPECT_EQ(backEnd.getSelectedFileIndex(), 1u);
}

// ---- Selection and closing ----

TEST_F(BackEndTest, ClosingKeepsTheSelectedNumberOrFallsBackToTheFirst)
{
    for (const char* name : {"p.wtd", "q.wtd", "r.wtd"})
        writeArchive(name, {name});
    BackEnd& backEnd = start();
    auto openAll = [&] {
        for (const char* name : {"p.wtd", "q.wtd", "r.wtd"})
            ASSERT_TRUE(backEnd.openFile(name, true));
    };

    openAll();
    ASSERT_TRUE(backEnd.setSelectedFileIndex(2));
    ASSERT_TRUE(backEnd.closeFile(0));
    EXPECT_EQ(backEnd.getSelectedFileIndex(), 0u);
    EXPECT_EQ(backEnd.getSelectedFile()->m_file->getPath(), "q.wtd");

    backEnd.closeAllFiles();
    openAll();
    ASSERT_TRUE(backEnd.setSelectedFileIndex(1));
    ASSERT_TRUE(backEnd.closeFile(0));
    EXPECT_EQ(backEnd.getSelectedFileIndex(), 1u);
    EXPECT_EQ(backEnd.getSelectedFile()->m_file->getPath(), "r.wtd");

    ASSERT_TRUE(backEnd.closeFile(1));
    ASSERT_TRUE(backEnd.closeFile(0));
    EXPECT_EQ(backEnd.getSelectedFileIndex(), NO_SELECTION);
    EXPECT_EQ(backEnd.getSelectedFile(), nullptr);
    EXPECT_TRUE(backEnd.render());
}

TEST_F(BackEndTest, RefusedIndicesChangeNothing)
{
    writeArchive("p.wtd", {"a", "b"});
    writeArchive("empty.wtd", {});
    BackEnd& backEnd = start();
    // Nothing selected: a texture index is accepted and ignored.
    EXPECT_TRUE(backEnd.setSelectedTexture(5));
    EXPECT_FALSE(backEnd.closeFile(0));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "BackEnd::closeFile(192) - Index 0 is outside the number of files available: 0");

    ASSERT_TRUE(backEnd.openFile("p.wtd", true));
    ASSERT_TRUE(backEnd.openFile("empty.wtd", true));
    EXPECT_FALSE(backEnd.closeFile(2));
    EXPECT_LOGGED(LOG_ERROR, "Index 2 is outside the number of files available: 2");
    EXPECT_FALSE(backEnd.setSelectedFileIndex(2));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "BackEnd::setSelectedFileIndex(268) - Index: 2 is outside the textures list size: 2");
    EXPECT_EQ(backEnd.getSelectedFileIndex(), 0u);

    EXPECT_TRUE(backEnd.setSelectedTexture(1));
    EXPECT_FALSE(backEnd.setSelectedTexture(2));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "BackEnd::setSelectedTexture(299) - Index 2 is outside the texture list size: 2");
    EXPECT_EQ(backEnd.m_files[0]->m_selectedTexture, 1u);

    ASSERT_TRUE(backEnd.setSelectedFileIndex(1));
    EXPECT_FALSE(backEnd.setSelectedTexture(0));
    EXPECT_LOGGED(LOG_ERROR, "Index 0 is outside the texture list size: 0");
    EXPECT_EQ(backEnd.getFileCount(), 2u);
}

// ---- What the lists show ----

TEST_F(BackEndTest, ListsAskForEachArchiveByRow)
{
    writeArchive("Dir/Grass.wtd", {"grass", "dirt", "rock"});
    writeArchive("empty.wtd", {});
    BackEnd& backEnd = start();
    EXPECT_EQ(backEnd.getSelectedArchive(), nullptr);
    EXPECT_EQ(backEnd.getFile(0), nullptr);
    EXPECT_EQ(backEnd.getFileName(0), "");
    EXPECT_EQ(backEnd.getTextureCount(NO_SELECTION), 0u);

    ASSERT_TRUE(backEnd.openFile("Dir/Grass.wtd", true));
    ASSERT_TRUE(backEnd.openFile("empty.wtd", true));
    EXPECT_EQ(backEnd.getFile(0), &file(0));
    EXPECT_EQ(backEnd.getFile(1), &file(1));
    EXPECT_EQ(backEnd.getFile(2), nullptr);
    EXPECT_EQ(backEnd.getSelectedArchive(), &file(0));
    EXPECT_EQ(backEnd.getFileName(0), "Grass.wtd");
    EXPECT_EQ(backEnd.getFileName(1), "empty.wtd");
    EXPECT_EQ(backEnd.getTextureCount(0), 3u);
    EXPECT_EQ(backEnd.getTextureCount(1), 0u);
    backEnd.selectLastFile();
    EXPECT_EQ(backEnd.getSelectedArchive(), &file(1));
    EXPECT_EQ(LogCapture::instance().count(LOG_ERROR), 0u);
}

TEST_F(BackEndTest, TextureRowsShowNameFormatCodeAndDimensions)
{
    ArchiveBuilder builder;
    builder.addTexture("wall", 256, 128, D3DFMT_DXT1, 1);
    builder.addTexture("sky", 16, 64, D3DFMT_DXT5, 1);
    ASSERT_TRUE(builder.writeTo("a.wtd"));
    BackEnd& backEnd = start();
    TextureRow row;
    EXPECT_FALSE(backEnd.getTextureRow(0, row));

    ASSERT_TRUE(backEnd.openFile("a.wtd", true));
    ASSERT_TRUE(backEnd.getTextureRow(0, row));
    EXPECT_EQ(row.name, "wall");
    EXPECT_EQ(row.format, static_cast<uint32_t>(D3DFMT_DXT1));
    EXPECT_EQ(row.dimensions, "256 x 128");
    ASSERT_TRUE(backEnd.getTextureRow(1, row));
    EXPECT_EQ(row.name, "sky");
    EXPECT_EQ(row.format, static_cast<uint32_t>(D3DFMT_DXT5));
    EXPECT_EQ(row.dimensions, "16 x 64");
    EXPECT_FALSE(backEnd.getTextureRow(2, row));
    EXPECT_EQ(LogCapture::instance().count(LOG_ERROR), 0u);
}

TEST_F(BackEndTest, RenamingTakesTheNameAsGivenAndMarksTheArchiveChanged)
{
    writeArchive("a.wtd", {"wall", "floor"});
    writeArchive("b.wtd", {"sky"});
    BackEnd& backEnd = start();
    EXPECT_FALSE(backEnd.renameTexture(0, "x"));

    ASSERT_TRUE(backEnd.openFile("a.wtd", true));
    ASSERT_TRUE(backEnd.openFile("b.wtd", true));
    EXPECT_FALSE(backEnd.renameTexture(2, "x"));
    EXPECT_FALSE(file(0).isModified());

    EXPECT_TRUE(backEnd.renameTexture(0, "floor"));
    EXPECT_TRUE(backEnd.renameTexture(1, ""));
    EXPECT_EQ(textureNames(0), (std::vector<std::string>{"floor", ""}));
    EXPECT_TRUE(file(0).isModified());
    // Only the selected archive is renamed in.
    EXPECT_EQ(textureNames(1), (std::vector<std::string>{"sky"}));
    EXPECT_FALSE(file(1).isModified());
    EXPECT_EQ(LogCapture::instance().count(LOG_ERROR), 0u);
}

TEST_F(BackEndTest, CloseAllCountsWhatItClosed)
{
    writeArchive("p.wtd", {"p"});
    writeArchive("q.wtd", {"q"});
    BackEnd& backEnd = start();
    backEnd.closeAllFiles();
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "BackEnd::closeAllFiles(224) - Closed 0 files");
    ASSERT_TRUE(backEnd.openFile("p.wtd", true));
    ASSERT_TRUE(backEnd.openFile("q.wtd", true));
    backEnd.closeAllFiles();
    EXPECT_LOGGED(LOG_INFORMATION, "Closed 2 files");
    EXPECT_EQ(backEnd.getFileCount(), 0u);
    EXPECT_EQ(backEnd.getSelectedFileIndex(), NO_SELECTION);
}

// ---- Recent files ----

TEST_F(BackEndTest, RecentFilesKeepTheLastFiveNewestFirstWithoutDuplicates)
{
    BackEnd& backEnd = start();
    for (int i = 0; i < 6; ++i) {
        const std::string name = "f" + std::to_string(i) + ".wtd";
        writeArchive(name, {name});
        ASSERT_TRUE(backEnd.openFile(name, true));
    }
    EXPECT_EQ(recentFiles(), (std::vector<std::string>{"f5.wtd", "f4.wtd", "f3.wtd", "f2.wtd", "f1.wtd"}));

    // A listed path moves to the front; the entries before it move down one place.
    ASSERT_TRUE(backEnd.closeFile(3));
    ASSERT_TRUE(backEnd.openFile("f3.wtd", true));
    EXPECT_EQ(recentFiles(), (std::vector<std::string>{"f3.wtd", "f5.wtd", "f4.wtd", "f2.wtd", "f1.wtd"}));
    // Opened without entering it in the list.
    ASSERT_TRUE(backEnd.closeFile(0));
    ASSERT_TRUE(backEnd.openFile("f0.wtd", false));
    EXPECT_EQ(recentFiles(), (std::vector<std::string>{"f3.wtd", "f5.wtd", "f4.wtd", "f2.wtd", "f1.wtd"}));
}

// ---- Drawing ----

TEST_F(BackEndTest, DrawsTheSelectedTextureAndReportsALostDevice)
{
    writeArchive("p.wtd", {"a"}, D3DFMT_A8R8G8B8);
    writeArchive("empty.wtd", {});
    MemoryPresentTarget window(64, 48);
    BackEnd& backEnd = start(&window);
    ASSERT_TRUE(backEnd.render());
    const std::vector<D3DCOLOR> emptyFrame = window.frame();
    ASSERT_EQ(window.frameWidth(), 64u);

    ASSERT_TRUE(backEnd.openFile("p.wtd", true));
    ASSERT_TRUE(backEnd.render());
    EXPECT_NE(window.frame(), emptyFrame);

    // The archive lost textures after its texture was selected: nothing is drawn.
    backEnd.m_files[0]->m_selectedTexture = 1;
    ASSERT_TRUE(backEnd.render());
    EXPECT_EQ(window.frame(), emptyFrame);
    backEnd.m_files[0]->m_selectedTexture = 0;
    ASSERT_TRUE(backEnd.openFile("empty.wtd", true));
    backEnd.selectLastFile();
    ASSERT_TRUE(backEnd.render());
    EXPECT_EQ(window.frame(), emptyFrame);

    TestHooks::setDeviceLostCalls(1);
    EXPECT_FALSE(backEnd.render());
    EXPECT_LOGGED(LOG_INFORMATION, "3D Device lost");
}

// ---- Start and shutdown ----

TEST_F(BackEndTest, FirstRunCreatesTheSettingsFolderAndFileAtShutdown)
{
    ASSERT_EQ(rmdir("config"), 0);
    m_backEnd.reset(new BackEnd(nullptr));
    EXPECT_LOGGED(LOG_ERROR, "Load canceled, stream not open: config/varnel.bcf");
    EXPECT_LOGGED(LOG_ERROR, "Settings file failed to load, default values will be used");
    ASSERT_TRUE(m_backEnd->initialize());
    m_backEnd.reset();
    EXPECT_EQ(readFile("config/varnel.bcf").size(), 78u);
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "BackEnd::~BackEnd(49) - Backend system shutdown");
}

TEST_F(BackEndTest, ShutdownSavesChangedSettingsButNeverAReadOnlyFile)
{
    BackEnd& backEnd = start();
    backEnd.getSettings()->m_windowWidth = 1280;
    m_backEnd.reset();
    {
        Settings saved("config/varnel.bcf");
        EXPECT_EQ(saved.m_windowWidth, 1280);
    }
    const std::string bytes = readFile("config/varnel.bcf");
    ASSERT_EQ(chmod("config/varnel.bcf", 0444), 0);
    start().getSettings()->m_windowWidth = 640;
    m_backEnd.reset();
    EXPECT_EQ(readFile("config/varnel.bcf"), bytes);
}

TEST_F(BackEndTest, FailedStartRefusesWorkAndShutsDownSilently)
{
    writeArchive("p.wtd", {"p"});
    m_backEnd.reset(new BackEnd(nullptr));
    TestHooks::failNextCreateDevice();
    EXPECT_FALSE(m_backEnd->initialize());
    EXPECT_LOGGED_LINE(LOG_ERROR, "BackEnd::startRenderSystem(87) - Backend render system failed to init");
    EXPECT_FALSE(m_backEnd->isRenderSystemOK());
    EXPECT_FALSE(m_backEnd->render());
    EXPECT_FALSE(m_backEnd->openFile("p.wtd", true));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "BackEnd::openFile(160) - Unable to open file, the render system is not running: "
                       "p.wtd");
    EXPECT_EQ(m_backEnd->getFileCount(), 0u);

    LogCapture::instance().clear();
    m_backEnd.reset();
    EXPECT_TRUE(LogCapture::instance().entries().empty()) << LogCapture::instance().describe();
    EXPECT_FALSE(fs::exists("config/varnel.bcf"));
}

// ---- Restart ----

TEST_F(BackEndTest, RestartWithNothingOpenCreatesTheFoldersAndStartsAgain)
{
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.restartRenderSystem());
    EXPECT_TRUE(fs::is_directory("temp/varnel"));
    EXPECT_LOGGED(LOG_INFORMATION, "Closed 0 files");
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "BackEnd::restartRenderSystem(490) - Render system reinitialization complete");
    EXPECT_TRUE(backEnd.isRenderSystemOK());
    EXPECT_TRUE(backEnd.render());
}

TEST_F(BackEndTest, RestartKeepsEveryArchiveWithItsUnsavedChanges)
{
    writeArchive("p.wtd", {"p0", "p1"});
    writeArchive("q.wtd", {"q0"});
    const std::string qOnDisk = readFile("q.wtd");
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.openFile("p.wtd", true));
    ASSERT_TRUE(backEnd.openFile("q.wtd", true));
    file(1).m_textures[0].name = "renamed";
    file(1).setModified(true);
    ASSERT_TRUE(backEnd.setSelectedTexture(1));
    ASSERT_TRUE(backEnd.setSelectedFileIndex(1));
    backEnd.selectLastFile();
    const std::vector<std::string> recent = recentFiles();

    ASSERT_TRUE(backEnd.restartRenderSystem());
    ASSERT_EQ(backEnd.getFileCount(), 2u);
    EXPECT_EQ(file(0).getPath(), "p.wtd");
    EXPECT_EQ(file(1).getPath(), "q.wtd");
    EXPECT_FALSE(file(0).isModified());
    EXPECT_TRUE(file(1).isModified());
    EXPECT_EQ(file(0).getFileOffset(), 0u);
    EXPECT_EQ(textureNames(1), std::vector<std::string>{"renamed"});
    EXPECT_EQ(readFile("q.wtd"), qOnDisk);
    EXPECT_TRUE(copyFolderIsEmpty());
    EXPECT_EQ(recentFiles(), recent);
    EXPECT_EQ(backEnd.getSelectedFileIndex(), 0u);
    EXPECT_EQ(backEnd.m_files[0]->m_selectedTexture, 0u);
    EXPECT_TRUE(backEnd.render());

    // The messages of one restart, in order.
    int at = 0;
    for (const char* message :
         {"Saved WTD File", "Saved WTD File", "Closed 2 files", "Render system shutdown",
          "Render system started", "Loaded WTD File with 2 textures: temp/varnel/p.wtd",
          "Loaded WTD File with 1 textures: temp/varnel/q.wtd", "Render system reinitialization complete"}) {
        at = findMessage(message, at);
        ASSERT_GE(at, 0) << message << "\n" << LogCapture::instance().describe();
        ++at;
    }
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
}

TEST_F(BackEndTest, ArchiveWhoseReloadFailedComesBackFromItsOwnFile)
{
    writeArchive("p.wtd", {"p0"});
    writeArchive("q.wtd", {"q0"});
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.openFile("p.wtd", true));
    ASSERT_TRUE(backEnd.openFile("q.wtd", true));
    writeFile("q.wtd", "no archive");
    ASSERT_FALSE(file(1).reloadFile());
    ASSERT_TRUE(file(1).hasLoadFailed());
    // Repaired on disk meanwhile: the restart neither copies nor removes it, and reads it again.
    writeArchive("q.wtd", {"fixed"});
    const std::string qOnDisk = readFile("q.wtd");

    ASSERT_TRUE(backEnd.restartRenderSystem());
    ASSERT_EQ(backEnd.getFileCount(), 2u);
    EXPECT_EQ(file(1).getPath(), "q.wtd");
    EXPECT_EQ(textureNames(1), std::vector<std::string>{"fixed"});
    EXPECT_EQ(readFile("q.wtd"), qOnDisk);
    EXPECT_TRUE(copyFolderIsEmpty());
}

TEST_F(BackEndTest, RestartUsesTheWindowsNewSize)
{
    MemoryPresentTarget window(64, 48);
    BackEnd& backEnd = start(&window);
    ASSERT_TRUE(backEnd.render());
    EXPECT_EQ(window.frameWidth(), 64u);
    EXPECT_EQ(window.frameHeight(), 48u);
    window.resize(100, 30);
    ASSERT_TRUE(backEnd.restartRenderSystem());
    ASSERT_TRUE(backEnd.render());
    EXPECT_EQ(window.frameWidth(), 100u);
    EXPECT_EQ(window.frameHeight(), 30u);
}

TEST_F(BackEndTest, CopyThatCannotBeReopenedLosesOnlyThatArchive)
{
    for (const char* name : {"p.wtd", "q.wtd", "r.wtd"})
        writeArchive(name, {name});
    ScriptedWindow window(32, 32);
    BackEnd& backEnd = start(&window);
    for (const char* name : {"p.wtd", "q.wtd", "r.wtd"})
        ASSERT_TRUE(backEnd.openFile(name, true));
    file(1).setModified(true);
    // Where the archive's data begin inside its disk file is given back too.
    file(2).setFileOffset(16);
    // The first copy vanishes while the render system starts again.
    window.onNextSizeQuery([] { ASSERT_EQ(unlink("temp/varnel/p.wtd"), 0); });

    EXPECT_TRUE(backEnd.restartRenderSystem());
    EXPECT_LOGGED_LINE(LOG_ERROR, "BackEnd::restartRenderSystem(478) - Filed to open file during restore: "
                                  "temp/varnel/p.wtd");
    ASSERT_EQ(backEnd.getFileCount(), 2u);
    EXPECT_EQ(file(0).getPath(), "q.wtd");
    EXPECT_TRUE(file(0).isModified());
    EXPECT_EQ(file(1).getPath(), "r.wtd");
    EXPECT_FALSE(file(1).isModified());
    EXPECT_EQ(file(1).getFileOffset(), 16u);
    EXPECT_EQ(backEnd.getSelectedFileIndex(), 0u);
    EXPECT_TRUE(fs::exists("p.wtd"));
    EXPECT_TRUE(copyFolderIsEmpty());
}

TEST_F(BackEndTest, ChangedArchiveThatDoesNotComeBackKeepsItsCopy)
{
    writeArchive("p.wtd", {"p"});
    writeArchive("q.wtd", {"q"});
    ScriptedWindow window(32, 32);
    BackEnd& backEnd = start(&window);
    ASSERT_TRUE(backEnd.openFile("p.wtd", true));
    ASSERT_TRUE(backEnd.openFile("q.wtd", true));
    file(0).setModified(true);
    // The changed archive's copy no longer loads when the render system is back.
    window.onNextSizeQuery([this] { writeFile("temp/varnel/p.wtd", "damaged"); });

    EXPECT_TRUE(backEnd.restartRenderSystem());
    EXPECT_LOGGED(LOG_ERROR, "Filed to open file during restore: temp/varnel/p.wtd");
    EXPECT_LOGGED(LOG_ERROR, "Unsaved changes of p.wtd were kept in temp/varnel/p.wtd");
    ASSERT_EQ(backEnd.getFileCount(), 1u);
    EXPECT_EQ(file(0).getPath(), "q.wtd");
    EXPECT_EQ(readFile("temp/varnel/p.wtd"), "damaged");
    EXPECT_FALSE(fs::exists("temp/varnel/q.wtd"));
}

TEST_F(BackEndTest, ArchivesNamedAlikeComeBackWithTheirOwnContents)
{
    const char* paths[] = {"one/x.wtd", "two/x.wtd", "three/x", "four/x", "five/x.wtd"};
    const char* names[] = {"first", "second", "third", "fourth", "fifth"};
    for (uint32_t i = 0; i < 5; ++i)
        writeArchive(paths[i], {names[i]});
    BackEnd& backEnd = start();
    for (const char* path : paths)
        ASSERT_TRUE(backEnd.openFile(path, true));
    file(1).setModified(true);

    ASSERT_TRUE(backEnd.restartRenderSystem());
    ASSERT_EQ(backEnd.getFileCount(), 5u);
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(file(i).getPath(), paths[i]);
        EXPECT_EQ(textureNames(i), std::vector<std::string>{names[i]});
    }
    EXPECT_TRUE(file(1).isModified());
    EXPECT_LOGGED(LOG_INFORMATION, "Loaded WTD File with 1 textures: temp/varnel/x~1.wtd");
    EXPECT_LOGGED(LOG_INFORMATION, "Loaded WTD File with 1 textures: temp/varnel/x~2.wtd");
    EXPECT_LOGGED(LOG_INFORMATION, "Loaded WTD File with 1 textures: temp/varnel/x~1");
    EXPECT_TRUE(copyFolderIsEmpty());
}

TEST_F(BackEndTest, ArchiveLyingInTheCopyFolderSurvives)
{
    writeArchive("temp/varnel/own.wtd", {"own"});
    writeArchive("temp/varnel/bystander.wtd", {"kept"});
    writeArchive("elsewhere/own.wtd", {"other"});
    const std::string ownBytes = readFile("temp/varnel/own.wtd");
    const std::string bystanderBytes = readFile("temp/varnel/bystander.wtd");
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.openFile("temp/varnel/own.wtd", true));
    ASSERT_TRUE(backEnd.openFile("elsewhere/own.wtd", true));
    file(0).m_textures[0].name = "changed";
    file(0).setModified(true);

    ASSERT_TRUE(backEnd.restartRenderSystem());
    ASSERT_EQ(backEnd.getFileCount(), 2u);
    EXPECT_EQ(file(0).getPath(), "temp/varnel/own.wtd");
    EXPECT_EQ(textureNames(0), std::vector<std::string>{"changed"});
    EXPECT_TRUE(file(0).isModified());
    EXPECT_EQ(textureNames(1), std::vector<std::string>{"other"});
    EXPECT_EQ(readFile("temp/varnel/own.wtd"), ownBytes);
    EXPECT_EQ(readFile("temp/varnel/bystander.wtd"), bystanderBytes);
    std::vector<std::string> left;
    for (const fs::directory_entry& entry : fs::directory_iterator("temp/varnel"))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"bystander.wtd", "own.wtd"}));
}

TEST_F(BackEndTest, CopiesNeverGoThroughLinksOrIntoFoldersInTheCopyFolder)
{
    writeArchive("p.wtd", {"p"});
    writeArchive("q.wtd", {"q"});
    fs::create_directories("temp/varnel/q.wtd");
    // A link to a file that does not exist yet: writing through it would create that file.
    ASSERT_EQ(symlink("../../victim.wtd", "temp/varnel/p.wtd"), 0);
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.openFile("p.wtd", true));
    ASSERT_TRUE(backEnd.openFile("q.wtd", true));

    ASSERT_TRUE(backEnd.restartRenderSystem());
    EXPECT_LOGGED(LOG_INFORMATION, "Loaded WTD File with 1 textures: temp/varnel/p~1.wtd");
    EXPECT_LOGGED(LOG_INFORMATION, "Loaded WTD File with 1 textures: temp/varnel/q~1.wtd");
    ASSERT_EQ(backEnd.getFileCount(), 2u);
    EXPECT_EQ(textureNames(0), std::vector<std::string>{"p"});
    EXPECT_FALSE(fs::exists("victim.wtd"));
    EXPECT_TRUE(fs::is_symlink("temp/varnel/p.wtd"));
    EXPECT_TRUE(fs::is_directory("temp/varnel/q.wtd"));
    EXPECT_FALSE(fs::exists("temp/varnel/p~1.wtd"));
    EXPECT_FALSE(fs::exists("temp/varnel/q~1.wtd"));
}

TEST_F(BackEndTest, CopyThatCannotBeWrittenAbortsTheRestartWithNothingLost)
{
    writeArchive("p.wtd", {"p"});
    writeArchive("q.wtd", {"q"});
    ASSERT_EQ(mkdir("temp", 0777), 0);
    // A file where the copy folder should be: no copy can be written.
    writeFile("temp/varnel", "user data");
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.openFile("p.wtd", true));
    ASSERT_TRUE(backEnd.openFile("q.wtd", true));
    file(0).m_textures[0].name = "unsaved";
    file(0).setModified(true);
    file(1).setModified(true);

    EXPECT_FALSE(backEnd.restartRenderSystem());
    EXPECT_LOGGED_CONTAINS(LOG_ERROR, "Render system restart canceled");
    EXPECT_TRUE(backEnd.isRenderSystemOK());
    ASSERT_EQ(backEnd.getFileCount(), 2u);
    EXPECT_EQ(file(0).getPath(), "p.wtd");
    EXPECT_EQ(file(1).getPath(), "q.wtd");
    EXPECT_TRUE(file(0).isModified());
    EXPECT_TRUE(file(1).isModified());
    EXPECT_EQ(textureNames(0), std::vector<std::string>{"unsaved"});
    EXPECT_EQ(readFile("temp/varnel"), "user data");
    EXPECT_EQ(findMessage("Closed"), -1) << "no archive may be closed";
    EXPECT_TRUE(backEnd.render());
}

TEST_F(BackEndTest, LaterCopyFailingTakesBackTheCopiesAlreadyWritten)
{
    writeArchive("p.wtd", {"p"});
    // The longest name a file can have: the copy itself can be named, but nothing beside it that a
    // careful writer would write first and then rename.
    const std::string longName = std::string(251, 'n') + ".wtd";
    writeArchive("long/" + longName, {"q"});
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.openFile("p.wtd", true));
    ASSERT_TRUE(backEnd.openFile("long/" + longName, true));
    file(0).setModified(true);

    EXPECT_FALSE(backEnd.restartRenderSystem());
    ASSERT_EQ(backEnd.getFileCount(), 2u);
    EXPECT_EQ(file(0).getPath(), "p.wtd");
    // The first copy was written (which cleared the flag) and is taken back.
    EXPECT_TRUE(file(0).isModified());
    EXPECT_EQ(file(1).getPath(), "long/" + longName);
    EXPECT_TRUE(copyFolderIsEmpty());
    EXPECT_TRUE(backEnd.isRenderSystemOK());
}

TEST_F(BackEndTest, FailedRestartLeavesTheBackEndDownForGood)
{
    writeArchive("p.wtd", {"p"});
    writeArchive("q.wtd", {"q"});
    const std::string pOnDisk = readFile("p.wtd");
    const std::string qOnDisk = readFile("q.wtd");
    BackEnd& backEnd = start();
    ASSERT_TRUE(backEnd.openFile("p.wtd", true));
    ASSERT_TRUE(backEnd.openFile("q.wtd", true));
    file(1).m_textures[0].name = "unsaved";
    file(1).setModified(true);
    TestHooks::failNextCreateDevice();

    EXPECT_FALSE(backEnd.restartRenderSystem());
    EXPECT_LOGGED(LOG_ERROR, "Backend render system failed to init");
    EXPECT_LOGGED_LINE(
        LOG_ERROR, "BackEnd::restartRenderSystem(484) - Render system failed to restart! Unable to continue");
    EXPECT_FALSE(backEnd.isRenderSystemOK());
    EXPECT_EQ(backEnd.getFileCount(), 0u);
    EXPECT_EQ(readFile("p.wtd"), pOnDisk);
    EXPECT_EQ(readFile("q.wtd"), qOnDisk);
    // The unchanged archive's copy goes; the changed one's stays, and the log says where.
    EXPECT_FALSE(fs::exists("temp/varnel/p.wtd"));
    EXPECT_LOGGED_LINE(LOG_ERROR, "BackEnd::restartRenderSystem(496) - Unsaved changes of q.wtd were kept in "
                                  "temp/varnel/q.wtd");
    EXPECT_EQ(textureNamesIn("temp/varnel/q.wtd"), std::vector<std::string>{"unsaved"});
    EXPECT_FALSE(backEnd.render());
    EXPECT_FALSE(backEnd.openFile("p.wtd", true));

    LogCapture::instance().clear();
    fs::remove_all("temp");
    EXPECT_TRUE(backEnd.restartRenderSystem());
    EXPECT_TRUE(LogCapture::instance().entries().empty()) << LogCapture::instance().describe();
    EXPECT_FALSE(fs::exists("temp"));
    EXPECT_FALSE(backEnd.render());
}
