#include "UI/MainWindowTest.h"
#include "UI/ModalRun.h"

#include "Support/LogCapture.h"
#include "UI/Dialogs/AboutWindow.h"

#include <wx/button.h>
#include <wx/hyperlink.h>
#include <wx/log.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/weakref.h>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
void click(wxButton* button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

// Records what the toolkit reports through its own log while it is installed.
class ToolkitLog : public wxLog
{
public:
    ToolkitLog() : m_previous(wxLog::SetActiveTarget(this)) {}
    ~ToolkitLog() override { wxLog::SetActiveTarget(m_previous); }

    std::string all() const { return m_text; }

protected:
    void DoLogTextAtLevel(wxLogLevel, const wxString& message) override
    {
        m_text += std::string(message.utf8_str()) + "\n";
    }

private:
    wxLog* m_previous;
    std::string m_text;
};
} // namespace

class AboutWindowTest : public MainWindowTest
{
protected:
    // Opens Help > About and acts on the shown dialog; returns the dialog's modal result.
    int useAbout(std::function<void(wxDialog&)> whileShown)
    {
        int result = 0;
        m_prompter.answerDialog([&result, whileShown](wxDialog& dialog) {
            result = ModalRun::show(dialog, [&dialog, whileShown] { whileShown(dialog); });
            return result;
        });
        sendMenu(m_window, ID_MENU_ABOUT);
        return result;
    }

    void checkBuilt(wxDialog& dialog);
};

void AboutWindowTest::checkBuilt(wxDialog& dialog)
{
    EXPECT_EQ(dialog.GetId(), ID_ABOUT_WINDOW);
    EXPECT_EQ(dialog.GetParent(), m_window);
    EXPECT_EQ(dialog.GetName(), "dialog");
    EXPECT_TRUE(dialog.HasExtraStyle(wxWS_EX_BLOCK_EVENTS));
    EXPECT_TRUE(dialog.GetIcon().IsOk());
    EXPECT_EQ(dialog.GetSize(), dialog.GetMinSize());

    const struct
    {
        int id;
        const char* name;
        const char* label;
        const char* address;
    } links[] = {
        {ID_ABOUT_DRAVE_LINK, "m_draveLink", "www.example.org", "https://www.example.org/"},
        {ID_ABOUT_FORUMS_LINK, "m_forumsLink", "forum.example.net", "https://forum.example.net/"},
        {ID_ABOUT_POBBLE_LINK, "m_pobbleLink", "www.example.com", "https://www.example.com/"},
    };
    for (const auto& expected : links) {
        wxHyperlinkCtrl* link = child<wxHyperlinkCtrl>(&dialog, expected.id);
        ASSERT_NE(link, nullptr) << expected.name;
        EXPECT_EQ(link->GetName(), expected.name);
        EXPECT_EQ(link->GetLabel(), expected.label);
        EXPECT_EQ(link->GetURL(), expected.address);
        EXPECT_EQ(link->GetWindowStyleFlag(), 0x200009) << expected.name;
    }

    wxButton* ok = child<wxButton>(&dialog, ID_ABOUT_OK_BUTTON);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetLabel(), "OK");
    EXPECT_EQ(ok->GetName(), "button");

    wxStaticBitmap* ribbon = wxDynamicCast(dialog.FindWindow("staticBitmap"), wxStaticBitmap);
    ASSERT_NE(ribbon, nullptr);
    EXPECT_EQ(ribbon->GetSize(), wxSize(543, 68));
    EXPECT_TRUE(ribbon->GetBitmap().IsOk());
    EXPECT_EQ(ribbon->GetBitmap().GetSize(), wxSize(543, 68));
    wxWindow* text = dialog.FindWindow("staticText");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetLabel(), "Varnel\nVersion 0.1.0\n29th February 2009");

    int lines = 0;
    for (wxWindow* window : dialog.GetChildren()) {
        if (window->GetId() == wxID_STATIC && wxDynamicCast(window, wxStaticLine) != nullptr)
            ++lines;
    }
    EXPECT_EQ(lines, 3);
}

