#pragma once

#include "UI/Dialogs/AddTextureEntry.h"

#include <vector>

// What the Add Textures dialog hands back to its command: the gathered files in the order they were
// added. Only the dialog's OK button clears the cancelled flag.
struct AddTexturesRequest
{
    std::vector<AddTextureEntry> entries;
    bool cancelled = true;
};
