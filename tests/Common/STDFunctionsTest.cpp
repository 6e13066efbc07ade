#include "Common/STDFunctions/STDFunctions.h"
#include "Support/LogCapture.h"
#include "Support/TempDirTest.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
const std::string FORMAT_TOO_LONG =
    "Source string was longer then the maximum size allowed 512, increase the size of MSG_MAX_BUFFER_SIZE";
const std::string READ_ONLY = "File is read only, this can be turned off via \"turnOffReadOnly()\" command: ";

// Holds a reference for the test, as every user of the instance does.
class STDFunctionsTest : public TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        m_functions = STDFunctions::getInstance();
    }
    void TearDown() override
    {
        STDFunctions::release();
        TempDirTest::TearDown();
    }

    STDFunctions* m_functions = nullptr;
};

std::vector<std::string> split(const std::string& text, char delimiter)
{
    std::vector<std::string> pieces{"stale"};
    STDFunctions::splitString(pieces, text, delimiter);
    return pieces;
}

std::string trimmedLeft(std::string text)
{
    STDFunctions::trimLeft(text);
    return text;
}

std::string trimmedRight(std::string text)
{
    STDFunctions::trimRight(text);
    return text;
}

// A stream buffer that says it is 4 GiB and 100 bytes long; wrapped to 32 bits that would be 100.
class HugeStreamBuffer : public std::streambuf
{
public:
    static constexpr off_type LENGTH = (off_type(1) << 32) + 100;

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir way, std::ios_base::openmode) override
    {
        const off_type base = way == std::ios_base::beg ? 0 : way == std::ios_base::cur ? m_position : LENGTH;
        m_position = base + offset;
        return pos_type(m_position);
    }
    pos_type seekpos(pos_type position, std::ios_base::openmode) override
    {
        m_position = off_type(position);
        return position;
    }

private:
    off_type m_position = 0;
};

typedef std::vector<std::string> Pieces;
} // namespace

// --- Instance ----------------------------------------------------------------------------------------

