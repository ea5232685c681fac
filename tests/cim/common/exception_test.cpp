// Exception texts, status-code names and CIMException's error instances.
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/InternalException.h>
#include <Pegasus/Common/CIMStatusCode.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/AcceptLanguageList.h>
#include <Pegasus/Common/PegasusVersion.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "CommonTestSupport.h"

PEGASUS_USING_PEGASUS;

TEST(ExceptionTest, MessagesAreExact)
{
    struct Case
    {
        std::function<void()> raise;
        const char* message;
    };
    const Case cases[] = {
        {[] { throw IndexOutOfBoundsException(); }, "index out of bounds"},
        {[] { throw AlreadyExistsException("property \"P\""); }, "already exists: property \"P\""},
        {[] { throw InvalidNameException("x y"); }, "The CIM name is not valid: x y"},
        {[] { throw InvalidNamespaceNameException("a//b"); }, "invalid CIM namespace name: a//b"},
        {[] { throw UninitializedObjectException(); }, "uninitialized object"},
        {[] { throw TypeMismatchException(); }, "type mismatch"},
        {[] { throw TypeMismatchException("why"); }, "type mismatch: why"},
        {[] { throw DynamicCastFailedException(); }, "dynamic cast failed"},
        {[] { throw InvalidDateTimeFormatException(); }, "invalid datetime format"},
        {[] { throw DateTimeOutOfRangeException("m"); }, "DateTime is out of range : m"},
        {[] { throw MalformedObjectNameException("o"); }, "malformed object name: o"},
        {[] { throw BindFailedException("b"); }, "Bind failed: b"},
        {[] { throw InvalidLocatorException("l"); }, "Invalid locator: l"},
        {[] { throw CannotCreateSocketException(); }, "Cannot create socket"},
        {[] { throw CannotConnectException("as is"); }, "as is"},
        {[] { throw AlreadyConnectedException(); }, "already connected"},
        {[] { throw NotConnectedException(); }, "not connected"},
        {[] { throw ConnectionTimeoutException(); }, "connection timed out"},
        {[] { throw InvalidEnumerationContextException(); },
         "Invalid Enumeration Context, uninitilialized"},
        {[] { throw SSLException("s"); }, "SSL Exception: s"},
        {[] { throw CIMException(CIM_ERR_NOT_FOUND, "no such disk"); }, "no such disk"},
        {[] { throw CIMException(); }, ""},
        {[] { throw NullPointer(); }, "null pointer"},
    };
    for (const Case& c : cases)
    {
        try
        {
            c.raise();
            ADD_FAILURE() << "nothing thrown for " << c.message;
        }
        catch (const Exception& e)
        {
            EXPECT_EQ(c.message, text(e.getMessage()));
        }
    }
}

TEST(ExceptionTest, CopiesAndLanguages)
{
    Exception e("first");
    ContentLanguageList langs;
    langs.append(LanguageTag("en-US"));
    e.setContentLanguages(langs);
    Exception copy(e);
    EXPECT_EQ(String("first"), copy.getMessage());
    EXPECT_EQ(1u, copy.getContentLanguages().size());
    copy = Exception("second");
    EXPECT_EQ(String("second"), copy.getMessage());
    EXPECT_EQ(0u, copy.getContentLanguages().size());
}

