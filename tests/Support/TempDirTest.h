#pragma once

#include <gtest/gtest.h>

#include <string>

// A fixture that runs each test in a fresh, empty folder under /tmp: the program's paths are relative
// to the working folder. The folder is made the working folder for the test and removed afterwards
// (including anything made read-only inside it). A derived fixture that overrides SetUp or TearDown
// calls TempDirTest::SetUp first / TempDirTest::TearDown last.
class TempDirTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The absolute path of the test's folder.
    const std::string& tempDir() const { return m_tempDir; }
    // Writes the bytes to a file (relative to the test's folder unless absolute); fails the test when
    // it cannot.
    void writeFile(const std::string& path, const std::string& bytes);
    // The whole contents of a file, or an empty string (and a test failure) when it cannot be read.
    std::string readFile(const std::string& path);

private:
    std::string m_tempDir;
    std::string m_previousDir;
};
