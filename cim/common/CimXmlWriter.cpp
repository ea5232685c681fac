#include "CimXmlWriter.h"
#include "Utf8Text.h"

#include "CIMObjectModelRep.h"
#include "CimXmlValues.h"

#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMScope.h>

#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Pegasus {

namespace {

void appendName(std::string& out, const String& s)
{
    CimXmlWriter::appendEscaped(out, s);
}

// Appends ` NAME="value"` (value escaped).
void attr(std::string& out, const char* name, const String& value)
{
    out += ' ';
    out += name;
    out += "=\"";
    appendName(out, value);
    out += '"';
}

void attr(std::string& out, const char* name, const char* value)
{
    out += ' ';
    out += name;
    out += "=\"";
    out += value;
    out += '"';
}

void attrNumber(std::string& out, const char* name, Uint32 value)
{
    out += ' ';
    out += name;
    out += "=\"";
    out += std::to_string(value);
    out += '"';
}

bool isEmbedded(CIMType type)
{
    return type == CIMTYPE_OBJECT || type == CIMTYPE_INSTANCE;
}

// TYPE and, for objects and instances, EmbeddedObject.
void typeAttributes(std::string& out, const char* typeAttribute, CIMType type)
{
    attr(out, typeAttribute, CimXmlWriter::typeName(type));
    if (type == CIMTYPE_OBJECT)
        attr(out, "EmbeddedObject", "object");
    else if (type == CIMTYPE_INSTANCE)
        attr(out, "EmbeddedObject", "instance");
}

// Flavor attributes, written only where they differ from the CIM-XML
// defaults (OVERRIDABLE and TOSUBCLASS true, TOINSTANCE and TRANSLATABLE
// false).
void flavorAttributes(std::string& out, const CIMFlavor& flavor)
{
    if (!flavor.hasFlavor(CIMFlavor::OVERRIDABLE))
        attr(out, "OVERRIDABLE", "false");
    if (!flavor.hasFlavor(CIMFlavor::TOSUBCLASS))
        attr(out, "TOSUBCLASS", "false");
    if (flavor.hasFlavor(CIMFlavor::TOINSTANCE))
        attr(out, "TOINSTANCE", "true");
    if (flavor.hasFlavor(CIMFlavor::TRANSLATABLE))
        attr(out, "TRANSLATABLE", "true");
}

void appendValueElement(std::string& out, const std::string& text)
{
    out += "<VALUE>";
    CimXmlWriter::appendEscaped(out, text);
    out += "</VALUE>\n";
}

void appendValueElement(std::string& out, const String& text)
{
    out += "<VALUE>";
    CimXmlWriter::appendEscaped(out, text);
    out += "</VALUE>\n";
}

void appendEmbeddedValues(std::string& out, const CIMValue& value)
{
    Array<CIMObject> objects;
    if (value.getType() == CIMTYPE_OBJECT)
    {
        if (value.isArray())
            value.get(objects);
        else
        {
            CIMObject o;
            value.get(o);
            objects.append(o);
        }
    }
    else
    {
        Array<CIMInstance> instances;
        if (value.isArray())
            value.get(instances);
        else
        {
            CIMInstance i;
            value.get(i);
            instances.append(i);
        }
        for (Uint32 i = 0; i < instances.size(); i++)
            objects.append(CIMObject(instances[i]));
    }
    if (value.isArray())
        out += "<VALUE.ARRAY>\n";
    for (Uint32 i = 0; i < objects.size(); i++)
    {
        std::string xml;
        CimXmlWriter::appendObject(xml, objects[i]);
        appendValueElement(out, xml);
    }
    if (value.isArray())
        out += "</VALUE.ARRAY>\n";
}

void appendKeyBinding(std::string& out, const CIMKeyBinding& key)
{
    out += "<KEYBINDING";
    attr(out, "NAME", key.getName().getString());
    out += ">\n";
    if (key.getType() == CIMKeyBinding::REFERENCE)
    {
        CimXmlWriter::appendValueReference(out, CIMObjectPath(key.getValue()));
    }
    else
    {
        out += "<KEYVALUE VALUETYPE=\"";
        out += key.getType() == CIMKeyBinding::BOOLEAN   ? "boolean"
               : key.getType() == CIMKeyBinding::NUMERIC ? "numeric"
                                                         : "string";
        out += "\">";
        appendName(out, key.getValue());
        out += "</KEYVALUE>\n";
    }
    out += "</KEYBINDING>\n";
}

void appendHost(std::string& out, const String& host)
{
    out += "<HOST>";
    appendName(out, host);
    out += "</HOST>\n";
}

template <class Container>
void appendQualifiers(std::string& out, const Container& c)
{
    for (Uint32 i = 0, n = c.getQualifierCount(); i < n; i++)
        CimXmlWriter::appendQualifier(out, c.getQualifier(i));
}

}  // namespace

