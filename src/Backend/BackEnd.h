#pragma once

#include "Backend/OpenFileRecord.h"
#include "Backend/ReopenRecord.h"
#include "Backend/TextureRow.h"
#include "Platform/Direct3D/D3D9Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RenderSystem;
class Settings;
class STDFunctions;
class WTDFile;

// The selected-file index that means no archive is selected.
const uint32_t NO_SELECTION = 2731983;

// Stands between the user interface and the archives: owns the open archives (in opening order), the
// selection, the settings with the recent files, and the render system on which every archive's
// textures live. Restarting the render system keeps every open archive, unsaved changes included.
class BackEnd
{
public:
    // The render target is the render panel's window; it is not owned. The render system is started
    // by initialize, not here.
    explicit BackEnd(HWND renderTarget);
    ~BackEnd();

    BackEnd(const BackEnd&) = delete;
    BackEnd& operator=(const BackEnd&) = delete;

    // Starts the render system once after construction; on failure the back end refuses all work.
    bool initialize();
    bool startRenderSystem();
    // Writes every open archive to a temporary copy, closes them, starts a new render system on the
    // window's current size and reopens the copies under their own paths. When a copy cannot be
    // written, nothing is closed and the result is false. Does nothing (true) once the render system
    // is down for good.
    bool restartRenderSystem();
    bool isRenderSystemOK() const;

    // Draws the selected texture of the selected archive (or an empty frame); false when the device
    // was lost or the render system is down.
    bool render();

    bool openFile(std::string path, bool addToRecent);
    // The index of the open archive that is the file at the path, whatever the path's spelling
    // (relative, absolute, through a link); NO_SELECTION when none is, or nothing stands at the path.
    uint32_t findOpenFile(const std::string& path) const;
    bool closeFile(uint32_t index);
    void closeAllFiles();
    uint32_t getFileCount() const;

    uint32_t getSelectedFileIndex() const;
    bool setSelectedFileIndex(const uint32_t& index);
    // Null when no archive is selected.
    OpenFileRecord* getSelectedFile() const;
    bool setSelectedTexture(const uint32_t& index);
    void selectLastFile();

    // What the lists show, asked by row. The lists ask about rows that may just have gone: an index
    // without an archive or texture answers null, an empty name, 0 or false, and logs nothing.
    // The archive of a file-list row, and the selected one.
    WTDFile* getFile(uint32_t index) const;
    WTDFile* getSelectedArchive() const;
    // The file name of the archive's path (extension kept), which labels its row.
    std::string getFileName(uint32_t index) const;
    uint32_t getTextureCount(uint32_t index) const;
    // The texts of a texture-list row: texture index of the selected archive.
    bool getTextureRow(uint32_t index, TextureRow& row) const;
    // Gives texture index of the selected archive the name exactly as given (no other check: names may
    // be empty or repeat) and marks the archive changed.
    bool renameTexture(uint32_t index, const std::string& name);

    Settings* getSettings() const;
    // Puts the path of the archive opened last at the head of the recent files.
    void addRecentFile();

    // The open archives in opening order; row i of the file list is entry i.
    std::vector<std::unique_ptr<OpenFileRecord>> m_files;

private:
    // The restart's steps. A copy goes to "temp/varnel/<file name>", or to "<name>~N<extension>" there
    // when something already stands at that name; the name is claimed by creating the file. False when
    // no name can be created at all.
    static bool claimTemporaryPath(const std::string& path, std::string& tempPath);
    // False when a copy could not be written; every archive then has its own path, offset and flag back.
    bool writeTemporaryCopies(std::vector<ReopenRecord>& records);
    bool cancelRestart(const std::vector<ReopenRecord>& records, const std::string& failedCopy);
    void restoreOpenFiles(const std::vector<ReopenRecord>& records);
    static void restoreFile(WTDFile& file, const ReopenRecord& record);
    // Which records' archives are open again, in record order.
    std::vector<bool> reopenTemporaryCopies(const std::vector<ReopenRecord>& records);
    // Removes the copies, except the copy of a changed archive that is not open (isOpen false): its
    // unsaved changes survive there, and the log says where.
    static void removeTemporaryCopies(const std::vector<ReopenRecord>& records,
                                      const std::vector<bool>& isOpen);

    HWND m_renderTarget;
    std::unique_ptr<RenderSystem> m_renderSystem;
    STDFunctions* m_stdFunctions;
    std::unique_ptr<Settings> m_settings;
    uint32_t m_selectedFileIndex;
    bool m_renderSystemOK;
};