TEST(ExceptionTest, StatusCodeNames)
{
    EXPECT_STREQ("CIM_ERR_SUCCESS", cimStatusCodeToString(CIM_ERR_SUCCESS));
    EXPECT_STREQ("CIM_ERR_NOT_FOUND", cimStatusCodeToString(CIM_ERR_NOT_FOUND));
    EXPECT_STREQ("CIM_ERR_METHOD_NOT_FOUND", cimStatusCodeToString(CIM_ERR_METHOD_NOT_FOUND));
    EXPECT_STREQ("empty", cimStatusCodeToString(CIMStatusCode(18)));
    EXPECT_STREQ("empty", cimStatusCodeToString(CIMStatusCode(19)));
    EXPECT_STREQ("CIM_ERR_NAMESPACE_NOT_EMPTY", cimStatusCodeToString(CIM_ERR_NAMESPACE_NOT_EMPTY));
    EXPECT_STREQ("CIM_ERR_SERVER_IS_SHUTTING_DOWN",
                 cimStatusCodeToString(CIM_ERR_SERVER_IS_SHUTTING_DOWN));
    EXPECT_STREQ("Unrecognized CIM status code", cimStatusCodeToString(CIMStatusCode(29)));
    EXPECT_EQ(String("CIM_ERR_FAILED"),
              cimStatusCodeToString(CIM_ERR_FAILED, ContentLanguageList()));
    EXPECT_EQ(String("Unrecognized CIM status code \"42\""),
              cimStatusCodeToString(CIMStatusCode(42), ContentLanguageList()));

    EXPECT_STREQ("boolean", cimTypeToString(CIMTYPE_BOOLEAN));
    EXPECT_STREQ("real64", cimTypeToString(CIMTYPE_REAL64));
    EXPECT_STREQ("datetime", cimTypeToString(CIMTYPE_DATETIME));
    EXPECT_STREQ("instance", cimTypeToString(CIMTYPE_INSTANCE));
    EXPECT_STREQ("2.14.4", PEGASUS_PRODUCT_VERSION);
}

TEST(ExceptionTest, CIMExceptionKeepsCodeAndErrorCopies)
{
    CIMException plain(CIM_ERR_ACCESS_DENIED);
    EXPECT_EQ(CIM_ERR_ACCESS_DENIED, plain.getCode());
    EXPECT_EQ(0u, plain.getErrorCount());
    EXPECT_THROW(plain.getError(0), IndexOutOfBoundsException);

    CIMInstance err{CIMName("CIM_Error")};
    err.addProperty(CIMProperty(CIMName("Message"), CIMValue(String("m"))));
    CIMException e(CIM_ERR_FAILED, "failed", err);
    err.addProperty(CIMProperty(CIMName("Later"), CIMValue(true)));
    ASSERT_EQ(1u, e.getErrorCount());
    EXPECT_EQ(1u, e.getError(0).getPropertyCount());

    Array<CIMInstance> errs;
    errs.append(err);
    errs.append(err);
    CIMException many(CIM_ERR_FAILED, "x", errs);
    many.addError(err);
    EXPECT_EQ(3u, many.getErrorCount());
    CIMException copy = many;
    EXPECT_EQ(3u, copy.getErrorCount());
    EXPECT_EQ(String("x"), copy.getMessage());
    try
    {
        throw copy;
    }
    catch (const Exception& base)
    {
        EXPECT_EQ(String("x"), base.getMessage());
    }
}

TEST(ExceptionTest, LanguageTagsAndLists)
{
    LanguageTag t("en-US-posix");
    EXPECT_EQ(String("en"), t.getLanguage());
    EXPECT_EQ(String("US"), t.getCountry());
    EXPECT_EQ(String("posix"), t.getVariant());
    EXPECT_TRUE(LanguageTag("EN-us-POSIX") == t);
    EXPECT_EQ(String(), LanguageTag("i-klingon").getCountry());
    EXPECT_EQ(String("klingon"), LanguageTag("i-klingon").getVariant());
    EXPECT_THROW(LanguageTag(String("")), InvalidLanguageTag);
    EXPECT_THROW(LanguageTag(String("en--US")), InvalidLanguageTag);
    EXPECT_THROW(LanguageTag(String("1en")), InvalidLanguageTag);
    EXPECT_THROW(LanguageTag(String("toolongsubtag")), InvalidLanguageTag);

    AcceptLanguageList al;
    al.insert(LanguageTag("fr"), 0.5f);
    al.insert(LanguageTag("en"), 1.0f);
    al.insert(LanguageTag("de"), 0.5f);
    ASSERT_EQ(3u, al.size());
    EXPECT_EQ(String("en"), al.getLanguageTag(0).toString());
    EXPECT_EQ(String("fr"), al.getLanguageTag(1).toString());
    EXPECT_EQ(String("de"), al.getLanguageTag(2).toString());
    EXPECT_EQ(2u, al.find(LanguageTag("DE")));
    EXPECT_THROW(al.insert(LanguageTag("x"), 1.5f), InvalidAcceptLanguageHeader);
    al.remove(0);
    EXPECT_EQ(0.5f, al.getQualityValue(0));
    EXPECT_THROW(al.getLanguageTag(5), IndexOutOfBoundsException);
}
