#include "UI/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <wx/msgdlg.h>

ScriptedPrompter::ScriptedPrompter()
{
    Prompter::install(this);
}

// An answer left over is a question the code under test never asked.
ScriptedPrompter::~ScriptedPrompter()
{
    Prompter::install(nullptr);
    EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " scripted answer(s) never asked for";
}

void ScriptedPrompter::answerMessage(int answer)
{
    Answer entry;
    entry.kind = MESSAGE;
    entry.code = answer;
    m_answers.push_back(entry);
}

void ScriptedPrompter::answerFiles(const std::vector<std::string>& utf8Paths)
{
    Answer entry;
    entry.kind = FILES;
    entry.paths = utf8Paths;
    m_answers.push_back(entry);
}

void ScriptedPrompter::answerFolder(const std::string& utf8Path)
{
    Answer entry;
    entry.kind = FOLDER;
    entry.paths = {utf8Path};
    m_answers.push_back(entry);
}

void ScriptedPrompter::answerCancel()
{
    Answer entry;
    entry.kind = FILES;
    entry.cancelled = true;
    m_answers.push_back(entry);
}

void ScriptedPrompter::answerDialog(std::function<int(wxDialog&)> answer)
{
    Answer entry;
    entry.kind = DIALOG;
    entry.dialog = std::move(answer);
    m_answers.push_back(entry);
}

void ScriptedPrompter::duringNext(std::function<void()> action)
{
    m_during = std::move(action);
}

// A cancel answers any kind of question; every other answer must match the question's kind.
bool ScriptedPrompter::next(Kind kind, Question question, Answer& answer)
{
    question.kind = kind;
    question.openModalsDuring = openModalCount();
    m_asked.push_back(question);
    if (m_during) {
        std::function<void()> during = std::move(m_during);
        m_during = nullptr;
        during();
    }
    if (m_answers.empty()) {
        ADD_FAILURE() << "unscripted question: " << question.text.utf8_str() << " / "
                      << question.caption.utf8_str();
        return false;
    }
    answer = m_answers.front();
    m_answers.pop_front();
    if (!answer.cancelled && answer.kind != kind) {
        ADD_FAILURE() << "scripted answer of another kind for: " << question.text.utf8_str();
        return false;
    }
    return true;
}

int ScriptedPrompter::doMessageBox(const wxString& text, const wxString& caption, long style, wxWindow*)
{
    Question question;
    question.text = text;
    question.caption = caption;
    question.style = style;
    Answer answer;
    if (!next(MESSAGE, question, answer) || answer.cancelled)
        return (style & wxYES_NO) ? wxNO : wxCANCEL;
    return answer.code;
}

bool ScriptedPrompter::doChooseFiles(const FileDialogRequest& request, wxArrayString& paths)
{
    Question question;
    question.text = request.message;
    question.style = request.style;
    question.directory = request.directory;
    question.defaultFile = request.defaultFile;
    question.wildcard = request.wildcard;
    Answer answer;
    if (!next(FILES, question, answer) || answer.cancelled)
        return false;
    for (const std::string& path : answer.paths)
        paths.push_back(wxString::FromUTF8(path.c_str(), path.size()));
    return true;
}

bool ScriptedPrompter::doChooseFolder(const FolderDialogRequest& request, wxString& path)
{
    Question question;
    question.text = request.message;
    question.style = request.style;
    question.directory = request.directory;
    Answer answer;
    if (!next(FOLDER, question, answer) || answer.cancelled || answer.paths.empty())
        return false;
    path = wxString::FromUTF8(answer.paths[0].c_str(), answer.paths[0].size());
    return true;
}

int ScriptedPrompter::doShowModal(wxDialog& dialog)
{
    Question question;
    question.text = dialog.GetTitle();
    question.style = dialog.GetWindowStyleFlag();
    Answer answer;
    if (!next(DIALOG, question, answer) || answer.cancelled || !answer.dialog)
        return wxID_CANCEL;
    return answer.dialog(dialog);
}
