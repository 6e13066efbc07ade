#pragma once

#include "Common/MessageLog/LogLevel.h"
#include "Common/MessageLog/LogListener.h"

#include <cstdarg>
#include <string>
#include <vector>

// The process-wide log. Every message becomes one line "<function>(<line>) - <message>", is stored
// under its level and handed to every registered listener; saveLog writes all stored lines to a file.
class MessageLog
{
public:
    static const int LINE_BUFFER_SIZE = 1024;

    static MessageLog* getInstance();
    // Registered with the exit handlers: destroys the instance (never the listeners).
    static void cleanUpAtExit();

    // The function name is the last fixed argument; it is a const char* (callers pass literals such as
    // "BackEnd::openFile") because va_start is undefined on a reference parameter. Paths and names go
    // through "%s" so a '%' in them is never taken as a conversion.
    void log(LogLevel level, const char* format, const std::string& sourceFile, int line,
             const char* function, ...) __attribute__((format(printf, 3, 7)));

    // Gives the listener the next id (1883 for the first) and returns it.
    int addListener(LogListener* listener);
    // Unregisters a listener that is being destroyed (a window in a test run that builds many), so the
    // log never calls a dead one.
    void removeListener(LogListener* listener);
    void setListenerFullMessage(bool fullMessage);
    bool saveLog(const std::string& fileName);
    // Logs why a file could not be opened, by the error code's symbolic name, as the string and file
    // helpers have always reported it. It lives here so the log can report its own file without
    // depending on those helpers, which depend on the log.
    void logFileOpenError(int error, const std::string& fileName);

    // The stored lines of each level, oldest first.
    const std::vector<std::string>& getInformationMessages() const { return m_informationMessages; }
    const std::vector<std::string>& getWarningMessages() const { return m_warningMessages; }
    const std::vector<std::string>& getErrorMessages() const { return m_errorMessages; }

    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

private:
    MessageLog();

    bool buildLine(const char* format, int line, const char* function, va_list arguments)
        __attribute__((format(printf, 2, 0)));
    void buildTooLongLine(int line, const char* function);
    void deliver(LogLevel level, const std::string& line, const std::string& message);
    void autoSave();

    static MessageLog* s_instance;

    std::vector<std::string> m_informationMessages;
    std::vector<std::string> m_warningMessages;
    std::vector<std::string> m_errorMessages;
    char m_buffer[LINE_BUFFER_SIZE];
    // The message is formatted here, apart from the line, so the line is never built from itself.
    char m_messageBuffer[LINE_BUFFER_SIZE];
    std::vector<LogListener*> m_listeners;
    std::string m_lastMessage;
    int m_nextListenerId;
    const bool m_noPrefix;
    const bool m_keepInformation;
    const bool m_keepWarnings;
    const bool m_keepErrors;
    const bool m_autoSaveOnError;
    bool m_listenerFullMessage;
    // Stops an auto-save whose own failure is logged as an Error from saving again and again.
    bool m_autoSaving;
};
