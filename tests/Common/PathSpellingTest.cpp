#include "Common/STDFunctions/PathSpelling.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(PathSpellingTest, SplitPathTakesEitherSeparator)
{
    const struct
    {
        const char* path;
        const char* directory;
        const char* fileName;
    } cases[] = {
        {"/home/u/Textures/a.wtd", "/home/u/Textures", "a.wtd"},
        {"temp\\varnel\\b.wtd", "temp\\varnel", "b.wtd"},
        {"mixed\\dir/c.wtd", "mixed\\dir", "c.wtd"},
        {"/a.wtd", "/", "a.wtd"},
        {"plain.wtd", "", "plain.wtd"},
        {"folder/", "folder", ""},
    };
    for (const auto& c : cases) {
        std::string directory = "stale", fileName = "stale";
        PathSpelling::splitPath(c.path, directory, fileName);
        EXPECT_EQ(c.directory, directory) << c.path;
        EXPECT_EQ(c.fileName, fileName) << c.path;
    }
}
