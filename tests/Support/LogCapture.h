#pragma once

#include "Common/MessageLog/LogListener.h"
#include "Common/MessageLog/MessageLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// One process-wide listener that records every message the log delivers. It registers itself with
// MessageLog before main() and stays registered for the life of the process (it is never removed),
// and it empties itself at the start of every test, so each test sees only its own messages.
//
//   EXPECT_LOGGED(LOG_ERROR, "No such file or directory: log.txt");   // a message equals the text
//   EXPECT_LOGGED_CONTAINS(LOG_ERROR, "invalid file path");           // a message contains the text
//   EXPECT_LOGGED_LINE(LOG_INFORMATION, "RenderSystem::RenderSystem(17) - Render system started");
//   EXPECT_NOTHING_LOGGED(LOG_ERROR);
//
// "Message" is what the listener received (the text without the "Function(line) - " prefix while the
// log's full-message switch is off); "line" is the full stored line.
class LogCapture : public LogListener
{
public:
    struct Entry
    {
        LogLevel level;
        std::string message;
        std::string line;
    };

    static LogCapture& instance();

    void information(const std::string& message) override;
    void warning(const std::string& message) override;
    void error(const std::string& message) override;

    void clear();
    const std::vector<Entry>& entries() const { return m_entries; }
    // The received messages of one level, oldest first.
    std::vector<std::string> messages(LogLevel level) const;
    size_t count(LogLevel level) const;
    // Every captured line with its level, for failure messages.
    std::string describe() const;

    // gtest predicate-formatters behind the macros below.
    static ::testing::AssertionResult assertLogged(const char*, const char*, LogLevel level,
                                                   const std::string& text);
    static ::testing::AssertionResult assertLoggedContains(const char*, const char*, LogLevel level,
                                                           const std::string& text);
    static ::testing::AssertionResult assertLoggedLine(const char*, const char*, LogLevel level,
                                                       const std::string& line);
    static ::testing::AssertionResult assertNothingLogged(const char*, LogLevel level);

private:
    LogCapture() = default;
    void record(LogLevel level, const std::string& message);

    std::vector<Entry> m_entries;
};

#define EXPECT_LOGGED(level, text) EXPECT_PRED_FORMAT2(LogCapture::assertLogged, level, text)
#define EXPECT_LOGGED_CONTAINS(level, text) EXPECT_PRED_FORMAT2(LogCapture::assertLoggedContains, level, text)
#define EXPECT_LOGGED_LINE(level, line) EXPECT_PRED_FORMAT2(LogCapture::assertLoggedLine, level, line)
#define EXPECT_NOTHING_LOGGED(level) EXPECT_PRED_FORMAT1(LogCapture::assertNothingLogged, level)
