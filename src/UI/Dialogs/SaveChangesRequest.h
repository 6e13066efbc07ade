#pragma once

#include "UI/Dialogs/SaveChangesEntry.h"

#include <vector>

// What the unsaved-changes check and its dialog share: the check owns it for its whole run, the dialog
// only points to it.
struct SaveChangesRequest
{
    // One entry per modified archive, in the order of the open archives.
    std::vector<SaveChangesEntry> entries;
    // Stays true when the dialog is dismissed (its close box, Escape): the close that asked is off.
    // Save All, Save Selected and Save None each clear it.
    bool cancelled = true;
};
