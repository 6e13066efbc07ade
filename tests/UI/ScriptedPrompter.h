#pragma once

#include "UI/Prompter.h"

#include <wx/dialog.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

// A prompter for tests: answers every box and dialog from a script and records what was asked.
// An unscripted question fails the test and is answered with Cancel (or No), so a test never blocks;
// so does an answer that is still unused when the prompter goes.
//
//   ScriptedPrompter prompter;                  // installs itself, uninstalls when destroyed
//   prompter.answerMessage(wxYES);
//   prompter.answerFiles({"/tmp/a.wtd"});       // or answerCancel() for a cancelled dialog
//   prompter.answerDialog([](wxDialog& d) { ...; return wxID_OK; });
//   ... run the command ...
//   EXPECT_EQ(prompter.asked()[0].text, "Are you sure ...");
class ScriptedPrompter : public Prompter
{
public:
    enum Kind
    {
        MESSAGE,
        FILES,
        FOLDER,
        DIALOG
    };

    // One question as it was asked.
    struct Question
    {
        Kind kind = MESSAGE;
        wxString text;    // message box text, dialog message, or the modal dialog's title
        wxString caption; // message box caption
        long style = 0;   // message box buttons or dialog style
        wxString directory;
        wxString defaultFile;
        wxString wildcard;
        int openModalsDuring = 0; // the count of open modal windows while it was shown
    };

    ScriptedPrompter();
    ~ScriptedPrompter() override;

    void answerMessage(int answer);
    void answerFiles(const std::vector<std::string>& utf8Paths);
    void answerFolder(const std::string& utf8Path);
    void answerCancel();
    void answerDialog(std::function<int(wxDialog&)> answer);
    // Runs while the next question is shown (with it counted as open), then answers it as scripted.
    void duringNext(std::function<void()> action);

    const std::vector<Question>& asked() const { return m_asked; }
    size_t unanswered() const { return m_answers.size(); }

protected:
    int doMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent) override;
    bool doChooseFiles(const FileDialogRequest& request, wxArrayString& paths) override;
    bool doChooseFolder(const FolderDialogRequest& request, wxString& path) override;
    int doShowModal(wxDialog& dialog) override;

private:
    struct Answer
    {
        Kind kind = MESSAGE;
        bool cancelled = false;
        int code = 0;
        std::vector<std::string> paths;
        std::function<int(wxDialog&)> dialog;
    };

    bool next(Kind kind, Question question, Answer& answer);

    std::deque<Answer> m_answers;
    std::vector<Question> m_asked;
    std::function<void()> m_during;
};