namespace {

// Bytes that cannot be written as they are: markup characters, and control
// characters (tab, newline and carriage return as character references, so
// that parsers do not normalise them away; the others cannot appear in
// XML 1.0 at all, not even as references, and U+FFFD stands in for them).
struct EscapeTable
{
    bool special[128] = {};
    EscapeTable()
    {
        for (unsigned c = 0; c < 0x20; c++)
            special[c] = true;
        for (unsigned char c : {'&', '<', '>', '"', '\''})
            special[c] = true;
    }
};

const EscapeTable kEscape;

inline bool isSpecial(unsigned c)
{
    return c < 0x80 && kEscape.special[c];
}

void appendSpecial(std::string& out, unsigned char c)
{
    switch (c)
    {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    case '\'': out += "&apos;"; break;
    case '\t': out += "&#9;"; break;
    case '\n': out += "&#10;"; break;
    case '\r': out += "&#13;"; break;
    default: out += "\xEF\xBF\xBD"; break;
    }
}

}  // namespace

void CimXmlWriter::appendEscaped(std::string& out, const char* text, std::size_t size)
{
    const char* run = text;
    const char* end = text + size;
    for (const char* p = text; p != end; ++p)
    {
        unsigned char c = static_cast<unsigned char>(*p);
        if (!isSpecial(c))
            continue;
        out.append(run, p);
        appendSpecial(out, c);
        run = p + 1;
    }
    out.append(run, end);
}

namespace {

// The length of the run at the start of p[0..n) of ASCII characters that
// are written as they are.
std::size_t plainRun(const Char16* p, std::size_t n)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    // Eight units at a time: all of them within 0x20..0x7F and none of the
    // markup characters.  Units from 0x8000 up compare as negative, so they
    // fail the lower bound.
    const __m128i low = _mm_set1_epi16(0x20);
    const __m128i high = _mm_set1_epi16(0x7F);
    const __m128i amp = _mm_set1_epi16('&'), lt = _mm_set1_epi16('<'),
                  gt = _mm_set1_epi16('>'), quot = _mm_set1_epi16('"'),
                  apos = _mm_set1_epi16('\'');
    for (; i + 8 <= n; i += 8)
    {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        __m128i bad = _mm_or_si128(_mm_cmplt_epi16(v, low), _mm_cmpgt_epi16(v, high));
        bad = _mm_or_si128(bad, _mm_or_si128(_mm_cmpeq_epi16(v, amp), _mm_cmpeq_epi16(v, lt)));
        bad = _mm_or_si128(bad, _mm_or_si128(_mm_cmpeq_epi16(v, gt), _mm_cmpeq_epi16(v, quot)));
        bad = _mm_or_si128(bad, _mm_cmpeq_epi16(v, apos));
        if (_mm_movemask_epi8(bad) != 0)
            break;
    }
#endif
    for (; i < n; i++)
    {
        Uint16 c = Uint16(p[i]);
        if (c >= 0x80 || kEscape.special[c])
            break;
    }
    return i;
}

// Writes the run's units, all ASCII, as bytes.
void narrow(char* out, const Char16* p, std::size_t n)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16)
    {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i < n; i++)
        out[i] = char(Uint16(p[i]));
}

}  // namespace

