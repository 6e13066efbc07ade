#include "UI/GuiTest.h"

#include "Support/TestHooks.h"
#include "UI/MainWindow.h"
#include "UI/WindowIds.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/weakref.h>

#include <sys/file.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>

std::vector<uint32_t> GuiTest::s_sleeps;

namespace
{
// A toolkit assertion is a test failure, never a modal box that waits for a click.
void failOnAssert(const wxString& file, int line, const wxString& function, const wxString& condition,
                  const wxString& message)
{
    ADD_FAILURE() << "toolkit assertion " << condition.utf8_str() << " in " << function.utf8_str() << " at "
                  << file.utf8_str() << ":" << line << ": " << message.utf8_str();
}

class ToolkitEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        wxApp::SetInstance(new wxApp);
        ASSERT_TRUE(wxEntryStart(argc, argv));
        wxTheApp->SetExitOnFrameDelete(false);
        wxSetAssertHandler(failOnAssert);
        delete wxLog::SetActiveTarget(new wxLogStderr);
        wxInitAllImageHandlers();
        m_loop = new wxGUIEventLoop;
        wxEventLoopBase::SetActive(m_loop);
    }

    void TearDown() override
    {
        wxEventLoopBase::SetActive(nullptr);
        delete m_loop;
        wxEntryCleanup();
    }

private:
    wxGUIEventLoop* m_loop = nullptr;
};

::testing::Environment* const ENVIRONMENT = ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

wxWeakRef<MainWindow> s_lastWindow;
} // namespace

void GuiTest::SetUp()
{
    const char* display = std::getenv("DISPLAY");
    const std::string lockPath =
        std::string("/tmp/varnel-gui-tests") + (display != nullptr ? display : "") + ".lock";
    m_displayLock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    ASSERT_GE(m_displayLock, 0);
    ASSERT_EQ(flock(m_displayLock, LOCK_SH), 0);
    TempDirTest::SetUp();
    ASSERT_EQ(0, symlink(VARNEL_SOURCE_DIR "/Resources", "Resources"));
    TestHooks::reset();
    s_sleeps.clear();
    MainWindow::setSleepFunction([](uint32_t milliseconds) { s_sleeps.push_back(milliseconds); });
}

void GuiTest::TearDown()
{
    if (mainWindowExists())
        destroyMainWindow();
    pump(10);
    MainWindow::setSleepFunction(nullptr);
    TestHooks::reset();
    TempDirTest::TearDown();
    if (m_displayLock >= 0)
        close(m_displayLock);
    m_displayLock = -1;
}

void GuiTest::useDisplayAlone()
{
    ASSERT_EQ(flock(m_displayLock, LOCK_EX), 0);
}

void GuiTest::pump(int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        wxEventLoopBase* loop = wxEventLoopBase::GetActive();
        while (loop->Pending())
            loop->Dispatch();
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < end);
}

bool GuiTest::pumpUntil(const std::function<bool()>& done, int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done() && std::chrono::steady_clock::now() < end)
        pump(10);
    return done();
}

MainWindow* GuiTest::createMainWindow()
{
    m_window = new MainWindow(nullptr, ID_MAIN_WINDOW, "Varnel - Oskery", wxDefaultPosition, wxSize(800, 600),
                              wxSYSTEM_MENU | wxRESIZE_BORDER | wxMINIMIZE_BOX | wxMAXIMIZE_BOX |
                                  wxCLOSE_BOX | wxCAPTION);
    s_lastWindow = m_window;
    // A failed start has asked the frame to close: events would destroy it before the test looks at it.
    if (m_window->getBackEnd() != nullptr) {
        m_window->Show(true);
        pump();
    }
    return m_window;
}

void GuiTest::destroyMainWindow()
{
    if (s_lastWindow)
        s_lastWindow->Destroy();
    for (int i = 0; i < 100 && s_lastWindow; ++i)
        pump(5);
    ASSERT_FALSE(s_lastWindow) << "the window was not destroyed";
    m_window = nullptr;
}

bool GuiTest::mainWindowExists() const
{
    return static_cast<bool>(s_lastWindow);
}
