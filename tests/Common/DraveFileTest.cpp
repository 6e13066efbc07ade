#include "Common/STDFunctions/DraveFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <type_traits>

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
} // namespace

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
    // In a child process, from a balanced count: after the file is gone exactly one more release must
    // free the shared instance. A file that never gave its reference back leaves it alive; one that
    // gave it back twice has freed it already.
    EXPECT_EXIT(
        {
            STDFunctions::getInstance();
            STDFunctions::release();
            bool destroyed = false;
            std::unique_ptr<DraveFile> file(new NotingFile(destroyed));
            const bool heldWhileAlive = STDFunctions::hasInstance();
            file.reset();
            const bool aliveAfterDelete = STDFunctions::hasInstance();
            STDFunctions::release();
            std::exit(destroyed && heldWhileAlive && aliveAfterDelete && !STDFunctions::hasInstance() ? 0
                                                                                                      : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// A file object owns a reference to the shared helpers; a copy would give it back twice.
static_assert(!std::is_copy_constructible<DraveFile>::value, "file objects are not copied");
static_assert(!std::is_copy_assignable<DraveFile>::value, "file objects are not assigned");
