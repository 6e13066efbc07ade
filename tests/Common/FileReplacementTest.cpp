// Replacing a file whole or not at all: what a finished, a failed and an abandoned replacement leave
// on disk, and what of the old file a replacement keeps.
#include "Common/SafeFile/FileReplacement.h"

#include "Support/FileSizeLimit.h"
#include "Support/TempDirTest.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <set>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
std::set<std::string> entriesOf(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

mode_t modeOf(const std::string& path)
{
    struct stat status;
    EXPECT_EQ(0, stat(path.c_str(), &status)) << path;
    return status.st_mode & 07777;
}

// Writes the bytes through a replacement of path and commits it.
bool replaceWith(const std::string& path, const std::string& bytes)
{
    FileReplacement file(path);
    if (!file.isOpen())
        return false;
    file.stream().write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file.commit();
}

// Replaces path with bytes in a child process that may write no file beyond limit bytes. True when the
// commit failed for want of room (EFBIG).
bool replacementFailsUnderSizeLimit(const std::string& path, const std::string& bytes, rlim_t limit)
{
    return passesUnderFileSizeLimit(limit, [&] {
        FileReplacement file(path);
        file.stream().write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.isOpen() && !file.commit() && file.error() == EFBIG;
    });
}

class FileReplacementTest : public TempDirTest
{
};
} // namespace

TEST_F(FileReplacementTest, CommittedReplacementHoldsTheNewBytesAndLeavesNoTemporary)
{
    writeFile("file.bin", std::string(5000, 'o'));
    ASSERT_TRUE(replaceWith("file.bin", "new"));
    EXPECT_EQ("new", readFile("file.bin"));
    ASSERT_TRUE(replaceWith("fresh.bin", "made"));
    EXPECT_EQ("made", readFile("fresh.bin"));
    EXPECT_EQ((std::set<std::string>{"file.bin", "fresh.bin"}), entriesOf("."));
}

TEST_F(FileReplacementTest, PiecesOfAnySizeReachTheFileInTheOrderWritten)
{
    std::string expected;
    {
        FileReplacement file("file.bin");
        ASSERT_TRUE(file.isOpen());
        for (int round = 0; round < 3; ++round) {
            const std::string small = "round " + std::to_string(round) + ";";
            const std::string large(100 * 1024, static_cast<char>('a' + round));
            file.stream() << small;
            file.stream().write(large.data(), static_cast<std::streamsize>(large.size()));
            for (int i = 0; i < 40000; ++i)
                file.stream().put(static_cast<char>(i % 251));
            expected += small + large;
            for (int i = 0; i < 40000; ++i)
                expected += static_cast<char>(i % 251);
        }
        ASSERT_TRUE(file.commit());
    }
    EXPECT_EQ(expected, readFile("file.bin"));
}

TEST_F(FileReplacementTest, WriteThatFailsBeforeTheCommitIsReportedByItWithItsReason)
{
    struct stat status;
    if (stat("/dev/full", &status) != 0 || !S_ISCHR(status.st_mode))
        GTEST_SKIP() << "no /dev/full here";
    FileReplacement file("/dev/full");
    ASSERT_TRUE(file.isOpen());
    const std::string large(1024 * 1024, 'x');
    file.stream().write(large.data(), static_cast<std::streamsize>(large.size()));
    file.stream() << "more after the failure";
    EXPECT_FALSE(file.commit());
    EXPECT_EQ(ENOSPC, file.error());
}

TEST_F(FileReplacementTest, WriteThatFailsHalfWayLeavesTheOldFileByteForByte)
{
    std::string before;
    for (int i = 0; i < 3000; ++i)
        before += static_cast<char>(i * 7);
    writeFile("file.bin", before);
    const std::string larger(64 * 1024, 'n');

    EXPECT_TRUE(replacementFailsUnderSizeLimit("file.bin", larger, 4096));
    EXPECT_EQ(before, readFile("file.bin"));
    EXPECT_EQ((std::set<std::string>{"file.bin"}), entriesOf("."));
}

