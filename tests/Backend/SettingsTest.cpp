#include "Backend/Settings.h"
#include "Support/FileSizeLimit.h"
#include "Support/LogCapture.h"
#include "Support/TempDirTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
const char* const SETTINGS_PATH = "config/varnel.bcf";

// Settings file bytes, put together field by field independently of the code under test.
class FileBytes
{
public:
    FileBytes& int32(int32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            m_bytes.push_back(static_cast<char>((static_cast<uint32_t>(value) >> shift) & 0xFF));
        return *this;
    }
    FileBytes& byte(unsigned char value)
    {
        m_bytes.push_back(static_cast<char>(value));
        return *this;
    }
    FileBytes& raw(const std::string& bytes)
    {
        m_bytes += bytes;
        return *this;
    }
    // A string as the editor stores it: count = length + 1, the bytes, a 0 byte.
    FileBytes& text(const std::string& value)
    {
        return int32(static_cast<int32_t>(value.size() + 1)).raw(value).byte(0);
    }
    // Integers and flags that differ from every default.
    FileBytes& nonDefaultHead()
    {
        return int32(1024).int32(768).int32(111).int32(222).int32(333).byte(0).byte(0).byte(0);
    }
    const std::string& str() const { return m_bytes; }

private:
    std::string m_bytes;
};

const std::string DEFAULT_FILE =
    std::string("\x20\x03\x00\x00\x58\x02\x00\x00\x2C\x01\x00\x00\x54\x01\x00\x00"
                "\x54\x01\x00\x00\x01\x01\x01",
                23) +
    [] {
        std::string empties;
        for (int i = 0; i < 11; ++i)
            empties += std::string("\x01\x00\x00\x00\x00", 5);
        return empties;
    }();

// The five integers in member order and the three flags (log, confirm delete, auto open).
void expectHead(const Settings& settings, const std::vector<int32_t>& integers,
                const std::vector<bool>& flags)
{
    EXPECT_EQ(
        (std::vector<int32_t>{settings.m_windowWidth, settings.m_windowHeight, settings.m_mainSashPosition,
                              settings.m_fileAreaSashPosition, settings.m_viewerAreaSashPosition}),
        integers);
    EXPECT_EQ((std::vector<bool>{settings.m_fullLogMessages, settings.m_confirmDelete,
                                 settings.m_autoOpenLastFiles}),
              flags);
}

void expectDefaults(const Settings& settings)
{
    expectHead(settings, {800, 600, 300, 340, 340}, {true, true, true});
    const std::string* strings[] = {&settings.m_openDirectory,    &settings.m_newFileDirectory,
                                    &settings.m_saveDirectory,    &settings.m_extractDirectory,
                                    &settings.m_textureDirectory, &settings.m_spareString};
    for (const std::string* text : strings)
        EXPECT_EQ(*text, "");
    for (const std::string& recent : settings.m_recentFiles)
        EXPECT_EQ(recent, "");
}

void fillStrings(Settings& settings)
{
    settings.m_openDirectory = "/home/artist/open dir";
    settings.m_newFileDirectory = "new%sdir%n";
    settings.m_saveDirectory = std::string(1000, 's');
    for (int i = 0; i < Settings::RECENT_FILE_COUNT; ++i)
        settings.m_recentFiles[i] = "/data/Recent " + std::to_string(i) + ".wtd";
    settings.m_extractDirectory = "\xC3\xA9t\xC3\xA9\xFF\x01";
    settings.m_textureDirectory = "C:\\textures\\";
    settings.m_spareString = "spare";
}

void expectSameStrings(const Settings& actual, const Settings& expected)
{
    EXPECT_EQ(actual.m_openDirectory, expected.m_openDirectory);
    EXPECT_EQ(actual.m_newFileDirectory, expected.m_newFileDirectory);
    EXPECT_EQ(actual.m_saveDirectory, expected.m_saveDirectory);
    for (int i = 0; i < Settings::RECENT_FILE_COUNT; ++i)
        EXPECT_EQ(actual.m_recentFiles[i], expected.m_recentFiles[i]);
    EXPECT_EQ(actual.m_extractDirectory, expected.m_extractDirectory);
    EXPECT_EQ(actual.m_textureDirectory, expected.m_textureDirectory);
    EXPECT_EQ(actual.m_spareString, expected.m_spareString);
}

class SettingsTest : public TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        ASSERT_EQ(mkdir("config", 0777), 0);
        LogCapture::instance().clear();
    }
};
} // namespace

