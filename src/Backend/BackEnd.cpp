#include "Backend/BackEnd.h"

#include "Backend/Settings.h"
#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/PathSpelling.h"
#include "Common/STDFunctions/STDFunctions.h"
#include "Platform/Direct3D.h"
#include "RenderSystem/RenderSystem.h"
#include "WTD/WTDFile.h"

#include <sys/stat.h>
#include <utility>

namespace
{
const char* const SOURCE_FILE = ".\\Backend\\BackEnd";
const char* const SETTINGS_FOLDER = "config";
const char* const SETTINGS_PATH = "config/varnel.bcf";

// Whether two paths reach the same file, whatever their spelling (relative, absolute, through a link).
bool isSameFile(const std::string& first, const std::string& second)
{
    struct stat firstStatus;
    struct stat secondStatus;
    if (stat(PathSpelling::toFileSystem(first).c_str(), &firstStatus) != 0 ||
        stat(PathSpelling::toFileSystem(second).c_str(), &secondStatus) != 0)
        return false;
    return firstStatus.st_dev == secondStatus.st_dev && firstStatus.st_ino == secondStatus.st_ino;
}
} // namespace

BackEnd::BackEnd(HWND renderTarget)
    : m_renderTarget(renderTarget), m_renderSystem(), m_stdFunctions(STDFunctions::getInstance()),
      m_settings(), m_selectedFileIndex(NO_SELECTION), m_renderSystemOK(true)
{
    m_settings = std::make_unique<Settings>(SETTINGS_PATH);
}

BackEnd::~BackEnd()
{
    // Every archive's textures must go before the device they were created on.
    m_files.clear();
    if (m_renderSystemOK) {
        if (m_renderSystem != nullptr && m_renderSystem->isInitialized())
            m_renderSystem->shutDown();
        m_renderSystem.reset();
        if (!STDFunctions::pathExists(std::string(SETTINGS_FOLDER) + "/"))
            CreateDirectoryA(SETTINGS_FOLDER, nullptr);
        m_settings->saveFile();
        m_settings.reset();
        MessageLog::getInstance()->log(LOG_INFORMATION, "Backend system shutdown", SOURCE_FILE, 49,
                                       "BackEnd::~BackEnd");
    }
    // Otherwise the render system never worked (or died) in this run: its settings are not worth
    // keeping. Both go before the helpers they use are given back.
    m_renderSystem.reset();
    m_settings.reset();
    STDFunctions::release();
    m_renderSystemOK = false;
}

bool BackEnd::isRenderSystemOK() const
{
    return m_renderSystemOK;
}

bool BackEnd::render()
{
    if (!m_renderSystemOK || m_renderSystem == nullptr)
        return false;
    const OpenFileRecord* selected = getSelectedFile();
    // The selected index was valid when it was set; the archive may have lost textures since.
    if (selected == nullptr || selected->m_selectedTexture >= selected->m_file->m_textures.size())
        return m_renderSystem->render(nullptr);
    return m_renderSystem->render(&selected->m_file->m_textures[selected->m_selectedTexture]);
}

bool BackEnd::openFile(std::string path, bool addToRecent)
{
    MessageLog* log = MessageLog::getInstance();
    if (!STDFunctions::pathExists(path)) {
        log->log(LOG_ERROR, "Unable to open file, invalid file path: %s", SOURCE_FILE, 138,
                 "BackEnd::openFile", path.c_str());
        return false;
    }
    if (findOpenFile(path) != NO_SELECTION) {
        log->log(LOG_ERROR, "File already open: %s", SOURCE_FILE, 153, "BackEnd::openFile", path.c_str());
        return false;
    }
    // Every texture is created on the device; without one nothing can be loaded.
    if (!m_renderSystemOK || m_renderSystem == nullptr || !m_renderSystem->isInitialized()) {
        log->log(LOG_ERROR, "Unable to open file, the render system is not running: %s", SOURCE_FILE, 160,
                 "BackEnd::openFile", path.c_str());
        return false;
    }

    std::unique_ptr<OpenFileRecord> record = std::make_unique<OpenFileRecord>();
    record->m_file = std::make_unique<WTDFile>(path, *m_renderSystem->getDevice(), WTDFile::WHOLE_FILE, 0);
    if (record->m_file->hasLoadFailed())
        return false;
    m_files.push_back(std::move(record));
    if (m_selectedFileIndex == NO_SELECTION)
        m_selectedFileIndex = 0;
    if (addToRecent)
        addRecentFile();
    return true;
}

uint32_t BackEnd::findOpenFile(const std::string& path) const
{
    for (size_t i = 0; i < m_files.size(); ++i) {
        if (isSameFile(path, m_files[i]->m_file->getPath()))
            return static_cast<uint32_t>(i);
    }
    return NO_SELECTION;
}

