#include "UI/MainWindow.h"

#include "Backend/BackEnd.h"
#include "Backend/Settings.h"
#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/PathSpelling.h"
#include "UI/Dialogs/SaveChangesRequest.h"
#include "UI/Dialogs/SaveChangesWindow.h"
#include "UI/Prompter.h"
#include "UI/WindowHelpers.h"
#include "UI/WindowIds.h"
#include "WTD/WTDFile.h"

#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <algorithm>

// The File menu's archive commands and the unsaved-changes check that runs before archives close.

namespace
{
const char* const SOURCE_FILE = ".\\MainWindow";

FileDialogRequest archiveDialog(wxWindow* parent, const wxString& message, const std::string& folder,
                                long style, const wxString& name)
{
    FileDialogRequest request;
    request.parent = parent;
    request.message = message;
    request.directory = WindowHelpers::pathToText(folder);
    request.wildcard = _("Texture archives (*.wtd)|*.wtd|All files (*.*)|*.*");
    request.style = style;
    request.name = name;
    return request;
}

std::string textToPath(const wxString& text)
{
    return std::string(text.utf8_str());
}

// The folder a file dialog starts in next time: the chosen file's folder.
std::string folderOf(const std::string& path)
{
    std::string folder;
    std::string name;
    PathSpelling::splitPath(path, folder, name);
    return folder;
}

bool contains(const std::vector<const WTDFile*>& files, const WTDFile* file)
{
    return std::find(files.begin(), files.end(), file) != files.end();
}
} // namespace

void MainWindow::newFile()
{
    if (!isBackEndReady())
        return;
    Settings* settings = m_backEnd->getSettings();
    wxArrayString paths;
    if (!Prompter::get().chooseFiles(archiveDialog(this, _("Create a new file"), settings->m_newFileDirectory,
                                                   wxFD_SAVE | wxFD_OVERWRITE_PROMPT, _("New")),
                                     paths) ||
        paths.empty()) {
        setStatus("Create new file canceled");
        return;
    }
    const std::string path = textToPath(paths[0]);
    MessageLog* log = MessageLog::getInstance();
    // Writing the empty archive over a file that is open would leave that archive without its file.
    if (m_backEnd->findOpenFile(path) != NO_SELECTION) {
        log->log(LOG_ERROR, "File already open: %s", SOURCE_FILE, 1179, "MainWindow::newFile", path.c_str());
        setStatus("Failed to save new file: " + WindowHelpers::pathToText(path));
        return;
    }
    wxBusyCursor busy;
    if (!WTDFile().saveFile(path, 0)) {
        log->log(LOG_ERROR, "Failed to save newly create file: %s", SOURCE_FILE, 1183, "MainWindow::newFile",
                 path.c_str());
        setStatus("Failed to save new file: " + WindowHelpers::pathToText(path));
        return;
    }
    if (!m_backEnd->openFile(path, true)) {
        log->log(LOG_ERROR, "Failed to open newly create file: %s", SOURCE_FILE, 1191, "MainWindow::newFile",
                 path.c_str());
        setStatus("Failed to open the new file: " + WindowHelpers::pathToText(path));
        return;
    }
    // The opening entered the path in the recent files, so the Recent items are relabelled too.
    refreshAfterOpen();
    settings->m_newFileDirectory = folderOf(path);
    log->log(LOG_INFORMATION, "Created the new file: %s", SOURCE_FILE, 1203, "MainWindow::newFile",
             path.c_str());
    setStatus("Created the new file: " + WindowHelpers::pathToText(path));
}

// A path that cannot be opened is skipped; the back end has logged why.
void MainWindow::openFile()
{
    if (!isBackEndReady())
        return;
    Settings* settings = m_backEnd->getSettings();
    wxArrayString paths;
    if (!Prompter::get().chooseFiles(archiveDialog(this, _("Open a file"), settings->m_openDirectory,
                                                   wxFD_OPEN | wxFD_MULTIPLE, _("Open")),
                                     paths)) {
        setStatus("Open file canceled");
        return;
    }
    {
        wxBusyCursor busy;
        showProgress(static_cast<int>(paths.size()));
        for (size_t i = 0; i < paths.size(); ++i) {
            m_backEnd->openFile(textToPath(paths[i]), true);
            setProgress(static_cast<int>(i));
        }
        hideProgress();
    }
    if (!paths.empty())
        settings->m_openDirectory = folderOf(textToPath(paths.Last()));
    refreshAfterOpen();
}

