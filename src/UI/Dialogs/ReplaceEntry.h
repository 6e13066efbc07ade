#pragma once

#include <string>

// One selected texture in the Replace Textures dialog.
struct ReplaceEntry
{
    // The new image file (UTF-8); empty leaves the texture as it is.
    std::string path;
    // The texture's name as the archive stores it, shown in the dialog.
    std::string textureName;
    // The texture's position in the selected archive (its row in the texture list).
    int textureIndex = 0;
};
