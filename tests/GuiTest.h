#pragma once

#include "Support/TempDirTest.h"

#include <cstdint>
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
    // Builds the main window as the application does; it is shown, and events delivered, unless its start
    // failed.
    MainWindow* createMainWindow();
    // Destroys the window as the toolkit does after a close, running its destructor.
    void destroyMainWindow();
    // Whether the window created last still exists.
    bool mainWindowExists() const;

    MainWindow* m_window = nullptr;
    static std::vector<uint32_t> s_sleeps;
};
