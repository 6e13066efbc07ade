#include "UI/TextureCommandsTest.h"

#include "UI/Dialogs/ReplaceWindow.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <memory>

class ReplaceWindowTest : public TextureCommandsTest
{
protected:
    void SetUp() override
    {
        TextureCommandsTest::SetUp();
        for (const char* name : {"wall", "door", "roof"}) {
            ReplaceEntry entry;
            entry.textureName = name;
            m_request.entries.push_back(entry);
        }
        m_dialog = std::make_unique<ReplaceWindow>(nullptr, ID_REPLACE_WINDOW, "Replace Textures - Varnel",
                                                   wxDefaultPosition, wxSize(400, 300),
                                                   wxDEFAULT_DIALOG_STYLE | wxTAB_TRAVERSAL);
        m_dialog->m_request = &m_request;
        m_dialog->m_settings = &m_settings;
        m_dialog->updateList();
    }

    void TearDown() override
    {
        m_dialog.reset();
        TextureCommandsTest::TearDown();
    }

    wxTextCtrl* pathBox() { return child<wxTextCtrl>(m_dialog.get(), ID_REPLACE_PATH_TEXT_BOX); }
    wxButton* selectButton() { return child<wxButton>(m_dialog.get(), ID_REPLACE_SELECT_BUTTON); }
    void select(const std::string& path)
    {
        m_prompter.answerFiles({path});
        click(m_dialog.get(), ID_REPLACE_SELECT_BUTTON);
    }

    Settings m_settings{""};
    ReplaceRequest m_request;
    std::unique_ptr<ReplaceWindow> m_dialog;
};

TEST_F(ReplaceWindowTest, IsBuiltWithItsControlsAndListsTheTexturesInEntryOrder)
{
    EXPECT_EQ(m_dialog->GetId(), ID_REPLACE_WINDOW);
    EXPECT_EQ(m_dialog->GetName(), "dialog");
    EXPECT_TRUE(m_dialog->GetExtraStyle() & wxWS_EX_BLOCK_EVENTS);
    EXPECT_TRUE(m_dialog->GetIcon().IsOk());
    EXPECT_EQ(m_dialog->GetClassInfo()->GetClassName(), wxString("ReplaceWindow"));
    std::unique_ptr<wxObject> created(wxCreateDynamicObject("ReplaceWindow"));
    EXPECT_NE(wxDynamicCast(created.get(), ReplaceWindow), nullptr);
    EXPECT_EQ(m_dialog->GetMinSize(), m_dialog->GetSize());

    wxListBox* list = child<wxListBox>(m_dialog.get(), ID_REPLACE_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetName(), "m_replaceList");
    EXPECT_EQ(list->GetSize(), wxSize(200, 250));
    EXPECT_FALSE(list->HasMultipleSelection());
    ASSERT_EQ(list->GetCount(), 3u);
    EXPECT_EQ(list->GetString(0), "wall");
    EXPECT_EQ(list->GetString(2), "roof");

    EXPECT_EQ(pathBox()->GetName(), "m_pathTextBox");
    EXPECT_EQ(pathBox()->GetSize().GetWidth(), 300);
    EXPECT_FALSE(pathBox()->IsEnabled());
    EXPECT_FALSE(pathBox()->IsEditable());
    EXPECT_EQ(selectButton()->GetName(), "m_selectButton");
    EXPECT_EQ(selectButton()->GetLabel(), "Select");
    EXPECT_FALSE(selectButton()->IsEnabled());
    EXPECT_EQ(child<wxButton>(m_dialog.get(), ID_REPLACE_CANCEL_BUTTON)->GetLabel(), "Cancel");
    EXPECT_EQ(child<wxButton>(m_dialog.get(), ID_REPLACE_OK_BUTTON)->GetName(), "m_okButton");
    bool labelFound = false;
    for (wxWindow* window : m_dialog->GetChildren()) {
        wxStaticText* text = wxDynamicCast(window, wxStaticText);
        if (text != nullptr)
            labelFound = text->GetLabel() == "New Texture File" && text->GetId() == wxID_STATIC;
    }
    EXPECT_TRUE(labelFound);
}

