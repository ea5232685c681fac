// Objects encoded to CIM-XML and decoded again must come back identical:
// every CIM type, arrays, nulls, escaping, non-ASCII text, schema elements,
// and every request and response the message layer builds.
#include "CimXmlMessages.h"
#include "CimXmlReader.h"
#include "CimXmlValues.h"
#include "CimXmlWriter.h"

#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMScope.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "CommonTestSupport.h"

using namespace Pegasus;

namespace {

template <class T>
CIMValue arrayOf(std::initializer_list<T> items)
{
    Array<T> a;
    for (const T& x : items)
        a.append(x);
    return CIMValue(a);
}

CIMObjectPath samplePath()
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Name", "a \"quoted\" \\ key", CIMKeyBinding::STRING));
    keys.append(CIMKeyBinding("Number", "-42", CIMKeyBinding::NUMERIC));
    keys.append(CIMKeyBinding("Flag", "TRUE", CIMKeyBinding::BOOLEAN));
    return CIMObjectPath("host.example", "root/cimv2", "CIM_Thing", keys);
}

CIMInstance embeddedInstance()
{
    CIMInstance i("CIM_Embedded");
    i.addProperty(CIMProperty("Text", CIMValue(String("inner <xml> & \"quotes\""))));
    i.addProperty(CIMProperty("Count", CIMValue(Uint16(7))));
    return i;
}

// One value per case, carried as an instance property.
struct ValueCase
{
    const char* label;
    CIMValue value;
};

std::vector<ValueCase> valueCases()
{
    CIMClass embeddedClass("CIM_EmbeddedClass", "CIM_Base");
    embeddedClass.addProperty(CIMProperty("P", CIMValue(CIMTYPE_UINT32, false)));
    return {
        {"boolean", CIMValue(true)},
        {"boolean false", CIMValue(false)},
        {"uint8 max", CIMValue(Uint8(255))},
        {"sint8 min", CIMValue(Sint8(-128))},
        {"uint16 max", CIMValue(Uint16(65535))},
        {"sint16 min", CIMValue(Sint16(-32768))},
        {"uint32 max", CIMValue(Uint32(4294967295u))},
        {"sint32 min", CIMValue(Sint32(INT_MIN))},
        {"uint64 max", CIMValue(Uint64(ULLONG_MAX))},
        {"sint64 min", CIMValue(Sint64(LLONG_MIN))},
        {"real32", CIMValue(Real32(0.1f))},
        {"real32 max", CIMValue(Real32(FLT_MAX))},
        {"real64", CIMValue(Real64(0.1))},
        {"real64 tiny", CIMValue(Real64(-2.5e-300))},
        {"char16 ascii", CIMValue(Char16('x'))},
        {"char16 latin", CIMValue(Char16(0xE9))},
        {"char16 quote", CIMValue(Char16('"'))},
        {"string escapes", CIMValue(String("a<b>&c\"d'e"))},
        {"string white space", CIMValue(String("  lead\ttab\nline\r\ncrlf trail  "))},
        {"string non-ASCII", CIMValue(String("\xc3\xa9t\xc3\xa9 \xe2\x98\xba \xf0\x9f\x98\x80"))},
        {"string empty", CIMValue(String(""))},
        {"datetime stamp", CIMValue(CIMDateTime("20240102030405.123456-300"))},
        {"datetime interval", CIMValue(CIMDateTime("00000001020304.000000:000"))},
        {"datetime wildcard", CIMValue(CIMDateTime("2024010203****.******+000"))},
        {"reference", CIMValue(samplePath())},
        {"reference local", CIMValue(CIMObjectPath("root/x:C.k=\"v\""))},
        {"reference class", CIMValue(CIMObjectPath("C"))},
        {"embedded instance", CIMValue(embeddedInstance())},
        {"embedded class", CIMValue(CIMObject(embeddedClass))},
        {"boolean array", arrayOf<Boolean>({true, false, true})},
        {"uint8 array", arrayOf<Uint8>({0, 1, 255})},
        {"sint64 array", arrayOf<Sint64>({LLONG_MIN, 0, LLONG_MAX})},
        {"real64 array", arrayOf<Real64>({1.5, -0.0, 1e300})},
        {"char16 array", arrayOf<Char16>({Char16('a'), Char16(0x263A)})},
        {"string array", arrayOf<String>({String("x"), String(""), String("<&>")})},
        {"datetime array", arrayOf<CIMDateTime>({CIMDateTime("20240102030405.000000+000")})},
        {"empty array", CIMValue(Array<Uint32>())},
        {"instance array", arrayOf<CIMInstance>({embeddedInstance(), embeddedInstance()})},
        {"null string", CIMValue(CIMTYPE_STRING, false)},
        {"null uint32 array", CIMValue(CIMTYPE_UINT32, true)},
        {"null reference", CIMValue(CIMTYPE_REFERENCE, false)},
        {"null instance", CIMValue(CIMTYPE_INSTANCE, false)},
    };
}

