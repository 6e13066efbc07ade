#include "UI/TextureCommandsTest.h"

#include "UI/Dialogs/AddTexturesWindow.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/sizer.h>

#include <memory>

namespace
{
const long DIALOG_STYLE = wxDEFAULT_DIALOG_STYLE | wxTAB_TRAVERSAL;
}

class AddTexturesWindowTest : public TextureCommandsTest
{
protected:
    void SetUp() override
    {
        TextureCommandsTest::SetUp();
        m_dialog =
            std::make_unique<AddTexturesWindow>(nullptr, ID_ADD_TEXTURES_WINDOW, "Add Textures - Varnel",
                                                wxDefaultPosition, wxSize(400, 300), DIALOG_STYLE);
        m_dialog->m_request = &m_request;
        m_dialog->m_settings = &m_settings;
    }

    void TearDown() override
    {
        m_dialog.reset();
        TextureCommandsTest::TearDown();
    }

    wxListCtrl* list() { return child<wxListCtrl>(m_dialog.get(), ID_ADD_LIST); }
    void add(const std::vector<std::string>& paths)
    {
        m_prompter.answerFiles(paths);
        click(m_dialog.get(), ID_ADD_BUTTON);
    }
    std::vector<std::string> entryNames() const
    {
        std::vector<std::string> names;
        for (const AddTextureEntry& entry : m_request.entries)
            names.push_back(entry.name);
        return names;
    }

    Settings m_settings{""};
    AddTexturesRequest m_request;
    std::unique_ptr<AddTexturesWindow> m_dialog;
};

TEST_F(AddTexturesWindowTest, IsBuiltWithItsControlsColumnsAndFittedSize)
{
    EXPECT_EQ(m_dialog->GetId(), ID_ADD_TEXTURES_WINDOW);
    EXPECT_EQ(m_dialog->GetTitle(), "Add Textures - Varnel");
    EXPECT_EQ(m_dialog->GetName(), "dialog");
    EXPECT_TRUE(m_dialog->GetExtraStyle() & wxWS_EX_BLOCK_EVENTS);
    EXPECT_TRUE(m_dialog->GetIcon().IsOk());
    EXPECT_FALSE(m_dialog->GetIconResource("Resources/icons/other.ico").IsOk());
    EXPECT_EQ(m_dialog->GetClassInfo()->GetClassName(), wxString("AddTexturesWindow"));
    std::unique_ptr<wxObject> created(wxCreateDynamicObject("AddTexturesWindow"));
    EXPECT_NE(wxDynamicCast(created.get(), AddTexturesWindow), nullptr);
    // Fitted to its controls, not the 400 x 300 it was asked for.
    EXPECT_EQ(m_dialog->GetClientSize(), m_dialog->GetSizer()->GetMinSize());
    EXPECT_EQ(m_dialog->GetMinSize(), m_dialog->GetSize());

    EXPECT_EQ(list()->GetName(), "m_addList");
    EXPECT_EQ(list()->GetSize(), wxSize(550, 250));
    EXPECT_TRUE(list()->HasFlag(wxLC_REPORT));
    EXPECT_FALSE(list()->HasFlag(wxLC_SINGLE_SEL));
    ASSERT_EQ(list()->GetColumnCount(), 2);
    const struct
    {
        const char* heading;
        int width;
    } columns[] = {{"Name", 125}, {"Path", 400}};
    for (int column = 0; column < 2; ++column) {
        wxListItem item;
        item.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH | wxLIST_MASK_FORMAT);
        ASSERT_TRUE(list()->GetColumn(column, item));
        EXPECT_EQ(item.GetText(), columns[column].heading);
        EXPECT_EQ(item.GetWidth(), columns[column].width);
        EXPECT_EQ(item.GetAlign(), wxLIST_FORMAT_LEFT);
    }
    const struct
    {
        int id;
        const char* name;
        const char* label;
    } buttons[] = {{ID_ADD_BUTTON, "m_addButton", "Add"},
                   {ID_ADD_DELETE_BUTTON, "m_deleteButton", "Delete"},
                   {ID_ADD_CLEAR_BUTTON, "m_clearButton", "Clear All"},
                   {ID_ADD_CANCEL_BUTTON, "m_cancelButton", "Cancel"},
                   {ID_ADD_OK_BUTTON, "m_okButton", "OK"}};
    for (const auto& expected : buttons) {
        wxButton* button = child<wxButton>(m_dialog.get(), expected.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetName(), expected.name);
        EXPECT_EQ(button->GetLabel(), expected.label);
    }
    // The buttons stand right of the list, Cancel and OK below it, OK last.
    wxWindow* add = m_dialog->FindWindow(ID_ADD_BUTTON);
    wxWindow* ok = m_dialog->FindWindow(ID_ADD_OK_BUTTON);
    wxWindow* cancel = m_dialog->FindWindow(ID_ADD_CANCEL_BUTTON);
    EXPECT_GT(add->GetPosition().x, list()->GetRect().GetRight());
    EXPECT_GT(ok->GetPosition().y, list()->GetRect().GetBottom());
    EXPECT_GT(ok->GetPosition().x, cancel->GetPosition().x);
}