TEST_F(FileReplacementTest, ReplacementNeverCommittedLeavesTheFileAndNoTemporary)
{
    writeFile("file.bin", "old");
    {
        FileReplacement file("file.bin");
        ASSERT_TRUE(file.isOpen());
        file.stream() << "half of the new";
    }
    EXPECT_EQ("old", readFile("file.bin"));
    EXPECT_EQ((std::set<std::string>{"file.bin"}), entriesOf("."));
}

TEST_F(FileReplacementTest, PermissionBitsAreKept)
{
    writeFile("file.bin", "old");
    ASSERT_EQ(0, chmod("file.bin", 0640));
    ASSERT_TRUE(replaceWith("file.bin", "new"));
    EXPECT_EQ(0640u, modeOf("file.bin"));
    ASSERT_EQ(0, chmod("file.bin", 0604));
    ASSERT_TRUE(replaceWith("file.bin", "newer"));
    EXPECT_EQ(0604u, modeOf("file.bin"));
}

TEST_F(FileReplacementTest, SymbolicLinkStaysALinkAndTheFileItNamesIsReplaced)
{
    ASSERT_EQ(0, mkdir("real", 0777));
    writeFile("real/file.bin", "old");
    ASSERT_EQ(0, symlink("real/file.bin", "link.bin"));
    ASSERT_TRUE(replaceWith("link.bin", "new"));

    struct stat status;
    ASSERT_EQ(0, lstat("link.bin", &status));
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ("new", readFile("real/file.bin"));
    // The temporary file lay beside the real file, where the rename could not cross file systems.
    EXPECT_EQ((std::set<std::string>{"file.bin"}), entriesOf("real"));
    EXPECT_EQ((std::set<std::string>{"link.bin", "real"}), entriesOf("."));
}

TEST_F(FileReplacementTest, FilesAndFoldersThatMayNotBeWrittenAreRefusedWithTheReason)
{
    writeFile("locked.bin", "old");
    ASSERT_EQ(0, chmod("locked.bin", 0444)); // root ignores the bits, the replacement must not
    ASSERT_EQ(0, mkdir("locked", 0555));

    const struct
    {
        const char* path;
        int error;
    } refusals[] = {{"locked.bin", EACCES},
                    {"locked/new.bin", EACCES},
                    {"missing/new.bin", ENOENT},
                    {"locked", EISDIR},
                    {"", ENOENT}};
    for (const auto& refusal : refusals) {
        FileReplacement file(refusal.path);
        EXPECT_FALSE(file.isOpen()) << refusal.path;
        EXPECT_EQ(refusal.error, file.error()) << refusal.path;
        EXPECT_FALSE(file.commit()) << refusal.path;
    }
    EXPECT_EQ("old", readFile("locked.bin"));
    EXPECT_EQ((std::set<std::string>{"locked.bin", "locked"}), entriesOf("."));
    EXPECT_TRUE(entriesOf("locked").empty());
}

TEST_F(FileReplacementTest, LeadingBytesOfTheOldFileAreKeptAndMissingOnesAreZeros)
{
    writeFile("file.bin", "0123456789");
    {
        FileReplacement file("file.bin");
        ASSERT_TRUE(file.copyLeadingBytes(4));
        file.stream() << "new";
        ASSERT_TRUE(file.commit());
    }
    EXPECT_EQ("0123new", readFile("file.bin"));
    {
        FileReplacement file("fresh.bin");
        ASSERT_TRUE(file.copyLeadingBytes(3));
        file.stream() << "new";
        ASSERT_TRUE(file.commit());
    }
    EXPECT_EQ(std::string("\0\0\0new", 6), readFile("fresh.bin"));
}

TEST_F(FileReplacementTest, DeviceIsWrittenWhereItStands)
{
    // /dev/full opens, but every write to it fails for want of space; a file renamed over it would
    // take the device's place.
    struct stat status;
    if (stat("/dev/full", &status) != 0 || !S_ISCHR(status.st_mode))
        GTEST_SKIP() << "no /dev/full here";
    FileReplacement file("/dev/full");
    ASSERT_TRUE(file.isOpen());
    file.stream() << "bytes";
    EXPECT_FALSE(file.commit());
    EXPECT_EQ(ENOSPC, file.error());
    ASSERT_EQ(0, stat("/dev/full", &status));
    EXPECT_TRUE(S_ISCHR(status.st_mode));
}
