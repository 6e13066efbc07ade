#include "UI/MainWindowTest.h"

#include "Common/MessageLog/MessageLog.h"
#include "Support/StderrCapture.h"

#include <wx/textctrl.h>

#include <string>

namespace
{
// Whether the character at position lies within the pane's view.
bool shows(wxTextCtrl* pane, long position)
{
    const wxPoint at = pane->PositionToCoords(position);
    return at != wxDefaultPosition && at.y >= 0 && at.y < pane->GetClientSize().GetHeight();
}

// The pane's text is longer than its view, and the view is at its end.
bool showsOnlyItsEnd(wxTextCtrl* pane)
{
    return shows(pane, pane->GetLastPosition()) && !shows(pane, 0);
}

bool showsOnlyItsStart(wxTextCtrl* pane)
{
    return shows(pane, 0) && !shows(pane, pane->GetLastPosition());
}

wxColour colourAt(wxTextCtrl* pane, long position)
{
    wxTextAttr style;
    EXPECT_TRUE(pane->GetStyle(position, style)) << "position " << position;
    return style.GetTextColour();
}
} // namespace

TEST_F(MainWindowTest, TheLogPaneColoursWarningsAndErrorsAndShowsItsEnd)
{
    createMainWindow();
    wxTextCtrl* log = child<wxTextCtrl>(m_window, ID_LOG_TEXT);
    log->Clear();
    m_window->information("a");
    m_window->warning("b");
    m_window->error("c");
    m_window->information("d");
    EXPECT_EQ(log->GetValue(), "a\nb\nc\nd\n");
    const wxColour plain = colourAt(log, 0);
    EXPECT_NE(plain, *wxBLUE);
    EXPECT_NE(plain, *wxRED);
    const struct
    {
        long position;
        wxColour colour;
    } expected[] = {{1, plain}, {2, *wxBLUE}, {3, *wxBLUE}, {4, *wxRED}, {5, *wxRED}, {6, plain}, {7, plain}};
    for (const auto& at : expected)
        EXPECT_EQ(colourAt(log, at.position), at.colour) << "position " << at.position;

    for (int i = 0; i < 300; ++i)
        m_window->information(std::string("line ") + std::to_string(i));
    EXPECT_TRUE(pumpUntil([log] { return showsOnlyItsEnd(log); }));

    // Texts that are not UTF-8 (texture names are bytes) are shown, not dropped.
    m_window->information("caf\xe9");
    EXPECT_TRUE(log->GetValue().EndsWith(wxString::FromUTF8("caf\xc3\xa9\n")));
}

TEST_F(MainWindowTest, TheLogReachesThePaneWholeOrAsTheSettingsSay)
{
    createMainWindow();
    wxTextCtrl* log = child<wxTextCtrl>(m_window, ID_LOG_TEXT);
    ASSERT_TRUE(settings()->m_fullLogMessages);
    wxString format;
    m_window->formatToString(format, 21);
    const wxString full =
        "MainWindow::formatToString(1017) - Unsupported texture format for formatToString: 21\n";
    ASSERT_TRUE(log->GetValue().EndsWith(full));
    EXPECT_EQ(colourAt(log, log->GetLastPosition() - 2), *wxBLUE);

    MessageLog::getInstance()->setListenerFullMessage(false);
    MessageLog::getInstance()->log(LOG_ERROR, "Short %s", ".\\MainWindow", 1, "MainWindow::test", "one");
    MessageLog::getInstance()->setListenerFullMessage(true);
    EXPECT_TRUE(log->GetValue().EndsWith(full + "Short one\n"));
}

// The toolkit's drawing libraries report an invalid area on stderr only; the test reads what they print.
TEST_F(MainWindowTest, AMessageLoggedWhileThePaneIsScrolledBackDrawsNoInvalidArea)
{
    createMainWindow();
    wxTextCtrl* log = child<wxTextCtrl>(m_window, ID_LOG_TEXT);
    for (int i = 0; i < 100; ++i)
        m_window->information(std::string("line ") + std::to_string(i));
    ASSERT_TRUE(pumpUntil([log] { return showsOnlyItsEnd(log); }));
    log->ShowPosition(0);
    ASSERT_TRUE(pumpUntil([log] { return showsOnlyItsStart(log); }));

    StderrCapture capture("stderr.txt");
    m_window->information("after scrolling back");
    m_window->error("coloured after scrolling back");
    EXPECT_TRUE(pumpUntil([log] { return showsOnlyItsEnd(log); }));
    const std::string printed = capture.text();
    EXPECT_EQ(printed.find("Invalid rectangle"), std::string::npos) << printed;

    log->ShowPosition(0);
    ASSERT_TRUE(pumpUntil([log] { return showsOnlyItsStart(log); }));
    m_window->scrollLogToEnd();
    EXPECT_TRUE(pumpUntil([log] { return showsOnlyItsEnd(log); }));
}

// A long line (a path, the reason of a failure) wraps inside the pane instead of running out of view.
TEST_F(MainWindowTest, ALongLineWrapsInsideTheLogPane)
{
    createMainWindow();
    wxTextCtrl* log = child<wxTextCtrl>(m_window, ID_LOG_TEXT);
    log->Clear();
    m_window->error("Failed to extract: " + std::string(400, 'x'));
    const long end = log->GetLastPosition() - 1;
    EXPECT_TRUE(pumpUntil([&] {
        const wxPoint at = log->PositionToCoords(end);
        return at != wxDefaultPosition && at.x < log->GetClientSize().GetWidth() && at.y > 0;
    })) << "the last character lies outside the pane's width or on the first line";
}
