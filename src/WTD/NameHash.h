#pragma once

#include <cstdint>
#include <memory>

// The case-folding name hash stored in every dictionary's hash table. One process-wide instance,
// counted by its users; whatever is left of it is destroyed at exit.
class NameHash
{
public:
    static NameHash* getInstance();
    static void release();
    static void destroyInstance();

    uint32_t hashName(const char* name) const;

    NameHash(const NameHash&) = delete;
    NameHash& operator=(const NameHash&) = delete;

private:
    NameHash() = default;
    ~NameHash() = default;
    friend struct std::default_delete<NameHash>;

    static std::unique_ptr<NameHash> s_instance;
    static int s_useCount;
};