TEST(CimXmlRoundTrip, EveryValueTypeSurvivesAnInstanceProperty)
{
    for (const ValueCase& c : valueCases())
    {
        SCOPED_TRACE(c.label);
        CIMInstance original("CIM_Test");
        original.addProperty(CIMProperty("P", c.value, 0,
                                         c.value.getType() == CIMTYPE_REFERENCE
                                             ? CIMName("CIM_Thing")
                                             : CIMName()));
        std::string xml;
        CimXmlWriter::appendInstance(xml, original);
        CIMInstance decoded = CimXmlReader::decodeInstance(xml);
        ASSERT_EQ(decoded.getPropertyCount(), 1u);
        CIMConstProperty p = decoded.getProperty(0);
        EXPECT_EQ(p.getType(), c.value.getType());
        EXPECT_EQ(p.isArray(), c.value.isArray());
        EXPECT_EQ(p.getValue().isNull(), c.value.isNull());
        EXPECT_TRUE(p.getValue().equal(c.value))
            << text(p.getValue().toString()) << " vs " << text(c.value.toString()) << "\n"
            << xml;
        EXPECT_TRUE(decoded.identical(original)) << xml;
    }
}

TEST(CimXmlRoundTrip, WriterFormats)
{
    const struct
    {
        CIMValue value;
        const char* xml;
    } kCases[] = {
        {CIMValue(Real64(1.5)), "<VALUE>1.5000000000000000e+00</VALUE>\n"},
        {CIMValue(Real32(0.1f)), "<VALUE>1.0000000149011612e-01</VALUE>\n"},
        {CIMValue(Real64(-2.25)), "<VALUE>-2.2500000000000000e+00</VALUE>\n"},
        {CIMValue(false), "<VALUE>FALSE</VALUE>\n"},
        {CIMValue(String("a\nb\x01")), "<VALUE>a&#10;b\xEF\xBF\xBD</VALUE>\n"},
        {CIMValue(CIMTYPE_STRING, false), ""},
        {CIMValue(Array<String>()), "<VALUE.ARRAY>\n</VALUE.ARRAY>\n"},
        {CIMValue(CIMObjectPath("C")), "<VALUE.REFERENCE>\n<CLASSNAME NAME=\"C\"/>\n"
                                       "</VALUE.REFERENCE>\n"},
    };
    for (const auto& c : kCases)
    {
        std::string xml;
        CimXmlWriter::appendValue(xml, c.value);
        EXPECT_EQ(xml, c.xml);
    }
}

