#include "UI/GuiTest.h"
#include "UI/ScriptedPrompter.h"

#include "Support/TestHooks.h"
#include "UI/MainWindow.h"
#include "UI/VarnelApp.h"
#include "UI/WindowIds.h"

#include <wx/toplevel.h>
#include <wx/weakref.h>

namespace
{
MainWindow* findMainWindow()
{
    for (wxWindow* window : wxTopLevelWindows) {
        if (window->GetId() == ID_MAIN_WINDOW && !window->IsBeingDeleted())
            return wxDynamicCast(window, MainWindow);
    }
    return nullptr;
}
} // namespace

// Runs OnInit of an application object of our own while the test program's one stays the toolkit's
// instance (constructing and destroying an application object takes that place).
class VarnelAppTest : public GuiTest
{
protected:
    bool runOnInit()
    {
        wxAppConsole* testApp = wxApp::GetInstance();
        bool result = false;
        {
            VarnelApp app;
            wxApp::SetInstance(testApp);
            result = app.OnInit();
        }
        wxApp::SetInstance(testApp);
        return result;
    }

    ScriptedPrompter m_prompter;
};

TEST_F(VarnelAppTest, OpensTheMainWindowShownWithItsCaptionSizeAndIcon)
{
    EXPECT_TRUE(runOnInit());
    wxWeakRef<MainWindow> window = findMainWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->IsShown());
    EXPECT_EQ(window->GetTitle(), "Varnel - Oskery");
    EXPECT_TRUE(window->GetIcon().IsOk());
    EXPECT_TRUE(window->isBackEndReady());
    EXPECT_TRUE(m_prompter.asked().empty());
    window->Close(false);
    for (int i = 0; i < 100 && window; ++i)
        pump(5);
    EXPECT_FALSE(window);
}

TEST_F(VarnelAppTest, AFailedStartNeverShowsTheWindowAndItGoesAway)
{
    TestHooks::failNextCreateDevice();
    m_prompter.answerMessage(wxOK);
    EXPECT_TRUE(runOnInit());
    EXPECT_EQ(m_prompter.asked().size(), 1u);
    wxWeakRef<MainWindow> window = wxDynamicCast(
        wxTopLevelWindows.IsEmpty() ? nullptr : wxTopLevelWindows.GetLast()->GetData(), MainWindow);
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->IsShown());
    for (int i = 0; i < 100 && window; ++i)
        pump(5);
    EXPECT_FALSE(window);
}
