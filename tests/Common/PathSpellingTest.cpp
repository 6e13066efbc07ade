#include "Common/STDFunctions/PathSpelling.h"

#include <gtest/gtest.h>

TEST(PathSpellingTest, BackslashesBecomeFolderSeparators)
{
    EXPECT_EQ("config/varnel.bcf", PathSpelling::toFileSystem("config\\varnel.bcf"));
    EXPECT_EQ("temp/varnel/", PathSpelling::toFileSystem("temp\\varnel\\"));
}

TEST(PathSpellingTest, FileSystemPathsStayAsTheyAre)
{
    EXPECT_EQ("/home/u/a.wtd", PathSpelling::toFileSystem("/home/u/a.wtd"));
    EXPECT_EQ("", PathSpelling::toFileSystem(""));
    EXPECT_EQ("50% off.wtd", PathSpelling::toFileSystem("50% off.wtd"));
}
