#include "Common/STDFunctions/DraveFile.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
// A file object that notes when its own destructor runs, as Settings and WTDFile do their clean-up.
class NotingFile : public DraveFile
{
public:
    explicit NotingFile(bool& destroyed) : m_destroyed(destroyed) {}
    ~NotingFile() override { m_destroyed = true; }

private:
    bool& m_destroyed;
};

class DraveFileTest : public ::testing::Test
{
};
}

TEST_F(DraveFileTest, NewObjectIsEmptyAndUnchanged)
{
    const DraveFile file;
    EXPECT_EQ("", file.getPath());
    EXPECT_EQ(0u, file.getFileOffset());
    EXPECT_FALSE(file.isModified());
    EXPECT_FALSE(file.hasLoadFailed());
}

TEST_F(DraveFileTest, SettersReplaceTheirValues)
{
    DraveFile file;
    file.setPath("c:\\mods\\textures.wtd");
    file.setFileOffset(0xFFFFFFFFu);
    file.setModified(true);
    EXPECT_EQ("c:\\mods\\textures.wtd", file.getPath());
    EXPECT_EQ(0xFFFFFFFFu, file.getFileOffset());
    EXPECT_TRUE(file.isModified());
    file.setModified(false);
    EXPECT_FALSE(file.isModified());
}

TEST_F(DraveFileTest, DeletingThroughTheBaseRunsTheDerivedDestructorAndReleasesOnce)
{
    // Start from a balanced count: then a second release would free the shared instance.
    STDFunctions::getInstance();
    STDFunctions::release();
    ASSERT_TRUE(STDFunctions::hasInstance());

    bool destroyed = false;
    std::unique_ptr<DraveFile> file(new NotingFile(destroyed));
    file.reset();
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(STDFunctions::hasInstance());
}
