#include "WTD/TextureEntry.h"

TextureEntry::TextureEntry() : texture(nullptr), record(), recordOffset(0), name(), nameHash(0) {}
