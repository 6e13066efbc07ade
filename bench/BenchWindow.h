#pragma once

#include <string>

class MainWindow;

// The editor's main window for the benchmarks of the user interface: the toolkit started once, the
// window built as the application builds it, in a scratch working folder (with the repository's
// Resources/), shown, with every folder dialog answered by the folder given here. It lives until the
// program ends; the folder is removed then.
class BenchWindow
{
public:
    // The one window, or null when the toolkit or the window could not start.
    static BenchWindow* shared();

    ~BenchWindow();
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    MainWindow* window() const { return m_window; }
    const std::string& folder() const { return m_folder; }
    // Opens the archive and selects it, as a start-up with it in the reopen list does.
    bool open(const std::string& path);
    // The folder the next folder dialogs answer.
    void answerFolder(const std::string& folder);
    // Delivers the pending toolkit events (repaints included).
    static void pump();
    // Whether the window's log pane receives the log's messages. Only while a figure of the window
    // runs: the other figures would otherwise pay for drawing their messages in a pane they never show.
    void listen(bool on);

private:
    BenchWindow();

    std::string m_folder;
    MainWindow* m_window = nullptr;
    bool m_listening = true;
};
