#include <gtest/gtest.h>

#include <sys/stat.h>

#include "Platform/Image/TextureTestSupport.h"
#include "Platform/System/WindowsApi.h"
#include "Support/TempDirTest.h"

using namespace texture_test;

namespace
{
class WindowsApiTest : public TempDirTest
{
};
} // namespace

TEST_F(WindowsApiTest, FileAttributes)
{
    EXPECT_EQ(GetFileAttributesW(widen("missing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(widen("").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(nullptr), INVALID_FILE_ATTRIBUTES);
    writeFile("plain.txt", "x");
    EXPECT_EQ(GetFileAttributesW(widen("plain.txt").c_str()), FILE_ATTRIBUTE_NORMAL);
    writeFile("locked.txt", "x");
    ASSERT_EQ(chmod("locked.txt", 0444), 0);
    // Read-only is the file's attribute, whoever asks (also root).
    EXPECT_EQ(GetFileAttributesW(widen("locked.txt").c_str()), FILE_ATTRIBUTE_READONLY);
    ASSERT_EQ(mkdir("folder", 0777), 0);
    EXPECT_EQ(GetFileAttributesW(widen("folder").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              FILE_ATTRIBUTE_DIRECTORY);
    writeFile("caf\xE9.txt", "x");
    EXPECT_EQ(GetFileAttributesW(widen("caf\xE9.txt").c_str()), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowsApiTest, NarrowingGivesBackTheBytes)
{
    const std::string bytes = "a\\b/c \x80\xFF%d";
    EXPECT_EQ(narrowWidePath(widen(bytes).c_str()), bytes);
    // A sign-extended widening gives the same bytes.
    const wchar_t signExtended[] = {wchar_t(-23), L'x', 0};
    EXPECT_EQ(narrowWidePath(signExtended), "\xE9x");
    EXPECT_EQ(narrowWidePath(nullptr), "");
}

TEST_F(WindowsApiTest, CreateDirectoryAndSleep)
{
    EXPECT_EQ(CreateDirectoryA("Config", nullptr), TRUE);
    EXPECT_EQ(GetFileAttributesW(widen("Config").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(CreateDirectoryA("Config", nullptr), FALSE) << "it exists already";
    EXPECT_EQ(CreateDirectoryA("Config\\inner", nullptr), TRUE) << "backslashes separate folders";
    EXPECT_EQ(GetFileAttributesW(widen("Config/inner").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(CreateDirectoryA("no/such/parent", nullptr), FALSE);
    EXPECT_EQ(CreateDirectoryA("", nullptr), FALSE);
    EXPECT_EQ(CreateDirectoryA(nullptr, nullptr), FALSE);
    Sleep(1);
}
