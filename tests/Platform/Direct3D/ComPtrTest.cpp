#include "Platform/Direct3D/ComPtr.h"
#include "Platform/Direct3D/ReferenceCounted.h"

#include <gtest/gtest.h>

#include <utility>

namespace
{
// The smallest reference-counted object; each test keeps one reference of its own to see the count.
class Counted : public ReferenceCounted
{
public:
    static Counted* create() { return new Counted(); }

private:
    Counted() = default;
    ~Counted() override = default;
};
} // namespace

TEST(ComPtrTest, GivesItsReferenceBackOnceWhenDestroyed)
{
    Counted* object = Counted::create();
    object->AddRef();
    {
        ComPtr<Counted> held(object);
        EXPECT_EQ(held.get(), object);
    }
    EXPECT_EQ(object->Release(), 0u);
}

TEST(ComPtrTest, MovingHandsTheReferenceOverWithoutReleasingIt)
{
    Counted* object = Counted::create();
    object->AddRef();
    ComPtr<Counted> first(object);
    ComPtr<Counted> second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), object);
    ComPtr<Counted> third;
    third = std::move(second);
    EXPECT_FALSE(second);
    EXPECT_EQ(third.get(), object);
    third.reset();
    EXPECT_FALSE(third);
    EXPECT_EQ(object->Release(), 0u);
}

TEST(ComPtrTest, AssigningReleasesWhatWasHeld)
{
    Counted* old = Counted::create();
    old->AddRef();
    ComPtr<Counted> held(old);
    held = ComPtr<Counted>(Counted::create());
    EXPECT_EQ(old->Release(), 0u);
}

TEST(ComPtrTest, PutReleasesWhatWasHeldAndTakesTheNewReference)
{
    Counted* old = Counted::create();
    old->AddRef();
    ComPtr<Counted> held(old);
    Counted** slot = held.put();
    EXPECT_EQ(old->Release(), 0u);
    EXPECT_EQ(*slot, nullptr);
    Counted* created = Counted::create();
    created->AddRef();
    *slot = created;
    EXPECT_EQ(held.get(), created);
    EXPECT_EQ(*held.address(), created);
    held.reset();
    EXPECT_EQ(created->Release(), 0u);
}
