// The Textures menu's commands: Add, Replace, Extract, Extract All, Delete and Generate MipMaps. Each
// works on the selected archive through the archive's per-texture operations, counts what they did and
// reports it in the status text and the log. No toolkit events are processed inside a command's loop:
// a render-system restart would close and reopen the archive under it.
#include "UI/MainWindow.h"

#include "Backend/BackEnd.h"
#include "Backend/Settings.h"
#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/PathSpelling.h"
#include "Common/STDFunctions/STDFunctions.h"
#include "UI/Dialogs/AddTexturesWindow.h"
#include "UI/Dialogs/ReplaceWindow.h"
#include "UI/Prompter.h"
#include "UI/WindowHelpers.h"
#include "UI/WindowIds.h"
#include "WTD/WTDFile.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <numeric>
#include <set>

namespace
{
const char* const LOG_SOURCE = ".\\MainWindow";

FolderDialogRequest extractFolderRequest(wxWindow* parent, const Settings* settings)
{
    FolderDialogRequest request;
    request.parent = parent;
    request.message = "Select extract destination";
    request.directory = WindowHelpers::pathToText(settings->m_extractDirectory);
    request.style = wxDD_DEFAULT_STYLE;
    return request;
}
} // namespace

WTDFile* MainWindow::commandArchive() const
{
    return isBackEndReady() ? m_backEnd->getSelectedArchive() : nullptr;
}

MainWindow::StepCount MainWindow::runSteps(size_t count, bool withGauge,
                                           const std::function<bool(size_t)>& step)
{
    wxBusyCursor busy;
    StepCount done;
    if (withGauge)
        showProgress(static_cast<int>(count));
    holdLogPane();
    for (size_t i = 0; i < count; ++i) {
        if (withGauge)
            setProgress(static_cast<int>(i));
        if (step(i))
            ++done.ok;
        else
            ++done.failed;
    }
    releaseLogPane();
    if (withGauge)
        hideProgress();
    return done;
}

void MainWindow::addTextures()
{
    WTDFile* file = commandArchive();
    if (file == nullptr)
        return;
    AddTexturesWindow dialog(this, ID_ADD_TEXTURES_WINDOW, _("Add Textures - Varnel"), wxDefaultPosition,
                             wxSize(400, 300), wxDEFAULT_DIALOG_STYLE | wxTAB_TRAVERSAL);
    AddTexturesRequest request;
    dialog.m_settings = m_backEnd->getSettings();
    dialog.m_request = &request;
    Prompter::get().showModal(dialog);
    if (request.cancelled) {
        setStatus("Add textures canceled");
        return;
    }
    if (request.entries.empty()) {
        setStatus("No textures to add");
        return;
    }
    const std::vector<AddTextureEntry>& entries = request.entries;
    const StepCount added = runSteps(
        entries.size(), true, [&](size_t i) { return file->addTexture(entries[i].path, entries[i].name); });
    setStatus(WindowHelpers::pathToText(
        added.failed > 0 ? m_stdFunctions->createString("%i Added ok, %i Failed to be added to the archive",
                                                        added.ok, added.failed)
                         : m_stdFunctions->createString("Added %i textures to the archive", added.ok)));
    MessageLog::getInstance()->log(LOG_INFORMATION,
                                   "Textures added to the archive, Fail count: %i, OK count: %i", LOG_SOURCE,
                                   1496, "MainWindow::addTextures", added.failed, added.ok);
    updateTextureList();
    refreshFileList();
}

