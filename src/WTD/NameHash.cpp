#include "WTD/NameHash.h"

#include <cstdlib>

std::unique_ptr<NameHash> NameHash::s_instance;
int NameHash::s_useCount = 0;

namespace
{
// Whatever instance is left at exit is destroyed, so it never outlives the program.
const bool CLEAN_UP_REGISTERED = std::atexit(&NameHash::destroyInstance) == 0;

// The stored hashes fold capitals and take a backslash as a slash, so names that differ only in case
// or separator hash alike.
int32_t foldedSignedByte(char c)
{
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 'A' && byte <= 'Z')
        byte = static_cast<unsigned char>(byte + 32);
    else if (byte == '\\')
        byte = '/';
    // Taken as a signed 8-bit value on every platform (plain char is unsigned on some).
    return static_cast<int32_t>(static_cast<int8_t>(byte));
}
} // namespace

NameHash* NameHash::getInstance()
{
    (void)CLEAN_UP_REGISTERED;
    if (!s_instance)
        s_instance.reset(new NameHash());
    ++s_useCount;
    return s_instance.get();
}

void NameHash::release()
{
    --s_useCount;
    if (s_useCount < 1)
        destroyInstance();
}

void NameHash::destroyInstance()
{
    s_instance.reset();
}

uint32_t NameHash::hashName(const char* name) const
{
    uint32_t h = 0;
    if (!name)
        return h;
    if (*name == '"')
        ++name;
    for (; *name != '\0' && *name != '"'; ++name) {
        h += static_cast<uint32_t>(foldedSignedByte(*name));
        h += h << 10;
        h ^= h >> 6;
    }
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    return h;
}