TEST_F(STDFunctionsTest, InstanceOutlivesBalancedUseAndOnlyAnExtraReleaseFreesIt)
{
    // In a child process: the extra release leaves the count below zero for good.
    EXPECT_EXIT(
        {
            STDFunctions::release(); // the fixture's reference: start balanced
            STDFunctions* first = STDFunctions::getInstance();
            STDFunctions* second = STDFunctions::getInstance();
            STDFunctions* third = STDFunctions::getInstance();
            const bool same = first == second && second == third;
            STDFunctions::release();
            STDFunctions::release();
            STDFunctions::release();
            const bool alive = STDFunctions::hasInstance();
            STDFunctions::release();
            std::exit(same && alive && !STDFunctions::hasInstance() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// --- Widening and formatting -------------------------------------------------------------------------

TEST_F(STDFunctionsTest, WideningKeepsTextsUpTo511Characters)
{
    const std::string text = std::string(510, 'a') + "\xE9";
    const wchar_t* wide = m_functions->stringToLPCWSTR(text);
    ASSERT_EQ(511u, std::wcslen(wide));
    EXPECT_EQ(L'a', wide[0]);
    EXPECT_EQ(static_cast<wchar_t>(0xE9), wide[510]);
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
}

TEST_F(STDFunctionsTest, WideningRefuses512Characters)
{
    EXPECT_STREQ(L"-", m_functions->stringToLPCWSTR(std::string(512, 'a')));
    EXPECT_LOGGED_LINE(
        LOG_ERROR, "STDFunctions::stringToLPCWSTR(840) - String size: 512 is greater than max length: 512");
}

TEST_F(STDFunctionsTest, FormatOf501CharactersIsFormatted)
{
    const std::string format = std::string(499, 'a') + "%i";
    EXPECT_EQ(std::string(499, 'a') + "7", m_functions->createString(format.c_str(), 7));
    EXPECT_EQ("3 of 4 failed", m_functions->createString("%i of %i %s", 3, 4, "failed"));
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
}

TEST_F(STDFunctionsTest, FormatOf502CharactersIsReturnedUnformatted)
{
    const std::string format = std::string(500, 'a') + "%i";
    EXPECT_EQ(format, m_functions->createString(format.c_str(), 7));
    EXPECT_LOGGED_LINE(LOG_ERROR, "STDFunctions::createString(872) - " + FORMAT_TOO_LONG);
}

TEST_F(STDFunctionsTest, ResultOver511CharactersIsReturnedUnformatted)
{
    EXPECT_EQ(std::string(511, 'r'), m_functions->createString("%s", std::string(511, 'r').c_str()));
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
    EXPECT_EQ("%s", m_functions->createString("%s", std::string(512, 'r').c_str()));
    EXPECT_LOGGED(LOG_ERROR, FORMAT_TOO_LONG);
}

// --- Open errors -------------------------------------------------------------------------------------

TEST_F(STDFunctionsTest, OpenErrorsAreNamedBySymbolicCode)
{
    const struct
    {
        errno_t code;
        const char* reason;
    } cases[] = {
        {ENOENT, "No such file or directory"},   {EIO, "I/O Error"},
        {ENOMEM, "Not enough memory"},           {EACCES, "Permission denied"},
        {EBUSY, "Device or resource busy"},      {ENFILE, "To many files open in the system"},
        {ENOSPC, "No space left on the device"}, {EROFS, "Read only file"},
        {ENAMETOOLONG, "Filename to long"},      {24, "Unable to open the file stream"},
        {38, "Unable to open the file stream"}, // the Windows number of ENAMETOOLONG is ENOSYS here
    };
    for (const auto& c : cases) {
        LogCapture::instance().clear();
        STDFunctions::logFOpenError(c.code, "log.txt");
        EXPECT_LOGGED(LOG_ERROR, std::string(c.reason) + ": log.txt") << "error code " << c.code;
    }
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "STDFunctions::logFOpenError(416) - Unable to open the file stream: log.txt");
}

TEST_F(STDFunctionsTest, OpenErrorShowsFileNameVerbatim)
{
    STDFunctions::logFOpenError(ENOENT, "50%s off %d.wtd");
    EXPECT_LOGGED(LOG_ERROR, "No such file or directory: 50%s off %d.wtd");
}

// --- Files -------------------------------------------------------------------------------------------

TEST_F(STDFunctionsTest, PathExistsForFilesAndFoldersWithEitherSeparator)
{
    ASSERT_EQ(0, mkdir("config", 0755));
    writeFile("config/varnel.bcf", "x");
    EXPECT_TRUE(STDFunctions::pathExists("config"));
    EXPECT_TRUE(STDFunctions::pathExists("config\\varnel.bcf"));
    EXPECT_TRUE(STDFunctions::pathExists(tempDir() + "/config/varnel.bcf"));
    EXPECT_FALSE(STDFunctions::pathExists("config\\varnel_ar.arf"));
    EXPECT_FALSE(STDFunctions::pathExists(""));
}

TEST_F(STDFunctionsTest, OverlongPathIsMissingNotTheFileNamedDash)
{
    writeFile("-", "a file named dash");
    EXPECT_FALSE(STDFunctions::pathExists(std::string(512, 'p')));
    EXPECT_LOGGED(LOG_ERROR, "String size: 512 is greater than max length: 512");
}

TEST_F(STDFunctionsTest, FileOpenCheckJudgesReadOnlyByTheWriteBits)
{
    writeFile("writable.wtd", "w");
    writeFile("locked 100%s.wtd", "r");
    ASSERT_EQ(0, chmod("locked 100%s.wtd", 0444));

    bool readOnly = true;
    std::fstream writable("writable.wtd", std::ios::in | std::ios::binary);
    EXPECT_TRUE(m_functions->fileOpenCheck(writable, "writable.wtd", readOnly));
    EXPECT_FALSE(readOnly);
    EXPECT_NOTHING_LOGGED(LOG_INFORMATION);

    // Root may write anywhere; the missing write bits still make the file read-only.
    std::fstream locked("locked 100%s.wtd", std::ios::in | std::ios::binary);
    EXPECT_TRUE(m_functions->fileOpenCheck(locked, "locked 100%s.wtd", readOnly));
    EXPECT_TRUE(readOnly);
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "STDFunctions::fileOpenCheck(741) - " + READ_ONLY + "locked 100%s.wtd");
}

TEST_F(STDFunctionsTest, ExaminePathTellsFoldersAndFilesWithoutWriteBits)
{
    ASSERT_EQ(0, mkdir("config", 0755));
    writeFile("config/varnel.bcf", "x");
    writeFile("group-writable.wtd", "g");
    ASSERT_EQ(0, chmod("group-writable.wtd", 0464));
    writeFile("locked.wtd", "l");
    ASSERT_EQ(0, chmod("locked.wtd", 0444));

    const struct
    {
        const char* path;
        bool folder;
        bool readOnly;
    } cases[] = {
        {"config", true, false},
        {"config\\varnel.bcf", false, false},
        {"group-writable.wtd", false, false},
        {"locked.wtd", false, true},
    };
    for (const auto& c : cases) {
        bool folder = !c.folder;
        bool readOnly = !c.readOnly;
        ASSERT_TRUE(STDFunctions::examinePath(c.path, folder, readOnly)) << c.path;
        EXPECT_EQ(c.folder, folder) << c.path;
        EXPECT_EQ(c.readOnly, readOnly) << c.path;
    }
    bool folder = false;
    bool readOnly = false;
    EXPECT_FALSE(STDFunctions::examinePath("config\\absent.bcf", folder, readOnly));
    EXPECT_FALSE(STDFunctions::examinePath("", folder, readOnly));
}

TEST_F(STDFunctionsTest, FileOpenCheckCallsAPathItCannotExamineReadOnly)
{
    writeFile("present.wtd", "p");
    bool readOnly = false;
    std::fstream stream("present.wtd", std::ios::in | std::ios::binary);
    EXPECT_TRUE(m_functions->fileOpenCheck(stream, "absent.wtd", readOnly));
    EXPECT_TRUE(readOnly);
    EXPECT_LOGGED(LOG_INFORMATION, READ_ONLY + "absent.wtd");

    // A path too long to widen cannot be examined either: the widening's Error, then read-only.
    LogCapture::instance().clear();
    readOnly = false;
    const std::string overlong(512, 'p');
    EXPECT_TRUE(m_functions->fileOpenCheck(stream, overlong, readOnly));
    EXPECT_TRUE(readOnly);
    EXPECT_LOGGED(LOG_ERROR, "String size: 512 is greater than max length: 512");
    EXPECT_LOGGED(LOG_INFORMATION, READ_ONLY + overlong);
}

TEST_F(STDFunctionsTest, FileOpenCheckOfAClosedStreamChangesNothing)
{
    std::fstream closed;
    bool readOnly = true;
    EXPECT_FALSE(m_functions->fileOpenCheck(closed, "absent.wtd", readOnly));
    EXPECT_TRUE(readOnly);
    readOnly = false;
    EXPECT_FALSE(m_functions->fileOpenCheck(closed, "absent.wtd", readOnly));
    EXPECT_FALSE(readOnly);
    EXPECT_TRUE(LogCapture::instance().entries().empty()) << LogCapture::instance().describe();
}

TEST_F(STDFunctionsTest, FileSizeIsTheLengthAndRewindsTheStream)
{
    writeFile("data.bin", std::string(1234, '\0'));
    std::ifstream file("data.bin", std::ios::binary);
    file.seekg(100);
    EXPECT_EQ(1234u, STDFunctions::getFileSize(file));
    EXPECT_EQ(0, file.tellg());

    std::istringstream empty("");
    EXPECT_EQ(0u, STDFunctions::getFileSize(empty));
}

TEST_F(STDFunctionsTest, FileSizeIsZeroWhenTheStreamCannotTell)
{
    std::ifstream missing("absent.bin", std::ios::binary);
    EXPECT_EQ(0u, STDFunctions::getFileSize(missing));
    std::istream unbuffered(nullptr);
    EXPECT_EQ(0u, STDFunctions::getFileSize(unbuffered));
}

TEST_F(STDFunctionsTest, FileSizeBeyond32BitsIsTheLargestNotAWrappedSmallOne)
{
    HugeStreamBuffer buffer;
    std::istream huge(&buffer);
    EXPECT_EQ(0xFFFFFFFFu, STDFunctions::getFileSize(huge));
    EXPECT_EQ(0, huge.tellg());
}

// --- Paths -------------------------------------------------------------------------------------------

TEST_F(STDFunctionsTest, DirectoryIsEverythingBeforeTheLastBackslash)
{
    std::string directory = "unchanged";
    m_functions->getDirectory("", directory);
    EXPECT_EQ("unchanged", directory);
    m_functions->getDirectory("config\\varnel.bcf", directory);
    EXPECT_EQ("config", directory);
    m_functions->getDirectory("varnel.bcf", directory);
    EXPECT_EQ("varnel.bcf", directory);
    m_functions->getDirectory("temp\\varnel\\a.wtd", directory);
    EXPECT_EQ("temp\\varnel", directory);
}

TEST_F(STDFunctionsTest, FileNameWithAndWithoutExtension)
{
    EXPECT_EQ("varnel", STDFunctions::getFileName("config\\varnel.bcf", true));
    EXPECT_EQ("varnel.bcf", STDFunctions::getFileName("config\\varnel.bcf", false));
    EXPECT_EQ("a.tar", STDFunctions::getFileName("a.tar.wtd", true));
    EXPECT_EQ("name.", STDFunctions::getFileName("name.", true));
    EXPECT_EQ("", STDFunctions::getFileName(".dds", true));
    EXPECT_EQ("", STDFunctions::getFileName("", false));
}

TEST_F(STDFunctionsTest, LastTokenIsTheLastNonEmptyPiece)
{
    EXPECT_EQ("varnel", STDFunctions::lastToken("temp\\varnel\\", '\\'));
    EXPECT_EQ("", STDFunctions::lastToken("", '\\'));
    // No piece is left: the text itself, untrimmed.
    EXPECT_EQ(" , ", STDFunctions::lastToken(" , ", ','));
}

// --- Strings -----------------------------------------------------------------------------------------

TEST_F(STDFunctionsTest, SplitStringKeepsInnerEmptyPiecesAndDropsTrailingOnes)
{
    EXPECT_EQ(Pieces{""}, split(",", ','));
    EXPECT_EQ(Pieces{"a"}, split("a,", ','));
    EXPECT_EQ((Pieces{"", "a"}), split(",a", ','));
    EXPECT_EQ(Pieces{"a"}, split("a,,", ','));
    EXPECT_EQ(Pieces{}, split(" , ", ','));
    EXPECT_EQ(Pieces{}, split("", ','));
    EXPECT_EQ((Pieces{"a", "", "b c"}), split(" a ,\t, b c\t", ','));
    EXPECT_EQ(Pieces{"no delimiter"}, split("\tno delimiter ", ','));
}

TEST_F(STDFunctionsTest, TrimRemovesTabRunThenSpaceRun)
{
    EXPECT_EQ("\tx", trimmedLeft("\t \tx"));
    EXPECT_EQ("x", trimmedRight("x \t"));
    EXPECT_EQ("x\t", trimmedRight("x\t "));
    EXPECT_EQ("", trimmedLeft("\t\t"));
    EXPECT_EQ("", trimmedRight("   "));
    EXPECT_EQ("", trimmedLeft(""));
    EXPECT_EQ("", trimmedRight(""));
}

TEST_F(STDFunctionsTest, ToLowerFoldsAsciiCapitalsOnly)
{
    std::string text = "Resources\\GUI\\";
    STDFunctions::toLower(text);
    EXPECT_EQ("resources\\gui\\", text);

    std::string accented = "\xC4\xD6Z@[";
    STDFunctions::toLower(accented);
    EXPECT_EQ("\xC4\xD6z@[", accented);
}
