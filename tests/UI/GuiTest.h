#pragma once

#include "Support/TempDirTest.h"

#include <cstdint>
#include <functional>
#include <vector>

class MainWindow;

// The base of the user-interface tests: the toolkit is started once for the whole program (a plain
// application object, no main window of its own), and each test runs in a fresh working folder that
// holds a link to the repository's Resources/, with the platform's test hooks reset and the
// restart pause recorded instead of slept.
class GuiTest : public TempDirTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Delivers the pending toolkit events for about the given time (idle events included).
    static void pump(int milliseconds = 50);
    // Delivers the pending toolkit events until done() holds, for at most the given time; whether it
    // holds. For what the toolkit does on one of its next frames (a scroll), whose delay grows with the
    // machine's load.
    static bool pumpUntil(const std::function<bool()>& done, int milliseconds = 2000);
    // Builds the main window as the application does; it is shown, and events delivered, unless its start
    // failed.
    MainWindow* createMainWindow();
    // Destroys the window as the toolkit does after a close, running its destructor.
    void destroyMainWindow();
    // Whether the window created last still exists.
    bool mainWindowExists() const;
    // Waits until no other test program uses the display, and keeps it alone until the test ends. Tests
    // that send real keys need it: a window another test shows takes the keyboard focus.
    void useDisplayAlone();

    MainWindow* m_window = nullptr;
    // Shared by every test on one display while it runs; held alone by a test that needs the focus.
    int m_displayLock = -1;
    static std::vector<uint32_t> s_sleeps;
};
