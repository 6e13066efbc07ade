#include "WTD/TextureEntry.h"

TextureEntry::TextureEntry() : texture(), record(), recordOffset(0), name(), nameHash(0) {}
