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

namespace
{
const char* const LOG_SOURCE = ".\\MainWindow";

// Extracting several textures, or all of them, names what failed only when something did.
wxString extractionStatus(STDFunctions* functions, int ok, int failed, const wxString& folder)
{
    if (failed > 0)
        return WindowHelpers::pathToText(
            functions->createString("%i Textures extracted ok, %i failed", ok, failed));
    return WindowHelpers::pathToText(functions->createString("%i Textures extracted to: ", ok)) + folder;
}

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

void MainWindow::addTextures()
{
    WTDFile* file = isBackEndReady() ? m_backEnd->getSelectedArchive() : nullptr;
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
    wxBusyCursor busy;
    int ok = 0;
    int failed = 0;
    showProgress(static_cast<int>(request.entries.size()));
    holdLogPane();
    for (size_t i = 0; i < request.entries.size(); ++i) {
        setProgress(static_cast<int>(i));
        if (file->addTexture(request.entries[i].path, request.entries[i].name))
            ++ok;
        else
            ++failed;
    }
    releaseLogPane();
    if (failed != 0)
        setStatus(WindowHelpers::pathToText(
            m_stdFunctions->createString("%i Added ok, %i Failed to be added to the archive", ok, failed)));
    else
        setStatus(
            WindowHelpers::pathToText(m_stdFunctions->createString("Added %i textures to the archive", ok)));
    MessageLog::getInstance()->log(LOG_INFORMATION,
                                   "Textures added to the archive, Fail count: %i, OK count: %i", LOG_SOURCE,
                                   1496, "MainWindow::addTextures", failed, ok);
    updateTextureList();
    refreshFileList();
    hideProgress();
}

void MainWindow::replaceTextures()
{
    WTDFile* file = isBackEndReady() ? m_backEnd->getSelectedArchive() : nullptr;
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
    wxBusyCursor busy;
    int replaced = 0;
    int skipped = 0;
    int failed = 0;
    showProgress(static_cast<int>(request.entries.size()));
    holdLogPane();
    for (size_t i = 0; i < request.entries.size(); ++i) {
        setProgress(static_cast<int>(i));
        const ReplaceEntry& entry = request.entries[i];
        if (entry.path.empty())
            ++skipped;
        else if (file->replaceTexture(entry.path, static_cast<uint32_t>(entry.textureIndex)))
            ++replaced;
        else
            ++failed;
    }
    releaseLogPane();
    hideProgress();
    if (failed > 0)
        setStatus(WindowHelpers::pathToText(m_stdFunctions->createString(
            "Replaced %i textures, %i skipped, %i Failed", replaced, skipped, failed)));
    else
        setStatus(WindowHelpers::pathToText(
            m_stdFunctions->createString("Replaced %i textures, %i skipped", replaced, skipped)));
    MessageLog::getInstance()->log(LOG_INFORMATION, "Textures replaced: %i OK, %i Failed, %i Skipped",
                                   LOG_SOURCE, 1784, "MainWindow::replaceTextures", replaced, failed,
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
    const std::string target(folder.utf8_str());
    wxBusyCursor busy;
    const std::vector<long> rows = WindowHelpers::selectedRows(m_textureList);
    int ok = 0;
    int failed = 0;
    showProgress(static_cast<int>(rows.size()));
    holdLogPane();
    for (size_t i = 0; i < rows.size(); ++i) {
        setProgress(static_cast<int>(i));
        if (file->extractTexture(static_cast<uint32_t>(rows[i]), target, ""))
            ++ok;
        else
            ++failed;
    }
    releaseLogPane();
    hideProgress();
    setStatus(extractionStatus(m_stdFunctions, ok, failed, folder));
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
    const std::string target(folder.utf8_str());
    wxBusyCursor busy;
    int ok = 0;
    int failed = 0;
    holdLogPane();
    for (uint32_t i = 0; i < m_backEnd->getTextureCount(fileIndex); ++i) {
        setProgress(static_cast<int>(i));
        if (file->extractTexture(i, target, ""))
            ++ok;
        else
            ++failed;
    }
    releaseLogPane();
    hideProgress();
    setStatus(extractionStatus(m_stdFunctions, ok, failed, folder));
    settings->m_extractDirectory = target;
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
    wxBusyCursor busy;
    int ok = 0;
    int failed = 0;
    holdLogPane();
    WindowHelpers::deleteSelectedRows(
        m_textureList,
        [record](long row) { return record->m_file->deleteTexture(static_cast<uint32_t>(row)); }, ok, failed);
    releaseLogPane();
    if (failed > 0)
        setStatus(WindowHelpers::pathToText(
            m_stdFunctions->createString("Deleted %i textures, %i Failed", ok, failed)));
    else
        setStatus(WindowHelpers::pathToText(m_stdFunctions->createString("Deleted %i textures", ok)));
    MessageLog::getInstance()->log(LOG_INFORMATION, "Deleted textures from file: %i OK, %i Failed",
                                   LOG_SOURCE, 1844, "MainWindow::deleteTextures", ok, failed);
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
    WTDFile* file = isBackEndReady() ? m_backEnd->getSelectedArchive() : nullptr;
    const std::vector<long> rows = WindowHelpers::selectedRows(m_textureList);
    if (file == nullptr || rows.empty())
        return;
    wxBusyCursor busy;
    int ok = 0;
    int failed = 0;
    holdLogPane();
    for (const long row : rows) {
        if (file->generateMipMaps(static_cast<uint32_t>(row)))
            ++ok;
        else
            ++failed;
    }
    releaseLogPane();
    if (failed > 0)
        setStatus(WindowHelpers::pathToText(
            m_stdFunctions->createString("Generated MipMaps for %i textures, %i Failed", ok, failed)));
    else
        setStatus(
            WindowHelpers::pathToText(m_stdFunctions->createString("Generated MipMaps for %i textures", ok)));
    refreshFileList();
    MessageLog::getInstance()->log(LOG_INFORMATION, "Generated MipMaps; %i OK, %i Failed", LOG_SOURCE, 1902,
                                   "MainWindow::generateMipMaps", ok, failed);
}
