// Decodes every captured response in the shared wire folder and checks what
// it holds against the classes and instances the captures were made from.
#include "CimXmlMessages.h"

#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMScope.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "CommonTestSupport.h"

using namespace Pegasus;

namespace {

// One captured HTTP message, de-chunked.
struct HttpCapture
{
    std::string startLine;
    std::map<std::string, std::string> headers;   // lower-case names
    std::map<std::string, std::string> trailers;  // lower-case names
    std::string body;
};

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

void parseFields(const std::string& block, std::map<std::string, std::string>& out)
{
    std::istringstream in(block);
    std::string line;
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::size_t v = line.find_first_not_of(' ', colon + 1);
        out[lower(line.substr(0, colon))] = v == std::string::npos ? "" : line.substr(v);
    }
}

HttpCapture readCapture(const std::string& name)
{
    std::ifstream in(std::string(KTA_SHARED_DIR) + "/wire/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    HttpCapture c;
    std::size_t end = raw.find("\r\n\r\n");
    std::string head = raw.substr(0, end);
    c.startLine = head.substr(0, head.find("\r\n"));
    parseFields(head.substr(head.find("\r\n") + 2), c.headers);
    std::string rest = end == std::string::npos ? "" : raw.substr(end + 4);
    if (lower(c.headers["transfer-encoding"]) != "chunked")
    {
        c.body = rest;
        return c;
    }
    std::size_t pos = 0;
    for (;;)
    {
        std::size_t eol = rest.find("\r\n", pos);
        std::size_t size = std::stoul(rest.substr(pos, eol - pos), nullptr, 16);
        pos = eol + 2;
        if (size == 0)
            break;
        c.body += rest.substr(pos, size);
        pos += size + 2;
    }
    parseFields(rest.substr(pos), c.trailers);
    return c;
}

CimXmlResponse decodeCapture(const std::string& name)
{
    HttpCapture c = readCapture(name);
    return CimXmlResponseDecoder::decode(c.body);
}

CIMConstProperty property(const CIMConstClass& c, const char* name)
{
    Uint32 i = c.findProperty(name);
    EXPECT_NE(i, PEG_NOT_FOUND) << name;
    return c.getProperty(i);
}

CIMConstProperty property(const CIMConstInstance& c, const char* name)
{
    Uint32 i = c.findProperty(name);
    EXPECT_NE(i, PEG_NOT_FOUND) << name;
    return c.getProperty(i);
}

template <class C>
CIMConstQualifier qualifier(const C& c, const char* name)
{
    Uint32 i = c.findQualifier(name);
    EXPECT_NE(i, PEG_NOT_FOUND) << name;
    return c.getQualifier(i);
}

// The response file of a request file, and the request's CIMMethod header
// and MESSAGE ID must come back in every response.
TEST(CimXmlWireResponses, EveryResponseDecodesAndAnswersItsRequest)
{
    const char* const kPairs[] = {
        "01-GetClass-CIM_ComputerSystem-cimcli",
        "02-GetClass-WT_Widget-explicit-params-wbemexec",
        "04-GetClass-WT_Widget-cimcli",
        "05-GetQualifier-Description-cimcli",
        "06-EnumerateInstances-WT_Widget-cimcli",
        "07-EnumerateInstanceNames-WT_Widget-cimcli",
        "08-GetInstance-WT_Widget-cimcli",
        "09a-InvokeMethod-SayHello-cimcli-step1-GetClass",
        "09b-InvokeMethod-SayHello-cimcli-step2-SayHello",
        "10a-CreateInstance-WT_Widget-cimcli-step1-GetClass",
        "10b-CreateInstance-WT_Widget-cimcli-step2-CreateInstance",
        "11-error-GetClass-NOT_FOUND-cimcli",
        "13-error-GetInstance-NOT_FOUND-cimcli",
        "14-EnumerateClassNames-wbemcli",
        "15-EnumerateInstances-WT_Widget-wbemcli",
        "16-GetClass-CIM_ComputerSystem-wbemcli",
        "19-error-GetClass-NOT_FOUND-wbemcli",
        "20-error-EnumerateClassNames-INVALID_NAMESPACE-wbemcli",
        "22-cimmof-CreateInstance-__Namespace",
        "23-cimmof-SetQualifier-Abstract",
        "24-cimmof-SetQualifier-ValueMap-array",
        "25-cimmof-GetQualifier",
        "26-cimmof-GetClass-NOT_FOUND-before-create",
        "27-cimmof-CreateClass-WT_Base",
        "28-cimmof-CreateClass-WT_Widget",
        "29-cimmof-GetClass-WT_Widget",
        "30-cimmof-CreateInstance-WT_Widget-w1",
    };
    for (const char* base : kPairs)
    {
        SCOPED_TRACE(base);
        HttpCapture request = readCapture(std::string(base) + "-request.txt");
        HttpCapture response = readCapture(std::string(base) + "-response.txt");
        CimXmlResponse r = CimXmlResponseDecoder::decode(response.body);
        EXPECT_EQ(text(r.methodName), request.headers["cimmethod"]);
        std::size_t id = request.body.find("MESSAGE ID=\"") + 12;
        EXPECT_EQ(r.messageId, request.body.substr(id, request.body.find('"', id) - id));
        EXPECT_EQ(r.isIntrinsic, request.body.find("<IMETHODCALL") != std::string::npos);
    }
}

TEST(CimXmlWireResponses, ErrorsInTrailersComeWithAnEmptyResponse)
{
    const struct
    {
        const char* file;
        const char* message;
    } kCases[] = {
        {"11-error-GetClass-NOT_FOUND-cimcli-response.txt", "CIM_ERR_NOT_FOUND: NoSuchClass"},
        {"13-error-GetInstance-NOT_FOUND-cimcli-response.txt",
         "CIM_ERR_NOT_FOUND: WT_Widget.Id=\"nope\""},
        {"26-cimmof-GetClass-NOT_FOUND-before-create-response.txt",
         "CIM_ERR_NOT_FOUND: WT_Base"},
    };
    for (const auto& c : kCases)
    {
        SCOPED_TRACE(c.file);
        HttpCapture capture = readCapture(c.file);
        CimXmlResponse r = CimXmlResponseDecoder::decode(capture.body);
        EXPECT_FALSE(r.hasError);
        EXPECT_FALSE(r.hasReturnValue);
        EXPECT_NO_THROW(r.throwIfError());
        CIMException e = cimXmlErrorFromTrailers(capture.trailers["cimstatuscode"],
                                                 capture.trailers["cimstatuscodedescription"]);
        EXPECT_EQ(e.getCode(), CIM_ERR_NOT_FOUND);
        EXPECT_EQ(text(e.getMessage()), c.message);
    }
}

TEST(CimXmlWireResponses, ErrorElementsGiveCodeAndDescription)
{
    const struct
    {
        const char* file;
        CIMStatusCode code;
        const char* description;
    } kCases[] = {
        {"19-error-GetClass-NOT_FOUND-wbemcli-response.txt", CIM_ERR_NOT_FOUND,
         "CIM_ERR_NOT_FOUND: NoSuchClass"},
        {"20-error-EnumerateClassNames-INVALID_NAMESPACE-wbemcli-response.txt",
         CIM_ERR_INVALID_NAMESPACE, "CIM_ERR_INVALID_NAMESPACE: root/nosuchns"},
    };
    for (const auto& c : kCases)
    {
        SCOPED_TRACE(c.file);
        CimXmlResponse r = decodeCapture(c.file);
        ASSERT_TRUE(r.hasError);
        EXPECT_EQ(r.errorCode, c.code);
        EXPECT_EQ(text(r.errorDescription), c.description);
        try
        {
            r.throwIfError();
            ADD_FAILURE() << "no exception";
        }
        catch (const CIMException& e)
        {
            EXPECT_EQ(e.getCode(), c.code);
            EXPECT_EQ(text(e.getMessage()), c.description);
        }
    }
}

TEST(CimXmlWireResponses, OperationsWithoutResultHaveNoReturnValue)
{
    for (const char* file : {"23-cimmof-SetQualifier-Abstract-response.txt",
                             "24-cimmof-SetQualifier-ValueMap-array-response.txt",
                             "27-cimmof-CreateClass-WT_Base-response.txt",
                             "28-cimmof-CreateClass-WT_Widget-response.txt"})
    {
        SCOPED_TRACE(file);
        CimXmlResponse r = decodeCapture(file);
        EXPECT_FALSE(r.hasError);
        EXPECT_FALSE(r.hasReturnValue);
        EXPECT_EQ(r.classes.size() + r.instances.size() + r.instanceNames.size(), 0u);
    }
}

// The same class came back four times, with and without class origins.
TEST(CimXmlWireResponses, WidgetClass)
{
    const struct
    {
        const char* file;
        bool classOrigin;
    } kCases[] = {
        {"02-GetClass-WT_Widget-explicit-params-wbemexec-response.txt", false},
        {"04-GetClass-WT_Widget-cimcli-response.txt", false},
        {"10a-CreateInstance-WT_Widget-cimcli-step1-GetClass-response.txt", true},
        {"29-cimmof-GetClass-WT_Widget-response.txt", true},
    };
    for (const auto& c : kCases)
    {
        SCOPED_TRACE(c.file);
        CimXmlResponse r = decodeCapture(c.file);
        ASSERT_TRUE(r.hasReturnValue);
        ASSERT_EQ(r.classes.size(), 1u);
        CIMConstClass w = r.classes[0];
        EXPECT_EQ(text(w.getClassName().getString()), "WT_Widget");
        EXPECT_EQ(text(w.getSuperClassName().getString()), "WT_Base");
        EXPECT_EQ(w.getQualifierCount(), 2u);
        EXPECT_EQ(text(qualifier(w, "Version").getFlavor().toString()),
                  "OVERRIDABLE TRANSLATABLE RESTRICTED");
        EXPECT_EQ(text(qualifier(w, "Description").getValue().toString()),
                  "Widget class with <special> & \"quoted\" text");

        ASSERT_EQ(w.getPropertyCount(), 10u);
        const char* const kNames[] = {"Id", "Label", "Size", "Big", "Flag",
                                      "When", "States", "Tags", "Weight", "Delta"};
        const CIMType kTypes[] = {CIMTYPE_STRING, CIMTYPE_STRING, CIMTYPE_UINT32,
                                  CIMTYPE_UINT64, CIMTYPE_BOOLEAN, CIMTYPE_DATETIME,
                                  CIMTYPE_UINT16, CIMTYPE_STRING, CIMTYPE_REAL64,
                                  CIMTYPE_SINT32};
        for (Uint32 i = 0; i < 10; i++)
        {
            CIMConstProperty p = w.getProperty(i);
            EXPECT_EQ(text(p.getName().getString()), kNames[i]);
            EXPECT_EQ(p.getType(), kTypes[i]) << kNames[i];
            EXPECT_EQ(p.isArray(), i == 6 || i == 7) << kNames[i];
            EXPECT_EQ(p.getPropagated(), i == 0) << kNames[i];
            EXPECT_EQ(p.getValue().isNull(), i != 9) << kNames[i];
            if (c.classOrigin)
                EXPECT_EQ(text(p.getClassOrigin().getString()), i == 0 ? "WT_Base" : "WT_Widget");
            else
                EXPECT_TRUE(p.getClassOrigin().isNull());
        }
        EXPECT_EQ(text(property(w, "Delta").getValue().toString()), "-5");
        CIMConstProperty id = property(w, "Id");
        EXPECT_EQ(text(qualifier(id, "Key").getFlavor().toString()), "TOSUBCLASS DISABLEOVERRIDE");
        EXPECT_EQ(text(qualifier(id, "Description").getFlavor().toString()),
                  "OVERRIDABLE TOSUBCLASS TRANSLATABLE");
        CIMConstProperty states = property(w, "States");
        CIMConstQualifier valueMap = qualifier(states, "ValueMap");
        EXPECT_TRUE(valueMap.isArray());
        EXPECT_EQ(text(valueMap.getValue().toString()), "0 1 2 ");
        EXPECT_EQ(text(qualifier(states, "Values").getValue().toString()), "Unknown On Off ");

        ASSERT_EQ(w.getMethodCount(), 1u);
        CIMConstMethod resize = w.getMethod(0);
        EXPECT_EQ(text(resize.getName().getString()), "Resize");
        EXPECT_EQ(resize.getType(), CIMTYPE_UINT32);
        ASSERT_EQ(resize.getParameterCount(), 3u);
        EXPECT_EQ(text(resize.getParameter(0).getName().getString()), "NewSize");
        EXPECT_EQ(resize.getParameter(0).getType(), CIMTYPE_UINT32);
        EXPECT_FALSE(resize.getParameter(0).isArray());
        CIMConstParameter oldSize = resize.getParameter(1);
        EXPECT_EQ(text(qualifier(oldSize, "In").getValue().toString()), "FALSE");
        EXPECT_EQ(text(qualifier(oldSize, "Out").getValue().toString()), "TRUE");
        CIMConstParameter reasons = resize.getParameter(2);
        EXPECT_EQ(text(reasons.getName().getString()), "Reasons");
        EXPECT_TRUE(reasons.isArray());
        EXPECT_EQ(reasons.getType(), CIMTYPE_STRING);
    }
}

TEST(CimXmlWireResponses, ComputerSystemClassFromTheSchema)
{
    for (const char* file : {"01-GetClass-CIM_ComputerSystem-cimcli-response.txt",
                             "16-GetClass-CIM_ComputerSystem-wbemcli-response.txt"})
    {
        SCOPED_TRACE(file);
        bool withOrigin = file[0] == '1';
        CimXmlResponse r = decodeCapture(file);
        ASSERT_EQ(r.classes.size(), 1u);
        CIMConstClass c = r.classes[0];
        EXPECT_EQ(text(c.getClassName().getString()), "CIM_ComputerSystem");
        EXPECT_EQ(text(c.getSuperClassName().getString()), "CIM_System");
        EXPECT_EQ(c.getPropertyCount(), 32u);
        EXPECT_EQ(c.getMethodCount(), 2u);
        EXPECT_EQ(text(qualifier(c, "Version").getValue().toString()), "2.36.0");

        CIMConstProperty instanceId = property(c, "InstanceID");
        EXPECT_TRUE(instanceId.getPropagated());
        EXPECT_EQ(text(instanceId.getClassOrigin().getString()),
                  withOrigin ? "CIM_ManagedElement" : "");
        // &#10; and &quot; inside long descriptions.
        std::string description = text(qualifier(instanceId, "Description").getValue().toString());
        EXPECT_NE(description.find("below.\nTo ensure"), std::string::npos);
        EXPECT_NE(description.find("\"preferred\""), std::string::npos);
        EXPECT_NE(description.find("<OrgID>:<LocalID>"), std::string::npos);

        CIMConstProperty status = property(c, "OperationalStatus");
        EXPECT_TRUE(status.isArray());
        EXPECT_EQ(status.getType(), CIMTYPE_UINT16);

        CIMConstMethod change = c.getMethod(c.findMethod("RequestStateChange"));
        EXPECT_TRUE(change.getPropagated());
        Uint32 job = change.findParameter("Job");
        ASSERT_NE(job, PEG_NOT_FOUND);
        EXPECT_EQ(change.getParameter(job).getType(), CIMTYPE_REFERENCE);
        EXPECT_EQ(text(change.getParameter(job).getReferenceClassName().getString()),
                  "CIM_ConcreteJob");
        Uint32 timeout = change.findParameter("TimeoutPeriod");
        ASSERT_NE(timeout, PEG_NOT_FOUND);
        EXPECT_EQ(change.getParameter(timeout).getType(), CIMTYPE_DATETIME);
    }
}

TEST(CimXmlWireResponses, QualifierDeclarations)
{
    CimXmlResponse description = decodeCapture("05-GetQualifier-Description-cimcli-response.txt");
    ASSERT_EQ(description.qualifierDecls.size(), 1u);
    CIMConstQualifierDecl d = description.qualifierDecls[0];
    EXPECT_EQ(text(d.getName().getString()), "Description");
    EXPECT_EQ(d.getType(), CIMTYPE_STRING);
    EXPECT_TRUE(d.getValue().isNull());
    EXPECT_TRUE(d.getScope().equal(CIMScope::ANY));
    EXPECT_EQ(text(d.getFlavor().toString()), "OVERRIDABLE TOSUBCLASS TRANSLATABLE");

    CimXmlResponse abstract = decodeCapture("25-cimmof-GetQualifier-response.txt");
    ASSERT_EQ(abstract.qualifierDecls.size(), 1u);
    CIMConstQualifierDecl a = abstract.qualifierDecls[0];
    EXPECT_EQ(a.getType(), CIMTYPE_BOOLEAN);
    EXPECT_EQ(text(a.getValue().toString()), "FALSE");
    EXPECT_EQ(text(a.getScope().toString()), "CLASS ASSOCIATION INDICATION");
    EXPECT_EQ(text(a.getFlavor().toString()), "OVERRIDABLE RESTRICTED");
}

// Expected values of the widget instances, as property name -> toString().
// "(null)" marks a null value.
const std::map<std::string, std::map<std::string, std::string>> kWidgets = {
    {"w1",
     {{"Id", "w1"}, {"Label", "First & <one>"}, {"Size", "10"}, {"Big", "12345678901234"},
      {"Flag", "TRUE"}, {"When", "20240102030405.000000+000"}, {"States", "1 2 "},
      {"Tags", "a b "}, {"Weight", "1.5000000000000000e+00"}, {"Delta", "-5"}}},
    {"w2",
     {{"Id", "w2"}, {"Label", "Second"}, {"Size", "20"}, {"Big", "0"}, {"Flag", "FALSE"},
      {"When", "00000001020304.000000:000"}, {"States", "0 "}, {"Tags", ""},
      {"Weight", "-2.2500000000000000e+00"}, {"Delta", "-5"}}},
    {"w3",
     {{"Id", "w3"}, {"Label", "Third \"quoted\""}, {"Size", "30"}, {"Big", "(null)"},
      {"Flag", "(null)"}, {"When", "(null)"}, {"States", "(null)"}, {"Tags", "(null)"},
      {"Weight", "(null)"}, {"Delta", "-5"}}},
    {"w4",
     {{"Id", "w4"}, {"Label", "Fourth widget"}, {"Size", "40"}, {"Big", "(null)"},
      {"Tags", "x y "}, {"Delta", "-5"}}},
};

void expectWidget(const CIMConstInstance& w)
{
    Uint32 idIndex = w.findProperty("Id");
    ASSERT_NE(idIndex, PEG_NOT_FOUND);
    std::string id = text(w.getProperty(idIndex).getValue().toString());
    SCOPED_TRACE(id);
    auto expected = kWidgets.find(id);
    ASSERT_NE(expected, kWidgets.end());
    for (const auto& [name, value] : expected->second)
    {
        CIMConstProperty p = property(w, name.c_str());
        if (value == "(null)")
            EXPECT_TRUE(p.getValue().isNull()) << name;
        else
        {
            EXPECT_FALSE(p.getValue().isNull()) << name;
            EXPECT_EQ(text(p.getValue().toString()), value) << name;
        }
    }
    CIMConstProperty delta = property(w, "Delta");
    EXPECT_TRUE(delta.getPropagated());
    EXPECT_EQ(property(w, "When").getType(), CIMTYPE_DATETIME);
}

TEST(CimXmlWireResponses, EnumeratedInstancesCarryTheirNames)
{
    const struct
    {
        const char* file;
        Uint32 count;
    } kCases[] = {
        {"06-EnumerateInstances-WT_Widget-cimcli-response.txt", 3},
        {"15-EnumerateInstances-WT_Widget-wbemcli-response.txt", 4},
    };
    for (const auto& c : kCases)
    {
        SCOPED_TRACE(c.file);
        CimXmlResponse r = decodeCapture(c.file);
        ASSERT_EQ(r.instances.size(), c.count);
        for (Uint32 i = 0; i < r.instances.size(); i++)
        {
            CIMConstInstance w = r.instances[i];
            expectWidget(w);
            std::string id = text(w.getProperty(w.findProperty("Id")).getValue().toString());
            EXPECT_EQ(text(w.getPath().toString()), "WT_Widget.Id=\"" + id + "\"");
        }
        // The w2 Tags array is empty but not null.
        CIMConstProperty tags = property(CIMConstInstance(r.instances[1]), "Tags");
        EXPECT_FALSE(tags.getValue().isNull());
        EXPECT_EQ(tags.getValue().getArraySize(), 0u);
    }
}

TEST(CimXmlWireResponses, GetInstance)
{
    CimXmlResponse r = decodeCapture("08-GetInstance-WT_Widget-cimcli-response.txt");
    ASSERT_EQ(r.instances.size(), 1u);
    CIMConstInstance w = r.instances[0];
    EXPECT_EQ(text(w.getProperty(0).getName().getString()), "Delta");
    expectWidget(w);
    Real64 weight = 0;
    property(w, "Weight").getValue().get(weight);
    EXPECT_EQ(weight, 1.5);
    Uint64 big = 0;
    property(w, "Big").getValue().get(big);
    EXPECT_EQ(big, 12345678901234ull);
}

TEST(CimXmlWireResponses, InstanceNames)
{
    const struct
    {
        const char* file;
        std::vector<std::string> paths;
    } kCases[] = {
        {"07-EnumerateInstanceNames-WT_Widget-cimcli-response.txt",
         {"WT_Widget.Id=\"w1\"", "WT_Widget.Id=\"w2\"", "WT_Widget.Id=\"w3\""}},
        {"10b-CreateInstance-WT_Widget-cimcli-step2-CreateInstance-response.txt",
         {"WT_Widget.Id=\"w4\""}},
        {"22-cimmof-CreateInstance-__Namespace-response.txt", {"__Namespace.Name=\"root/wire\""}},
        {"30-cimmof-CreateInstance-WT_Widget-w1-response.txt", {"WT_Widget.Id=\"w1\""}},
    };
    for (const auto& c : kCases)
    {
        SCOPED_TRACE(c.file);
        CimXmlResponse r = decodeCapture(c.file);
        ASSERT_EQ(r.instanceNames.size(), c.paths.size());
        for (Uint32 i = 0; i < r.instanceNames.size(); i++)
        {
            EXPECT_EQ(text(r.instanceNames[i].toString()), c.paths[i]);
            EXPECT_EQ(r.instanceNames[i].getKeyBindings()[0].getType(), CIMKeyBinding::STRING);
        }
    }
}

TEST(CimXmlWireResponses, ClassNames)
{
    CimXmlResponse r = decodeCapture("14-EnumerateClassNames-wbemcli-response.txt");
    ASSERT_EQ(r.classNames.size(), 2u);
    EXPECT_EQ(text(r.classNames[0].getString()), "WT_Base");
    EXPECT_EQ(text(r.classNames[1].getString()), "WT_Widget");
}

TEST(CimXmlWireResponses, MethodClassAndCall)
{
    CimXmlResponse cls = decodeCapture("09a-InvokeMethod-SayHello-cimcli-step1-GetClass-response.txt");
    ASSERT_EQ(cls.classes.size(), 1u);
    CIMConstClass c = cls.classes[0];
    EXPECT_EQ(text(c.getSuperClassName().getString()), "Sample_ProviderClass");
    EXPECT_EQ(property(c, "Identifier").getType(), CIMTYPE_UINT8);
    CIMConstMethod hello = c.getMethod(0);
    EXPECT_EQ(text(hello.getName().getString()), "SayHello");
    EXPECT_EQ(hello.getType(), CIMTYPE_STRING);
    EXPECT_EQ(hello.getParameterCount(), 2u);

    CimXmlResponse call = decodeCapture("09b-InvokeMethod-SayHello-cimcli-step2-SayHello-response.txt");
    EXPECT_FALSE(call.isIntrinsic);
    ASSERT_TRUE(call.hasReturnValue);
    EXPECT_EQ(call.returnValue.getType(), CIMTYPE_STRING);
    EXPECT_EQ(text(call.returnValue.toString()), "Hello, World!");
    ASSERT_EQ(call.outParameters.size(), 1u);
    EXPECT_EQ(text(call.outParameters[0].getParameterName()), "Place");
    EXPECT_TRUE(call.outParameters[0].isTyped());
    EXPECT_EQ(text(call.outParameters[0].getValue().toString()), "From Neverland");
}

}  // namespace

