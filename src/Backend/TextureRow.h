#pragma once

#include <cstdint>
#include <string>

// What the texture list shows of one texture: its name, the format code (the window names it), and
// its dimensions as "width x height".
struct TextureRow
{
    std::string name;
    uint32_t format = 0;
    std::string dimensions;
};