TEST_F(AboutWindowTest, IsBuiltWithItsPictureTextLinksAndButton)
{
    createMainWindow();
    m_prompter.answerDialog([this](wxDialog& dialog) {
        checkBuilt(dialog);
        return wxID_CANCEL;
    });
    sendMenu(m_window, ID_MENU_ABOUT);
    ASSERT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(m_prompter.asked()[0].text, "About Varnel");
    EXPECT_EQ(m_prompter.asked()[0].style, wxDEFAULT_DIALOG_STYLE | wxTAB_TRAVERSAL);
}

TEST_F(AboutWindowTest, TheToolkitCanCreateItThroughItsClassName)
{
    std::unique_ptr<wxObject> created(wxCreateDynamicObject("AboutWindow"));
    EXPECT_NE(wxDynamicCast(created.get(), AboutWindow), nullptr);
}

TEST_F(AboutWindowTest, OkEndsTheDialogWithItsIdAndEachAboutBuildsAFreshOne)
{
    createMainWindow();
    wxWeakRef<wxDialog> first;
    EXPECT_EQ(useAbout([&](wxDialog& dialog) {
                  first = &dialog;
                  click(child<wxButton>(&dialog, ID_ABOUT_OK_BUTTON));
              }),
              ID_ABOUT_OK_BUTTON);
    EXPECT_FALSE(first) << "the dialog outlived its menu command";

    bool built = false;
    EXPECT_EQ(useAbout([&](wxDialog& dialog) {
                  built = dialog.FindWindow(ID_ABOUT_POBBLE_LINK) != nullptr;
                  click(child<wxButton>(&dialog, ID_ABOUT_OK_BUTTON));
              }),
              ID_ABOUT_OK_BUTTON);
    EXPECT_TRUE(built);
    EXPECT_EQ(m_prompter.asked().size(), 2u);
    EXPECT_TRUE(m_window->IsEnabled());
}

TEST_F(AboutWindowTest, TheCloseBoxAndEscapeEndTheDialogToo)
{
    createMainWindow();
    useAbout([](wxDialog& dialog) { dialog.Close(); });
    useAbout([](wxDialog& dialog) {
        wxKeyEvent escape(wxEVT_CHAR_HOOK);
        escape.m_keyCode = WXK_ESCAPE;
        escape.SetEventObject(&dialog);
        dialog.GetEventHandler()->ProcessEvent(escape);
    });
    EXPECT_EQ(m_prompter.asked().size(), 2u);
}

TEST_F(AboutWindowTest, MissingPictureAndIconAreReportedByTheToolkitAndTheDialogStillShows)
{
    createMainWindow();
    ASSERT_EQ(0, unlink("Resources"));
    ASSERT_EQ(0, mkdir("Resources", 0777));
    LogCapture::instance().clear();
    ToolkitLog toolkitLog;
    bool shown = false;
    bool pictureOk = true;
    bool iconOk = true;
    EXPECT_EQ(useAbout([&](wxDialog& dialog) {
                  shown = dialog.IsShown();
                  wxStaticBitmap* ribbon = wxDynamicCast(dialog.FindWindow("staticBitmap"), wxStaticBitmap);
                  pictureOk = ribbon != nullptr && ribbon->GetBitmap().IsOk();
                  iconOk = dialog.GetIcon().IsOk();
                  click(child<wxButton>(&dialog, ID_ABOUT_OK_BUTTON));
              }),
              ID_ABOUT_OK_BUTTON);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(pictureOk);
    EXPECT_FALSE(iconOk);
    EXPECT_NE(toolkitLog.all().find("varnel_ribbon.png"), std::string::npos) << toolkitLog.all();
    EXPECT_NE(toolkitLog.all().find("varnel_small.ico"), std::string::npos) << toolkitLog.all();
    // The dialog itself writes nothing into the program's log.
    EXPECT_TRUE(LogCapture::instance().entries().empty()) << LogCapture::instance().describe();
}
