#include "Backend/Settings.h"

#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/LittleEndian.h"
#include "Common/STDFunctions/PathSpelling.h"
#include "Common/SafeFile/FileReplacement.h"

#include <cstdint>
#include <fstream>
#include <sstream>

namespace
{
const char* const SOURCE_FILE = ".\\Backend\\Settings";

const int32_t DEFAULT_WINDOW_WIDTH = 800;
const int32_t DEFAULT_WINDOW_HEIGHT = 600;
const int32_t DEFAULT_MAIN_SASH = 300;
const int32_t DEFAULT_FILE_AREA_SASH = 340;
const int32_t DEFAULT_VIEWER_AREA_SASH = 340;

const int INTEGER_COUNT = 5;
const int FLAG_COUNT = 3;
const int STRING_COUNT = 11;

// The fields in file order. Loading fills a FileFields first and hands it to the members only when the
// whole file was read, so a broken file never leaves half-loaded settings behind.
struct FileFields
{
    int32_t integers[INTEGER_COUNT];
    bool flags[FLAG_COUNT];
    std::string strings[STRING_COUNT];
};

bool readBytes(std::istream& stream, unsigned char* bytes, std::streamsize count)
{
    stream.read(reinterpret_cast<char*>(bytes), count);
    return stream.gcount() == count;
}

bool readInt32(std::istream& stream, int32_t& value)
{
    unsigned char bytes[4];
    if (!readBytes(stream, bytes, sizeof(bytes)))
        return false;
    value = static_cast<int32_t>(LittleEndian::loadU32(bytes));
    return true;
}

void writeInt32(std::ostream& stream, int32_t value)
{
    unsigned char bytes[4];
    LittleEndian::storeU32(bytes, static_cast<uint32_t>(value));
    stream.write(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

// The members in the order the file stores them: the flags come before all the strings although the
// log flag is declared among them. Loading and saving both walk this one table.
struct FieldOrder
{
    int32_t* integers[INTEGER_COUNT];
    bool* flags[FLAG_COUNT];
    std::string* strings[STRING_COUNT];
};

FieldOrder fileOrder(Settings& settings)
{
    return FieldOrder{{&settings.m_windowWidth, &settings.m_windowHeight, &settings.m_mainSashPosition,
                       &settings.m_fileAreaSashPosition, &settings.m_viewerAreaSashPosition},
                      {&settings.m_fullLogMessages, &settings.m_confirmDelete, &settings.m_autoOpenLastFiles},
                      {&settings.m_openDirectory, &settings.m_newFileDirectory, &settings.m_saveDirectory,
                       &settings.m_recentFiles[0], &settings.m_recentFiles[1], &settings.m_recentFiles[2],
                       &settings.m_recentFiles[3], &settings.m_recentFiles[4], &settings.m_extractDirectory,
                       &settings.m_textureDirectory, &settings.m_spareString}};
}

bool readFields(std::istream& stream, FileFields& fields)
{
    for (int32_t& value : fields.integers)
        if (!readInt32(stream, value))
            return false;
    for (bool& flag : fields.flags) {
        unsigned char byte;
        if (!readBytes(stream, &byte, 1))
            return false;
        // Any non-zero byte is set; the file only ever gets 0 or 1 back.
        flag = byte != 0;
    }
    for (std::string& text : fields.strings)
        if (!Settings::readString(stream, text))
            return false;
    return true;
}

bool writeFields(std::ostream& stream, const FieldOrder& order)
{
    for (const int32_t* value : order.integers)
        writeInt32(stream, *value);
    for (const bool* flag : order.flags)
        stream.put(*flag ? 1 : 0);
    for (const std::string* text : order.strings)
        if (!Settings::writeString(stream, *text))
            return false;
    return true;
}
} // namespace

Settings::Settings(std::string path)
{
    setDefaults();
    m_filePath = path;
    if (m_filePath.empty())
        return;
    if (!loadFile()) {
        MessageLog::getInstance()->log(LOG_ERROR, "Settings file failed to load, default values will be used",
                                       SOURCE_FILE, 15, "Settings::Settings");
        setDefaults();
    }
}

Settings::~Settings() = default;

void Settings::resetWindowSizes()
{
    m_windowWidth = DEFAULT_WINDOW_WIDTH;
    m_windowHeight = DEFAULT_WINDOW_HEIGHT;
    m_mainSashPosition = DEFAULT_MAIN_SASH;
    m_fileAreaSashPosition = DEFAULT_FILE_AREA_SASH;
    m_viewerAreaSashPosition = DEFAULT_VIEWER_AREA_SASH;
}

void Settings::setDefaults()
{
    resetWindowSizes();
    m_openDirectory.clear();
    m_newFileDirectory.clear();
    m_saveDirectory.clear();
    for (std::string& recent : m_recentFiles)
        recent.clear();
    m_extractDirectory.clear();
    m_textureDirectory.clear();
    m_spareString.clear();
    m_fullLogMessages = true;
    m_confirmDelete = true;
    m_autoOpenLastFiles = true;
}

bool Settings::loadFile()
{
    std::fstream stream(PathSpelling::toFileSystem(m_filePath), std::ios::in | std::ios::binary);
    if (!m_stdFunctions->fileOpenCheck(stream, m_filePath, m_readOnly)) {
        MessageLog::getInstance()->log(LOG_ERROR, "Load canceled, stream not open: %s", SOURCE_FILE, 91,
                                       "Settings::loadFile", m_filePath.c_str());
        return false;
    }
    FileFields fields;
    if (!readFields(stream, fields)) {
        MessageLog::getInstance()->log(LOG_ERROR, "Load canceled, the file ends before its last setting: %s",
                                       SOURCE_FILE, 118, "Settings::loadFile", m_filePath.c_str());
        return false;
    }
    stream.close();

    const FieldOrder order = fileOrder(*this);
    for (int i = 0; i < INTEGER_COUNT; ++i)
        *order.integers[i] = fields.integers[i];
    for (int i = 0; i < FLAG_COUNT; ++i)
        *order.flags[i] = fields.flags[i];
    for (int i = 0; i < STRING_COUNT; ++i)
        order.strings[i]->swap(fields.strings[i]);

    m_modified = false;
    MessageLog::getInstance()->log(LOG_INFORMATION, "Loaded the settings file: %s", SOURCE_FILE, 123,
                                   "Settings::loadFile", m_filePath.c_str());
    return true;
}

bool Settings::saveFile(std::string path)
{
    if (m_readOnly) {
        MessageLog::getInstance()->log(
            LOG_ERROR, "Save canceled, file is read only, use \"turnOffReadOnly()\" to set file attributes",
            SOURCE_FILE, 34, "Settings::saveFile");
        return false;
    }
    const std::string target = path.empty() ? m_filePath : path;

    // The whole file is built first, so the file on disk is only replaced when there is something
    // complete to put in its place.
    std::ostringstream image(std::ios::out | std::ios::binary);
    if (!writeFields(image, fileOrder(*this))) {
        MessageLog::getInstance()->log(LOG_ERROR, "Save canceled, a setting is too long to store: %s",
                                       SOURCE_FILE, 36, "Settings::saveFile", target.c_str());
        return false;
    }

    FileReplacement file(PathSpelling::toFileSystem(target));
    if (!file.isOpen()) {
        MessageLog::getInstance()->log(LOG_ERROR, "Save canceled, stream not open: %s", SOURCE_FILE, 40,
                                       "Settings::saveFile", target.c_str());
        return false;
    }
    const std::string bytes = image.str();
    file.stream().write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.commit()) {
        MessageLog::getInstance()->log(LOG_ERROR, "Save failed, unable to write the settings file: %s",
                                       SOURCE_FILE, 72, "Settings::saveFile", target.c_str());
        return false;
    }

    m_modified = false;
    m_filePath = target;
    MessageLog::getInstance()->log(LOG_INFORMATION, "Wrote the settings file: %s", SOURCE_FILE, 76,
                                   "Settings::saveFile", target.c_str());
    return true;
}

bool Settings::readString(std::istream& stream, std::string& text)
{
    text.clear();
    int32_t count;
    if (!readInt32(stream, count))
        return false;
    // The string grows one byte per byte actually read, so a count larger than the rest of the file
    // costs no more than the file holds.
    for (int32_t i = 0; i < count; ++i) {
        const std::istream::int_type byte = stream.get();
        if (byte == std::istream::traits_type::eof())
            return false;
        if (byte == 0)
            break;
        text.push_back(static_cast<char>(byte));
    }
    return true;
}

bool Settings::writeString(std::ostream& stream, const std::string& text)
{
    // The count includes the closing 0 byte and must fit a signed 32-bit number.
    if (text.size() >= static_cast<size_t>(INT32_MAX))
        return false;
    writeInt32(stream, static_cast<int32_t>(text.size() + 1));
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    stream.put(0);
    return static_cast<bool>(stream);
}
