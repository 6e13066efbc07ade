#include "WTD/BlockOffsetIndex.h"

#include <algorithm>
#include <functional>

#include "WTD/BlockTableItem.h"

namespace
{
// Raw pointers of unrelated objects are ordered only through std::less.
bool keyBefore(const std::pair<const void*, uint32_t>& a, const std::pair<const void*, uint32_t>& b)
{
    return std::less<const void*>()(a.first, b.first);
}

bool sameKey(const std::pair<const void*, uint32_t>& a, const std::pair<const void*, uint32_t>& b)
{
    return a.first == b.first;
}
} // namespace

BlockOffsetIndex::BlockOffsetIndex(const BlockTableItem* items, int count)
{
    if (!items || count < 1)
        return;
    m_offsets.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        if (items[i].key)
            m_offsets.emplace_back(items[i].key, items[i].offset);
    // A stable sort keeps the items of one key in list order, so the first of them is the one kept.
    std::stable_sort(m_offsets.begin(), m_offsets.end(), keyBefore);
    m_offsets.erase(std::unique(m_offsets.begin(), m_offsets.end(), sameKey), m_offsets.end());
}

uint32_t BlockOffsetIndex::find(const void* key) const
{
    if (!key)
        return 0;
    const std::pair<const void*, uint32_t> probe(key, 0);
    const auto found = std::lower_bound(m_offsets.begin(), m_offsets.end(), probe, keyBefore);
    return found != m_offsets.end() && found->first == key ? found->second : 0;
}