void CimXmlWriter::appendEscaped(std::string& out, const String& text)
{
    // Straight from the UTF-16 units, without an intermediate UTF-8 copy.
    // The result is that of escaping the UTF-8 form up to its first NUL:
    // only ASCII characters are ever escaped, so every other character is
    // simply encoded.
    const Char16* p = text.getChar16Data();
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n)
    {
        // A run of ASCII characters that need no escaping is copied in one
        // piece.
        std::size_t run = plainRun(p + i, n - i);
        if (run)
        {
            std::size_t at = out.size();
            out.resize(at + run);
            narrow(&out[at], p + i, run);
            i += run;
            continue;
        }
        Uint32 c = Uint16(p[i]);
        if (c == 0)
            return;
        i++;
        if (c < 0x80)
        {
            appendSpecial(out, static_cast<unsigned char>(c));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i < n &&
            Uint16(p[i]) >= 0xDC00 && Uint16(p[i]) <= 0xDFFF)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (Uint16(p[i]) - 0xDC00);
            i++;
        }
        char bytes[4];
        std::size_t size;
        if (c < 0x800)
        {
            bytes[0] = char(0xC0 | (c >> 6));
            bytes[1] = char(0x80 | (c & 0x3F));
            size = 2;
        }
        else if (c < 0x10000)
        {
            bytes[0] = char(0xE0 | (c >> 12));
            bytes[1] = char(0x80 | ((c >> 6) & 0x3F));
            bytes[2] = char(0x80 | (c & 0x3F));
            size = 3;
        }
        else
        {
            bytes[0] = char(0xF0 | (c >> 18));
            bytes[1] = char(0x80 | ((c >> 12) & 0x3F));
            bytes[2] = char(0x80 | ((c >> 6) & 0x3F));
            bytes[3] = char(0x80 | (c & 0x3F));
            size = 4;
        }
        out.append(bytes, size);
    }
}

const char* CimXmlWriter::typeName(CIMType type)
{
    return isEmbedded(type) ? "string" : CimXmlValues::typeName(type);
}

std::string CimXmlWriter::valueText(const CIMValue& value, unsigned index)
{
    if (isEmbedded(value.getType()))
    {
        CIMObject object;
        if (value.getType() == CIMTYPE_OBJECT)
        {
            if (value.isArray())
            {
                Array<CIMObject> a;
                value.get(a);
                object = a[index];
            }
            else
                value.get(object);
        }
        else
        {
            CIMInstance instance;
            if (value.isArray())
            {
                Array<CIMInstance> a;
                value.get(a);
                instance = a[index];
            }
            else
                value.get(instance);
            object = CIMObject(instance);
        }
        std::string xml;
        appendObject(xml, object);
        return xml;
    }
    if (value.getType() == CIMTYPE_REFERENCE)
    {
        CIMObjectPath path;
        if (value.isArray())
        {
            Array<CIMObjectPath> a;
            value.get(a);
            path = a[index];
        }
        else
            value.get(path);
        return utf8Text(path.toString());
    }
    std::vector<std::string> texts = CimXmlValues::texts(value);
    return index < texts.size() ? texts[index] : std::string();
}

void CimXmlWriter::appendValue(std::string& out, const CIMValue& value)
{
    if (value.isNull())
        return;
    CIMType type = value.getType();
    if (isEmbedded(type))
    {
        appendEmbeddedValues(out, value);
        return;
    }
    if (type == CIMTYPE_REFERENCE)
    {
        if (value.isArray())
        {
            Array<CIMObjectPath> paths;
            value.get(paths);
            out += "<VALUE.REFARRAY>\n";
            for (Uint32 i = 0; i < paths.size(); i++)
                appendValueReference(out, paths[i]);
            out += "</VALUE.REFARRAY>\n";
        }
        else
        {
            CIMObjectPath path;
            value.get(path);
            appendValueReference(out, path);
        }
        return;
    }
    if (type == CIMTYPE_STRING)
    {
        // Strings are most of what is written: escaped straight from the
        // String rather than through a UTF-8 copy of each.
        if (const Array<String>* a = CIMValueAccess::strings(value))
        {
            out += "<VALUE.ARRAY>\n";
            for (Uint32 i = 0; i < a->size(); i++)
                appendValueElement(out, (*a)[i]);
            out += "</VALUE.ARRAY>\n";
        }
        else
            appendValueElement(out, *CIMValueAccess::string(value));
        return;
    }
    std::vector<std::string> texts = CimXmlValues::texts(value);
    if (value.isArray())
    {
        out += "<VALUE.ARRAY>\n";
        for (const std::string& text : texts)
            appendValueElement(out, text);
        out += "</VALUE.ARRAY>\n";
    }
    else if (!texts.empty())
        appendValueElement(out, texts[0]);
}