// Open and pull answers: instances with their whole paths, or bare paths,
// then EndOfSequence and the context (empty at the end); and our encoder's
// parts of such an answer decode to the same.
TEST(CimXmlWireResponses, PullAnswersCarryPathsAndTheSequence)
{
    struct Case
    {
        const char* file;
        unsigned instances;
        unsigned paths;
        const char* endOfSequence;
        const char* context;
    };
    const Case kCases[] = {
        {"43a-OpenEnumerateInstances-DT_Base-MaxObjectCount2-cimcli", 2, 0, "FALSE", "500001"},
        {"43b-PullInstancesWithPath-DT_Base-EndOfSequence-cimcli", 2, 0, "TRUE", ""},
        {"44a-OpenEnumerateInstancePaths-DT_Base-MaxObjectCount2-cimcli", 0, 2, "FALSE",
         "500002"},
        {"44b-PullInstancePaths-DT_Base-EndOfSequence-cimcli", 0, 2, "TRUE", ""},
        {"45-OpenAssociatorInstances-DT_Other-a-cimcli", 2, 0, "TRUE", ""},
        {"46-OpenReferenceInstancePaths-DT_Other-a-cimcli", 0, 2, "TRUE", ""},
        {"47a-OpenEnumerateInstances-DT_Base-MaxObjectCount1-cimcli", 1, 0, "FALSE", "500005"},
        {"53-OpenReferenceInstances-DT_Other-a-cimcli", 2, 0, "TRUE", ""},
        {"54a-OpenAssociatorInstancePaths-DT_Other-a-MaxObjectCount1-cimcli", 0, 1, "FALSE",
         "500007"},
        {"54b-PullInstancePaths-DT_Other-a-EndOfSequence-cimcli", 0, 1, "TRUE", ""},
    };
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(c.file);
        CimXmlResponse r = decodeCapture(std::string(c.file) + "-response.txt");
        ASSERT_TRUE(r.hasReturnValue);
        ASSERT_EQ(r.instances.size(), c.instances);
        ASSERT_EQ(r.instanceNames.size(), c.paths);
        for (Uint32 i = 0; i < r.instances.size(); i++)
        {
            EXPECT_EQ(text(r.instances[i].getPath().getHost()), "vm");
            EXPECT_EQ(text(r.instances[i].getPath().getNameSpace().getString()), "root/wiretest2");
            EXPECT_EQ(r.instances[i].getPath().getClassName(), r.instances[i].getClassName());
        }
        for (Uint32 i = 0; i < r.instanceNames.size(); i++)
            EXPECT_EQ(text(r.instanceNames[i].getNameSpace().getString()), "root/wiretest2");
        ASSERT_EQ(r.outParameters.size(), 2u);
        EXPECT_EQ(text(r.outParameters[0].getParameterName()), "EndOfSequence");
        EXPECT_EQ(text(r.outParameters[1].getParameterName()), "EnumerationContext");
        String eos, context;
        r.outParameters[0].getValue().get(eos);
        r.outParameters[1].getValue().get(context);
        EXPECT_EQ(text(eos), c.endOfSequence);
        EXPECT_EQ(text(context), c.context);

        // The same answer from our encoder.
        std::string ours = CimXmlResponseEncoder::returnValueHead(r.messageId, r.methodName);
        for (Uint32 i = 0; i < r.instances.size(); i++)
            CimXmlResponseEncoder::appendInstanceWithPath(ours, r.instances[i]);
        for (Uint32 i = 0; i < r.instanceNames.size(); i++)
            CimXmlResponseEncoder::appendInstancePath(ours, r.instanceNames[i]);
        ours += CimXmlResponseEncoder::pullResponseTail(std::string(c.endOfSequence) == "TRUE",
                                                        c.context);
        CimXmlResponse again = CimXmlResponseDecoder::decode(ours);
        ASSERT_EQ(again.instances.size(), r.instances.size());
        for (Uint32 i = 0; i < r.instances.size(); i++)
        {
            EXPECT_TRUE(again.instances[i].identical(r.instances[i]));
            EXPECT_EQ(again.instances[i].getPath(), r.instances[i].getPath());
        }
        ASSERT_EQ(again.instanceNames.size(), r.instanceNames.size());
        for (Uint32 i = 0; i < r.instanceNames.size(); i++)
            EXPECT_EQ(again.instanceNames[i], r.instanceNames[i]);
        ASSERT_EQ(again.outParameters.size(), 2u);
        EXPECT_TRUE(again.outParameters[0].getValue() == r.outParameters[0].getValue());
        EXPECT_TRUE(again.outParameters[1].getValue() == r.outParameters[1].getValue());
    }
    CimXmlResponse close = decodeCapture("47b-CloseEnumeration-DT_Base-cimcli-response.txt");
    EXPECT_FALSE(close.hasReturnValue);
    EXPECT_FALSE(close.hasError);
    EXPECT_EQ(text(close.methodName), "CloseEnumeration");
}
