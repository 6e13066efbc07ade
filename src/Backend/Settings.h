#pragma once

#include "Common/STDFunctions/DraveFile.h"

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

// Everything the editor remembers between runs, kept in one small binary file without header or
// version: five little-endian 32-bit integers, three flag bytes, then eleven counted strings. The user
// interface reads and writes the members in place; the back end saves them when it shuts down.
class Settings : public DraveFile
{
public:
    static const int RECENT_FILE_COUNT = 5;

    // Applies the defaults, then loads the file at the path when the path is not empty; a failed load
    // is logged and leaves the defaults.
    explicit Settings(std::string path);
    ~Settings() override;

    void resetWindowSizes();
    void setDefaults();
    // Reads the file at the path; false (members unchanged) when it cannot be opened, ends before its
    // last field, or holds a string that runs past its end.
    bool loadFile();
    // Writes every field to the path, or to the settings' own path when it is empty; refused while
    // the file is read-only.
    bool saveFile(std::string path = "");

    // A signed 32-bit count (length plus one), the bytes, one 0 byte. Reading stops at the count or at
    // a 0 byte, whichever comes first; a count below 1 is an empty string with nothing more read.
    // False when the stream ends before the string does.
    static bool readString(std::istream& stream, std::string& text);
    static bool writeString(std::ostream& stream, const std::string& text);

    int32_t m_windowWidth;
    int32_t m_windowHeight;
    int32_t m_mainSashPosition;
    int32_t m_fileAreaSashPosition;
    int32_t m_viewerAreaSashPosition;
    std::string m_openDirectory;
    std::string m_newFileDirectory;
    std::string m_saveDirectory;
    bool m_fullLogMessages;
    // Newest first; an empty string is a free slot.
    std::string m_recentFiles[RECENT_FILE_COUNT];
    std::string m_extractDirectory;
    std::string m_textureDirectory;
    // Stored and loaded with the others; nothing else uses it.
    std::string m_spareString;
    bool m_confirmDelete;
    bool m_autoOpenLastFiles;
};
