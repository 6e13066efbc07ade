#pragma once

#include <string>

// Sends what the process writes to its standard error into a file until text() is asked, for checking
// what the toolkit and its libraries print (they report some faults nowhere else).
//
//   StderrCapture capture("stderr.txt");
//   ... draw ...
//   EXPECT_EQ(capture.text().find("CRITICAL"), std::string::npos);
class StderrCapture
{
public:
    explicit StderrCapture(const std::string& path);
    ~StderrCapture();

    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Ends the capture and returns everything written meanwhile.
    std::string text();

private:
    void restore();

    std::string m_path;
    int m_savedStderr = -1;
};
