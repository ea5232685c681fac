// CIMParameter and CIMMethod: construction rules, parameter and qualifier
// lists, sharing versus clone().
#include <Pegasus/Common/CIMMethod.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

#include <string>

#include "CommonTestSupport.h"

using namespace Pegasus;

TEST(CIMParameterTest, ConstructorRules)
{
    struct Case
    {
        CIMType type;
        bool isArray;
        Uint32 arraySize;
        const char* referenceClass;
        bool valid;
    };
    const Case cases[] = {
        {CIMTYPE_STRING, false, 0, nullptr, true},
        {CIMTYPE_STRING, true, 0, nullptr, true},
        {CIMTYPE_UINT8, true, 4, nullptr, true},
        {CIMTYPE_UINT8, false, 4, nullptr, false},       // size without array
        {CIMTYPE_REFERENCE, false, 0, "CIM_Foo", true},
        {CIMTYPE_REFERENCE, true, 0, "CIM_Foo", true},
        {CIMTYPE_REFERENCE, false, 0, nullptr, false},   // reference, no class
        {CIMTYPE_STRING, false, 0, "CIM_Foo", false},    // class, no reference
    };
    for (const Case& c : cases)
    {
        CIMName ref = c.referenceClass ? CIMName(c.referenceClass) : CIMName();
        if (c.valid)
        {
            CIMParameter p("P", c.type, c.isArray, c.arraySize, ref);
            EXPECT_EQ(p.getType(), c.type);
            EXPECT_EQ(p.isArray(), c.isArray);
            EXPECT_EQ(p.getArraySize(), c.arraySize);
            EXPECT_TRUE(p.getReferenceClassName().equal(ref));
        }
        else
        {
            EXPECT_THROW(
                CIMParameter("P", c.type, c.isArray, c.arraySize, ref),
                TypeMismatchException)
                << cimTypeToString(c.type);
        }
    }
    EXPECT_THROW(CIMParameter(CIMName(), CIMTYPE_STRING), UninitializedObjectException);
}

TEST(CIMMethodTest, ParametersKeepOrderAndLookupIgnoresCase)
{
    CIMMethod m("RequestStateChange", CIMTYPE_UINT32);
    m.addParameter(CIMParameter("RequestedState", CIMTYPE_UINT16))
        .addParameter(CIMParameter("Job", CIMTYPE_REFERENCE, false, 0, "CIM_ConcreteJob"))
        .addParameter(CIMParameter("TimeoutPeriod", CIMTYPE_DATETIME));
    EXPECT_EQ(m.getParameterCount(), 3u);
    EXPECT_EQ(text(m.getParameter(1).getName().getString()), "Job");
    EXPECT_EQ(m.findParameter("timeoutperiod"), 2u);
    EXPECT_EQ(m.findParameter("Missing"), PEG_NOT_FOUND);

    try
    {
        m.addParameter(CIMParameter("JOB", CIMTYPE_STRING));
        ADD_FAILURE() << "duplicate accepted";
    }
    catch (const AlreadyExistsException& e)
    {
        EXPECT_EQ(text(e.getMessage()), "already exists: parameter \"JOB\"");
    }
    EXPECT_THROW(m.addParameter(CIMParameter()), UninitializedObjectException);
    EXPECT_THROW(m.getParameter(3), IndexOutOfBoundsException);
    EXPECT_THROW(m.removeParameter(3), IndexOutOfBoundsException);

    m.removeParameter(0);
    EXPECT_EQ(m.findParameter("Job"), 0u);
    const CIMMethod& cm = m;
    EXPECT_EQ(text(cm.getParameter(1).getName().getString()), "TimeoutPeriod");
}

TEST(CIMMethodTest, QualifiersOnMethodsAndParameters)
{
    CIMParameter p("Name", CIMTYPE_STRING);
    p.addQualifier(CIMQualifier("In", CIMValue(true)));
    EXPECT_THROW(p.addQualifier(CIMQualifier("IN", CIMValue(false))), AlreadyExistsException);
    EXPECT_EQ(p.findQualifier("in"), 0u);

    CIMMethod m("Run", CIMTYPE_UINT32);
    m.addQualifier(CIMQualifier("Static", CIMValue(true)));
    try
    {
        m.addQualifier(CIMQualifier("static", CIMValue(true)));
        ADD_FAILURE() << "duplicate accepted";
    }
    catch (const AlreadyExistsException& e)
    {
        EXPECT_EQ(text(e.getMessage()), "already exists: qualifier \"static\"");
    }
    m.addParameter(p);
    // The parameter is shared with the method, and so are its qualifiers.
    p.getQualifier(0).setValue(CIMValue(false));
    EXPECT_EQ(text(m.getParameter(0).getQualifier(0).getValue().toString()), "FALSE");
    EXPECT_THROW(p.setName("Other"), Exception);
    EXPECT_THROW(m.getQualifier(1), IndexOutOfBoundsException);
}

TEST(CIMMethodTest, AttributesCloneAndIdentical)
{
    CIMMethod m("Reset", CIMTYPE_UINT32, "CIM_LogicalDevice", true);
    EXPECT_EQ(text(m.getClassOrigin().getString()), "CIM_LogicalDevice");
    EXPECT_TRUE(m.getPropagated());
    m.setType(CIMTYPE_UINT16);
    EXPECT_EQ(m.getType(), CIMTYPE_UINT16);
    m.addParameter(CIMParameter("Force", CIMTYPE_BOOLEAN));

    CIMMethod copy = m.clone();
    CIMConstMethod view = m;
    EXPECT_TRUE(copy.identical(m));
    m.getParameter(0).addQualifier(CIMQualifier("In", CIMValue(true)));
    m.setPropagated(false);
    EXPECT_EQ(view.getParameter(0).getQualifierCount(), 1u);
    EXPECT_FALSE(view.getPropagated());
    EXPECT_EQ(copy.getParameter(0).getQualifierCount(), 0u);
    EXPECT_TRUE(copy.getPropagated());
    EXPECT_FALSE(copy.identical(m));
}

TEST(CIMMethodTest, UninitializedHandlesThrow)
{
    CIMMethod m;
    CIMParameter p;
    EXPECT_THROW(m.getName(), UninitializedObjectException);
    EXPECT_THROW(m.getParameterCount(), UninitializedObjectException);
    EXPECT_THROW(m.addParameter(CIMParameter("X", CIMTYPE_STRING)), UninitializedObjectException);
    EXPECT_THROW(p.getType(), UninitializedObjectException);
    EXPECT_THROW(CIMConstParameter().getQualifierCount(), UninitializedObjectException);
    EXPECT_THROW(CIMMethod(CIMName(), CIMTYPE_STRING), UninitializedObjectException);
}
