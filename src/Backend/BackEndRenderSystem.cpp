#include "Backend/BackEnd.h"

#include "Backend/ReopenRecord.h"
#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/PathSpelling.h"
#include "Common/STDFunctions/STDFunctions.h"
#include "Common/SafeFile/SafeFile.h"
#include "Platform/Direct3D.h"
#include "RenderSystem/RenderSystem.h"
#include "WTD/WTDFile.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace
{
const char* const SOURCE_FILE = ".\\Backend\\BackEnd";
const char* const TEMP_FOLDER = "temp";
const char* const COPY_FOLDER = "temp/varnel";

// Whether anything at all stands at the path, a dangling link included.
bool isOccupied(const std::string& path)
{
    struct stat status;
    return lstat(PathSpelling::toFileSystem(path).c_str(), &status) == 0;
}

enum class Claim
{
    CLAIMED,
    TAKEN,
    IMPOSSIBLE
};

// Creates the file empty, unless anything at all already stands at the path: a copy is then written
// over a file that is this restart's own, never over a user's file or another program's copy.
Claim claimFile(const std::string& path)
{
    if (SafeFile::claim(PathSpelling::toFileSystem(path)))
        return Claim::CLAIMED;
    return errno == EEXIST ? Claim::TAKEN : Claim::IMPOSSIBLE;
}
} // namespace

bool BackEnd::initialize()
{
    const bool started = startRenderSystem();
    if (!started)
        m_renderSystemOK = false;
    return started;
}

bool BackEnd::startRenderSystem()
{
    // A null window has no client area: the device then picks its own size and renders into memory.
    RECT client = {0, 0, 0, 0};
    GetClientRect(m_renderTarget, &client);
    m_renderSystem =
        std::make_unique<RenderSystem>(m_renderTarget, static_cast<float>(client.bottom - client.top),
                                       static_cast<float>(client.right - client.left));
    if (!m_renderSystem->isInitialized())
        MessageLog::getInstance()->log(LOG_ERROR, "Backend render system failed to init", SOURCE_FILE, 87,
                                       "BackEnd::startRenderSystem");
    return m_renderSystem->isInitialized();
}

bool BackEnd::restartRenderSystem()
{
    if (!m_renderSystemOK)
        return true;
    if (!STDFunctions::pathExists(std::string(TEMP_FOLDER) + "/"))
        CreateDirectoryA(TEMP_FOLDER, nullptr);
    if (!STDFunctions::pathExists(std::string(COPY_FOLDER) + "/"))
        CreateDirectoryA(COPY_FOLDER, nullptr);

    std::vector<ReopenRecord> records;
    if (!writeTemporaryCopies(records))
        return false;

    closeAllFiles();
    if (m_renderSystem != nullptr)
        m_renderSystem->shutDown();
    m_renderSystem.reset();

    const bool started = startRenderSystem();
    std::vector<bool> reopened(records.size(), false);
    if (started) {
        reopened = reopenTemporaryCopies(records);
        MessageLog::getInstance()->log(LOG_INFORMATION, "Render system reinitialization complete",
                                       SOURCE_FILE, 490, "BackEnd::restartRenderSystem");
    } else {
        MessageLog::getInstance()->log(LOG_ERROR, "Render system failed to restart! Unable to continue",
                                       SOURCE_FILE, 484, "BackEnd::restartRenderSystem");
        m_renderSystemOK = false;
    }
    removeTemporaryCopies(records, reopened);
    return started;
}

bool BackEnd::claimTemporaryPath(const std::string& path, std::string& tempPath)
{
    std::string folder;
    std::string name;
    PathSpelling::splitPath(path, folder, name);
    // "name~1.ext", "name~2.ext", ...: the extension stays last.
    const size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string();
    for (unsigned number = 0;; ++number) {
        const std::string numbered = stem + "~" + std::to_string(number) + extension;
        tempPath = std::string(COPY_FOLDER) + "/" + (number == 0 ? name : numbered);
        const Claim claim = claimFile(tempPath);
        if (claim != Claim::TAKEN)
            return claim == Claim::CLAIMED;
    }
}

bool BackEnd::writeTemporaryCopies(std::vector<ReopenRecord>& records)
{
    for (const std::unique_ptr<OpenFileRecord>& open : m_files) {
        WTDFile* file = open->m_file.get();
        ReopenRecord record;
        record.m_originalPath = file->getPath();
        record.m_fileOffset = file->getFileOffset();
        record.m_modified = file->isModified();
        if (file->hasLoadFailed()) {
            // Nothing of it is in memory, and an archive that failed to load is never saved.
            record.m_tempPath = record.m_originalPath;
            records.push_back(record);
            continue;
        }
        if (!claimTemporaryPath(record.m_originalPath, record.m_tempPath))
            return cancelRestart(records, record.m_tempPath);
        record.m_copied = true;
        records.push_back(record);

        file->setPath(record.m_tempPath);
        file->setFileOffset(0);
        if (!file->saveFile("", 0))
            return cancelRestart(records, record.m_tempPath);
    }
    return true;
}

bool BackEnd::cancelRestart(const std::vector<ReopenRecord>& records, const std::string& failedCopy)
{
    // Closing now would lose the archives' changes: put everything back as it was.
    restoreOpenFiles(records);
    removeTemporaryCopies(records, std::vector<bool>(records.size(), true));
    MessageLog::getInstance()->log(LOG_ERROR,
                                   "Render system restart canceled, unable to write the temporary copy: %s",
                                   SOURCE_FILE, 466, "BackEnd::restartRenderSystem", failedCopy.c_str());
    return false;
}

void BackEnd::restoreOpenFiles(const std::vector<ReopenRecord>& records)
{
    for (size_t i = 0; i < records.size() && i < m_files.size(); ++i)
        restoreFile(*m_files[i]->m_file, records[i]);
}

void BackEnd::restoreFile(WTDFile& file, const ReopenRecord& record)
{
    file.setPath(record.m_originalPath);
    file.setFileOffset(record.m_fileOffset);
    file.setModified(record.m_modified);
}

std::vector<bool> BackEnd::reopenTemporaryCopies(const std::vector<ReopenRecord>& records)
{
    std::vector<bool> reopened;
    for (const ReopenRecord& record : records) {
        reopened.push_back(openFile(record.m_tempPath, false));
        if (reopened.back())
            restoreFile(*m_files.back()->m_file, record);
        else
            MessageLog::getInstance()->log(LOG_ERROR, "Filed to open file during restore: %s", SOURCE_FILE,
                                           478, "BackEnd::restartRenderSystem", record.m_tempPath.c_str());
    }
    return reopened;
}

void BackEnd::removeTemporaryCopies(const std::vector<ReopenRecord>& records, const std::vector<bool>& isOpen)
{
    for (size_t i = 0; i < records.size(); ++i) {
        const ReopenRecord& record = records[i];
        if (!record.m_copied)
            continue;
        // The copy of a changed archive that is no longer open is all that is left of its changes.
        if (record.m_modified && !isOpen[i] && isOccupied(record.m_tempPath)) {
            MessageLog::getInstance()->log(LOG_ERROR, "Unsaved changes of %s were kept in %s", SOURCE_FILE,
                                           496, "BackEnd::restartRenderSystem", record.m_originalPath.c_str(),
                                           record.m_tempPath.c_str());
            continue;
        }
        // Each copy's file was created by this restart, so removing it never removes a user's file.
        std::remove(PathSpelling::toFileSystem(record.m_tempPath).c_str());
    }
}
