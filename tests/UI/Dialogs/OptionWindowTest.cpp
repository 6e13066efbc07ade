#include "UI/MainWindowTest.h"
#include "UI/ModalRun.h"

#include "Support/TestHooks.h"
#include "UI/Dialogs/OptionWindow.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/statline.h>

namespace
{
void click(wxButton* button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

// What a click on the box does: the box changes, then tells the dialog.
void setChecked(wxCheckBox* box, bool checked)
{
    box->SetValue(checked);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetInt(checked ? 1 : 0);
    event.SetEventObject(box);
    box->GetEventHandler()->ProcessEvent(event);
}

wxString recentLabel(MainWindow* window, int index)
{
    return window->GetMenuBar()->GetMenu(0)->GetLabelText(ID_MENU_RECENT1 + index);
}
} // namespace

class OptionWindowTest : public MainWindowTest
{
protected:
    wxCheckBox* deleteBox(wxDialog& dialog) { return child<wxCheckBox>(&dialog, ID_OPTION_DELETE_CHECK_BOX); }
    wxCheckBox* autoOpenBox(wxDialog& dialog)
    {
        return child<wxCheckBox>(&dialog, ID_OPTION_AUTO_OPEN_CHECK_BOX);
    }
    wxButton* clearButton(wxDialog& dialog) { return child<wxButton>(&dialog, ID_OPTION_CLEAR_BUTTON); }
    wxButton* okButton(wxDialog& dialog) { return child<wxButton>(&dialog, ID_OPTION_OK_BUTTON); }

    // Opens Preferences and acts on the shown dialog.
    void usePreferences(std::function<void(wxDialog&)> whileShown)
    {
        m_prompter.answerDialog([whileShown](wxDialog& dialog) {
            return ModalRun::show(dialog, [&dialog, whileShown] { whileShown(dialog); });
        });
        sendMenu(m_window, ID_MENU_PREFERENCES);
    }