// Forms other writers use that the decoder accepts.
TEST(CimXmlRoundTrip, LenientValueForms)
{
    const struct
    {
        CIMType type;
        const char* text;
        CIMValue expected;
    } kCases[] = {
        {CIMTYPE_UINT8, "0x1F", CIMValue(Uint8(31))},
        {CIMTYPE_SINT16, "+12", CIMValue(Sint16(12))},
        {CIMTYPE_SINT8, "-0x80", CIMValue(Sint8(-128))},
        {CIMTYPE_UINT32, "\n  42\n", CIMValue(Uint32(42))},
        {CIMTYPE_BOOLEAN, " true ", CIMValue(true)},
        {CIMTYPE_BOOLEAN, "False", CIMValue(false)},
        {CIMTYPE_REAL64, "1e3", CIMValue(Real64(1000))},
        {CIMTYPE_REAL64, "+.5", CIMValue(Real64(0.5))},
        {CIMTYPE_STRING, " kept as is ", CIMValue(String(" kept as is "))},
    };
    for (const auto& c : kCases)
    {
        SCOPED_TRACE(c.text);
        CIMValue v = CimXmlValues::scalarFromText(c.type, c.text, std::strlen(c.text));
        EXPECT_TRUE(v.equal(c.expected)) << text(v.toString());
    }
}

CIMClass sampleClass()
{
    CIMClass c("CIM_Sample", "CIM_Parent");
    c.addQualifier(CIMQualifier("Description", CIMValue(String("A \"sample\" <class>")),
                                CIMFlavor::DEFAULTS + CIMFlavor::TRANSLATABLE));
    c.addQualifier(CIMQualifier("Version", CIMValue(String("1.0")),
                                CIMFlavor::OVERRIDABLE + CIMFlavor::RESTRICTED));
    c.addQualifier(CIMQualifier("Abstract", CIMValue(true),
                                CIMFlavor::DISABLEOVERRIDE + CIMFlavor::TOSUBCLASS +
                                    CIMFlavor::TOINSTANCE,
                                true));

    CIMProperty key("Name", CIMValue(CIMTYPE_STRING, false), 0, CIMName(), "CIM_Parent", true);
    key.addQualifier(CIMQualifier("Key", CIMValue(true),
                                  CIMFlavor::DISABLEOVERRIDE + CIMFlavor::TOSUBCLASS));
    c.addProperty(key);
    CIMProperty fixed("Fixed", CIMValue(CIMTYPE_UINT8, true, 3), 3);
    fixed.addQualifier(CIMQualifier("ValueMap", arrayOf<String>({String("1"), String("2")}),
                                    CIMFlavor::DEFAULTS));
    c.addProperty(fixed);
    c.addProperty(CIMProperty("Ref", CIMValue(CIMTYPE_REFERENCE, false), 0, "CIM_Other"));
    c.addProperty(CIMProperty("Default", CIMValue(Sint32(-5)), 0, CIMName(), "CIM_Sample"));

    CIMMethod m("Run", CIMTYPE_UINT32, "CIM_Sample", false);
    m.addQualifier(CIMQualifier("Description", CIMValue(String("runs")), CIMFlavor::DEFAULTS));
    CIMParameter in("Count", CIMTYPE_UINT16);
    in.addQualifier(CIMQualifier("In", CIMValue(true), CIMFlavor::DEFAULTS));
    m.addParameter(in);
    m.addParameter(CIMParameter("Names", CIMTYPE_STRING, true, 4));
    m.addParameter(CIMParameter("Target", CIMTYPE_REFERENCE, false, 0, "CIM_Other"));
    m.addParameter(CIMParameter("Targets", CIMTYPE_REFERENCE, true, 0, "CIM_Other"));
    c.addMethod(m);
    c.addMethod(CIMMethod("Stop", CIMTYPE_BOOLEAN, "CIM_Parent", true));
    CIMMethod get("Get", CIMTYPE_INSTANCE);
    get.addParameter(CIMParameter("Filter", CIMTYPE_OBJECT));
    get.addParameter(CIMParameter("Items", CIMTYPE_INSTANCE, true));
    c.addMethod(get);
    return c;
}