// Closes the archives of the selected rows. Several rows are asked about at once, in the dialog that
// lists every modified archive; a single row is asked about alone.
void MainWindow::closeFiles()
{
    if (!isBackEndReady())
        return;
    std::vector<const WTDFile*> kept;
    const bool askEach = WindowHelpers::selectedRows(m_fileList).size() <= 1;
    if (!askEach && !checkSaveChanges(-1, kept)) {
        setStatus("Close canceled");
        return;
    }
    int closed = 0;
    int stayed = 0;
    long item = -1;
    while (!WindowHelpers::selectedRows(m_fileList).empty()) {
        item = WindowHelpers::nextSelectedRow(m_fileList, item);
        // After a deletion the next selected row has moved up into the searched position: search again
        // from the top.
        if (item == -1)
            continue;
        if (askEach && !checkSaveChanges(static_cast<int>(item), kept)) {
            setStatus("Close canceled");
            return;
        }
        const uint32_t index = static_cast<uint32_t>(item);
        const bool keep = index < m_backEnd->getFileCount() && contains(kept, m_backEnd->getFile(index));
        // Deselected in every case: a row that stays is then searched past, and the list's count of
        // selected rows does not follow the deletion of a selected one.
        m_fileList->SetItemState(item, 0, wxLIST_STATE_SELECTED);
        if (keep)
            ++stayed;
        else if (m_backEnd->closeFile(index)) {
            m_fileList->DeleteItem(item);
            ++closed;
        }
    }
    updateFileList();
    updateTextureList();
    setClosedStatus(closed, stayed);
}

void MainWindow::closeAllFiles()
{
    if (!isBackEndReady())
        return;
    std::vector<const WTDFile*> kept;
    if (!checkSaveChanges(-1, kept)) {
        setStatus("Close canceled");
        return;
    }
    if (kept.empty()) {
        m_backEnd->closeAllFiles();
        m_fileList->DeleteAllItems();
        m_textureList->DeleteAllItems();
        setStatus("All files closed");
        return;
    }
    const int closed = closeArchivesExcept(kept);
    updateFileList();
    updateTextureList();
    setClosedStatus(closed, static_cast<int>(kept.size()));
}

int MainWindow::closeArchivesExcept(const std::vector<const WTDFile*>& kept)
{
    int closed = 0;
    for (uint32_t index = m_backEnd->getFileCount(); index-- > 0;) {
        if (!contains(kept, m_backEnd->getFile(index)) && m_backEnd->closeFile(index))
            ++closed;
    }
    return closed;
}

void MainWindow::setClosedStatus(int closed, int stayed)
{
    if (stayed > 0)
        setStatus(WindowHelpers::pathToText(m_stdFunctions->createString(
            "Closed %i files, %i stayed open because their changes could not be saved", closed, stayed)));
    else
        setStatus(WindowHelpers::pathToText(m_stdFunctions->createString("Closed %i files", closed)));
}

void MainWindow::saveFile()
{
    WTDFile* file = isBackEndReady() ? m_backEnd->getSelectedArchive() : nullptr;
    if (file == nullptr)
        return;
    setStatus("Saving files please wait....");
    m_statusText->Update();
    bool saved = false;
    {
        wxBusyCursor busy;
        saved = file->saveFile("", 0);
    }
    setStatus((saved ? "Saved file: " : "Failed to save file: ") +
              WindowHelpers::pathToText(file->getPath()));
    // Saving sorts the textures by name hash, even when the write then fails: the rows must follow.
    refreshFileList();
    m_backEnd->getSettings()->m_saveDirectory = folderOf(file->getPath());
}

void MainWindow::saveFileAs()
{
    if (!isBackEndReady() || m_backEnd->getSelectedArchive() == nullptr)
        return;
    Settings* settings = m_backEnd->getSettings();
    wxArrayString paths;
    if (!Prompter::get().chooseFiles(archiveDialog(this, _("Save file as"), settings->m_saveDirectory,
                                                   wxFD_SAVE | wxFD_OVERWRITE_PROMPT, _("Save")),
                                     paths) ||
        paths.empty())
        return;
    WTDFile* file = m_backEnd->getSelectedArchive();
    if (file == nullptr)
        return;
    const std::string path = textToPath(paths[0]);
    settings->m_saveDirectory = folderOf(path);
    // Two archives on one file would overwrite each other's saves.
    const uint32_t holder = m_backEnd->findOpenFile(path);
    if (holder != NO_SELECTION && m_backEnd->getFile(holder) != file) {
        MessageLog::getInstance()->log(
            LOG_ERROR, "Save as canceled, the file is already open as another archive: %s", SOURCE_FILE, 1250,
            "MainWindow::saveFileAs", m_backEnd->getFile(holder)->getPath().c_str());
        setStatus("Failed to save file as: " + WindowHelpers::pathToText(file->getPath()));
        return;
    }
    bool saved = false;
    {
        wxBusyCursor busy;
        saved = file->saveFile(path, 0);
    }
    setStatus((saved ? "Saved file as: " : "Failed to save file as: ") +
              WindowHelpers::pathToText(file->getPath()));
    refreshFileList();
}