TEST_F(SettingsTest, DefaultsAreWrittenAsTheSeventyEightKnownBytes)
{
    ASSERT_EQ(DEFAULT_FILE.size(), 78u);
    Settings settings("");
    expectDefaults(settings);
    ASSERT_TRUE(settings.saveFile(SETTINGS_PATH));
    EXPECT_EQ(readFile(SETTINGS_PATH), DEFAULT_FILE);
    EXPECT_EQ(settings.getPath(), SETTINGS_PATH);
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "Settings::saveFile(76) - Wrote the settings file: config/varnel.bcf");
}

TEST_F(SettingsTest, EmptyPathReadsAndLogsNothing)
{
    Settings settings("");
    expectDefaults(settings);
    EXPECT_TRUE(LogCapture::instance().entries().empty());
}

TEST_F(SettingsTest, MissingFileLogsBothErrorsAndKeepsPathForTheSave)
{
    ASSERT_EQ(rmdir("config"), 0);
    Settings settings(SETTINGS_PATH);
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "Settings::loadFile(91) - Load canceled, stream not open: config/varnel.bcf");
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "Settings::Settings(15) - Settings file failed to load, default values will be used");
    ASSERT_EQ(LogCapture::instance().entries().size(), 2u) << LogCapture::instance().describe();
    EXPECT_EQ(LogCapture::instance().entries()[0].message,
              "Load canceled, stream not open: config/varnel.bcf");
    expectDefaults(settings);
    EXPECT_EQ(settings.getPath(), SETTINGS_PATH);

    // No folder is created by the settings themselves.
    EXPECT_FALSE(settings.saveFile());
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "Settings::saveFile(40) - Save canceled, stream not open: config/varnel.bcf");
    ASSERT_EQ(mkdir("config", 0777), 0);
    EXPECT_TRUE(settings.saveFile());
    EXPECT_EQ(readFile(SETTINGS_PATH), DEFAULT_FILE);
}

TEST_F(SettingsTest, DefaultFileLoadsToDefaultsAndSavesTheSameBytes)
{
    writeFile(SETTINGS_PATH, DEFAULT_FILE);
    Settings settings(SETTINGS_PATH);
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "Settings::loadFile(123) - Loaded the settings file: config/varnel.bcf");
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
    expectDefaults(settings);
    EXPECT_FALSE(settings.isModified());
    ASSERT_TRUE(settings.saveFile());
    EXPECT_EQ(readFile(SETTINGS_PATH), DEFAULT_FILE);
}

TEST_F(SettingsTest, EveryFieldSurvivesRepeatedLoadsAndSaves)
{
    Settings original("");
    original.m_windowWidth = -5;
    original.m_windowHeight = 2147483647;
    original.m_mainSashPosition = 1;
    original.m_fileAreaSashPosition = 2;
    original.m_viewerAreaSashPosition = 3;
    original.m_fullLogMessages = false;
    original.m_confirmDelete = true;
    original.m_autoOpenLastFiles = false;
    fillStrings(original);
    ASSERT_TRUE(original.saveFile(SETTINGS_PATH));
    const std::string firstBytes = readFile(SETTINGS_PATH);

    for (int round = 0; round < 3; ++round) {
        Settings loaded(SETTINGS_PATH);
        EXPECT_NOTHING_LOGGED(LOG_ERROR);
        expectHead(loaded, {-5, 2147483647, 1, 2, 3}, {false, true, false});
        expectSameStrings(loaded, original);
        ASSERT_TRUE(loaded.saveFile());
        EXPECT_EQ(readFile(SETTINGS_PATH), firstBytes);
    }
}

TEST_F(SettingsTest, FieldsStandInFileOrder)
{
    // Flags before all strings; the strings in their fixed order.
    writeFile(SETTINGS_PATH, FileBytes()
                                 .nonDefaultHead()
                                 .text("open")
                                 .text("new")
                                 .text("save")
                                 .text("r0")
                                 .text("r1")
                                 .text("r2")
                                 .text("r3")
                                 .text("r4")
                                 .text("extract")
                                 .text("texture")
                                 .text("spare")
                                 .str());
    Settings settings(SETTINGS_PATH);
    expectHead(settings, {1024, 768, 111, 222, 333}, {false, false, false});
    EXPECT_EQ(settings.m_openDirectory, "open");
    EXPECT_EQ(settings.m_newFileDirectory, "new");
    EXPECT_EQ(settings.m_saveDirectory, "save");
    for (int i = 0; i < Settings::RECENT_FILE_COUNT; ++i)
        EXPECT_EQ(settings.m_recentFiles[i], "r" + std::to_string(i));
    EXPECT_EQ(settings.m_extractDirectory, "extract");
    EXPECT_EQ(settings.m_textureDirectory, "texture");
    EXPECT_EQ(settings.m_spareString, "spare");
}

