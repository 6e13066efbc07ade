#pragma once

#include <string>

// One archive with unsaved changes, offered in the Save Changes dialog.
struct SaveChangesEntry
{
    // The archive's path, shown as the row's label.
    std::string path;
    // The archive's index among the open archives when the check began.
    int fileIndex = 0;
    // Whether the archive is to be saved; it mirrors the row's check mark.
    bool save = false;
};
