#include "UI/MainWindow.h"

#include "Backend/BackEnd.h"
#include "Backend/Settings.h"
#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/PathSpelling.h"
#include "UI/TextureListCtrl.h"
#include "UI/WindowHelpers.h"
#include "UI/WindowIds.h"
#include "WTD/WTDFile.h"

#include <wx/listctrl.h>
#include <wx/menu.h>

namespace
{
const int FILE_ICON = 2;

struct FormatName
{
    uint32_t code;
    const char* text;
};

const FormatName FORMAT_NAMES[] = {
    {32, "A8B8G8R8"},     {0x31545844, "DXT1"}, {0x32545844, "DXT2"},
    {0x33545844, "DXT3"}, {0x34545844, "DXT4"}, {0x35545844, "DXT5"},
};

enum RowSelection
{
    SELECT_ALL,
    SELECT_NONE,
    SELECT_INVERT
};

// The file name of a path as the file dialogs give it here ('/') or as the system writes it ('\\').
std::string fileNameOf(const std::string& path)
{
    std::string directory;
    std::string name;
    PathSpelling::splitPath(path, directory, name);
    return name;
}

// A menu label shows the text verbatim: "&" would mark a mnemonic and a tab would start an accelerator.
wxString menuLabelText(const wxString& text)
{
    wxString label = text;
    label.Replace("&", "&&");
    label.Replace("\t", " ");
    return label;
}
} // namespace

void MainWindow::updateFileList()
{
    if (m_backEnd == nullptr)
        return;
    m_updating = true;
    m_fileList->DeleteAllItems();
    for (uint32_t i = 0; i < m_backEnd->getFileCount(); ++i) {
        wxString label = WindowHelpers::pathToText(m_backEnd->getFileName(i));
        if (m_backEnd->getFile(i)->isModified())
            label += "*";
        const long row = static_cast<long>(i);
        m_fileList->InsertItem(row, label, FILE_ICON);
        const int textureCount = static_cast<int>(m_backEnd->getTextureCount(i));
        m_fileList->SetItem(row, 1,
                            WindowHelpers::pathToText(m_stdFunctions->createString("%i", textureCount)));
    }
    m_updating = false;
}

void MainWindow::updateTextureList()
{
    if (m_backEnd == nullptr)
        return;
    // The rows are about to be replaced: an open label editor would rename whatever texture ends up in
    // its row, so it is cancelled first.
    if (m_textureList->GetEditControl() != nullptr)
        m_textureList->EndEditLabel(true);
    m_updating = true;
    const OpenFileRecord* record = m_backEnd->getSelectedFile();
    if (record == nullptr) {
        m_textureList->setRows({});
        m_updating = false;
        return;
    }
    const uint32_t count = m_backEnd->getTextureCount(m_backEnd->getSelectedFileIndex());
    std::vector<TextureListCtrl::RowTexts> rows(count);
    TextureRow texture;
    for (uint32_t i = 0; i < count && m_backEnd->getTextureRow(i, texture); ++i) {
        rows[i][0] = WindowHelpers::nameToText(texture.name);
        formatToString(rows[i][1], texture.format);
        rows[i][2] = WindowHelpers::pathToText(texture.dimensions);
    }
    m_textureList->setRows(std::move(rows));
    if (count > 0)
        selectCurrentRow(m_textureList, static_cast<long>(record->m_selectedTexture));
    m_updating = false;
}

void MainWindow::refreshFileList()
{
    if (m_backEnd == nullptr)
        return;
    m_updating = true;
    updateFileList();
    selectCurrentRow(m_fileList, static_cast<long>(m_backEnd->getSelectedFileIndex()));
    m_updating = false;
}

void MainWindow::refreshAfterOpen()
{
    if (m_backEnd == nullptr)
        return;
    m_backEnd->selectLastFile();
    updateFileList();
    updateTextureList();
    selectCurrentRow(m_fileList, m_fileList->GetItemCount() - 1);
    updateRecentFilesMenu();
}

void MainWindow::updateRecentFilesMenu()
{
    const Settings* settings = m_backEnd->getSettings();
    for (int k = 0; k < 5; ++k) {
        const wxString label = wxString::Format("%i. ", k + 1) +
                               WindowHelpers::pathToText(fileNameOf(settings->m_recentFiles[k]));
        m_fileMenu->SetLabel(ID_MENU_RECENT1 + k, menuLabelText(label));
    }
}

void MainWindow::formatToString(wxString& text, uint32_t format)
{
    for (const FormatName& name : FORMAT_NAMES) {
        if (name.code == format) {
            text = name.text;
            return;
        }
    }
    text = wxString::Format("Unknown: %i", static_cast<int>(format));
    MessageLog::getInstance()->log(LOG_WARNING, "Unsupported texture format for formatToString: %i",
                                   ".\\MainWindow", 1017, "MainWindow::formatToString",
                                   static_cast<int>(format));
}

