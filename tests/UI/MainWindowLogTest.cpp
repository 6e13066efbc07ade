#include "UI/MainWindowTest.h"

#include "Common/MessageLog/MessageLog.h"
#include "Support/StderrCapture.h"

#include <wx/richtext/richtextctrl.h>

#include <string>

TEST_F(MainWindowTest, TheLogPaneColoursWarningsAndErrorsAndShowsItsEnd)
{
    createMainWindow();
    wxRichTextCtrl* log = child<wxRichTextCtrl>(m_window, ID_LOG_TEXT);
    log->Clear();
    m_window->information("a");
    m_window->warning("b");
    m_window->error("c");
    EXPECT_EQ(log->GetValue(), "a\nb\nc\n");
    const struct
    {
        long position;
        wxColour colour;
    } expected[] = {
        {0, log->GetBasicStyle().GetTextColour()}, {2, *wxBLUE}, {3, *wxBLUE}, {4, *wxRED}, {5, *wxRED}};
    for (const auto& at : expected) {
        wxRichTextAttr style;
        ASSERT_TRUE(log->GetStyle(at.position, style));
        EXPECT_EQ(style.GetTextColour(), at.colour) << "position " << at.position;
        EXPECT_FALSE(style.HasBackgroundColour());
    }

    for (int i = 0; i < 300; ++i)
        m_window->information(std::string("line ") + std::to_string(i));
    pump();
    int unitX = 0;
    int unitY = 0;
    log->GetScrollPixelsPerUnit(&unitX, &unitY);
    ASSERT_GT(unitY, 0);
    int viewX = 0;
    int viewY = 0;
    log->GetViewStart(&viewX, &viewY);
    EXPECT_GE(viewY * unitY + log->GetClientSize().GetHeight(), log->GetVirtualSize().GetHeight() - unitY);

    // Texts that are not UTF-8 (texture names are bytes) are shown, not dropped.
    m_window->information("caf\xe9");
    EXPECT_TRUE(log->GetValue().EndsWith(wxString::FromUTF8("caf\xc3\xa9\n")));
}

TEST_F(MainWindowTest, TheLogReachesThePaneWholeOrAsTheSettingsSay)
{
    createMainWindow();
    wxRichTextCtrl* log = child<wxRichTextCtrl>(m_window, ID_LOG_TEXT);
    ASSERT_TRUE(settings()->m_fullLogMessages);
    wxString format;
    m_window->formatToString(format, 21);
    const wxString full =
        "MainWindow::formatToString(1017) - Unsupported texture format for formatToString: 21\n";
    ASSERT_TRUE(log->GetValue().EndsWith(full));
    wxRichTextAttr style;
    ASSERT_TRUE(log->GetStyle(log->GetLastPosition() - 2, style));
    EXPECT_EQ(style.GetTextColour(), *wxBLUE);

    MessageLog::getInstance()->setListenerFullMessage(false);
    MessageLog::getInstance()->log(LOG_ERROR, "Short %s", ".\\MainWindow", 1, "MainWindow::test", "one");
    MessageLog::getInstance()->setListenerFullMessage(true);
    EXPECT_TRUE(log->GetValue().EndsWith(full + "Short one\n"));
}

// The toolkit's drawing libraries report an invalid area on stderr only; the test reads what they print.
TEST_F(MainWindowTest, AMessageLoggedWhileThePaneIsScrolledBackDrawsNoInvalidArea)
{
    createMainWindow();
    wxRichTextCtrl* log = child<wxRichTextCtrl>(m_window, ID_LOG_TEXT);
    for (int i = 0; i < 100; ++i)
        m_window->information(std::string("line ") + std::to_string(i));
    pump();
    log->Scroll(0, 0);
    pump();

    StderrCapture capture("stderr.txt");
    m_window->information("after scrolling back");
    m_window->error("coloured after scrolling back");
    pump();
    const std::string printed = capture.text();
    EXPECT_EQ(printed.find("Invalid rectangle"), std::string::npos) << printed;
    int unitX = 0;
    int unitY = 0;
    log->GetScrollPixelsPerUnit(&unitX, &unitY);
    ASSERT_GT(unitY, 0);
    int viewX = 0;
    int viewY = 0;
    log->GetViewStart(&viewX, &viewY);
    EXPECT_GE(viewY * unitY + log->GetClientSize().GetHeight(), log->GetVirtualSize().GetHeight() - unitY);
}