TEST_F(AddTexturesWindowTest, AddListsTheChosenFilesInOrderTwiceWhenChosenTwiceAndRemembersTheFolder)
{
    m_settings.m_textureDirectory = "/start";
    add({"/pics/rock.dds", "/other/wall.png"});
    add({"/pics/rock.dds"});
    ASSERT_EQ(m_prompter.asked().size(), 2u);
    const ScriptedPrompter::Question& question = m_prompter.asked()[0];
    EXPECT_EQ(question.kind, ScriptedPrompter::FILES);
    EXPECT_EQ(question.text, "Open a file");
    EXPECT_EQ(question.directory, "/start");
    EXPECT_EQ(question.defaultFile, "");
    EXPECT_EQ(question.wildcard, "DirectX Textures (*.dds)|*.dds|All files (*.*)|*.*");
    EXPECT_EQ(question.style, wxFD_OPEN | wxFD_MULTIPLE);
    EXPECT_EQ(m_prompter.asked()[1].directory, "/other");

    EXPECT_EQ(entryNames(), (std::vector<std::string>{"rock.dds", "wall.png", "rock.dds"}));
    EXPECT_EQ(m_request.entries[1].path, "/other/wall.png");
    EXPECT_EQ(rowTexts(list(), 0), (std::vector<std::string>{"rock.dds", "wall.png", "rock.dds"}));
    EXPECT_EQ(rowTexts(list(), 1),
              (std::vector<std::string>{"/pics/rock.dds", "/other/wall.png", "/pics/rock.dds"}));
    EXPECT_EQ(m_settings.m_textureDirectory, "/pics");
}

TEST_F(AddTexturesWindowTest, ACancelledFileDialogAddsNothing)
{
    m_prompter.answerCancel();
    click(m_dialog.get(), ID_ADD_BUTTON);
    EXPECT_TRUE(m_request.entries.empty());
    EXPECT_EQ(list()->GetItemCount(), 0);
    EXPECT_EQ(m_settings.m_textureDirectory, "");
}

TEST_F(AddTexturesWindowTest, NamesAreTheFileNamesAsTheArchiveStoresThem)
{
    add({"/pics/caf\xc3\xa9.dds", "/pics/\xe2\x82\xac.dds", "/pics/100%.dds"});
    EXPECT_EQ(entryNames(), (std::vector<std::string>{"caf\xe9.dds", "\xe2\x82\xac.dds", "100%.dds"}));
    EXPECT_EQ(rowTexts(list(), 0)[0], "caf\xc3\xa9.dds");
    EXPECT_EQ(rowTexts(list(), 1)[2], "/pics/100%.dds");
}

