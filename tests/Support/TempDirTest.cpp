#include "Support/TempDirTest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
// Gives the owner full rights on everything below the folder, so a test that made a file or folder
// read-only cannot stop its removal.
void makeRemovable(const fs::path& folder)
{
    std::error_code error;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_symlink(error))
            continue;
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        error.clear();
    }
}
} // namespace

void TempDirTest::SetUp()
{
    std::error_code error;
    m_previousDir = fs::current_path(error).string();
    ASSERT_FALSE(error) << "cannot read the working folder: " << error.message();
    char pattern[] = "/tmp/varnel-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr) << "cannot create a temporary folder";
    m_tempDir = pattern;
    ASSERT_EQ(chdir(m_tempDir.c_str()), 0) << "cannot enter " << m_tempDir;
}

void TempDirTest::TearDown()
{
    if (!m_previousDir.empty()) {
        EXPECT_EQ(chdir(m_previousDir.c_str()), 0) << "cannot return to " << m_previousDir;
    }
    if (m_tempDir.empty())
        return;
    makeRemovable(m_tempDir);
    std::error_code error;
    fs::remove_all(m_tempDir, error);
    EXPECT_FALSE(error) << "cannot remove " << m_tempDir << ": " << error.message();
}

void TempDirTest::writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    EXPECT_TRUE(file.good()) << "cannot write " << path;
}

std::string TempDirTest::readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.is_open()) << "cannot read " << path;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
