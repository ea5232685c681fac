// Array<T>: value semantics, bounds checks and the members that move
// elements around (including sources that alias the array itself).
#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

#include <memory>

PEGASUS_USING_PEGASUS;

namespace
{
template <class T>
std::vector<T> items(const Array<T>& a)
{
    return std::vector<T>(a.getData(), a.getData() + a.size());
}

// No default constructor: the generic template must not need one.
struct Tagged
{
    explicit Tagged(int v) : value(std::make_shared<int>(v)) {}
    std::shared_ptr<int> value;
};
}

TEST(ArrayTest, ConstructorsAndValueSemantics)
{
    Array<Uint32> a(3);
    EXPECT_EQ(std::vector<Uint32>({0, 0, 0}), items(a));
    Array<String> b(2, String("x"));
    EXPECT_EQ(String("x"), b[1]);
    const Uint32 raw[] = {1, 2, 3};
    Array<Uint32> c(raw, 3);
    Array<Uint32> d = c;
    d[0] = 99;
    EXPECT_EQ(1u, c[0]);   // copies do not alias
    d = c;
    EXPECT_EQ(items(c), items(d));
    Array<Uint32> e(std::move(d));
    EXPECT_EQ(items(c), items(e));
}

TEST(ArrayTest, BooleanArrayExposesContiguousData)
{
    Array<Boolean> flags;
    flags.append(true);
    flags.append(false);
    flags.append(true);
    const Boolean* data = flags.getData();
    EXPECT_TRUE(data[0]);
    EXPECT_FALSE(data[1]);
    flags[1] = true;
    EXPECT_TRUE(flags.getData()[1]);
}

TEST(ArrayTest, IndexPastEndThrows)
{
    Array<Uint8> a;
    EXPECT_THROW(a[0], IndexOutOfBoundsException);
    a.append(7);
    EXPECT_EQ(7, a[0]);
    const Array<Uint8>& ca = a;
    EXPECT_THROW(ca[1], IndexOutOfBoundsException);
    EXPECT_THROW(a.insert(2, Uint8(1)), IndexOutOfBoundsException);
    EXPECT_THROW(a.remove(1), IndexOutOfBoundsException);
    EXPECT_THROW(a.remove(0, 2), IndexOutOfBoundsException);
    EXPECT_THROW(a.remove(PEG_NOT_FOUND, 2), IndexOutOfBoundsException);
    EXPECT_EQ(1u, a.size());
}

TEST(ArrayTest, InsertPrependRemoveGrow)
{
    Array<int> a;
    a.append(3);
    a.prepend(1);
    a.insert(1, 2);
    a.insert(3, 4);
    EXPECT_EQ(std::vector<int>({1, 2, 3, 4}), items(a));
    const int more[] = {8, 9};
    a.insert(2, more, 2);
    EXPECT_EQ(std::vector<int>({1, 2, 8, 9, 3, 4}), items(a));
    a.remove(2, 2);
    EXPECT_EQ(std::vector<int>({1, 2, 3, 4}), items(a));
    a.remove(0);
    a.prepend(more, 2);
    EXPECT_EQ(std::vector<int>({8, 9, 2, 3, 4}), items(a));
    a.grow(2, 0);
    EXPECT_EQ(std::vector<int>({8, 9, 2, 3, 4, 0, 0}), items(a));
    a.clear();
    EXPECT_EQ(0u, a.size());
    a.reserveCapacity(100);
    EXPECT_GE(a.getCapacity(), 100u);
}

TEST(ArrayTest, SourcesInsideTheArrayAreCopiedFirst)
{
    Array<String> a;
    a.append(String("first"));
    for (int i = 0; i < 20; i++)
        a.append(a[0]);   // forces reallocations while reading a[0]
    EXPECT_EQ(21u, a.size());
    EXPECT_EQ(String("first"), a[20]);

    Array<String> b;
    b.append(String("a"));
    b.append(String("b"));
    b.appendArray(b);
    b.insert(1, b.getData(), 2);
    ASSERT_EQ(6u, b.size());
    const char* expected[] = {"a", "a", "b", "b", "a", "b"};
    for (Uint32 i = 0; i < 6; i++)
        EXPECT_EQ(String(expected[i]), b[i]) << i;
    b.grow(2, b[0]);
    EXPECT_EQ(String("a"), b[7]);
}

TEST(ArrayTest, WorksWithoutDefaultConstructorAndReleasesElements)
{
    std::weak_ptr<int> watch;
    {
        Array<Tagged> a;
        a.append(Tagged(1));
        a.append(Tagged(2));
        a.insert(0, Tagged(0));
        watch = a[2].value;
        a.remove(0);
        EXPECT_EQ(1, *a[0].value);
        EXPECT_EQ(2, *a[1].value);
        Array<Tagged> b;
        b.swap(a);
        EXPECT_EQ(0u, a.size());
        EXPECT_EQ(2u, b.size());
        EXPECT_FALSE(watch.expired());
    }
    EXPECT_TRUE(watch.expired());
}