TEST(CimXmlRoundTrip, ClassWithEveryKindOfMember)
{
    CIMClass original = sampleClass();
    std::string xml;
    CimXmlWriter::appendClass(xml, original);
    CIMClass decoded = CimXmlReader::decodeClass(xml);
    EXPECT_TRUE(decoded.identical(original)) << xml;
    EXPECT_EQ(text(decoded.getQualifier(1).getFlavor().toString()), "OVERRIDABLE RESTRICTED");
    EXPECT_EQ(decoded.getProperty(1).getArraySize(), 3u);
    EXPECT_EQ(text(decoded.getProperty(2).getReferenceClassName().getString()), "CIM_Other");
    EXPECT_EQ(decoded.getMethod(0).getParameter(3).getType(), CIMTYPE_REFERENCE);
    EXPECT_TRUE(decoded.getMethod(0).getParameter(3).isArray());

    // The object's own text form is the same CIM-XML.
    EXPECT_TRUE(CimXmlReader::decodeObject(text(CIMObject(original).toString()))
                    .identical(CIMObject(original)));
}

// The decoder caches names; a class and its superclass whose names share a
// cache slot (these two do) must still come out as two different names.
TEST(CimXmlRoundTrip, ClassAndSuperclassNamesStayApart)
{
    const std::pair<const char*, const char*> kPairs[] = {
        {"CIM_QueryCondition", "CIM_PolicyCondition"},
        {"CIM_NetworkPortCapabilities", "CIM_LogicalPortCapabilities"},
    };
    for (const auto& pair : kPairs)
    {
        CIMClass decoded = CimXmlReader::decodeClass(
            std::string("<CLASS NAME=\"") + pair.first + "\" SUPERCLASS=\"" +
            pair.second + "\"></CLASS>");
        EXPECT_EQ(text(decoded.getClassName().getString()), pair.first);
        EXPECT_EQ(text(decoded.getSuperClassName().getString()), pair.second);
    }
}

TEST(CimXmlRoundTrip, QualifierDeclarations)
{
    const CIMQualifierDecl kDecls[] = {
        CIMQualifierDecl("Key", CIMValue(false), CIMScope::PROPERTY + CIMScope::REFERENCE,
                         CIMFlavor::DISABLEOVERRIDE),
        CIMQualifierDecl("Description", CIMValue(CIMTYPE_STRING, false), CIMScope::ANY,
                         CIMFlavor::TRANSLATABLE),
        CIMQualifierDecl("ValueMap", CIMValue(CIMTYPE_STRING, true), CIMScope::PROPERTY),
        CIMQualifierDecl("Fixed", arrayOf<Uint16>({1, 2}), CIMScope::CLASS,
                         CIMFlavor::RESTRICTED + CIMFlavor::TOINSTANCE, 2),
        CIMQualifierDecl("Nothing", CIMValue(Real64(2.5)), CIMScope::NONE),
    };
    for (const CIMQualifierDecl& d : kDecls)
    {
        SCOPED_TRACE(text(d.getName().getString()));
        std::string xml;
        CimXmlWriter::appendQualifierDecl(xml, d);
        EXPECT_TRUE(CimXmlReader::decodeQualifierDecl(xml).identical(d)) << xml;
    }
}

