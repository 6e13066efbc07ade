#include "WTD/NameHash.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace
{
class NameHashTest : public ::testing::Test
{
protected:
    void SetUp() override { m_hash = NameHash::getInstance(); }
    void TearDown() override { NameHash::release(); }

    uint32_t hash(const char* name) const { return m_hash->hashName(name); }

    NameHash* m_hash = nullptr;
};

// One-at-a-time over already folded and widened byte values.
uint32_t reference(const std::vector<int32_t>& values)
{
    uint32_t h = 0;
    for (int32_t value : values) {
        h += static_cast<uint32_t>(value);
        h += h << 10;
        h ^= h >> 6;
    }
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    return h;
}

TEST_F(NameHashTest, KnownValues)
{
    EXPECT_EQ(0xED131F5Bu, hash("abc"));
    EXPECT_EQ(0xCA2E9442u, hash("a"));
    EXPECT_EQ(0u, hash(""));
    EXPECT_EQ(0u, hash("\""));
}

TEST_F(NameHashTest, FoldsCaseAndSeparators)
{
    EXPECT_EQ(hash("abc"), hash("ABC"));
    EXPECT_EQ(hash("a"), hash("A"));
    EXPECT_EQ(hash("a/b"), hash("a\\b"));
    EXPECT_NE(hash("a/b"), hash("ab"));
}

TEST_F(NameHashTest, QuotesEndTheName)
{
    EXPECT_EQ(0xED131F5Bu, hash("\"abc\"def"));
    EXPECT_EQ(hash("abc"), hash("abc\"def"));
    // Only a leading quote is skipped; a second one ends the name at once.
    EXPECT_EQ(0u, hash("\"\"abc"));
}

TEST_F(NameHashTest, HighBytesAreSigned)
{
    EXPECT_EQ(reference({'x', 0xE9 - 256, 0x80 - 256}), hash("x\xE9\x80"));
    // Widened without their sign the same bytes would give another hash, unlike the stored ones.
    EXPECT_NE(reference({'x', 0xE9, 0x80}), hash("x\xE9\x80"));
}

TEST_F(NameHashTest, OneSharedInstance)
{
    NameHash* second = NameHash::getInstance();
    EXPECT_EQ(m_hash, second);
    NameHash::release();
    // Still in use by the fixture: the same instance answers.
    EXPECT_EQ(m_hash, NameHash::getInstance());
    NameHash::release();
}
} // namespace