TEST_F(ReplaceWindowTest, EachRowKeepsTheLastFileChosenForIt)
{
    m_settings.m_textureDirectory = "/textures";
    chooseRow(m_dialog.get(), 2);
    EXPECT_TRUE(pathBox()->IsEnabled());
    EXPECT_TRUE(selectButton()->IsEnabled());
    EXPECT_EQ(pathBox()->GetValue(), "");
    select("/new/first.dds");
    select("/new/second 100%.dds");
    EXPECT_EQ(pathBox()->GetValue(), "/new/second 100%.dds");
    chooseRow(m_dialog.get(), 1);
    EXPECT_EQ(pathBox()->GetValue(), "");
    m_prompter.answerCancel();
    click(m_dialog.get(), ID_REPLACE_SELECT_BUTTON);
    chooseRow(m_dialog.get(), 2);
    EXPECT_EQ(pathBox()->GetValue(), "/new/second 100%.dds");

    EXPECT_EQ(m_request.entries[0].path, "");
    EXPECT_EQ(m_request.entries[1].path, "");
    EXPECT_EQ(m_request.entries[2].path, "/new/second 100%.dds");
    const ScriptedPrompter::Question& question = m_prompter.asked()[0];
    EXPECT_EQ(question.kind, ScriptedPrompter::FILES);
    EXPECT_EQ(question.text, "Select File");
    EXPECT_EQ(question.directory, "/textures");
    EXPECT_EQ(question.wildcard, "DirectX Textures (*.dds)|*.dds|All files (*.*)|*.*");
    EXPECT_EQ(question.style, wxFD_OPEN);
    EXPECT_EQ(m_settings.m_textureDirectory, "/textures");
}

TEST_F(ReplaceWindowTest, AClearedSelectionEventChoosesNoRow)
{
    chooseRow(m_dialog.get(), -1);
    EXPECT_FALSE(selectButton()->IsEnabled());
    chooseRow(m_dialog.get(), 1);
    chooseRow(m_dialog.get(), -1);
    select("/new/door.dds");
    EXPECT_EQ(m_request.entries[1].path, "/new/door.dds");
}

TEST_F(ReplaceWindowTest, ThePathBoxCannotBeTypedIntoSoOnlySelectSetsAPath)
{
    chooseRow(m_dialog.get(), 0);
    EXPECT_FALSE(pathBox()->IsEditable());
    pathBox()->WriteText("/typed/path.dds");
    click(m_dialog.get(), ID_REPLACE_OK_BUTTON);
    EXPECT_EQ(m_request.entries[0].path, "");
}

TEST_F(ReplaceWindowTest, OnlyOkClearsTheCancelledFlag)
{
    m_dialog->Show();
    click(m_dialog.get(), ID_REPLACE_CANCEL_BUTTON);
    EXPECT_TRUE(m_request.cancelled);
    EXPECT_FALSE(m_dialog->IsShown());
    m_dialog->Show();
    m_dialog->Close();
    EXPECT_TRUE(m_request.cancelled);
    m_dialog->Show();
    click(m_dialog.get(), ID_REPLACE_OK_BUTTON);
    EXPECT_FALSE(m_request.cancelled);
    EXPECT_FALSE(m_dialog->IsShown());
}

// Escape is what users press to back out of a dialog; it must act as the Cancel button does, from
// whichever control has the focus, even after a file was chosen.
TEST_F(ReplaceWindowTest, EscapeCancelsAsTheCancelButtonDoes)
{
    m_dialog->Show();
    chooseRow(m_dialog.get(), 0);
    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(pathBox());
    pathBox()->GetEventHandler()->ProcessEvent(escape);
    EXPECT_TRUE(m_request.cancelled);
    EXPECT_FALSE(m_dialog->IsShown());
}