// Each request the client can build decodes, on the server side, into the
// parameters it was built from.
TEST(CimXmlRoundTrip, RequestsDecodeIntoTheirParameters)
{
    const CIMNamespaceName ns("root/cimv2");
    Array<CIMName> names;
    names.append("A");
    names.append("b_2");
    CIMPropertyList list(names);
    CIMInstance instance = embeddedInstance();
    instance.setPath(CIMObjectPath("CIM_Embedded.Count=7"));

    struct Case
    {
        CimXmlRequest request;
        std::function<void(const CimXmlRequestMessage&)> check;
    };
    const Case kCases[] = {
        {CimXmlRequestEncoder::getClass("1", ns, "C", false, false, true, list),
         [&](const CimXmlRequestMessage& m) {
             EXPECT_EQ(m.getClassName("ClassName"), CIMName("C"));
             EXPECT_FALSE(m.getBoolean("LocalOnly", true));
             EXPECT_FALSE(m.getBoolean("IncludeQualifiers", true));
             EXPECT_TRUE(m.getBoolean("IncludeClassOrigin", false));
             EXPECT_EQ(text(m.getPropertyList().toString()), "A, b_2");
         }},
        {CimXmlRequestEncoder::getClass("1", ns, "C", true, true, false, CIMPropertyList(Array<CIMName>())),
         [](const CimXmlRequestMessage& m) {
             EXPECT_EQ(m.iparams.size(), 2u);
             EXPECT_EQ(text(m.getPropertyList().toString()), "EMPTY");
         }},
        {CimXmlRequestEncoder::enumerateClasses("2", ns, CIMName(), true),
         [](const CimXmlRequestMessage& m) {
             EXPECT_TRUE(m.getClassName("ClassName").isNull());
             EXPECT_TRUE(m.getBoolean("DeepInheritance", false));
             EXPECT_EQ(m.iparams.size(), 1u);
         }},
        {CimXmlRequestEncoder::enumerateClassNames("3", ns, "CIM_X"),
         [](const CimXmlRequestMessage& m) { EXPECT_EQ(m.iparams.size(), 1u); }},
        {CimXmlRequestEncoder::createClass("4", ns, sampleClass()),
         [](const CimXmlRequestMessage& m) {
             EXPECT_TRUE(m.findIParam("NewClass")->cimClass.identical(sampleClass()));
         }},
        {CimXmlRequestEncoder::modifyClass("5", ns, sampleClass()),
         [](const CimXmlRequestMessage& m) {
             EXPECT_EQ(m.findIParam("ModifiedClass")->kind, CimXmlIParamValue::CLASS);
         }},
        {CimXmlRequestEncoder::deleteClass("6", ns, "CIM_Gone"),
         [](const CimXmlRequestMessage& m) {
             EXPECT_EQ(m.getClassName("ClassName"), CIMName("CIM_Gone"));
         }},
        {CimXmlRequestEncoder::deleteQualifier("7", ns, "Q"),
         [](const CimXmlRequestMessage& m) { EXPECT_EQ(text(m.getString("QualifierName")), "Q"); }},
        {CimXmlRequestEncoder::enumerateQualifiers("8", ns),
         [](const CimXmlRequestMessage& m) { EXPECT_TRUE(m.iparams.empty()); }},
        {CimXmlRequestEncoder::enumerateInstances("9", ns, "C", false, false, true, true, list),
         [](const CimXmlRequestMessage& m) { EXPECT_EQ(m.iparams.size(), 6u); }},
        {CimXmlRequestEncoder::modifyInstance("10", ns, instance, false, list),
         [&](const CimXmlRequestMessage& m) {
             const CimXmlIParamValue* p = m.findIParam("ModifiedInstance");
             ASSERT_EQ(p->kind, CimXmlIParamValue::NAMED_INSTANCE);
             EXPECT_EQ(text(p->instance.getPath().toString()), "CIM_Embedded.Count=7");
             EXPECT_FALSE(m.getBoolean("IncludeQualifiers", true));
         }},
        {CimXmlRequestEncoder::deleteInstance("11", ns, samplePath()),
         [](const CimXmlRequestMessage& m) {
             // INSTANCENAME carries no host or namespace.
             EXPECT_EQ(text(m.getInstanceName("InstanceName").toString()),
                       "CIM_Thing.Flag=TRUE,Name=\"a \\\"quoted\\\" \\\\ key\",Number=-42");
         }},
    };
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(c.request.cimMethod);
        CimXmlRequestMessage m = CimXmlRequestDecoder::decode(c.request.body);
        EXPECT_TRUE(m.isIntrinsic);
        EXPECT_EQ(text(m.methodName), c.request.cimMethod);
        EXPECT_EQ(text(m.nameSpace.getString()), "root/cimv2");
        EXPECT_EQ(c.request.cimObject, "root%2Fcimv2");
        c.check(m);
    }
}