void CimXmlWriter::appendValueReference(std::string& out, const CIMObjectPath& path)
{
    out += "<VALUE.REFERENCE>\n";
    bool hasHost = path.getHost().size() != 0;
    bool hasNamespace = !path.getNameSpace().isNull();
    if (path.getKeyBindings().size() == 0)
    {
        if (hasHost && hasNamespace)
            appendClassPath(out, path);
        else if (hasNamespace)
            appendLocalClassPath(out, path);
        else
            appendClassName(out, path.getClassName());
    }
    else
    {
        if (hasHost && hasNamespace)
            appendInstancePath(out, path);
        else if (hasNamespace)
            appendLocalInstancePath(out, path);
        else
            appendInstanceName(out, path);
    }
    out += "</VALUE.REFERENCE>\n";
}

void CimXmlWriter::appendPropertyNames(std::string& out, const CIMPropertyList& list)
{
    out += "<VALUE.ARRAY>\n";
    for (Uint32 i = 0; i < list.size(); i++)
    {
        out += "<VALUE>";
        appendEscaped(out, list[i].getString());
        out += "</VALUE>\n";
    }
    out += "</VALUE.ARRAY>\n";
}

void CimXmlWriter::appendClassName(std::string& out, const CIMName& className)
{
    out += "<CLASSNAME";
    attr(out, "NAME", className.getString());
    out += "/>\n";
}

void CimXmlWriter::appendLocalNamespacePath(std::string& out, const CIMNamespaceName& nameSpace)
{
    out += "<LOCALNAMESPACEPATH>\n";
    std::string ns = utf8Text(nameSpace.getString());
    std::size_t start = 0;
    while (start <= ns.size())
    {
        std::size_t slash = ns.find('/', start);
        if (slash == std::string::npos)
            slash = ns.size();
        if (slash > start)
        {
            out += "<NAMESPACE NAME=\"";
            appendEscaped(out, ns.data() + start, slash - start);
            out += "\"/>\n";
        }
        start = slash + 1;
    }
    out += "</LOCALNAMESPACEPATH>\n";
}

void CimXmlWriter::appendNamespacePath(std::string& out, const String& host,
                                       const CIMNamespaceName& nameSpace)
{
    out += "<NAMESPACEPATH>\n";
    appendHost(out, host);
    appendLocalNamespacePath(out, nameSpace);
    out += "</NAMESPACEPATH>\n";
}

void CimXmlWriter::appendInstanceName(std::string& out, const CIMObjectPath& path)
{
    out += "<INSTANCENAME";
    attr(out, "CLASSNAME", path.getClassName().getString());
    out += ">\n";
    const Array<CIMKeyBinding>& keys = path.getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); i++)
        appendKeyBinding(out, keys[i]);
    out += "</INSTANCENAME>\n";
}

void CimXmlWriter::appendLocalInstancePath(std::string& out, const CIMObjectPath& path)
{
    out += "<LOCALINSTANCEPATH>\n";
    appendLocalNamespacePath(out, path.getNameSpace());
    appendInstanceName(out, path);
    out += "</LOCALINSTANCEPATH>\n";
}

void CimXmlWriter::appendInstancePath(std::string& out, const CIMObjectPath& path)
{
    out += "<INSTANCEPATH>\n";
    appendNamespacePath(out, path.getHost(), path.getNameSpace());
    appendInstanceName(out, path);
    out += "</INSTANCEPATH>\n";
}

void CimXmlWriter::appendLocalClassPath(std::string& out, const CIMObjectPath& path)
{
    out += "<LOCALCLASSPATH>\n";
    appendLocalNamespacePath(out, path.getNameSpace());
    appendClassName(out, path.getClassName());
    out += "</LOCALCLASSPATH>\n";
}

