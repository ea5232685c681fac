// CIMPropertyList: null versus empty, lookups, text form.
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

#include <string>

#include "CommonTestSupport.h"

using namespace Pegasus;

namespace
{

Array<CIMName> names(std::initializer_list<const char*> list)
{
    Array<CIMName> a;
    for (const char* n : list)
        a.append(n);
    return a;
}
}

TEST(CIMPropertyListTest, NullMeansAllEmptyMeansNone)
{
    CIMPropertyList all;
    EXPECT_TRUE(all.isNull());
    EXPECT_EQ(all.size(), 0u);
    EXPECT_FALSE(all.contains("Name"));
    EXPECT_TRUE(all.useThisProperty("Name"));
    EXPECT_EQ(text(all.toString()), "NULL");

    CIMPropertyList none{Array<CIMName>()};
    EXPECT_FALSE(none.isNull());
    EXPECT_FALSE(none.useThisProperty("Name"));
    EXPECT_EQ(text(none.toString()), "EMPTY");

    none.clear();
    EXPECT_TRUE(none.isNull());
}

TEST(CIMPropertyListTest, LookupIgnoresCaseAndKeepsOrder)
{
    CIMPropertyList l(names({"Name", "Caption", "SIZE"}));
    EXPECT_EQ(l.size(), 3u);
    EXPECT_EQ(text(l[1].getString()), "Caption");
    EXPECT_THROW(l[3], IndexOutOfBoundsException);
    EXPECT_TRUE(l.contains("size"));
    EXPECT_TRUE(l.useThisProperty("NAME"));
    EXPECT_FALSE(l.useThisProperty("Description"));
    EXPECT_EQ(text(l.toString()), "Name, Caption, SIZE");
    EXPECT_EQ(l.getPropertyNameArray().size(), 3u);
}

TEST(CIMPropertyListTest, NullNamesAreRejected)
{
    Array<CIMName> bad = names({"Name"});
    bad.append(CIMName());
    EXPECT_THROW(CIMPropertyList x(bad), UninitializedObjectException);

    CIMPropertyList l;
    EXPECT_THROW(l.set(bad), UninitializedObjectException);
    EXPECT_TRUE(l.isNull());
    l.set(names({"A"}));
    EXPECT_EQ(text(l.toString()), "A");
}

TEST(CIMPropertyListTest, AppendAndCopies)
{
    CIMPropertyList l;
    Array<String> more;
    more.append("Name");
    more.append("Size");
    l.append(more);
    EXPECT_FALSE(l.isNull());
    CIMPropertyList copy = l;
    Array<String> bad;
    bad.append("not a name");
    EXPECT_THROW(l.append(bad), InvalidNameException);
    EXPECT_EQ(l.size(), 2u);
    l.clear();
    EXPECT_EQ(text(copy.toString()), "Name, Size");
    EXPECT_EQ(text(l.toString()), "NULL");
}