TEST(CimXmlRoundTrip, MethodCallParametersKeepTheirTypes)
{
    Array<CIMParamValue> in;
    in.append(CIMParamValue("force", CIMValue(true)));
    in.append(CIMParamValue("timeout", CIMValue(Uint32(20))));
    in.append(CIMParamValue("list", arrayOf<Sint16>({-1, 2})));
    in.append(CIMParamValue("target", CIMValue(samplePath())));
    in.append(CIMParamValue("targets", arrayOf<CIMObjectPath>({samplePath()})));
    in.append(CIMParamValue("thing", CIMValue(embeddedInstance())));
    in.append(CIMParamValue("untyped", CIMValue(String("12")), false));
    in.append(CIMParamValue("nothing", CIMValue(CIMTYPE_UINT64, false)));
    CimXmlRequest r = CimXmlRequestEncoder::invokeMethod(
        "12", "root/PG_Internal", CIMObjectPath("//h/root/x:PG_ShutdownService"), "shutdown", in);
    EXPECT_EQ(r.cimMethod, "shutdown");
    EXPECT_EQ(r.cimObject, "root%2FPG_Internal%3APG_ShutdownService");

    CimXmlRequestMessage m = CimXmlRequestDecoder::decode(r.body);
    EXPECT_FALSE(m.isIntrinsic);
    EXPECT_EQ(text(m.objectName.toString()), "root/PG_Internal:PG_ShutdownService");
    ASSERT_EQ(m.parameters.size(), in.size());
    for (Uint32 i = 0; i < in.size(); i++)
    {
        SCOPED_TRACE(text(in[i].getParameterName()));
        EXPECT_EQ(m.parameters[i].getParameterName(), in[i].getParameterName());
        EXPECT_EQ(m.parameters[i].isTyped(), in[i].isTyped());
        EXPECT_TRUE(m.parameters[i].getValue().equal(in[i].getValue()));
    }
}

TEST(CimXmlRoundTrip, ResponsesDecodeIntoTheirResults)
{
    Array<CIMClass> classes;
    classes.append(sampleClass());
    CimXmlResponse r = CimXmlResponseDecoder::decode(
        CimXmlResponseEncoder::classesResponse("1", "EnumerateClasses", classes));
    ASSERT_EQ(r.classes.size(), 1u);
    EXPECT_TRUE(r.classes[0].identical(sampleClass()));

    Array<CIMName> names;
    names.append("A");
    names.append("B");
    r = CimXmlResponseDecoder::decode(
        CimXmlResponseEncoder::classNamesResponse("2", "EnumerateClassNames", names));
    ASSERT_EQ(r.classNames.size(), 2u);
    EXPECT_EQ(r.classNames[1], CIMName("B"));

    r = CimXmlResponseDecoder::decode(
        CimXmlResponseEncoder::instanceResponse("3", "GetInstance", embeddedInstance()));
    ASSERT_EQ(r.instances.size(), 1u);
    EXPECT_TRUE(r.instances[0].identical(embeddedInstance()));

    Array<CIMQualifierDecl> decls;
    decls.append(CIMQualifierDecl("Q", CIMValue(Uint32(3)), CIMScope::METHOD));
    r = CimXmlResponseDecoder::decode(
        CimXmlResponseEncoder::qualifierDeclsResponse("4", "EnumerateQualifiers", decls));
    ASSERT_EQ(r.qualifierDecls.size(), 1u);
    EXPECT_TRUE(r.qualifierDecls[0].identical(decls[0]));

    Array<CIMObjectPath> paths;
    paths.append(CIMObjectPath("X.k=1"));
    r = CimXmlResponseDecoder::decode(
        CimXmlResponseEncoder::instanceNamesResponse("5", "EnumerateInstanceNames", paths));
    ASSERT_EQ(r.instanceNames.size(), 1u);
    EXPECT_EQ(text(r.instanceNames[0].toString()), "X.k=1");

    r = CimXmlResponseDecoder::decode(CimXmlResponseEncoder::emptyResponse("6", "DeleteClass"));
    EXPECT_FALSE(r.hasReturnValue);
    EXPECT_FALSE(r.hasError);

    Array<CIMParamValue> out;
    out.append(CIMParamValue("Values", arrayOf<Uint32>({1, 2, 3})));
    r = CimXmlResponseDecoder::decode(CimXmlResponseEncoder::methodResponse(
        "7", "Run", CIMValue(Uint32(0)), out));
    EXPECT_FALSE(r.isIntrinsic);
    EXPECT_TRUE(r.returnValue.equal(CIMValue(Uint32(0))));
    ASSERT_EQ(r.outParameters.size(), 1u);
    EXPECT_TRUE(r.outParameters[0].getValue().equal(out[0].getValue()));

    r = CimXmlResponseDecoder::decode(CimXmlResponseEncoder::errorResponse(
        "8", "Run", false, CIM_ERR_METHOD_NOT_FOUND, "CIM_ERR_METHOD_NOT_FOUND: <Run> & \"x\""));
    EXPECT_THROW(r.throwIfError(), CIMException);
    EXPECT_EQ(text(r.errorDescription), "CIM_ERR_METHOD_NOT_FOUND: <Run> & \"x\"");
}

