#include "Common/MessageLog/MessageLog.h"

#include "Common/STDFunctions/PathSpelling.h"
#include "Common/SafeFile/FileReplacement.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
const char* const SOURCE_FILE = ".\\Common\\MessageLog\\MessageLog";
const char* const AUTO_SAVE_FILE = "log_auto_save.txt";
const size_t RESERVED_LINES = 300;
// What one line may hold: the buffer less its terminating NUL.
const int MAX_LINE_LENGTH = MessageLog::LINE_BUFFER_SIZE - 1;
// The prefix "(" + ") - " around the line number, counted against the format's length.
const size_t PREFIX_OVERHEAD = 5;

// A failed open is reported where the string and file helpers report it, for the log file and every
// other file alike.
const char* const OPEN_ERROR_SOURCE_FILE = ".\\Common\\STDFunctions\\STDFunctions";

struct OpenErrorReason
{
    int code;
    const char* reason;
};

// The reasons by symbolic name: the numbers differ between C runtimes.
const OpenErrorReason OPEN_ERROR_REASONS[] = {
    {ENOENT, "No such file or directory"},   {EIO, "I/O Error"},
    {ENOMEM, "Not enough memory"},           {EACCES, "Permission denied"},
    {EBUSY, "Device or resource busy"},      {ENFILE, "To many files open in the system"},
    {ENOSPC, "No space left on the device"}, {EROFS, "Read only file"},
    {ENAMETOOLONG, "Filename to long"},
};
const char* const UNKNOWN_OPEN_ERROR = "Unable to open the file stream";

// The instance lives until the process ends; register its clean-up before anything can use it.
struct ExitRegistration
{
    ExitRegistration() { std::atexit(&MessageLog::cleanUpAtExit); }
} s_exitRegistration;
} // namespace

MessageLog* MessageLog::s_instance = nullptr;

MessageLog::MessageLog()
    : m_nextListenerId(1883), m_noPrefix(false), m_keepInformation(true), m_keepWarnings(true),
      m_keepErrors(true), m_autoSaveOnError(false), m_listenerFullMessage(false), m_autoSaving(false)
{
    m_informationMessages.reserve(RESERVED_LINES);
    m_warningMessages.reserve(RESERVED_LINES);
    m_errorMessages.reserve(RESERVED_LINES);
    m_buffer[0] = '\0';
    m_messageBuffer[0] = '\0';
}

MessageLog* MessageLog::getInstance()
{
    if (s_instance == nullptr)
        s_instance = new MessageLog();
    return s_instance;
}

void MessageLog::cleanUpAtExit()
{
    delete s_instance;
    s_instance = nullptr;
}

int MessageLog::addListener(LogListener* listener)
{
    listener->m_listenerId = m_nextListenerId++;
    m_listeners.push_back(listener);
    return listener->m_listenerId;
}

