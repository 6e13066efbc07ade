#pragma once

#include <cstdint>
#include <fstream>
#include <istream>
#include <string>
#include <vector>

// The C runtime's error-code type, which glibc does not name.
typedef int errno_t;

// The shared string and file helpers. Widening and formatting use the two buffers of one
// reference-counted instance; the helpers that need no buffer are static.
class STDFunctions
{
public:
    static const int BUFFER_SIZE = 512;

    // Creates the instance on first use and counts a reference.
    static STDFunctions* getInstance();
    // Gives a reference back; frees the instance only after more releases than takes.
    static void release();
    // Registered with the exit handlers: frees the instance.
    static void cleanUpAtExit();
    // Whether the instance exists now (without taking a reference): for checks of its lifetime.
    static bool hasInstance();

    // The text widened byte by byte (zero extension) into the wide buffer, valid until the next
    // widening. A text of BUFFER_SIZE (512) characters or more logs an Error and yields "-", which
    // callers must treat as a failure, never as a file name: test the text's length against
    // BUFFER_SIZE rather than the result.
    const wchar_t* stringToLPCWSTR(const std::string& text);
    // printf-style formatting; an over-long format (502+) or result (512+) logs an Error and
    // returns the format unformatted.
    std::string createString(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Whether the stream is open; sets readOnly when the file at the path cannot be examined or has
    // no write permission bit.
    bool fileOpenCheck(std::fstream& stream, const std::string& path, bool& readOnly);
    // The path up to its last backslash (the whole path when it has none); an empty path leaves the
    // output unchanged.
    void getDirectory(const std::string& path, std::string& directory);

    // Whether a file or folder exists at the path (backslashes are taken as folder separators).
    static bool pathExists(const std::string& path);
    // What the file system says of the path (backslashes taken as folder separators): false when it
    // cannot be examined; otherwise whether it is a folder and whether it is read-only, i.e. has no
    // write permission bit at all (judged by the mode: for root every file is writable).
    static bool examinePath(const std::string& path, bool& folder, bool& readOnly);
    // Logs why a file open failed, by the error code's symbolic name.
    static void logFOpenError(const errno_t& error, const std::string& fileName);
    // The stream's length (0 when it cannot be reported); leaves the stream at its beginning.
    static uint32_t getFileSize(std::istream& stream);
    // Folds ASCII capitals only.
    static void toLower(std::string& text);
    static void trimLeft(std::string& text);
    static void trimRight(std::string& text);
    static void splitString(std::vector<std::string>& pieces, const std::string& text, char delimiter);
    static std::string lastToken(const std::string& text, char delimiter);
    // The last element of a backslash path, optionally without its extension.
    static std::string getFileName(const std::string& path, bool stripExtension);

    STDFunctions(const STDFunctions&) = delete;
    STDFunctions& operator=(const STDFunctions&) = delete;

private:
    STDFunctions() = default;

    static void logTooLongToWiden(size_t length);
    std::string logFormatTooLong(const char* format);

    static STDFunctions* s_instance;
    static int s_referenceCount;

    wchar_t m_wideBuffer[BUFFER_SIZE];
    char m_stringBuffer[BUFFER_SIZE];
};
