// The checks and the exclusive claim behind writing files safely.
#include "Common/SafeFile/SafeFile.h"

#include "Support/TempDirTest.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
class SafeFileTest : public TempDirTest
{
};
} // namespace

TEST_F(SafeFileTest, ClaimTakesAFreshNameForThisProcessOnly)
{
    ASSERT_TRUE(SafeFile::claim("copy.wtd"));
    struct stat status;
    ASSERT_EQ(0, stat("copy.wtd", &status));
    EXPECT_EQ(0600u, status.st_mode & 07777);
    EXPECT_EQ(0, status.st_size);

    writeFile("copy.wtd", "the first claimant's");
    errno = 0;
    EXPECT_FALSE(SafeFile::claim("copy.wtd"));
    EXPECT_EQ(EEXIST, errno);
    EXPECT_EQ("the first claimant's", readFile("copy.wtd"));

    // A link counts as taken even when it leads nowhere: a claim must never create the file it names.
    ASSERT_EQ(0, symlink("nowhere.wtd", "dangling.wtd"));
    errno = 0;
    EXPECT_FALSE(SafeFile::claim("dangling.wtd"));
    EXPECT_EQ(EEXIST, errno);
    EXPECT_NE(0, access("nowhere.wtd", F_OK));

    errno = 0;
    EXPECT_FALSE(SafeFile::claim("missing/copy.wtd"));
    EXPECT_EQ(ENOENT, errno);
}

TEST_F(SafeFileTest, TargetOfALinkIsTheFileItNames)
{
    writeFile("real.wtd", "");
    ASSERT_EQ(0, symlink("real.wtd", "link.wtd"));
    ASSERT_EQ(0, symlink("nowhere.wtd", "dangling.wtd"));
    EXPECT_EQ(tempDir() + "/real.wtd", SafeFile::resolveTarget("link.wtd"));
    EXPECT_EQ("real.wtd", SafeFile::resolveTarget("real.wtd"));
    EXPECT_EQ("new.wtd", SafeFile::resolveTarget("new.wtd"));
    EXPECT_EQ("dangling.wtd", SafeFile::resolveTarget("dangling.wtd"));
}

TEST_F(SafeFileTest, OnlyWritableRegularFilesInWritableFoldersCanBeReplaced)
{
    writeFile("file.wtd", "");
    writeFile("locked.wtd", "");
    ASSERT_EQ(0, chmod("locked.wtd", 0444)); // root ignores the bits, the check must not
    ASSERT_EQ(0, mkdir("locked", 0555));
    EXPECT_TRUE(SafeFile::canReplace("file.wtd"));
    EXPECT_TRUE(SafeFile::canReplace("new.wtd"));

    const struct
    {
        const char* path;
        int error;
    } refusals[] = {{"", ENOENT},           {"missing/new.wtd", ENOENT},
                    {"locked.wtd", EACCES}, {"locked/new.wtd", EACCES},
                    {"locked", EISDIR},     {"/dev/null", EINVAL}};
    for (const auto& refusal : refusals) {
        errno = 0;
        EXPECT_FALSE(SafeFile::canReplace(refusal.path)) << refusal.path;
        EXPECT_EQ(refusal.error, errno) << refusal.path;
    }
}
