#include "UI/GuiTest.h"

#include "UI/Dialogs/SaveChangesRequest.h"
#include "UI/Dialogs/SaveChangesWindow.h"
#include "UI/WindowIds.h"

#include <gtest/gtest.h>

#include <wx/checklst.h>
#include <wx/sizer.h>

#include <memory>

namespace
{
class SaveChangesWindowTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        for (const char* path : {"maps/a.wtd", "100% & more.wtd", "c.wtd"}) {
            SaveChangesEntry entry;
            entry.path = path;
            entry.fileIndex = static_cast<int>(m_request.entries.size()) * 2;
            m_request.entries.push_back(entry);
        }
        m_dialog.reset(new SaveChangesWindow(nullptr, ID_SAVE_CHANGES_WINDOW, "Save Changes - Varnel",
                                             wxDefaultPosition, wxSize(400, 300),
                                             wxDEFAULT_DIALOG_STYLE | wxTAB_TRAVERSAL));
        m_dialog->m_request = &m_request;
        m_dialog->updateList();
        m_dialog->Show();
        pump(20);
    }

    void TearDown() override
    {
        m_dialog.reset();
        GuiTest::TearDown();
    }

    wxCheckListBox* list()
    {
        return wxDynamicCast(m_dialog->FindWindow(ID_SAVE_CHANGES_LIST), wxCheckListBox);
    }

    // A click on a row's check box, as the list reports it.
    void toggle(unsigned row)
    {
        list()->Check(row, !list()->IsChecked(row));
        wxCommandEvent event(wxEVT_CHECKLISTBOX, ID_SAVE_CHANGES_LIST);
        event.SetInt(static_cast<int>(row));
        event.SetEventObject(list());
        list()->GetEventHandler()->ProcessEvent(event);
    }

    SaveChangesRequest m_request;
    std::unique_ptr<SaveChangesWindow> m_dialog;
};
} // namespace

TEST_F(SaveChangesWindowTest, BuildsItsControlsWithTheirIdentifiersNamesAndLabels)
{
    EXPECT_EQ(m_dialog->GetId(), ID_SAVE_CHANGES_WINDOW);
    EXPECT_EQ(m_dialog->GetTitle(), "Save Changes - Varnel");
    EXPECT_EQ(m_dialog->GetName(), "dialog");
    EXPECT_TRUE(m_dialog->HasExtraStyle(wxWS_EX_BLOCK_EVENTS));
    EXPECT_TRUE(m_dialog->HasFlag(wxCLOSE_BOX));
    EXPECT_TRUE(m_dialog->HasFlag(wxTAB_TRAVERSAL));
    EXPECT_TRUE(m_dialog->GetIcon().IsOk());
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(list()->GetName(), "m_changeList");
    EXPECT_TRUE(list()->HasFlag(wxLB_SINGLE));
    EXPECT_EQ(list()->GetSize().GetWidth(), 650);
    const struct
    {
        int id;
        const char* label;
        const char* name;
    } buttons[] = {{ID_SAVE_CHANGES_SAVE_ALL, "Save All", "m_saveAll"},
                   {ID_SAVE_CHANGES_SAVE_NONE, "Save None", "m_saveNone"},
                   {ID_SAVE_CHANGES_SAVE_SELECTED, "Save Selected", "m_okButton"}};
    wxSizer* top = m_dialog->GetSizer();
    ASSERT_NE(top, nullptr);
    ASSERT_EQ(top->GetItemCount(), 2u);
    EXPECT_EQ(top->GetItem(size_t(0))->GetWindow(), list());
    EXPECT_EQ(top->GetItem(size_t(0))->GetFlag(), wxALIGN_CENTER_HORIZONTAL | wxALL);
    wxSizer* row = top->GetItem(size_t(1))->GetSizer();
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(top->GetItem(size_t(1))->GetFlag(), wxALIGN_RIGHT | wxALL);
    ASSERT_EQ(row->GetItemCount(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        wxWindow* button = m_dialog->FindWindow(buttons[i].id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetLabel(), buttons[i].label);
        EXPECT_EQ(button->GetName(), buttons[i].name);
        EXPECT_EQ(row->GetItem(i)->GetWindow(), button);
        EXPECT_EQ(row->GetItem(i)->GetFlag(), wxALIGN_CENTER_VERTICAL | wxALL);
        EXPECT_EQ(row->GetItem(i)->GetBorder(), 5);
    }
    // Fitted to what the controls need, not the size it was asked for.
    EXPECT_GT(m_dialog->GetClientSize().GetWidth(), 650);
    EXPECT_EQ(m_dialog->GetMinSize(), m_dialog->GetSize());
}

TEST_F(SaveChangesWindowTest, TheToolkitCanCreateItThroughItsClassName)
{
    std::unique_ptr<wxObject> created(wxCreateDynamicObject("SaveChangesWindow"));
    ASSERT_NE(created, nullptr);
    SaveChangesWindow* dialog = wxDynamicCast(created.get(), SaveChangesWindow);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->m_changeList, nullptr);
    EXPECT_EQ(dialog->m_okButton, nullptr);
}

TEST_F(SaveChangesWindowTest, ListsThePathsVerbatimAllUnticked)
{
    ASSERT_EQ(list()->GetCount(), 3u);
    EXPECT_EQ(list()->GetString(0), "maps/a.wtd");
    EXPECT_EQ(list()->GetString(1), "100% & more.wtd");
    EXPECT_EQ(list()->GetString(2), "c.wtd");
    for (unsigned row = 0; row < 3; ++row)
        EXPECT_FALSE(list()->IsChecked(row));
    EXPECT_TRUE(m_request.cancelled);
}

TEST_F(SaveChangesWindowTest, EscapeCancels)
{
    toggle(0);
    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(list());
    list()->GetEventHandler()->ProcessEvent(escape);
    EXPECT_TRUE(m_request.cancelled);
    EXPECT_FALSE(m_dialog->IsShown());
}
