#pragma once

#include <string>

// One file gathered in the Add Textures dialog.
struct AddTextureEntry
{
    // The texture's name as the archive stores names (single bytes): the file's name, extension kept.
    std::string name;
    // The file's path as the file dialog returned it (UTF-8).
    std::string path;
};
