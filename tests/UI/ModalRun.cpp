#include "UI/ModalRun.h"

#include <gtest/gtest.h>

#include <wx/dialog.h>

int ModalRun::show(wxDialog& dialog, std::function<void()> whileShown)
{
    dialog.CallAfter([&dialog, whileShown] {
        whileShown();
        if (dialog.IsModal()) {
            ADD_FAILURE() << "the dialog is still shown";
            dialog.EndModal(wxID_ABORT);
        }
    });
    return dialog.ShowModal();
}