void CimXmlWriter::appendClassPath(std::string& out, const CIMObjectPath& path)
{
    out += "<CLASSPATH>\n";
    appendNamespacePath(out, path.getHost(), path.getNameSpace());
    appendClassName(out, path.getClassName());
    out += "</CLASSPATH>\n";
}

void CimXmlWriter::appendQualifier(std::string& out, const CIMConstQualifier& qualifier)
{
    const CIMValue& value = qualifier.getValue();
    out += "<QUALIFIER";
    attr(out, "NAME", qualifier.getName().getString());
    typeAttributes(out, "TYPE", value.getType());
    if (qualifier.getPropagated())
        attr(out, "PROPAGATED", "true");
    flavorAttributes(out, qualifier.getFlavor());
    out += ">\n";
    appendValue(out, value);
    out += "</QUALIFIER>\n";
}

void CimXmlWriter::appendQualifierDecl(std::string& out, const CIMConstQualifierDecl& decl)
{
    const CIMValue& value = decl.getValue();
    out += "<QUALIFIER.DECLARATION";
    attr(out, "NAME", decl.getName().getString());
    attr(out, "TYPE", typeName(value.getType()));
    if (value.isArray())
    {
        attr(out, "ISARRAY", "true");
        if (decl.getArraySize())
            attrNumber(out, "ARRAYSIZE", decl.getArraySize());
    }
    flavorAttributes(out, decl.getFlavor());
    out += ">\n";

    // Scope names in the order the captured responses use.
    static const struct
    {
        const CIMScope* scope;
        const char* name;
    } kScopes[] = {
        {&CIMScope::CLASS, "CLASS"},         {&CIMScope::ASSOCIATION, "ASSOCIATION"},
        {&CIMScope::REFERENCE, "REFERENCE"}, {&CIMScope::PROPERTY, "PROPERTY"},
        {&CIMScope::METHOD, "METHOD"},       {&CIMScope::PARAMETER, "PARAMETER"},
        {&CIMScope::INDICATION, "INDICATION"},
    };
    const CIMScope& scope = decl.getScope();
    if (!scope.equal(CIMScope::NONE))
    {
        out += "<SCOPE";
        for (const auto& s : kScopes)
        {
            if (scope.hasScope(*s.scope))
                attr(out, s.name, "true");
        }
        out += "/>\n";
    }
    appendValue(out, value);
    out += "</QUALIFIER.DECLARATION>\n";
}

void CimXmlWriter::appendProperty(std::string& out, const CIMConstProperty& property)
{
    const CIMValue& value = property.getValue();
    CIMType type = property.getType();
    const char* element = type == CIMTYPE_REFERENCE ? "PROPERTY.REFERENCE"
                          : property.isArray()      ? "PROPERTY.ARRAY"
                                                    : "PROPERTY";
    out += '<';
    out += element;
    attr(out, "NAME", property.getName().getString());
    if (type == CIMTYPE_REFERENCE)
    {
        if (!property.getReferenceClassName().isNull())
            attr(out, "REFERENCECLASS", property.getReferenceClassName().getString());
    }
    else
    {
        typeAttributes(out, "TYPE", type);
        if (property.isArray() && property.getArraySize())
            attrNumber(out, "ARRAYSIZE", property.getArraySize());
    }
    if (!property.getClassOrigin().isNull())
        attr(out, "CLASSORIGIN", property.getClassOrigin().getString());
    if (property.getPropagated())
        attr(out, "PROPAGATED", "true");
    out += ">\n";
    appendQualifiers(out, property);
    appendValue(out, value);
    out += "</";
    out += element;
    out += ">\n";
}

void CimXmlWriter::appendParameter(std::string& out, const CIMConstParameter& parameter)
{
    CIMType type = parameter.getType();
    bool isReference = type == CIMTYPE_REFERENCE;
    const char* element = isReference ? (parameter.isArray() ? "PARAMETER.REFARRAY"
                                                             : "PARAMETER.REFERENCE")
                                      : (parameter.isArray() ? "PARAMETER.ARRAY" : "PARAMETER");
    out += '<';
    out += element;
    attr(out, "NAME", parameter.getName().getString());
    if (isReference)
    {
        if (!parameter.getReferenceClassName().isNull())
            attr(out, "REFERENCECLASS", parameter.getReferenceClassName().getString());
    }
    else
        typeAttributes(out, "TYPE", type);
    if (parameter.isArray() && parameter.getArraySize())
        attrNumber(out, "ARRAYSIZE", parameter.getArraySize());
    out += ">\n";
    appendQualifiers(out, parameter);
    out += "</";
    out += element;
    out += ">\n";
}

