#pragma once

#include "UI/GuiTest.h"
#include "UI/ScriptedPrompter.h"

#include "Backend/BackEnd.h"
#include "Backend/Settings.h"
#include "Common/MessageLog/LogLevel.h"
#include "UI/MainWindow.h"
#include "UI/WindowIds.h"
#include "WTD/WTDFile.h"

#include <gtest/gtest.h>

#include <wx/listctrl.h>
#include <wx/stattext.h>

#include <string>
#include <vector>

// The main window's tests, spread over one file per part of the window as its sources are: a window
// started in a fresh working folder, with every box answered by the script.
class MainWindowTest : public GuiTest
{
protected:
    template <typename T> static T* child(wxWindow* window, int id)
    {
        T* found = wxDynamicCast(window->FindWindow(id), T);
        EXPECT_NE(found, nullptr) << "no window " << id;
        return found;
    }

    static std::vector<std::string> rowTexts(wxListCtrl* list, int column);
    static std::vector<long> selectedRows(wxListCtrl* list);
    static void sendMenu(MainWindow* window, int id);
    // How many received lines of the level contain the text.
    static size_t countLogged(LogLevel level, const std::string& text);
    // Returns whether the handler asked for more idle events.
    static bool sendIdle(MainWindow* window);
    // A click on a heading of the texture list.
    void clickHeading(int column);
    // The end of an accepted label edit of the texture list; false when the handler vetoed it.
    bool endLabelEdit(long row, const wxString& label);

    // Writes an archive of the named textures (DXT1, 16 x 8) to a relative path.
    static void writeArchive(const std::string& path, const std::vector<std::string>& names);
    void writeArchiveList(const std::string& contents);
    // Opens the archives through the reopen list, as a start-up after a run that left them open.
    MainWindow* startWith(const std::vector<std::string>& paths);

    wxListCtrl* textureList() { return child<wxListCtrl>(m_window, ID_TEXTURE_LIST); }
    wxListCtrl* fileList() { return child<wxListCtrl>(m_window, ID_FILE_LIST); }
    wxString status() { return child<wxStaticText>(m_window, ID_STATUS_TEXT)->GetLabel(); }
    Settings* settings() { return m_window->getBackEnd()->getSettings(); }
    WTDFile* archive(size_t index) { return m_window->getBackEnd()->m_files.at(index)->m_file.get(); }

    ScriptedPrompter m_prompter;
};