// Selecting a row raises the list's item-selected event at once, as a click does. A reload or a delete
// can leave the remembered index past the last row, and such a row is not selected. The row becomes the
// list's current row as well: the list starts keyboard moves from it, and the user's first click then
// selects only the clicked row (with no current row the list would add the clicked row to this
// selection, and a later command would act on both). The row is scrolled into view, so a rebuild keeps
// the user's place.
void MainWindow::selectCurrentRow(wxListCtrl* list, long row)
{
    if (row < 0 || row >= list->GetItemCount())
        return;
    const long state = wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED;
    list->SetItemState(row, state, state);
    list->EnsureVisible(row);
}

void MainWindow::OnFileListItemSelected(wxListEvent& event)
{
    if (!m_updating && m_backEnd != nullptr &&
        m_backEnd->setSelectedFileIndex(static_cast<uint32_t>(event.GetIndex())))
        updateTextureList();
    event.Skip();
}

void MainWindow::OnTextureListItemSelected(wxListEvent& event)
{
    if (!m_updating && m_backEnd != nullptr)
        m_backEnd->setSelectedTexture(static_cast<uint32_t>(event.GetIndex()));
    event.Skip();
}

// The row count is read again after each row: a selection handler may rebuild the lists. Selecting a
// row raises the list's item-selected event at once, as a click does.
void MainWindow::selectRows(wxListCtrl* list, int how)
{
    for (long row = 0; row < list->GetItemCount(); ++row) {
        const bool isSelected = list->GetItemState(row, wxLIST_STATE_SELECTED) != 0;
        const bool select = how == SELECT_ALL || (how == SELECT_INVERT && !isSelected);
        if (select != isSelected)
            list->SetItemState(row, select ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
    }
}

void MainWindow::selectAllTextures()
{
    selectRows(m_textureList, SELECT_ALL);
    setStatus("All textures selected");
}

void MainWindow::selectNoTextures()
{
    selectRows(m_textureList, SELECT_NONE);
    setStatus("All textures deselected");
}

void MainWindow::invertTextureSelection()
{
    selectRows(m_textureList, SELECT_INVERT);
    setStatus("Texture selection inverted");
}

void MainWindow::selectAllFiles()
{
    selectRows(m_fileList, SELECT_ALL);
    setStatus("All files selected");
}

void MainWindow::selectNoFiles()
{
    selectRows(m_fileList, SELECT_NONE);
    setStatus("All files unselected");
}

void MainWindow::invertFileSelection()
{
    selectRows(m_fileList, SELECT_INVERT);
    setStatus("File selection inverted");
}

void MainWindow::OnTextureListColClick(wxListEvent& event)
{
    sortTexturesByColumn(event.GetColumn());
    event.Skip();
}

// The first click on a heading sorts in the column's natural order, a second click on the same heading
// reverses it and forgets the column. The column is remembered across archives.
void MainWindow::sortTexturesByColumn(int column)
{
    if (!isBackEndReady())
        return;
    bool keepOrder = true;
    if (column == m_sortColumn) {
        keepOrder = false;
        m_sortColumn = -1;
    } else {
        m_sortColumn = column;
    }
    const uint32_t key = column >= 0 && column <= 2 ? static_cast<uint32_t>(column) : 0;
    WTDFile* file = m_backEnd->getSelectedArchive();
    if (file == nullptr)
        return;
    file->sortTextures(key, keepOrder);
    updateTextureList();
    refreshFileList();
}

// A refused edit is vetoed, so the list keeps showing the texture's real name.
void MainWindow::OnTextureListEndLabelEdit(wxListEvent& event)
{
    if (event.IsEditCancelled() || renameTexture(event.GetIndex(), event.GetLabel()))
        event.Skip();
    else
        event.Veto();
}

// Renames the texture to the label exactly as typed. A row that no longer exists (the list was rebuilt
// under the editor) or a name the archive cannot store (names are single bytes) is refused.
bool MainWindow::renameTexture(long row, const wxString& label)
{
    if (!isBackEndReady() || m_backEnd->getSelectedArchive() == nullptr)
        return false;
    const uint32_t count = m_backEnd->getTextureCount(m_backEnd->getSelectedFileIndex());
    if (row < 0 || static_cast<uint32_t>(row) >= count || row >= m_textureList->GetItemCount())
        return false;
    std::string name;
    if (!WindowHelpers::textToName(label, name)) {
        setStatus("Texture names can only hold Latin-1 characters");
        return false;
    }
    m_textureList->Refresh(true);
    const wxString oldName = m_textureList->GetItemText(row);
    m_backEnd->renameTexture(static_cast<uint32_t>(row), name);
    setStatus("Renamed '" + oldName + "' to '" + WindowHelpers::nameToText(name) + "'");
    refreshFileList();
    return true;
}
