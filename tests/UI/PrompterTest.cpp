#include "UI/GuiTest.h"
#include "UI/ScriptedPrompter.h"

#include "UI/Prompter.h"

#include <wx/dialog.h>
#include <wx/filedlg.h>

class PrompterTest : public GuiTest
{
};

TEST_F(PrompterTest, CountsEachOpenModalWindowForAsLongAsItIsShown)
{
    ScriptedPrompter prompter;
    EXPECT_EQ(&Prompter::get(), &prompter);
    EXPECT_EQ(prompter.openModalCount(), 0);

    int countInsideDialog = -1;
    int countInsideBox = -1;
    prompter.answerDialog([&](wxDialog&) {
        prompter.answerMessage(wxYES);
        EXPECT_EQ(Prompter::get().messageBox("inner", "Inner", wxYES_NO), wxYES);
        countInsideBox = prompter.asked().back().openModalsDuring;
        countInsideDialog = prompter.openModalCount();
        return wxID_OK;
    });
    wxDialog dialog(nullptr, wxID_ANY, "Some dialog");
    EXPECT_EQ(Prompter::get().showModal(dialog), wxID_OK);
    EXPECT_EQ(countInsideDialog, 1);
    EXPECT_EQ(countInsideBox, 2);
    EXPECT_EQ(prompter.openModalCount(), 0);
    EXPECT_EQ(prompter.asked()[0].text, "Some dialog");
}

TEST_F(PrompterTest, RecordsFileAndFolderQuestionsAndHandsBackTheAnswers)
{
    ScriptedPrompter prompter;
    prompter.answerFiles({"/tmp/caf\xc3\xa9.wtd", "/tmp/b.wtd"});
    prompter.answerCancel();
    prompter.answerFolder("/tmp/out");

    FileDialogRequest request;
    request.message = "Open a file";
    request.directory = "/tmp";
    request.wildcard = "Texture archives (*.wtd)|*.wtd|All files (*.*)|*.*";
    request.style = wxFD_OPEN | wxFD_MULTIPLE;
    wxArrayString paths;
    ASSERT_TRUE(Prompter::get().chooseFiles(request, paths));
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0], wxString::FromUTF8("/tmp/caf\xc3\xa9.wtd"));
    EXPECT_FALSE(Prompter::get().chooseFiles(request, paths));
    EXPECT_TRUE(paths.empty());

    FolderDialogRequest folder;
    folder.message = "Select extract destination";
    wxString path;
    ASSERT_TRUE(Prompter::get().chooseFolder(folder, path));
    EXPECT_EQ(path, "/tmp/out");

    ASSERT_EQ(prompter.asked().size(), 3u);
    EXPECT_EQ(prompter.asked()[0].kind, ScriptedPrompter::FILES);
    EXPECT_EQ(prompter.asked()[0].text, "Open a file");
    EXPECT_EQ(prompter.asked()[0].wildcard, request.wildcard);
    EXPECT_EQ(prompter.asked()[0].style, wxFD_OPEN | wxFD_MULTIPLE);
    EXPECT_EQ(prompter.asked()[2].kind, ScriptedPrompter::FOLDER);
    EXPECT_EQ(prompter.asked()[2].text, "Select extract destination");
    EXPECT_EQ(prompter.unanswered(), 0u);
}
