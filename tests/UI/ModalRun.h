#pragma once

#include <functional>

class wxDialog;

// Shows a dialog modally for real and runs an action inside its modal loop, as a user acting on the
// shown dialog would. A dialog the action leaves open is ended (and the test fails), so a test never
// blocks.
//
//   prompter.answerDialog([](wxDialog& dialog) {
//       return ModalRun::show(dialog, [&] { ...click its controls...; });
//   });
class ModalRun
{
public:
    // Returns the modal result.
    static int show(wxDialog& dialog, std::function<void()> whileShown);
};