void MessageLog::removeListener(LogListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void MessageLog::setListenerFullMessage(bool fullMessage)
{
    m_listenerFullMessage = fullMessage;
}

void MessageLog::log(LogLevel level, const char* format, const std::string& /*sourceFile*/, int line,
                     const char* function, ...)
{
    va_list arguments;
    va_start(arguments, function);
    const bool built = buildLine(format, line, function, arguments);
    va_end(arguments);
    if (!built)
        buildTooLongLine(line, function);

    // Copies: a listener that logs reuses the buffers and the message part.
    const std::string storedLine(m_buffer);
    const std::string message(m_lastMessage);
    deliver(level, storedLine, message);
}

bool MessageLog::buildLine(const char* format, int line, const char* function, va_list arguments)
{
    if (std::strlen(format) + std::strlen(function) + PREFIX_OVERHEAD >= LINE_BUFFER_SIZE)
        return false;
    const int messageLength = std::vsnprintf(m_messageBuffer, LINE_BUFFER_SIZE, format, arguments);
    if (messageLength < 0 || messageLength > MAX_LINE_LENGTH)
        return false;
    const int lineLength = m_noPrefix ? std::snprintf(m_buffer, LINE_BUFFER_SIZE, "%s", m_messageBuffer)
                                      : std::snprintf(m_buffer, LINE_BUFFER_SIZE, "%s(%i) - %s", function,
                                                      line, m_messageBuffer);
    if (lineLength < 0 || lineLength > MAX_LINE_LENGTH)
        return false;
    m_lastMessage = m_messageBuffer;
    return true;
}

void MessageLog::buildTooLongLine(int line, const char* function)
{
    // The notice always carries the prefix; a function name too long for the buffer is cut short.
    m_lastMessage = "MESSAGE PASSED WAS TO LONG, Increase the buffer size in MessageLog, current size: " +
                    std::to_string(LINE_BUFFER_SIZE);
    std::snprintf(m_buffer, LINE_BUFFER_SIZE, "%s(%i) - %s", function, line, m_lastMessage.c_str());
}

void MessageLog::deliver(LogLevel level, const std::string& line, const std::string& message)
{
    // Where each known level is kept and which listener operation hears of it; other levels are
    // dropped.
    const struct
    {
        std::vector<std::string>* lines;
        void (LogListener::*notify)(const std::string&);
        bool keep;
    } routes[] = {
        {&m_informationMessages, &LogListener::information, m_keepInformation},
        {&m_warningMessages, &LogListener::warning, m_keepWarnings},
        {&m_errorMessages, &LogListener::error, m_keepErrors},
    };
    if (level < LOG_INFORMATION || level > LOG_ERROR || !routes[level].keep)
        return;
    routes[level].lines->push_back(line);
    const auto notify = routes[level].notify;
    const std::string& delivered = m_listenerFullMessage ? line : message;
    // By index: a listener may register another listener while it is being called.
    for (size_t i = 0; i < m_listeners.size(); ++i)
        (m_listeners[i]->*notify)(delivered);
    if (level == LOG_ERROR && m_autoSaveOnError)
        autoSave();
}

void MessageLog::autoSave()
{
    if (m_autoSaving)
        return;
    m_autoSaving = true;
    saveLog(AUTO_SAVE_FILE);
    m_autoSaving = false;
}

void MessageLog::logFileOpenError(int error, const std::string& fileName)
{
    const char* reason = UNKNOWN_OPEN_ERROR;
    for (const OpenErrorReason& entry : OPEN_ERROR_REASONS)
        if (entry.code == error)
            reason = entry.reason;
    log(LOG_ERROR, "%s: %s", OPEN_ERROR_SOURCE_FILE, 416, "STDFunctions::logFOpenError", reason,
        fileName.c_str());
}

bool MessageLog::saveLog(const std::string& fileName)
{
    static const char* const RULE = "--------------------------------------\n";
    const struct
    {
        const char* gap;
        const char* level;
        const std::vector<std::string>* lines;
    } sections[] = {
        {"", "Information", &m_informationMessages},
        {"\n\n", "Warning", &m_warningMessages},
        {"\n\n", "Error", &m_errorMessages},
    };

    // Built in memory and written at once, replacing the file whole; a failed write is reported, never
    // taken for success.
    std::string contents;
    char heading[64];
    for (const auto& section : sections) {
        std::snprintf(heading, sizeof heading, "%s%i %s messages\n", section.gap,
                      static_cast<int>(section.lines->size()), section.level);
        contents += heading;
        contents += RULE;
        for (const std::string& line : *section.lines)
            contents += line + "\n";
    }

    FileReplacement file(PathSpelling::toFileSystem(fileName));
    if (!file.isOpen()) {
        logFileOpenError(file.error(), fileName);
        log(LOG_ERROR, "File stream is not open: %s", SOURCE_FILE, 228, "MessageLog::saveLog",
            fileName.c_str());
        return false;
    }
    file.stream().write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (file.commit())
        return true;
    logFileOpenError(file.error(), fileName);
    return false;
}
