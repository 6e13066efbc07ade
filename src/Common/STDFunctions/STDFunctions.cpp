#include "Common/STDFunctions/STDFunctions.h"

#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/PathSpelling.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sys/stat.h>

namespace
{
const char* const SOURCE_FILE = ".\\Common\\STDFunctions\\STDFunctions";
// The longest format that createString accepts: shorter than the buffer, so there is room for the
// conversions to produce at least a little text.
const size_t MAX_FORMAT_LENGTH = 501;

struct ExitRegistration
{
    ExitRegistration() { std::atexit(&STDFunctions::cleanUpAtExit); }
} s_exitRegistration;
} // namespace

STDFunctions* STDFunctions::s_instance = nullptr;
int STDFunctions::s_referenceCount = 0;

STDFunctions* STDFunctions::getInstance()
{
    if (s_instance == nullptr)
        s_instance = new STDFunctions();
    ++s_referenceCount;
    return s_instance;
}

void STDFunctions::release()
{
    // Only more releases than takes free the instance: in balanced use it lives until exit, which
    // the static helpers that use it without a reference rely on.
    if (s_referenceCount-- <= 0)
        cleanUpAtExit();
}

void STDFunctions::cleanUpAtExit()
{
    delete s_instance;
    s_instance = nullptr;
}

bool STDFunctions::hasInstance()
{
    return s_instance != nullptr;
}

void STDFunctions::logTooLongToWiden(size_t length)
{
    MessageLog::getInstance()->log(LOG_ERROR, "String size: %i is greater than max length: %i", SOURCE_FILE,
                                   840, "STDFunctions::stringToLPCWSTR", static_cast<int>(length),
                                   BUFFER_SIZE);
}

const wchar_t* STDFunctions::stringToLPCWSTR(const std::string& text)
{
    if (text.size() >= static_cast<size_t>(BUFFER_SIZE)) {
        logTooLongToWiden(text.size());
        m_wideBuffer[0] = L'-';
        m_wideBuffer[1] = L'\0';
        return m_wideBuffer;
    }
    // Zero extension keeps every byte, so the wide string names the same bytes as the narrow one.
    for (size_t i = 0; i < text.size(); ++i)
        m_wideBuffer[i] = static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
    m_wideBuffer[text.size()] = L'\0';
    return m_wideBuffer;
}

std::string STDFunctions::logFormatTooLong(const char* format)
{
    MessageLog::getInstance()->log(
        LOG_ERROR,
        "Source string was longer then the maximum size allowed %i, increase the size of MSG_MAX_BUFFER_SIZE",
        SOURCE_FILE, 872, "STDFunctions::createString", BUFFER_SIZE);
    return format;
}

std::string STDFunctions::createString(const char* format, ...)
{
    if (std::strlen(format) > MAX_FORMAT_LENGTH)
        return logFormatTooLong(format);
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(m_stringBuffer, BUFFER_SIZE, format, arguments);
    va_end(arguments);
    if (length < 0 || length >= BUFFER_SIZE)
        return logFormatTooLong(format);
    return m_stringBuffer;
}

bool STDFunctions::fileOpenCheck(std::fstream& stream, const std::string& path, bool& readOnly)
{
    if (!stream.is_open())
        return false;
    bool folder = false;
    bool withoutWriteBits = false;
    bool examinable = false;
    if (path.size() >= static_cast<size_t>(BUFFER_SIZE))
        logTooLongToWiden(path.size());
    else
        examinable = examinePath(path, folder, withoutWriteBits);
    readOnly = !examinable || withoutWriteBits;
    if (readOnly)
        MessageLog::getInstance()->log(
            LOG_INFORMATION,
            "File is read only, this can be turned off via \"turnOffReadOnly()\" command: %s", SOURCE_FILE,
            741, "STDFunctions::fileOpenCheck", path.c_str());
    return true;
}

void STDFunctions::getDirectory(const std::string& path, std::string& directory)
{
    if (path.empty())
        return;
    const size_t separator = path.rfind('\\');
    directory = separator == std::string::npos ? path : path.substr(0, separator);
}

bool STDFunctions::pathExists(const std::string& path)
{
    // An over-long path is reported as the widening would report it, and answered as missing rather
    // than as a question about some other file.
    if (path.size() >= static_cast<size_t>(BUFFER_SIZE)) {
        logTooLongToWiden(path.size());
        return false;
    }
    bool folder = false;
    bool readOnly = false;
    return examinePath(path, folder, readOnly);
}

bool STDFunctions::examinePath(const std::string& path, bool& folder, bool& readOnly)
{
    struct stat status
    {
    };
    if (path.empty() || stat(PathSpelling::toFileSystem(path).c_str(), &status) != 0)
        return false;
    folder = S_ISDIR(status.st_mode);
    readOnly = (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return true;
}

void STDFunctions::logFOpenError(const errno_t& error, const std::string& fileName)
{
    MessageLog::getInstance()->logFileOpenError(error, fileName);
}

uint32_t STDFunctions::getFileSize(std::istream& stream)
{
    stream.seekg(0, std::ios::end);
    const std::streamoff end = stream.tellg();
    stream.seekg(0, std::ios::beg);
    const std::streamoff begin = stream.tellg();
    if (end < 0 || begin < 0 || end < begin)
        return 0;
    // A length beyond 32 bits is reported as the largest, never wrapped to a small one.
    const std::streamoff length = end - begin;
    const std::streamoff largest = std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(length > largest ? largest : length);
}

void STDFunctions::toLower(std::string& text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
}

void STDFunctions::trimLeft(std::string& text)
{
    text.erase(0, text.find_first_not_of('\t'));
    text.erase(0, text.find_first_not_of(' '));
}

void STDFunctions::trimRight(std::string& text)
{
    // npos + 1 wraps to 0, which empties a text made only of the trimmed character.
    text.erase(text.find_last_not_of('\t') + 1);
    text.erase(text.find_last_not_of(' ') + 1);
}

void STDFunctions::splitString(std::vector<std::string>& pieces, const std::string& text, char delimiter)
{
    pieces.clear();
    size_t start = 0;
    for (size_t found = text.find(delimiter); found != std::string::npos;
         found = text.find(delimiter, start)) {
        pieces.push_back(text.substr(start, found - start));
        start = found + 1;
    }
    if (start > 0 && start < text.size())
        pieces.push_back(text.substr(start));
    if (pieces.empty() && !text.empty())
        pieces.push_back(text);
    for (std::string& piece : pieces) {
        trimLeft(piece);
        trimRight(piece);
    }
    if (pieces.size() >= 2)
        while (!pieces.empty() && pieces.back().empty())
            pieces.pop_back();
}

std::string STDFunctions::lastToken(const std::string& text, char delimiter)
{
    if (text.empty())
        return text;
    std::vector<std::string> pieces;
    splitString(pieces, text, delimiter);
    return pieces.empty() ? text : pieces.back();
}

std::string STDFunctions::getFileName(const std::string& path, bool stripExtension)
{
    if (path.empty())
        return path;
    const std::string name = lastToken(path, '\\');
    if (!stripExtension)
        return name;
    std::vector<std::string> pieces;
    splitString(pieces, name, '.');
    if (pieces.size() < 2)
        return name;
    std::string stem = pieces.front();
    for (size_t i = 1; i + 1 < pieces.size(); ++i)
        stem += "." + pieces[i];
    return stem;
}
