// CIMParamValue: construction, sharing versus clone().
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

#include <string>

#include "CommonTestSupport.h"

using namespace Pegasus;

TEST(CIMParamValueTest, ConstructionAndAccessors)
{
    CIMParamValue p("Force", CIMValue(true));
    EXPECT_EQ(text(p.getParameterName()), "Force");
    EXPECT_EQ(text(p.getValue().toString()), "TRUE");
    EXPECT_TRUE(p.isTyped());
    EXPECT_FALSE(CIMParamValue("X", CIMValue(Uint32(1)), false).isTyped());
    EXPECT_THROW(CIMParamValue("", CIMValue(true)), UninitializedObjectException);
}

TEST(CIMParamValueTest, CopiesShareAndClonesDoNot)
{
    CIMParamValue p("Count", CIMValue(Uint32(1)));
    CIMParamValue alias = p;
    CIMParamValue copy = p.clone();

    String name("Total");
    CIMValue value(Uint32(2));
    p.setParameterName(name);
    p.setValue(value);
    p.setIsTyped(false);
    EXPECT_EQ(text(alias.getParameterName()), "Total");
    EXPECT_EQ(text(alias.getValue().toString()), "2");
    EXPECT_FALSE(alias.isTyped());
    EXPECT_EQ(text(copy.getParameterName()), "Count");
    EXPECT_EQ(text(copy.getValue().toString()), "1");
    EXPECT_TRUE(copy.isTyped());
}

TEST(CIMParamValueTest, UninitializedHandleThrows)
{
    CIMParamValue p;
    EXPECT_TRUE(p.isUninitialized());
    CIMParamValue copy = p;
    EXPECT_TRUE(copy.isUninitialized());
    EXPECT_THROW(p.getParameterName(), UninitializedObjectException);
    EXPECT_THROW(p.getValue(), UninitializedObjectException);
    EXPECT_THROW(p.isTyped(), UninitializedObjectException);
    EXPECT_THROW(p.setIsTyped(true), UninitializedObjectException);
}