// A large answer is decoded into shared storage: the properties of an
// instance in one block, a class's properties and qualifiers in blocks that
// grow, repeated short strings sharing one text.  Every object must still
// come back as it was sent, and stay valid on its own.
TEST(CimXmlRoundTrip, ManyObjectsDecodeAsSentAndOutliveTheirNeighbours)
{
    // Instances whose property counts change (so that the room reserved
    // from the instance before is too small or too large), with short
    // strings that repeat and many that only collide in a small cache.
    Array<CIMInstance> instances;
    for (Uint32 i = 0; i < 300; i++)
    {
        CIMInstance inst("CIM_Item");
        Array<CIMKeyBinding> keys;
        keys.append(CIMKeyBinding("Id", String("i") + CIMValue(i).toString(),
                                  CIMKeyBinding::STRING));
        inst.setPath(CIMObjectPath("", CIMNamespaceName(), "CIM_Item", keys));
        for (Uint32 p = 0; p < 3 + (i * 7) % 20; p++)
        {
            String name = String("P") + CIMValue(p).toString();
            switch (p % 3)
            {
            case 0:
                inst.addProperty(CIMProperty(
                    name, CIMValue(String(p % 2 ? "same" : "x") + CIMValue(i * p).toString())));
                break;
            case 1:
                inst.addProperty(CIMProperty(
                    name, arrayOf<String>({String("on"), String("off"),
                                           String("v") + CIMValue(i).toString()})));
                break;
            default:
                inst.addProperty(CIMProperty(name, CIMValue(Uint64(i) << 40)));
                break;
            }
        }
        instances.append(inst);
    }
    CimXmlResponse r = CimXmlResponseDecoder::decode(
        CimXmlResponseEncoder::namedInstancesResponse("1", "EnumerateInstances", instances));
    ASSERT_EQ(r.instances.size(), instances.size());
    for (Uint32 i = 0; i < instances.size(); i++)
        EXPECT_TRUE(r.instances[i].identical(instances[i])) << "instance " << i;

    // One property kept from the middle of the answer, the rest dropped.
    CIMProperty kept = r.instances[150].getProperty(1);
    CIMValue keptValue = kept.getValue();
    r = CimXmlResponse();
    EXPECT_EQ(kept.getName(), CIMName("P1"));
    EXPECT_TRUE(keptValue.equal(instances[150].getProperty(1).getValue()));
    kept.setValue(arrayOf<String>({String("changed")}));
    EXPECT_EQ("changed ", text(kept.getValue().toString()));

    // A class with more properties and qualifiers than one block holds.
    CIMClass big("CIM_Big", "CIM_Parent");
    const CIMFlavor flavor = CIMFlavor::DEFAULTS;
    for (Uint32 q = 0; q < 40; q++)
    {
        big.addQualifier(
            CIMQualifier(String("Q") + CIMValue(q).toString(), CIMValue(q % 2 == 0), flavor));
    }
    for (Uint32 p = 0; p < 300; p++)
    {
        CIMProperty prop(String("P") + CIMValue(p).toString(), CIMValue(CIMTYPE_UINT16, false));
        prop.addQualifier(CIMQualifier(
            "ValueMap", arrayOf<String>({String("0"), String("1"), String("..")}), flavor));
        prop.addQualifier(CIMQualifier(
            "Description", CIMValue(String("property ") + CIMValue(p).toString()), flavor));
        big.addProperty(prop);
    }
    Array<CIMClass> classes;
    classes.append(big);
    classes.append(sampleClass());
    r = CimXmlResponseDecoder::decode(
        CimXmlResponseEncoder::classesResponse("2", "EnumerateClasses", classes));
    ASSERT_EQ(r.classes.size(), 2u);
    EXPECT_TRUE(r.classes[0].identical(big));
    EXPECT_TRUE(r.classes[1].identical(sampleClass()));
    CIMClass second = r.classes[1];
    r = CimXmlResponse();
    EXPECT_TRUE(second.identical(sampleClass()));
}