TEST_F(SettingsTest, EachFlagHasItsOwnByte)
{
    // Bytes 20, 21, 22: log messages, confirm delete, auto open.
    for (int set = 0; set < 3; ++set) {
        SCOPED_TRACE("flag byte " + std::to_string(20 + set));
        FileBytes bytes;
        bytes.int32(800).int32(600).int32(300).int32(340).int32(340);
        for (int flag = 0; flag < 3; ++flag)
            bytes.byte(flag == set ? 1 : 0);
        for (int i = 0; i < 11; ++i)
            bytes.text("");
        writeFile(SETTINGS_PATH, bytes.str());
        Settings settings(SETTINGS_PATH);
        expectHead(settings, {800, 600, 300, 340, 340}, {set == 0, set == 1, set == 2});
        ASSERT_TRUE(settings.saveFile());
        EXPECT_EQ(readFile(SETTINGS_PATH), bytes.str());
    }
}

TEST_F(SettingsTest, AnyNonZeroFlagByteIsSetAndIsSavedAsOne)
{
    FileBytes bytes;
    bytes.int32(800).int32(600).int32(300).int32(340).int32(340).byte(0x07).byte(0xFF).byte(0x80);
    for (int i = 0; i < 11; ++i)
        bytes.text("");
    writeFile(SETTINGS_PATH, bytes.str());
    Settings settings(SETTINGS_PATH);
    EXPECT_TRUE(settings.m_fullLogMessages);
    EXPECT_TRUE(settings.m_confirmDelete);
    EXPECT_TRUE(settings.m_autoOpenLastFiles);
    ASSERT_TRUE(settings.saveFile());
    EXPECT_EQ(readFile(SETTINGS_PATH), DEFAULT_FILE);
}

TEST_F(SettingsTest, CountOfZeroOrBelowIsEmptyAndConsumesNothingMore)
{
    FileBytes bytes;
    bytes.nonDefaultHead().int32(0).int32(-7).int32(INT32_MIN).text("after");
    for (int i = 0; i < 6; ++i)
        bytes.text("x");
    bytes.text("last");
    writeFile(SETTINGS_PATH, bytes.str());
    Settings settings(SETTINGS_PATH);
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
    EXPECT_EQ(settings.m_openDirectory, "");
    EXPECT_EQ(settings.m_newFileDirectory, "");
    EXPECT_EQ(settings.m_saveDirectory, "");
    EXPECT_EQ(settings.m_recentFiles[0], "after");
    EXPECT_EQ(settings.m_spareString, "last");
}

TEST_F(SettingsTest, ZeroByteEndsAStringBeforeItsCount)
{
    FileBytes bytes;
    // Count 10, but the string ends after "ab": the next field follows the 0 byte at once.
    bytes.nonDefaultHead().int32(10).raw("ab").byte(0);
    for (int i = 0; i < 10; ++i)
        bytes.text("s" + std::to_string(i));
    writeFile(SETTINGS_PATH, bytes.str());
    Settings settings(SETTINGS_PATH);
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
    EXPECT_EQ(settings.m_openDirectory, "ab");
    EXPECT_EQ(settings.m_newFileDirectory, "s0");
    EXPECT_EQ(settings.m_spareString, "s9");
}

TEST_F(SettingsTest, BytesAfterTheLastFieldAreIgnored)
{
    writeFile(SETTINGS_PATH, DEFAULT_FILE + "trailing garbage");
    Settings settings(SETTINGS_PATH);
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
    expectDefaults(settings);
}

TEST_F(SettingsTest, EveryTruncationOfTheFileFallsBackToDefaults)
{
    FileBytes full;
    full.nonDefaultHead();
    for (int i = 0; i < 11; ++i)
        full.text("");
    ASSERT_EQ(full.str().size(), 78u);
    for (size_t length = 0; length < 78; ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        LogCapture::instance().clear();
        writeFile(SETTINGS_PATH, full.str().substr(0, length));
        Settings settings(SETTINGS_PATH);
        expectDefaults(settings);
        EXPECT_LOGGED_CONTAINS(LOG_ERROR, "Load canceled, ");
        EXPECT_LOGGED(LOG_ERROR, "Settings file failed to load, default values will be used");
        EXPECT_NOTHING_LOGGED(LOG_INFORMATION);
    }
}

TEST_F(SettingsTest, CountBeyondTheEndOfTheFileIsAFailedLoad)
{
    // A count that promises two gigabytes: the reader stops at the end of the file.
    writeFile(SETTINGS_PATH, FileBytes().nonDefaultHead().int32(INT32_MAX).raw("short").str());
    Settings settings(SETTINGS_PATH);
    expectDefaults(settings);
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "Settings::loadFile(118) - Load canceled, the file ends before its last setting: "
                       "config/varnel.bcf");
    EXPECT_LOGGED(LOG_ERROR, "Settings file failed to load, default values will be used");
}