// The explicit revert: unsaved changes are dropped without asking.
void MainWindow::reloadFile()
{
    OpenFileRecord* record = isBackEndReady() ? m_backEnd->getSelectedFile() : nullptr;
    if (record == nullptr)
        return;
    WTDFile* file = record->m_file.get();
    bool reloaded = false;
    {
        wxBusyCursor busy;
        reloaded = file->reloadFile();
    }
    // Reloaded, the archive is its file again; failed to load, it holds nothing that could be saved.
    if (reloaded || file->hasLoadFailed())
        file->setModified(false);
    if (record->m_selectedTexture >= m_backEnd->getTextureCount(m_backEnd->getSelectedFileIndex()))
        record->m_selectedTexture = 0;
    setStatus((reloaded ? "REloaded file: " : "Failed to REload file: ") +
              WindowHelpers::pathToText(file->getPath()));
    refreshFileList();
}

void MainWindow::openRecentFile(int index)
{
    if (!isBackEndReady() || index < 0 || index >= Settings::RECENT_FILE_COUNT)
        return;
    // A copy: the opening reorders the recent files.
    const std::string path = m_backEnd->getSettings()->m_recentFiles[index];
    if (path.empty())
        return;
    bool opened = false;
    {
        wxBusyCursor busy;
        opened = m_backEnd->openFile(path, true);
    }
    if (opened)
        refreshAfterOpen();
}

bool MainWindow::checkSaveChanges(int index, std::vector<const WTDFile*>& kept)
{
    if (!isBackEndReady())
        return true;
    if (index == -1)
        return offerSaveChanges(kept);
    return askSaveChanges(static_cast<uint32_t>(index), kept);
}

// Yes saves, No discards; Escape or the close box (Cancel) keeps the archive open.
bool MainWindow::askSaveChanges(uint32_t index, std::vector<const WTDFile*>& kept)
{
    if (index >= m_backEnd->getFileCount())
        return true;
    if (!m_backEnd->getFile(index)->isModified())
        return true;
    SaveChangesEntry entry;
    entry.path = m_backEnd->getFile(index)->getPath();
    entry.fileIndex = static_cast<int>(index);
    const int answer = Prompter::get().messageBox("Save changes to: " + WindowHelpers::pathToText(entry.path),
                                                  "Save changes?", wxYES_NO, nullptr);
    if (answer == wxCANCEL)
        return false;
    WTDFile* file = findArchive(entry);
    if (answer != wxYES || file == nullptr)
        return true;
    bool saved = false;
    {
        wxBusyCursor busy;
        saved = file->saveFile("", 0);
    }
    if (saved) {
        Prompter::get().messageBox("Saved!", "Saved!", wxOK, nullptr);
        return true;
    }
    kept.push_back(file);
    Prompter::get().messageBox("Failed to save the file!", "Save failed!", wxOK, nullptr);
    return true;
}

bool MainWindow::offerSaveChanges(std::vector<const WTDFile*>& kept)
{
    SaveChangesRequest request;
    for (uint32_t i = 0; i < m_backEnd->getFileCount(); ++i) {
        const WTDFile* file = m_backEnd->getFile(i);
        if (!file->isModified())
            continue;
        SaveChangesEntry entry;
        entry.path = file->getPath();
        entry.fileIndex = static_cast<int>(i);
        request.entries.push_back(entry);
    }
    if (request.entries.empty())
        return true;
    {
        SaveChangesWindow dialog(this, ID_SAVE_CHANGES_WINDOW, _("Save Changes - Varnel"), wxDefaultPosition,
                                 wxSize(400, 300), wxDEFAULT_DIALOG_STYLE | wxTAB_TRAVERSAL);
        dialog.m_request = &request;
        dialog.updateList();
        Prompter::get().showModal(dialog);
    }
    if (request.cancelled)
        return false;

    std::vector<WTDFile*> toSave;
    for (const SaveChangesEntry& entry : request.entries) {
        WTDFile* file = entry.save ? findArchive(entry) : nullptr;
        if (file != nullptr)
            toSave.push_back(file);
    }
    int saved = 0;
    int failed = 0;
    if (!toSave.empty()) {
        wxBusyCursor busy;
        showProgress(static_cast<int>(toSave.size()));
        for (size_t i = 0; i < toSave.size(); ++i) {
            if (toSave[i]->saveFile("", 0))
                ++saved;
            else {
                ++failed;
                kept.push_back(toSave[i]);
            }
            setProgress(static_cast<int>(i) + 1);
        }
        hideProgress();
    }
    if (failed > 0)
        Prompter::get().messageBox(WindowHelpers::pathToText(m_stdFunctions->createString(
                                       "Saved %i files, %i failed to save", saved, failed)),
                                   "Varnel", wxOK, nullptr);
    return true;
}

// The archive at the entry's index while it still has the entry's path; else the open archive with that
// path. Only archives open now are ever returned, so no save reaches a deleted one.
WTDFile* MainWindow::findArchive(const SaveChangesEntry& entry) const
{
    WTDFile* atIndex = m_backEnd->getFile(static_cast<uint32_t>(entry.fileIndex));
    if (atIndex != nullptr && atIndex->getPath() == entry.path)
        return atIndex;
    for (uint32_t i = 0; i < m_backEnd->getFileCount(); ++i) {
        if (m_backEnd->getFile(i)->getPath() == entry.path)
            return m_backEnd->getFile(i);
    }
    return nullptr;
}