TEST_F(AddTexturesWindowTest, DeleteRemovesTheSelectedRowsWithTheirEntriesAndAlwaysAsks)
{
    add({"/p/a.dds", "/p/b.dds", "/p/c.dds", "/p/d.dds", "/p/e.dds"});
    for (long row : {1, 2, 4})
        list()->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    m_prompter.answerMessage(wxNO);
    click(m_dialog.get(), ID_ADD_DELETE_BUTTON);
    EXPECT_EQ(entryNames().size(), 5u);

    m_prompter.answerMessage(wxYES);
    click(m_dialog.get(), ID_ADD_DELETE_BUTTON);
    EXPECT_EQ(entryNames(), (std::vector<std::string>{"a.dds", "d.dds"}));
    EXPECT_EQ(rowTexts(list(), 0), entryNames());
    EXPECT_EQ(rowTexts(list(), 1), (std::vector<std::string>{"/p/a.dds", "/p/d.dds"}));

    // No row selected: the question still comes, and Yes removes nothing.
    m_prompter.answerMessage(wxYES);
    click(m_dialog.get(), ID_ADD_DELETE_BUTTON);
    EXPECT_EQ(entryNames(), (std::vector<std::string>{"a.dds", "d.dds"}));
    EXPECT_EQ(rowTexts(list(), 0), entryNames());

    const size_t firstQuestion = 1;
    ASSERT_EQ(m_prompter.asked().size(), firstQuestion + 3);
    for (size_t i = firstQuestion; i < m_prompter.asked().size(); ++i) {
        EXPECT_EQ(m_prompter.asked()[i].text, "Are you sure you want to delete the selected items?");
        EXPECT_EQ(m_prompter.asked()[i].caption, "Confirm delete");
        EXPECT_EQ(m_prompter.asked()[i].style, wxYES_NO);
    }
}

TEST_F(AddTexturesWindowTest, ClearAllAsksEvenForAnEmptyListAndOnlyYesClears)
{
    m_prompter.answerMessage(wxYES);
    click(m_dialog.get(), ID_ADD_CLEAR_BUTTON);
    add({"/p/a.dds", "/p/b.dds"});
    m_prompter.answerMessage(wxNO);
    click(m_dialog.get(), ID_ADD_CLEAR_BUTTON);
    EXPECT_EQ(entryNames().size(), 2u);
    EXPECT_EQ(list()->GetItemCount(), 2);
    m_prompter.answerMessage(wxYES);
    click(m_dialog.get(), ID_ADD_CLEAR_BUTTON);
    EXPECT_TRUE(m_request.entries.empty());
    EXPECT_EQ(list()->GetItemCount(), 0);
    ASSERT_EQ(m_prompter.asked().size(), 4u);
    EXPECT_EQ(m_prompter.asked()[0].text, "Are you sure you want to clear the entire list?");
    EXPECT_EQ(m_prompter.asked()[0].caption, "Confirm clear");
    EXPECT_EQ(m_prompter.asked()[0].style, wxYES_NO);
}

TEST_F(AddTexturesWindowTest, OnlyOkClearsTheCancelledFlag)
{
    m_dialog->Show();
    click(m_dialog.get(), ID_ADD_CANCEL_BUTTON);
    EXPECT_TRUE(m_request.cancelled);
    EXPECT_FALSE(m_dialog->IsShown());
    m_dialog->Show();
    m_dialog->Close();
    EXPECT_TRUE(m_request.cancelled);
    EXPECT_FALSE(m_dialog->IsShown());
    m_dialog->Show();
    click(m_dialog.get(), ID_ADD_OK_BUTTON);
    EXPECT_FALSE(m_request.cancelled);
    EXPECT_FALSE(m_dialog->IsShown());
}

// Escape is what users press to back out of a dialog; it must act as the Cancel button does, from
// whichever control has the focus.
TEST_F(AddTexturesWindowTest, EscapeCancelsAsTheCancelButtonDoes)
{
    m_dialog->Show();
    add({"/textures/rock.dds"});
    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(list());
    list()->GetEventHandler()->ProcessEvent(escape);
    EXPECT_TRUE(m_request.cancelled);
    EXPECT_FALSE(m_dialog->IsShown());
}