bool BackEnd::closeFile(uint32_t index)
{
    if (index >= getFileCount()) {
        MessageLog::getInstance()->log(LOG_ERROR, "Index %i is outside the number of files available: %i",
                                       SOURCE_FILE, 192, "BackEnd::closeFile", static_cast<int>(index),
                                       static_cast<int>(getFileCount()));
        return false;
    }
    m_files.erase(m_files.begin() + index);
    // The same number now names the archive that followed the closed one.
    if (m_files.empty())
        m_selectedFileIndex = NO_SELECTION;
    else if (m_selectedFileIndex >= getFileCount())
        m_selectedFileIndex = 0;
    return true;
}

void BackEnd::closeAllFiles()
{
    const uint32_t count = getFileCount();
    m_files.clear();
    m_selectedFileIndex = NO_SELECTION;
    MessageLog::getInstance()->log(LOG_INFORMATION, "Closed %i files", SOURCE_FILE, 224,
                                   "BackEnd::closeAllFiles", static_cast<int>(count));
}

uint32_t BackEnd::getFileCount() const
{
    return static_cast<uint32_t>(m_files.size());
}

uint32_t BackEnd::getSelectedFileIndex() const
{
    return m_selectedFileIndex;
}

bool BackEnd::setSelectedFileIndex(const uint32_t& index)
{
    if (index >= getFileCount()) {
        MessageLog::getInstance()->log(LOG_ERROR, "Index: %i is outside the textures list size: %i",
                                       SOURCE_FILE, 268, "BackEnd::setSelectedFileIndex",
                                       static_cast<int>(index), static_cast<int>(getFileCount()));
        return false;
    }
    m_selectedFileIndex = index;
    return true;
}

OpenFileRecord* BackEnd::getSelectedFile() const
{
    if (m_selectedFileIndex == NO_SELECTION || m_selectedFileIndex >= getFileCount())
        return nullptr;
    return m_files[m_selectedFileIndex].get();
}

bool BackEnd::setSelectedTexture(const uint32_t& index)
{
    OpenFileRecord* selected = getSelectedFile();
    if (selected == nullptr)
        return true;
    const size_t textureCount = selected->m_file->m_textures.size();
    if (index >= textureCount) {
        MessageLog::getInstance()->log(LOG_ERROR, "Index %i is outside the texture list size: %i",
                                       SOURCE_FILE, 299, "BackEnd::setSelectedTexture",
                                       static_cast<int>(index), static_cast<int>(textureCount));
        return false;
    }
    selected->m_selectedTexture = index;
    return true;
}

void BackEnd::selectLastFile()
{
    m_selectedFileIndex = m_files.empty() ? NO_SELECTION : getFileCount() - 1;
}

WTDFile* BackEnd::getFile(uint32_t index) const
{
    return index < getFileCount() ? m_files[index]->m_file.get() : nullptr;
}

WTDFile* BackEnd::getSelectedArchive() const
{
    return getFile(m_selectedFileIndex);
}

std::string BackEnd::getFileName(uint32_t index) const
{
    const WTDFile* file = getFile(index);
    if (file == nullptr)
        return std::string();
    // splitPath takes both the file dialogs' '/' and the system's '\\' as separators.
    std::string folder;
    std::string name;
    PathSpelling::splitPath(file->getPath(), folder, name);
    return name;
}

uint32_t BackEnd::getTextureCount(uint32_t index) const
{
    const WTDFile* file = getFile(index);
    return file == nullptr ? 0 : static_cast<uint32_t>(file->m_textures.size());
}

bool BackEnd::getTextureRow(uint32_t index, TextureRow& row) const
{
    const WTDFile* file = getSelectedArchive();
    if (file == nullptr || index >= file->m_textures.size())
        return false;
    const TextureEntry& entry = file->m_textures[index];
    row.name = entry.name;
    row.format = entry.record.format;
    row.dimensions = m_stdFunctions->createString("%i x %i", entry.record.width, entry.record.height);
    return true;
}

bool BackEnd::renameTexture(uint32_t index, const std::string& name)
{
    WTDFile* file = getSelectedArchive();
    if (file == nullptr || index >= file->m_textures.size())
        return false;
    file->m_textures[index].name = name;
    file->setModified(true);
    return true;
}

Settings* BackEnd::getSettings() const
{
    return m_settings.get();
}

void BackEnd::addRecentFile()
{
    if (m_files.empty())
        return;
    std::string* recent = m_settings->m_recentFiles;
    const std::string path = m_files.back()->m_file->getPath();
    // A listed path moves to the front; otherwise the oldest entry drops off.
    int position = Settings::RECENT_FILE_COUNT - 1;
    for (int i = 0; i < Settings::RECENT_FILE_COUNT; ++i) {
        if (recent[i] == path) {
            position = i;
            break;
        }
    }
    for (int i = position; i > 0; --i)
        recent[i] = recent[i - 1];
    recent[0] = path;
}
