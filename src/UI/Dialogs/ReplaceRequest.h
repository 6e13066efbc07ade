#pragma once

#include "UI/Dialogs/ReplaceEntry.h"

#include <vector>

// What the Replace Textures dialog works on: one entry per selected texture, in ascending row order.
// Only the dialog's OK button clears the cancelled flag.
struct ReplaceRequest
{
    bool cancelled = true;
    std::vector<ReplaceEntry> entries;
};
