#include "UI/MainWindow.h"

#include "Common/STDFunctions/PathSpelling.h"
#include "UI/WindowHelpers.h"

#include <wx/image.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

namespace
{
const int ICON_SIZE = 16;
// The list icons in the order of their indexes; the file list shows index 2 on every row.
const char* const LIST_ICONS[] = {"Resources\\icons\\tex_woa.png",    "Resources\\icons\\tex_wa.png",
                                  "Resources\\icons\\tex_file.png",   "Resources\\icons\\small_info.png",
                                  "Resources\\icons\\small_warn.png", "Resources\\icons\\small_error.png"};

// Log lines carry paths (UTF-8) and texture names (single bytes); a line that is not valid UTF-8 is
// shown byte for byte rather than dropped.
wxString logText(const std::string& message)
{
    const wxString text = WindowHelpers::pathToText(message);
    if (text.empty() && !message.empty())
        return WindowHelpers::nameToText(message);
    return text;
}

// A missing, unreadable or wrong-sized icon becomes a blank one, so the later icons keep their indexes.
// The toolkit reports a file it cannot load.
wxImage loadListIcon(const char* path)
{
    const wxImage image(WindowHelpers::pathToText(PathSpelling::toFileSystem(path)), wxBITMAP_TYPE_PNG);
    if (image.IsOk() && image.GetWidth() == ICON_SIZE && image.GetHeight() == ICON_SIZE)
        return image;
    wxImage blank(ICON_SIZE, ICON_SIZE, true);
    blank.InitAlpha();
    memset(blank.GetAlpha(), 0, ICON_SIZE * ICON_SIZE);
    return blank;
}
} // namespace

void MainWindow::information(const std::string& message)
{
    appendLog(message, nullptr);
}

void MainWindow::warning(const std::string& message)
{
    appendLog(message, wxBLUE);
}

void MainWindow::error(const std::string& message)
{
    appendLog(message, wxRED);
}

void MainWindow::appendLog(const std::string& message, const wxColour* colour)
{
    if (m_logHeld) {
        m_heldLog.emplace_back(message, colour);
        return;
    }
    writeLogText(logText(message) + "\n", colour);
    scrollLogToEnd();
}

void MainWindow::writeLogText(const wxString& text, const wxColour* colour)
{
    m_logText->SetDefaultStyle(colour != nullptr ? wxTextAttr(*colour) : wxTextAttr());
    m_logText->AppendText(text);
}

void MainWindow::holdLogPane()
{
    m_logHeld = true;
}

// Consecutive lines of one colour go in together.
void MainWindow::releaseLogPane()
{
    m_logHeld = false;
    size_t first = 0;
    while (first < m_heldLog.size()) {
        const wxColour* colour = m_heldLog[first].second;
        wxString text;
        size_t next = first;
        for (; next < m_heldLog.size() && m_heldLog[next].second == colour; ++next)
            text += logText(m_heldLog[next].first) + "\n";
        writeLogText(text, colour);
        first = next;
    }
    m_heldLog.clear();
    scrollLogToEnd();
}

void MainWindow::scrollLogToEnd()
{
    m_logText->ShowPosition(m_logText->GetLastPosition());
}

void MainWindow::setupImageLists()
{
    m_imageList = std::make_unique<wxImageList>(ICON_SIZE, ICON_SIZE, true, 1);
    for (const char* path : LIST_ICONS)
        m_imageList->Add(wxBitmap(loadListIcon(path)));
    m_textureList->SetImageList(m_imageList.get(), wxIMAGE_LIST_SMALL);
    m_fileList->SetImageList(m_imageList.get(), wxIMAGE_LIST_SMALL);
}