    void checkBuilt(wxDialog& dialog);
};

TEST_F(OptionWindowTest, IsBuiltWithItsIdentifiersNamesLabelsAndStyle)
{
    createMainWindow();
    m_prompter.answerDialog([this](wxDialog& dialog) {
        checkBuilt(dialog);
        return wxID_CANCEL;
    });
    sendMenu(m_window, ID_MENU_PREFERENCES);
    ASSERT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(m_prompter.asked()[0].text, "Settings - Varnel");
    EXPECT_EQ(m_prompter.asked()[0].style, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxTAB_TRAVERSAL);
}

void OptionWindowTest::checkBuilt(wxDialog& dialog)
{
    EXPECT_EQ(dialog.GetId(), ID_OPTION_WINDOW);
    EXPECT_EQ(dialog.GetParent(), m_window);
    EXPECT_TRUE(dialog.HasExtraStyle(wxWS_EX_BLOCK_EVENTS));
    EXPECT_FALSE(dialog.HasFlag(wxRESIZE_BORDER));
    EXPECT_TRUE(dialog.GetIcon().IsOk());
    // Fitted to its controls instead of the 400 x 300 it was created with.
    EXPECT_EQ(dialog.GetSize(), dialog.GetMinSize());
    EXPECT_NE(dialog.GetSize(), wxSize(400, 300));
    const struct
    {
        int id;
        const char* name;
        const char* label;
    } controls[] = {
        {ID_OPTION_DELETE_CHECK_BOX, "m_deleteCheckBox", "Confirm delete of textures"},
        {ID_OPTION_AUTO_OPEN_CHECK_BOX, "m_autoOpenCheckBox", "Auto open last used files"},
        {ID_OPTION_CLEAR_BUTTON, "m_clearButton", "Clear Recent Files List"},
        {ID_OPTION_OK_BUTTON, "m_okButton", "OK"},
    };
    for (const auto& expected : controls) {
        wxWindow* control = dialog.FindWindow(expected.id);
        ASSERT_NE(control, nullptr) << expected.name;
        EXPECT_EQ(control->GetName(), expected.name);
        EXPECT_EQ(control->GetLabel(), expected.label);
    }
    wxWindow* heading = dialog.GetChildren().front();
    EXPECT_EQ(heading->GetId(), wxID_STATIC);
    EXPECT_EQ(heading->GetLabel(), "Varnel Settings");
    EXPECT_EQ(heading->GetFont().GetWeight(), wxFONTWEIGHT_BOLD);
    EXPECT_EQ(heading->GetFont().GetPointSize(), 8);
    int lines = 0;
    for (wxWindow* control : dialog.GetChildren()) {
        if (wxDynamicCast(control, wxStaticLine) != nullptr) {
            EXPECT_EQ(control->GetSize().GetWidth(), 300);
            ++lines;
        }
    }
    EXPECT_EQ(lines, 2);
}

TEST_F(OptionWindowTest, TheToolkitCanCreateItThroughItsClassName)
{
    std::unique_ptr<wxObject> created(wxCreateDynamicObject("OptionWindow"));
    EXPECT_NE(wxDynamicCast(created.get(), OptionWindow), nullptr);
}

TEST_F(OptionWindowTest, TheBoxesShowTheSettingsAndFillingThemChangesNothing)
{
    createMainWindow();
    for (const bool confirm : {false, true}) {
        settings()->m_confirmDelete = confirm;
        settings()->m_autoOpenLastFiles = !confirm;
        usePreferences([&](wxDialog& dialog) {
            EXPECT_EQ(deleteBox(dialog)->GetValue(), confirm);
            EXPECT_EQ(autoOpenBox(dialog)->GetValue(), !confirm);
            dialog.Close();
        });
        EXPECT_EQ(settings()->m_confirmDelete, confirm);
        EXPECT_EQ(settings()->m_autoOpenLastFiles, !confirm);
    }
    EXPECT_EQ(m_prompter.asked().size(), 2u);
}

TEST_F(OptionWindowTest, ChangesReachTheSettingsAtOnceAndStayWhenTheCloseBoxEndsTheDialog)
{
    createMainWindow();
    ASSERT_TRUE(settings()->m_confirmDelete);
    ASSERT_TRUE(settings()->m_autoOpenLastFiles);
    usePreferences([&](wxDialog& dialog) {
        setChecked(deleteBox(dialog), false);
        EXPECT_FALSE(settings()->m_confirmDelete);
        setChecked(autoOpenBox(dialog), false);
        EXPECT_FALSE(settings()->m_autoOpenLastFiles);
        setChecked(autoOpenBox(dialog), true);
        EXPECT_TRUE(settings()->m_autoOpenLastFiles);
        dialog.Close();
    });
    EXPECT_FALSE(settings()->m_confirmDelete);
    EXPECT_TRUE(settings()->m_autoOpenLastFiles);
}

TEST_F(OptionWindowTest, OkAndEscapeCloseTheDialogKeepingTheChanges)
{
    createMainWindow();
    usePreferences([&](wxDialog& dialog) {
        setChecked(deleteBox(dialog), false);
        click(okButton(dialog));
    });
    EXPECT_FALSE(settings()->m_confirmDelete);

    usePreferences([&](wxDialog& dialog) {
        setChecked(deleteBox(dialog), true);
        wxKeyEvent escape(wxEVT_CHAR_HOOK);
        escape.m_keyCode = WXK_ESCAPE;
        escape.SetEventObject(okButton(dialog));
        okButton(dialog)->GetEventHandler()->ProcessEvent(escape);
    });
    EXPECT_TRUE(settings()->m_confirmDelete);
}

TEST_F(OptionWindowTest, ClearThenOkEmptiesTheRecentFilesAndTheirMenuItems)
{
    writeArchive("a.wtd", {"alpha"});
    writeArchive("b.wtd", {"beta"});
    startWith({"a.wtd", "b.wtd"});
    ASSERT_EQ(recentLabel(m_window, 0), "1. b.wtd");
    ASSERT_EQ(recentLabel(m_window, 1), "2. a.wtd");
    usePreferences([&](wxDialog& dialog) {
        click(clearButton(dialog));
        click(okButton(dialog));
    });
    for (int k = 0; k < Settings::RECENT_FILE_COUNT; ++k) {
        EXPECT_TRUE(settings()->m_recentFiles[k].empty()) << k;
        EXPECT_EQ(recentLabel(m_window, k), wxString::Format("%i. ", k + 1));
    }
    // The archives themselves stay open.
    EXPECT_EQ(rowTexts(fileList(), 0), (std::vector<std::string>{"a.wtd", "b.wtd"}));
}

TEST_F(OptionWindowTest, TheChangedOptionsAreWrittenToTheSettingsFileAtExit)
{
    writeArchive("a.wtd", {"alpha"});
    startWith({"a.wtd"});
    usePreferences([&](wxDialog& dialog) {
        setChecked(deleteBox(dialog), false);
        setChecked(autoOpenBox(dialog), false);
        click(clearButton(dialog));
        dialog.Close();
    });
    destroyMainWindow();
    const std::string file = readFile("config/varnel.bcf");
    ASSERT_EQ(file.size(), 78u);
    EXPECT_EQ(file[21], 0) << "confirm delete";
    EXPECT_EQ(file[22], 0) << "auto open";
    // With reopening off the list is left empty, and the next start opens nothing.
    EXPECT_EQ(readFile("config/varnel_ar.arf"), "");
    createMainWindow();
    EXPECT_EQ(fileList()->GetItemCount(), 0);
    EXPECT_FALSE(settings()->m_confirmDelete);
}

TEST_F(OptionWindowTest, DoesNothingUnlessTheBackEndIsReady)
{
    createMainWindow();
    TestHooks::setDeviceLostCalls(1);
    TestHooks::failNextCreateDevice();
    sendIdle(m_window);
    ASSERT_FALSE(m_window->isBackEndReady());
    sendMenu(m_window, ID_MENU_PREFERENCES);
    EXPECT_TRUE(m_prompter.asked().empty());
}