void MainWindow::replaceTextures()
{
    WTDFile* file = commandArchive();
    const std::vector<long> rows = WindowHelpers::selectedRows(m_textureList);
    if (file == nullptr || rows.empty())
        return;
    ReplaceRequest request;
    for (const long row : rows) {
        ReplaceEntry entry;
        TextureRow texture;
        m_backEnd->getTextureRow(static_cast<uint32_t>(row), texture);
        entry.textureName = texture.name;
        entry.textureIndex = static_cast<int>(row);
        request.entries.push_back(entry);
    }
    ReplaceWindow dialog(this, ID_REPLACE_WINDOW, _("Replace Textures - Varnel"), wxDefaultPosition,
                         wxSize(400, 300), wxDEFAULT_DIALOG_STYLE | wxTAB_TRAVERSAL);
    dialog.m_settings = m_backEnd->getSettings();
    dialog.m_request = &request;
    dialog.updateList();
    Prompter::get().showModal(dialog);
    if (request.cancelled) {
        setStatus("Replace textures canceled");
        return;
    }
    const std::vector<ReplaceEntry>& entries = request.entries;
    // A texture left without a file is skipped: it counts as done for the loop and apart for the user.
    const int skipped = static_cast<int>(std::count_if(
        entries.begin(), entries.end(), [](const ReplaceEntry& entry) { return entry.path.empty(); }));
    const StepCount done = runSteps(entries.size(), true, [&](size_t i) {
        return entries[i].path.empty() ||
               file->replaceTexture(entries[i].path, static_cast<uint32_t>(entries[i].textureIndex));
    });
    const int replaced = done.ok - skipped;
    setStatus(WindowHelpers::pathToText(
        done.failed > 0
            ? m_stdFunctions->createString("Replaced %i textures, %i skipped, %i Failed", replaced, skipped,
                                           done.failed)
            : m_stdFunctions->createString("Replaced %i textures, %i skipped", replaced, skipped)));
    MessageLog::getInstance()->log(LOG_INFORMATION, "Textures replaced: %i OK, %i Failed, %i Skipped",
                                   LOG_SOURCE, 1784, "MainWindow::replaceTextures", replaced, done.failed,
                                   skipped);
    refreshFileList();
}

void MainWindow::extractTextures()
{
    if (!isBackEndReady() || m_backEnd->getFileCount() == 0)
        return;
    const size_t selected = WindowHelpers::selectedRows(m_textureList).size();
    if (selected == 1)
        extractSingleTexture();
    else if (selected > 1)
        extractMultipleTextures();
}

// The texture extracted is the one the preview shows. Its name is proposed only when it can be a file
// name.
void MainWindow::extractSingleTexture()
{
    OpenFileRecord* record = m_backEnd->getSelectedFile();
    if (record == nullptr) {
        MessageLog::getInstance()->log(LOG_ERROR, "No active file to extract from", LOG_SOURCE, 1606,
                                       "MainWindow::extractSingleTexture");
        setStatus("No active file to extract from");
        return;
    }
    Settings* settings = m_backEnd->getSettings();
    const uint32_t index = record->m_selectedTexture;
    TextureRow texture;
    FileDialogRequest request;
    request.parent = this;
    request.message = _("Extract texture");
    request.directory = WindowHelpers::pathToText(settings->m_extractDirectory);
    if (m_backEnd->getTextureRow(index, texture) && WTDFile::isSafeFileName(texture.name))
        request.defaultFile = WindowHelpers::nameToText(texture.name);
    request.wildcard = _("DirectX Textures (*.dds)|*.dds|All files (*.*)|*.*");
    request.style = wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
    wxArrayString paths;
    if (!Prompter::get().chooseFiles(request, paths) || paths.empty()) {
        setStatus("Extract texture canceled");
        return;
    }
    std::string folder;
    std::string name;
    PathSpelling::splitPath(std::string(paths[0].utf8_str()), folder, name);
    wxBusyCursor busy;
    if (record->m_file->extractTexture(index, folder, name)) {
        setStatus("Extracted texture as: " + paths[0]);
        settings->m_extractDirectory = folder;
    } else {
        setStatus("Failed to extract texture as: " + paths[0]);
    }
}

// Each file is named after its texture; existing files are overwritten without asking.
void MainWindow::extractMultipleTextures()
{
    WTDFile* file = m_backEnd->getSelectedArchive();
    if (file == nullptr) {
        MessageLog::getInstance()->log(LOG_ERROR, "No active file to extract from", LOG_SOURCE, 1655,
                                       "MainWindow::extractMultipleTextures");
        setStatus("No active file to extract from");
        return;
    }
    wxString folder;
    if (!Prompter::get().chooseFolder(extractFolderRequest(this, m_backEnd->getSettings()), folder)) {
        setStatus("Extract texture canceled");
        return;
    }
    const std::vector<long> rows = WindowHelpers::selectedRows(m_textureList);
    extractEach(file, std::vector<uint32_t>(rows.begin(), rows.end()), folder);
}

// The gauge stands while the folder is chosen; the chosen folder is remembered whatever was written.
void MainWindow::extractAllTextures()
{
    if (!isBackEndReady() || m_backEnd->getFileCount() == 0)
        return;
    WTDFile* file = m_backEnd->getSelectedArchive();
    if (file == nullptr) {
        setStatus("No active file");
        return;
    }
    Settings* settings = m_backEnd->getSettings();
    const uint32_t fileIndex = m_backEnd->getSelectedFileIndex();
    showProgress(static_cast<int>(m_backEnd->getTextureCount(fileIndex)));
    wxString folder;
    if (!Prompter::get().chooseFolder(extractFolderRequest(this, settings), folder)) {
        hideProgress();
        return;
    }
    std::vector<uint32_t> textures(m_backEnd->getTextureCount(fileIndex));
    std::iota(textures.begin(), textures.end(), 0u);
    extractEach(file, textures, folder);
    settings->m_extractDirectory = std::string(folder.utf8_str());
}