TEST_F(SettingsTest, FailedReloadLeavesTheMembersAsTheyWere)
{
    Settings settings("");
    fillStrings(settings);
    settings.m_windowWidth = 1234;
    writeFile(SETTINGS_PATH, DEFAULT_FILE.substr(0, 40));
    settings.setPath(SETTINGS_PATH);
    EXPECT_FALSE(settings.loadFile());
    EXPECT_EQ(settings.m_windowWidth, 1234);
    Settings expected("");
    fillStrings(expected);
    expectSameStrings(settings, expected);
}

TEST_F(SettingsTest, ReadOnlyFileLoadsButIsNeverOverwritten)
{
    FileBytes bytes;
    bytes.nonDefaultHead();
    for (int i = 0; i < 11; ++i)
        bytes.text("kept");
    writeFile(SETTINGS_PATH, bytes.str());
    ASSERT_EQ(chmod(SETTINGS_PATH, 0444), 0);

    Settings settings(SETTINGS_PATH);
    EXPECT_LOGGED_CONTAINS(LOG_INFORMATION, "File is read only");
    EXPECT_LOGGED(LOG_INFORMATION, "Loaded the settings file: config/varnel.bcf");
    EXPECT_EQ(settings.m_windowWidth, 1024);
    EXPECT_EQ(settings.m_spareString, "kept");

    settings.setDefaults();
    EXPECT_FALSE(settings.saveFile());
    EXPECT_LOGGED_LINE(LOG_ERROR, "Settings::saveFile(34) - Save canceled, file is read only, use "
                                  "\"turnOffReadOnly()\" to set file attributes");
    EXPECT_EQ(readFile(SETTINGS_PATH), bytes.str());
    // Refused for any target while the flag is set.
    EXPECT_FALSE(settings.saveFile("config/other.bcf"));
    struct stat status;
    EXPECT_NE(stat("config/other.bcf", &status), 0);
}

TEST_F(SettingsTest, SaveThatFailsHalfWayKeepsTheOldFile)
{
    writeFile(SETTINGS_PATH, DEFAULT_FILE);
    Settings settings(SETTINGS_PATH);
    settings.m_spareString = std::string(8000, 'x');
    LogCapture::instance().clear();

    // In a child that may write no file beyond 4096 bytes, the new file cannot be written whole.
    EXPECT_TRUE(passesUnderFileSizeLimit(4096, [&settings] {
        const bool saved = settings.saveFile();
        const std::vector<LogCapture::Entry>& entries = LogCapture::instance().entries();
        return !saved && entries.size() == 1 &&
               entries[0].line == "Settings::saveFile(72) - Save failed, unable to write the settings file: "
                                  "config/varnel.bcf";
    })) << "the failed save did not report itself";
    EXPECT_EQ(readFile(SETTINGS_PATH), DEFAULT_FILE);
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("config"))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, std::set<std::string>{"varnel.bcf"});
}

TEST_F(SettingsTest, PercentInPathIsNeverAFormat)
{
    const std::string path = "config/%s%n%d.bcf";
    Settings settings(path);
    EXPECT_LOGGED(LOG_ERROR, "Load canceled, stream not open: " + path);
    ASSERT_TRUE(settings.saveFile());
    EXPECT_LOGGED(LOG_INFORMATION, "Wrote the settings file: " + path);
}

TEST_F(SettingsTest, StringEncodingOnStreams)
{
    std::stringstream stream(std::ios::in | std::ios::out | std::ios::binary);
    ASSERT_TRUE(Settings::writeString(stream, ""));
    ASSERT_TRUE(Settings::writeString(stream, "abc"));
    EXPECT_EQ(stream.str(), std::string("\x01\x00\x00\x00\x00\x04\x00\x00\x00"
                                        "abc\x00",
                                        13));

    std::string text = "stale";
    ASSERT_TRUE(Settings::readString(stream, text));
    EXPECT_EQ(text, "");
    ASSERT_TRUE(Settings::readString(stream, text));
    EXPECT_EQ(text, "abc");
    // Nothing left: the count cannot be read.
    EXPECT_FALSE(Settings::readString(stream, text));
    EXPECT_EQ(text, "");

    // A count of exactly the string's bytes without a closing 0 byte takes them all.
    std::stringstream unterminated(std::string("\x03\x00\x00\x00"
                                               "xyzw",
                                               8));
    ASSERT_TRUE(Settings::readString(unterminated, text));
    EXPECT_EQ(text, "xyz");
}
