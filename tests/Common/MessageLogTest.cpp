#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/STDFunctions.h"
#include "Support/LogCapture.h"
#include "Support/TempDirTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace
{
const char* const SOURCE = ".\\Tests\\MessageLogTest";
const std::string TOO_LONG_NOTICE =
    "MESSAGE PASSED WAS TO LONG, Increase the buffer size in MessageLog, current size: 1024";
const std::string RULE = "--------------------------------------\n";

MessageLog* messageLog()
{
    return MessageLog::getInstance();
}

// A listener that keeps what it hears; when armed it logs once from inside its own call.
class RecordingListener : public LogListener
{
public:
    void information(const std::string& message) override { heard(message); }
    void warning(const std::string& message) override { heard(message); }
    void error(const std::string& message) override { heard(message); }

    std::vector<std::string> m_heard;
    bool m_logWhenCalled = false;

private:
    void heard(const std::string& message)
    {
        m_heard.push_back(message);
        if (m_logWhenCalled) {
            m_logWhenCalled = false;
            messageLog()->log(LOG_INFORMATION, "logged from a listener", SOURCE, 2, "Listener::information");
        }
    }
};

std::string fileContents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Runs the check on a log created just for it, in a child process, so that neither earlier tests nor
// the capture's own registration shape the answer. The check prints what went wrong to stderr.
template <typename Check> void expectInFreshLog(Check check)
{
    EXPECT_EXIT(
        {
            MessageLog::cleanUpAtExit();
            std::exit(check() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

bool expectEqual(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return true;
    std::fprintf(stderr, "expected:\n[%s]\nactual:\n[%s]\n", expected.c_str(), actual.c_str());
    return false;
}

class MessageLogTest : public TempDirTest
{
protected:
    void TearDown() override
    {
        messageLog()->setListenerFullMessage(false);
        TempDirTest::TearDown();
    }
};
} // namespace

// --- Listeners ---------------------------------------------------------------------------------------

TEST_F(MessageLogTest, FirstListenersOfALogGetIds1883And1884)
{
    expectInFreshLog([] {
        static RecordingListener first;
        static RecordingListener second;
        const bool unsetBefore = first.m_listenerId == 0;
        const int firstId = messageLog()->addListener(&first);
        const int secondId = messageLog()->addListener(&second);
        std::fprintf(stderr, "ids: %d (%d) and %d (%d)\n", firstId, first.m_listenerId, secondId,
                     second.m_listenerId);
        return unsetBefore && firstId == 1883 && first.m_listenerId == 1883 && secondId == 1884 &&
               second.m_listenerId == 1884;
    });
}

TEST_F(MessageLogTest, ListenerHearsMessagePartOrWholeLine)
{
    messageLog()->log(LOG_INFORMATION, "Render system started", ".\\RenderSystem\\RenderSystem", 17,
                      "RenderSystem::RenderSystem");
    EXPECT_EQ("RenderSystem::RenderSystem(17) - Render system started",
              messageLog()->getInformationMessages().back());
    EXPECT_LOGGED(LOG_INFORMATION, "Render system started");

    LogCapture::instance().clear();
    messageLog()->setListenerFullMessage(true);
    messageLog()->log(LOG_INFORMATION, "Render system started", ".\\RenderSystem\\RenderSystem", 17,
                      "RenderSystem::RenderSystem");
    EXPECT_LOGGED(LOG_INFORMATION, "RenderSystem::RenderSystem(17) - Render system started");
}

TEST_F(MessageLogTest, EachLevelGoesToItsListAndListenerOperation)
{
    messageLog()->log(LOG_ERROR, "String size: %i is greater than max length: %i", SOURCE, 840,
                      "STDFunctions::stringToLPCWSTR", 600, 512);
    messageLog()->log(LOG_WARNING, "careful with %s", SOURCE, 3, "Test::warn", "that");
    EXPECT_EQ("STDFunctions::stringToLPCWSTR(840) - String size: 600 is greater than max length: 512",
              messageLog()->getErrorMessages().back());
    EXPECT_EQ("Test::warn(3) - careful with that", messageLog()->getWarningMessages().back());
    EXPECT_LOGGED(LOG_ERROR, "String size: 600 is greater than max length: 512");
    EXPECT_LOGGED(LOG_WARNING, "careful with that");
    EXPECT_NOTHING_LOGGED(LOG_INFORMATION);
}

TEST_F(MessageLogTest, UnknownLevelIsNeitherStoredNorDelivered)
{
    const size_t stored = messageLog()->getInformationMessages().size() +
                          messageLog()->getWarningMessages().size() + messageLog()->getErrorMessages().size();
    messageLog()->log(5, "level five message", SOURCE, 5, "Test::levelFive");
    EXPECT_EQ(stored, messageLog()->getInformationMessages().size() +
                          messageLog()->getWarningMessages().size() +
                          messageLog()->getErrorMessages().size());
    EXPECT_TRUE(LogCapture::instance().entries().empty()) << LogCapture::instance().describe();
    ASSERT_TRUE(messageLog()->saveLog("log.txt"));
    EXPECT_EQ(std::string::npos, fileContents("log.txt").find("level five message"));
}

TEST_F(MessageLogTest, ListenerThatLogsDoesNotCorruptTheLineBeingDelivered)
{
    RecordingListener reentrant;
    RecordingListener later;
    messageLog()->addListener(&reentrant);
    messageLog()->addListener(&later);
    reentrant.m_logWhenCalled = true;
    messageLog()->log(LOG_WARNING, "outer message", SOURCE, 1, "Test::outer");
    messageLog()->removeListener(&reentrant);
    messageLog()->removeListener(&later);

    // The later listener hears the nested message first (it is delivered inside the outer call), then
    // the outer one unchanged.
    EXPECT_EQ((std::vector<std::string>{"logged from a listener", "outer message"}), later.m_heard);
    EXPECT_EQ("Test::outer(1) - outer message", messageLog()->getWarningMessages().back());
    EXPECT_EQ("Listener::information(2) - logged from a listener",
              messageLog()->getInformationMessages().back());
}

TEST_F(MessageLogTest, RemovedListenerHearsNothingMore)
{
    static RecordingListener leaving;
    const int id = messageLog()->addListener(&leaving);
    messageLog()->log(LOG_INFORMATION, "while registered", SOURCE, 1, "Test::leave");
    messageLog()->removeListener(&leaving);
    messageLog()->log(LOG_INFORMATION, "after removal", SOURCE, 1, "Test::leave");
    EXPECT_EQ(std::vector<std::string>{"while registered"}, leaving.m_heard);
    EXPECT_LOGGED(LOG_INFORMATION, "after removal");

    // Ids are never reused.
    static RecordingListener next;
    EXPECT_EQ(id + 1, messageLog()->addListener(&next));
    messageLog()->removeListener(&next);
}

// --- Line limits -------------------------------------------------------------------------------------

TEST_F(MessageLogTest, FormatTooLongForTheBufferGivesTheNotice)
{
    // 1000 characters of format and a 19-character function name leave no room for the prefix.
    messageLog()->log(LOG_INFORMATION, "an earlier message", SOURCE, 1, "Test::earlier");
    const std::string format = std::string(998, 'f') + "%s";
    messageLog()->log(LOG_WARNING, format.c_str(), SOURCE, 77, "STDFunctions::abcde", "");
    EXPECT_EQ("STDFunctions::abcde(77) - " + TOO_LONG_NOTICE, messageLog()->getWarningMessages().back());
    EXPECT_EQ((std::vector<std::string>{TOO_LONG_NOTICE}), LogCapture::instance().messages(LOG_WARNING));

    // One character less and it fits.
    const std::string fitting = std::string(997, 'f') + "%s";
    messageLog()->log(LOG_WARNING, fitting.c_str(), SOURCE, 77, "STDFunctions::abcde", "");
    EXPECT_EQ("STDFunctions::abcde(77) - " + std::string(997, 'f'),
              messageLog()->getWarningMessages().back());
}

TEST_F(MessageLogTest, ArgumentTooLongForTheBufferGivesTheNotice)
{
    const std::string argument(2000, 'a');
    messageLog()->log(LOG_ERROR, "short %s", SOURCE, 9, "Test::longArgument", argument.c_str());
    EXPECT_EQ("Test::longArgument(9) - " + TOO_LONG_NOTICE, messageLog()->getErrorMessages().back());
    EXPECT_LOGGED(LOG_ERROR, TOO_LONG_NOTICE);
}

TEST_F(MessageLogTest, LineOf1023CharactersFitsAndOneMoreDoesNot)
{
    // "F(1) - " takes 7 characters of the 1023.
    messageLog()->log(LOG_INFORMATION, "%s", SOURCE, 1, "F", std::string(1016, 'm').c_str());
    EXPECT_EQ("F(1) - " + std::string(1016, 'm'), messageLog()->getInformationMessages().back());
    messageLog()->log(LOG_INFORMATION, "%s", SOURCE, 1, "F", std::string(1017, 'm').c_str());
    EXPECT_EQ("F(1) - " + TOO_LONG_NOTICE, messageLog()->getInformationMessages().back());
}

TEST_F(MessageLogTest, PercentInAnArgumentIsNotAConversion)
{
    messageLog()->log(LOG_INFORMATION, "File: %s", SOURCE, 4, "Test::percent", "100%s %n.wtd");
    EXPECT_LOGGED(LOG_INFORMATION, "File: 100%s %n.wtd");
}

// --- Log file ----------------------------------------------------------------------------------------

TEST_F(MessageLogTest, EmptyLogFileIsExactly180Bytes)
{
    expectInFreshLog([] {
        const std::string expected = "0 Information messages\n" + RULE + "\n\n0 Warning messages\n" + RULE +
                                     "\n\n0 Error messages\n" + RULE;
        return messageLog()->saveLog("log.txt") && expected.size() == 180 &&
               expectEqual(expected, fileContents("log.txt"));
    });
}

TEST_F(MessageLogTest, EverySaveWritesEverythingStoredSoFar)
{
    expectInFreshLog([] {
        MessageLog* log = messageLog();
        log->log(LOG_INFORMATION, "first", SOURCE, 1, "Test::a");
        log->log(LOG_ERROR, "broken: %i", SOURCE, 2, "Test::b", 7);
        const std::string first = "1 Information messages\n" + RULE + "Test::a(1) - first\n" +
                                  "\n\n0 Warning messages\n" + RULE + "\n\n1 Error messages\n" + RULE +
                                  "Test::b(2) - broken: 7\n";
        if (!log->saveLog("first.txt") || !expectEqual(first, fileContents("first.txt")))
            return false;
        log->log(LOG_WARNING, "second", SOURCE, 3, "Test::c");
        const std::string second = "1 Information messages\n" + RULE + "Test::a(1) - first\n" +
                                   "\n\n1 Warning messages\n" + RULE + "Test::c(3) - second\n" +
                                   "\n\n1 Error messages\n" + RULE + "Test::b(2) - broken: 7\n";
        return log->saveLog("second.txt") && expectEqual(second, fileContents("second.txt"));
    });
}

TEST_F(MessageLogTest, SaveThatFailsHalfWayKeepsTheOldFile)
{
    expectInFreshLog([] {
        MessageLog* log = messageLog();
        if (!log->saveLog("log.txt"))
            return false;
        const std::string before = fileContents("log.txt");
        for (int i = 0; i < 100; ++i)
            log->log(LOG_INFORMATION, "%s", SOURCE, 1, "Test::fill", std::string(100, 'x').c_str());
        // No file may grow beyond 4096 bytes now: the new log cannot be written whole.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limits{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limits);
        if (log->saveLog("log.txt"))
            return false;
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator("."))
            names.insert(entry.path().filename().string());
        return expectEqual(before, fileContents("log.txt")) && names == std::set<std::string>{"log.txt"} &&
               expectEqual("STDFunctions::logFOpenError(416) - Unable to open the file stream: log.txt",
                           log->getErrorMessages().back());
    });
}

TEST_F(MessageLogTest, UnopenableLogFileLogsTwoErrorsAndFails)
{
    const size_t errors = messageLog()->getErrorMessages().size();
    EXPECT_FALSE(messageLog()->saveLog("missing\\100%s\\log.txt"));
    EXPECT_LOGGED(LOG_ERROR, "No such file or directory: missing\\100%s\\log.txt");
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "MessageLog::saveLog(228) - File stream is not open: missing\\100%s\\log.txt");
    ASSERT_EQ(errors + 2, messageLog()->getErrorMessages().size());
    // The reason comes first, then the notice.
    EXPECT_EQ("STDFunctions::logFOpenError(416) - No such file or directory: missing\\100%s\\log.txt",
              messageLog()->getErrorMessages()[errors]);
}

TEST_F(MessageLogTest, FailedWriteIsReportedNotTakenForSuccess)
{
    // /dev/full opens, but every write to it fails for want of space.
    if (!STDFunctions::pathExists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    EXPECT_FALSE(messageLog()->saveLog("/dev/full"));
    EXPECT_LOGGED(LOG_ERROR, "No space left on the device: /dev/full");
}