// Two textures may share a name, and the second would silently replace the file the first was just
// written to: a texture whose file this run has written already is not written and counts as failed.
// Files that were there before the run are overwritten.
void MainWindow::extractEach(WTDFile* file, const std::vector<uint32_t>& textures, const wxString& folder)
{
    const std::string target(folder.utf8_str());
    std::set<std::string> written;
    const StepCount extracted = runSteps(textures.size(), true, [&](size_t i) {
        TextureRow texture;
        m_backEnd->getTextureRow(textures[i], texture);
        const std::string path = WTDFile::extractionPath(target, texture.name);
        if (written.count(path) != 0) {
            MessageLog::getInstance()->log(
                LOG_ERROR,
                "Texture %i, %s, not extracted: its file was already written for another texture: %s",
                LOG_SOURCE, 1712, "MainWindow::extractEach", static_cast<int>(textures[i]),
                texture.name.c_str(), path.c_str());
            return false;
        }
        if (!file->extractTexture(textures[i], target, ""))
            return false;
        written.insert(path);
        return true;
    });
    setStatus(extracted.failed > 0
                  ? WindowHelpers::pathToText(m_stdFunctions->createString(
                        "%i Textures extracted ok, %i failed", extracted.ok, extracted.failed))
                  : WindowHelpers::pathToText(
                        m_stdFunctions->createString("%i Textures extracted to: ", extracted.ok)) +
                        folder);
}

void MainWindow::deleteTextures()
{
    if (!isBackEndReady())
        return;
    if (WindowHelpers::nextSelectedRow(m_textureList, -1) < 0) {
        setStatus("No textures selected");
        return;
    }
    OpenFileRecord* record = m_backEnd->getSelectedFile();
    if (record == nullptr)
        return;
    if (m_backEnd->getSettings()->m_confirmDelete &&
        Prompter::get().messageBox("Are you sure you want to delete the selected textures?", "Confirm Delete",
                                   wxYES_NO, nullptr) != wxYES) {
        setStatus("Delete textures canceled");
        return;
    }
    // Rows are deleted with their textures, one per step, so that the rows left still match them.
    long row = -1;
    const StepCount deleted = runSteps(WindowHelpers::selectedRows(m_textureList).size(), false, [&](size_t) {
        row = WindowHelpers::deleteNextSelectedRow(m_textureList, row);
        return record->m_file->deleteTexture(static_cast<uint32_t>(row));
    });
    setStatus(WindowHelpers::pathToText(
        deleted.failed > 0
            ? m_stdFunctions->createString("Deleted %i textures, %i Failed", deleted.ok, deleted.failed)
            : m_stdFunctions->createString("Deleted %i textures", deleted.ok)));
    MessageLog::getInstance()->log(LOG_INFORMATION, "Deleted textures from file: %i OK, %i Failed",
                                   LOG_SOURCE, 1844, "MainWindow::deleteTextures", deleted.ok,
                                   deleted.failed);
    updateTextureList();
    // With no texture left there is no texture 0 to select; the index is only reset.
    if (m_backEnd->getTextureCount(m_backEnd->getSelectedFileIndex()) == 0)
        record->m_selectedTexture = 0;
    else
        m_backEnd->setSelectedTexture(0);
    refreshFileList();
}

void MainWindow::generateMipMaps()
{
    WTDFile* file = commandArchive();
    const std::vector<long> rows = WindowHelpers::selectedRows(m_textureList);
    if (file == nullptr || rows.empty())
        return;
    const StepCount made = runSteps(
        rows.size(), false, [&](size_t i) { return file->generateMipMaps(static_cast<uint32_t>(rows[i])); });
    setStatus(WindowHelpers::pathToText(
        made.failed > 0 ? m_stdFunctions->createString("Generated MipMaps for %i textures, %i Failed",
                                                       made.ok, made.failed)
                        : m_stdFunctions->createString("Generated MipMaps for %i textures", made.ok)));
    refreshFileList();
    MessageLog::getInstance()->log(LOG_INFORMATION, "Generated MipMaps; %i OK, %i Failed", LOG_SOURCE, 1902,
                                   "MainWindow::generateMipMaps", made.ok, made.failed);
}