// Short texts are shared between the documents a thread decodes, and with
// the objects of other threads: each decoded value stays its own.
TEST(CimXmlRoundTrip, ShortTextsSharedBetweenDocumentsStayTheirOwn)
{
    auto answer = [](const std::vector<std::string>& texts) {
        CIMInstance inst("CIM_Item");
        inst.setPath(CIMObjectPath("", CIMNamespaceName(), "CIM_Item"));
        for (std::size_t i = 0; i < texts.size(); i++)
            inst.addProperty(CIMProperty(String("P") + CIMValue(Uint32(i)).toString(),
                                         CIMValue(String(texts[i].c_str()))));
        Array<CIMInstance> instances;
        instances.append(inst);
        return CimXmlResponseEncoder::namedInstancesResponse("1", "EnumerateInstances",
                                                            instances);
    };
    auto texts = [](const CimXmlResponse& r) {
        std::vector<std::string> out;
        const CIMInstance& inst = r.instances[0];
        for (Uint32 i = 0; i < inst.getPropertyCount(); i++)
        {
            String value;
            inst.getProperty(i).getValue().get(value);
            out.push_back(text(value));
        }
        return out;
    };
    const std::vector<std::string> first = {"Enabled", "on", "off", "Enabled"};
    const std::string doc = answer(first);

    // A text of the first answer changed in place changes nothing else.
    CimXmlResponse one = CimXmlResponseDecoder::decode(doc);
    String changed;
    one.instances[0].getProperty(0).getValue().get(changed);
    changed[0] = 'X';
    EXPECT_EQ("Xnabled", text(changed));
    EXPECT_EQ(texts(one), first);
    EXPECT_EQ(texts(CimXmlResponseDecoder::decode(doc)), first);

    // More different texts than the cache has slots, then the first again.
    std::vector<std::string> many;
    for (int i = 0; i < 3000; i++)
        many.push_back("t" + std::to_string(i));
    EXPECT_EQ(texts(CimXmlResponseDecoder::decode(answer(many))), many);
    EXPECT_EQ(texts(CimXmlResponseDecoder::decode(doc)), first);

    // Threads decode the same answer, sharing texts with their own caches;
    // their objects are checked and released on this thread.
    std::vector<std::vector<CimXmlResponse>> results(4);
    std::vector<std::thread> threads;
    for (auto& mine : results)
    {
        threads.emplace_back([&mine, &doc] {
            for (int i = 0; i < 50; i++)
                mine.push_back(CimXmlResponseDecoder::decode(doc));
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (auto& mine : results)
    {
        for (const CimXmlResponse& r : mine)
            EXPECT_EQ(texts(r), first);
    }
}

}  // namespace