void CimXmlWriter::appendMethod(std::string& out, const CIMConstMethod& method)
{
    out += "<METHOD";
    attr(out, "NAME", method.getName().getString());
    typeAttributes(out, "TYPE", method.getType());
    if (!method.getClassOrigin().isNull())
        attr(out, "CLASSORIGIN", method.getClassOrigin().getString());
    if (method.getPropagated())
        attr(out, "PROPAGATED", "true");
    out += ">\n";
    appendQualifiers(out, method);
    for (Uint32 i = 0, n = method.getParameterCount(); i < n; i++)
        appendParameter(out, method.getParameter(i));
    out += "</METHOD>\n";
}

void CimXmlWriter::appendClass(std::string& out, const CIMConstClass& cimClass)
{
    out += "<CLASS";
    attr(out, "NAME", cimClass.getClassName().getString());
    if (!cimClass.getSuperClassName().isNull())
        attr(out, "SUPERCLASS", cimClass.getSuperClassName().getString());
    out += ">\n";
    appendQualifiers(out, cimClass);
    for (Uint32 i = 0, n = cimClass.getPropertyCount(); i < n; i++)
        appendProperty(out, cimClass.getProperty(i));
    for (Uint32 i = 0, n = cimClass.getMethodCount(); i < n; i++)
        appendMethod(out, cimClass.getMethod(i));
    out += "</CLASS>\n";
}

void CimXmlWriter::appendInstance(std::string& out, const CIMConstInstance& instance)
{
    out += "<INSTANCE";
    attr(out, "CLASSNAME", instance.getClassName().getString());
    out += ">\n";
    appendQualifiers(out, instance);
    for (Uint32 i = 0, n = instance.getPropertyCount(); i < n; i++)
        appendProperty(out, instance.getProperty(i));
    out += "</INSTANCE>\n";
}

void CimXmlWriter::appendObject(std::string& out, const CIMConstObject& object)
{
    if (object.isClass())
        appendClass(out, CIMConstClass(object));
    else
        appendInstance(out, CIMConstInstance(object));
}

void CimXmlWriter::appendValueNamedInstance(std::string& out, const CIMConstInstance& instance)
{
    out += "<VALUE.NAMEDINSTANCE>\n";
    appendInstanceName(out, instance.getPath());
    appendInstance(out, instance);
    out += "</VALUE.NAMEDINSTANCE>\n";
}

void CimXmlWriter::appendParamValue(std::string& out, const CIMParamValue& parameter)
{
    CIMValue value = parameter.getValue();
    out += "<PARAMVALUE";
    attr(out, "NAME", parameter.getParameterName());
    if (parameter.isTyped())
        typeAttributes(out, "PARAMTYPE", value.getType());
    out += ">\n";
    appendValue(out, value);
    out += "</PARAMVALUE>\n";
}

void CimXmlWriter::appendBooleanIParameter(std::string& out, const char* name, bool value)
{
    out += "<IPARAMVALUE NAME=\"";
    out += name;
    out += value ? "\">\n<VALUE>TRUE</VALUE>\n</IPARAMVALUE>\n"
                 : "\">\n<VALUE>FALSE</VALUE>\n</IPARAMVALUE>\n";
}

void CimXmlWriter::appendError(std::string& out, CIMStatusCode code, const String& description)
{
    out += "<ERROR";
    attrNumber(out, "CODE", Uint32(code));
    if (description.size())
        attr(out, "DESCRIPTION", description);
    // No line break: the closing method-response tag follows on the same
    // line, as in the answers of the server we interoperate with.
    out += "/>";
}

String CimXmlWriter::objectToXml(const CIMConstObject& object)
{
    std::string xml;
    appendObject(xml, object);
    return String(xml.c_str(), Uint32(xml.size()));
}

}  // namespace Pegasus
