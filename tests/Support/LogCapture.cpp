#include "Support/LogCapture.h"

#include <algorithm>

namespace
{
// Empties the capture as each test starts.
class ClearOnTestStart : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo&) override { LogCapture::instance().clear(); }
};

// Registers the capture with the log before any test (or its fixture) can log.
struct Registration
{
    Registration()
    {
        LogCapture::instance();
        ::testing::UnitTest::GetInstance()->listeners().Append(new ClearOnTestStart);
    }
} s_registration;

const char* levelName(LogLevel level)
{
    switch (level) {
    case LOG_INFORMATION:
        return "Information";
    case LOG_WARNING:
        return "Warning";
    case LOG_ERROR:
        return "Error";
    default:
        return "unknown level";
    }
}
} // namespace

LogCapture& LogCapture::instance()
{
    // Never destroyed: the log keeps the pointer until the process ends.
    static LogCapture* const capture = [] {
        LogCapture* created = new LogCapture();
        MessageLog::getInstance()->addListener(created);
        return created;
    }();
    return *capture;
}

void LogCapture::information(const std::string& message)
{
    record(LOG_INFORMATION, message);
}

void LogCapture::warning(const std::string& message)
{
    record(LOG_WARNING, message);
}

void LogCapture::error(const std::string& message)
{
    record(LOG_ERROR, message);
}

void LogCapture::record(LogLevel level, const std::string& message)
{
    // The log stores a line before it calls the listeners, so the newest stored line of this level is
    // the one being delivered.
    const MessageLog* log = MessageLog::getInstance();
    const std::vector<std::string>& lines = level == LOG_INFORMATION ? log->getInformationMessages()
                                            : level == LOG_WARNING   ? log->getWarningMessages()
                                                                     : log->getErrorMessages();
    m_entries.push_back({level, message, lines.empty() ? std::string() : lines.back()});
}

void LogCapture::clear()
{
    m_entries.clear();
}

std::vector<std::string> LogCapture::messages(LogLevel level) const
{
    std::vector<std::string> found;
    for (const Entry& entry : m_entries)
        if (entry.level == level)
            found.push_back(entry.message);
    return found;
}

size_t LogCapture::count(LogLevel level) const
{
    return static_cast<size_t>(std::count_if(m_entries.begin(), m_entries.end(),
                                             [level](const Entry& e) { return e.level == level; }));
}

std::string LogCapture::describe() const
{
    if (m_entries.empty())
        return "\n  (nothing was logged)";
    std::string text;
    for (const Entry& entry : m_entries)
        text += std::string("\n  [") + levelName(entry.level) + "] " + entry.line;
    return text;
}

namespace
{
template <typename Matches>
::testing::AssertionResult findEntry(const LogCapture& capture, LogLevel level, const std::string& text,
                                     const char* how, Matches matches)
{
    for (const LogCapture::Entry& entry : capture.entries())
        if (entry.level == level && matches(entry))
            return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no " << levelName(level) << " message " << how << " \"" << text
                                         << "\"; logged in this test:" << capture.describe();
}
} // namespace

::testing::AssertionResult LogCapture::assertLogged(const char*, const char*, LogLevel level,
                                                    const std::string& text)
{
    return findEntry(instance(), level, text, "equal to",
                     [&text](const Entry& entry) { return entry.message == text; });
}

::testing::AssertionResult LogCapture::assertLoggedContains(const char*, const char*, LogLevel level,
                                                            const std::string& text)
{
    return findEntry(instance(), level, text, "containing",
                     [&text](const Entry& entry) { return entry.message.find(text) != std::string::npos; });
}

::testing::AssertionResult LogCapture::assertLoggedLine(const char*, const char*, LogLevel level,
                                                        const std::string& line)
{
    return findEntry(instance(), level, line, "with the stored line",
                     [&line](const Entry& entry) { return entry.line == line; });
}

::testing::AssertionResult LogCapture::assertNothingLogged(const char*, LogLevel level)
{
    const LogCapture& capture = instance();
    if (capture.count(level) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected no " << levelName(level) << " message; logged in this test:" << capture.describe();
}
