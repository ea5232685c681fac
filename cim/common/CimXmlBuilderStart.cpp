// The opening half of CimXmlBuilder: frames are pushed and filled from the
// attributes of each element as it starts.
#include "CimXmlBuilder.h"
#include "ShortBytes.h"

#include "CimXmlMessages.h"
#include "CimXmlValues.h"
#include "CIMObjectModelRep.h"

#include <cstring>
#include <new>
#include <strings.h>

namespace Pegasus {

namespace {

using T = CimXmlTag;

}  // namespace

void CimXmlBuilder::syntax(const std::string& message)
{
    throw CimXmlException(CimXmlException::SYNTAX, String(message.c_str()));
}

void CimXmlBuilder::invalid(const std::string& message)
{
    throw CimXmlException(CimXmlException::VALUE, String(message.c_str()));
}

std::string CimXmlBuilder::tagName(CimXmlTag tag)
{
    return cimXmlTagName(tag);
}

// "true"/"false" attribute values, case-insensitive; absent gives the default.
bool CimXmlBuilder::booleanAttribute(const char** attributes, const char* attribute,
                                     bool dflt, CimXmlTag tag)
{
    return booleanValue(CimXmlParser::attribute(attributes, attribute), attribute, dflt, tag);
}

bool CimXmlBuilder::booleanValue(const char* v, const char* attribute, bool dflt,
                                 CimXmlTag tag)
{
    if (!v)
        return dflt;
    if (strcasecmp(v, "true") == 0)
        return true;
    if (strcasecmp(v, "false") == 0)
        return false;
    syntax("attribute " + std::string(attribute) + " of " + tagName(tag) +
           " must be true or false, not \"" + v + "\"");
}

Uint32 CimXmlBuilder::numberAttribute(const char* v, const char* attribute, CimXmlTag tag)
{
    unsigned long long n;
    if (!CimXmlValues::parseUnsigned(v, std::strlen(v), 0xFFFFFFFFull, n))
        syntax("attribute " + std::string(attribute) + " of " + tagName(tag) +
               " is not a valid number: \"" + v + "\"");
    return Uint32(n);
}

CimXmlBuilder::CimXmlBuilder(Mode mode, const CimXmlLimits& limits, unsigned embeddingDepth)
    : _mode(mode), _limits(limits), _embeddingDepth(embeddingDepth), _depth(0),
      _response(nullptr), _request(nullptr)
{
    _frames.reserve(16);
    takeCache(_names, kNameSlots);
    // The text cache is taken with the first string value.
}

CimXmlBuilder::~CimXmlBuilder()
{
    returnCache(_names, kNameSlots);
    returnCache(_texts, kTextSlots);
}

template <class Slot>
std::vector<std::vector<Slot>>& CimXmlBuilder::cachePool()
{
    thread_local std::vector<std::vector<Slot>> pool;
    return pool;
}

// Setting up the slots costs more than decoding a small document: a builder
// takes those of one that has finished on this thread.  Builders nested for
// embedded objects take tables of their own.
template <class Slot>
void CimXmlBuilder::takeCache(std::vector<Slot>& cache, std::size_t slots)
{
    std::vector<std::vector<Slot>>& pool = cachePool<Slot>();
    if (!pool.empty())
    {
        cache.swap(pool.back());
        pool.pop_back();
    }
    else
        cache.resize(slots);
}

// A few tables per thread cover a document and the objects embedded in it;
// more would only hold memory.
template <class Slot>
void CimXmlBuilder::returnCache(std::vector<Slot>& cache, std::size_t slots)
{
    const std::size_t kKeptTables = 2;
    std::vector<std::vector<Slot>>& pool = cachePool<Slot>();
    if (pool.size() < kKeptTables && cache.size() == slots)
    {
        try
        {
            pool.push_back(std::move(cache));
        }
        catch (const std::bad_alloc&)
        {
            // The table is simply freed.
        }
    }
}

void CimXmlBuilder::takeTextCache()
{
    takeCache(_texts, kTextSlots);
}

CimXmlBuilder::Frame& CimXmlBuilder::push(CimXmlTag tag)
{
    if (_depth == _frames.size())
        _frames.emplace_back();
    Frame& f = _frames[_depth++];
    f.tag = tag;
    f.content = NONE;
    f.hasPath = false;
    f.typed = false;
    f.isArray = false;
    f.propagated = false;
    f.embedded = 0;
    f.arraySize = 0;
    return f;
}

void CimXmlBuilder::setName(CIMName& target, const char* text)
{
    // Real names are short and come from the cache, whose text the target
    // then shares.  A long one is converted once, not kept, and moved into
    // place, so that a huge name costs its size only once.
    std::size_t n = std::strlen(text);
    const std::size_t kCachedNameBytes = 256;
    if (n > kCachedNameBytes)
    {
        target = CIMName(String(text, Uint32(n)));
        return;
    }
    // A direct-mapped cache: the slot picked by slotOf, a full comparison
    // confirms it.  Misses validate the name and replace the slot, so the
    // cache stays bounded whatever the input.
    NameSlot& entry = _names[slotOf(text, n, kNameSlots)];
    if (!(entry.key.size() == n && equalBytes(entry.key.data(), text, n) && n))
    {
        entry.name = CIMName(String(text, Uint32(n)));
        entry.key.assign(text, n);
    }
    target = entry.name;
}

const char* CimXmlBuilder::required(const char** attributes, const char* attribute,
                                    CimXmlTag tag)
{
    const char* v = CimXmlParser::attribute(attributes, attribute);
    if (!v)
        syntax("missing attribute " + std::string(attribute) + " on " + tagName(tag));
    return v;
}

CIMType CimXmlBuilder::typeAttribute(const char* text, CimXmlTag tag)
{
    CIMType type;
    if (!CimXmlValues::typeFromName(text, type))
        syntax("unknown type \"" + std::string(text) + "\" on " + tagName(tag));
    return type;
}

void CimXmlBuilder::readEmbedded(Frame& f, const char** attributes)
{
    const char* e = CimXmlParser::attribute(attributes, "EmbeddedObject");
    if (!e)
        e = CimXmlParser::attribute(attributes, "EMBEDDEDOBJECT");
    if (e)
        setEmbedded(f, e);
}

void CimXmlBuilder::setEmbedded(Frame& f, const char* e)
{
    if (std::strcmp(e, "object") == 0)
        f.embedded = 1;
    else if (std::strcmp(e, "instance") == 0)
        f.embedded = 2;
    else
        syntax("EmbeddedObject must be \"object\" or \"instance\", not \"" + std::string(e) +
               "\"");
    if (f.typed && f.type != CIMTYPE_STRING)
        syntax("an embedded object must have type string");
}

// Flavor attributes default to OVERRIDABLE and TOSUBCLASS; "false" turns
// them into DISABLEOVERRIDE and RESTRICTED, which is how the object model
// spells the opposite.
void CimXmlBuilder::readFlavor(Frame& f, const char** attributes)
{
    setFlavor(f, CimXmlParser::attribute(attributes, "OVERRIDABLE"),
              CimXmlParser::attribute(attributes, "TOSUBCLASS"),
              CimXmlParser::attribute(attributes, "TOINSTANCE"),
              CimXmlParser::attribute(attributes, "TRANSLATABLE"));
}

void CimXmlBuilder::setFlavor(Frame& f, const char* overridable, const char* toSubclass,
                              const char* toInstance, const char* translatable)
{
    f.flavor = CIMFlavor();
    f.flavor.addFlavor(booleanValue(overridable, "OVERRIDABLE", true, f.tag)
                           ? CIMFlavor::OVERRIDABLE
                           : CIMFlavor::DISABLEOVERRIDE);
    f.flavor.addFlavor(booleanValue(toSubclass, "TOSUBCLASS", true, f.tag)
                           ? CIMFlavor::TOSUBCLASS
                           : CIMFlavor::RESTRICTED);
    if (booleanValue(toInstance, "TOINSTANCE", false, f.tag))
        f.flavor.addFlavor(CIMFlavor::TOINSTANCE);
    if (booleanValue(translatable, "TRANSLATABLE", false, f.tag))
        f.flavor.addFlavor(CIMFlavor::TRANSLATABLE);
}

// QUALIFIER: the most frequent element of a class; its attributes are read
// in one pass.
void CimXmlBuilder::startQualifier(Frame& f, const char** a)
{
    const char* nameText = nullptr;
    const char* typeText = nullptr;
    const char* propagated = nullptr;
    const char* overridable = nullptr;
    const char* toSubclass = nullptr;
    const char* toInstance = nullptr;
    const char* translatable = nullptr;
    for (const char** p = a; *p; p += 2)
    {
        const char* k = p[0];
        const char* v = p[1];
        switch (k[0])
        {
        case 'N': if (std::strcmp(k, "NAME") == 0) nameText = v; break;
        case 'P': if (std::strcmp(k, "PROPAGATED") == 0) propagated = v; break;
        case 'O': if (std::strcmp(k, "OVERRIDABLE") == 0) overridable = v; break;
        case 'T':
            if (std::strcmp(k, "TYPE") == 0)
                typeText = v;
            else if (std::strcmp(k, "TOSUBCLASS") == 0)
                toSubclass = v;
            else if (std::strcmp(k, "TOINSTANCE") == 0)
                toInstance = v;
            else if (std::strcmp(k, "TRANSLATABLE") == 0)
                translatable = v;
            break;
        default: break;
        }
    }
    if (!nameText)
        syntax("missing attribute NAME on " + tagName(f.tag));
    setName(f.name, nameText);
    if (!typeText)
        syntax("missing attribute TYPE on " + tagName(f.tag));
    f.type = typeAttribute(typeText, f.tag);
    f.propagated = booleanValue(propagated, "PROPAGATED", false, f.tag);
    setFlavor(f, overridable, toSubclass, toInstance, translatable);
}

// PROPERTY, PROPERTY.ARRAY, PROPERTY.REFERENCE and METHOD: their attributes
// are read in one pass, as these elements make up most of a large document.
void CimXmlBuilder::startMember(Frame& f, const char** a)
{
    CimXmlTag tag = f.tag;
    const char* nameText = nullptr;
    const char* typeText = nullptr;
    const char* embedded = nullptr;
    const char* arraySize = nullptr;
    const char* propagated = nullptr;
    f.referenceClass.clear();
    f.classOrigin.clear();
    for (const char** p = a; *p; p += 2)
    {
        const char* k = p[0];
        const char* v = p[1];
        switch (k[0])
        {
        case 'N': if (std::strcmp(k, "NAME") == 0) nameText = v; break;
        case 'T': if (std::strcmp(k, "TYPE") == 0) typeText = v; break;
        case 'C': if (std::strcmp(k, "CLASSORIGIN") == 0) setName(f.classOrigin, v); break;
        case 'P': if (std::strcmp(k, "PROPAGATED") == 0) propagated = v; break;
        case 'R': if (std::strcmp(k, "REFERENCECLASS") == 0) setName(f.referenceClass, v); break;
        case 'A': if (std::strcmp(k, "ARRAYSIZE") == 0) arraySize = v; break;
        case 'E':
            if (std::strcmp(k, "EmbeddedObject") == 0 || std::strcmp(k, "EMBEDDEDOBJECT") == 0)
                embedded = v;
            break;
        default: break;
        }
    }
    if (!nameText)
        syntax("missing attribute NAME on " + tagName(tag));
    setName(f.name, nameText);
    if (tag == T::PROPERTY_REFERENCE)
        f.type = CIMTYPE_REFERENCE;
    else
    {
        if (!typeText)
            syntax("missing attribute TYPE on " + tagName(tag));
        f.type = typeAttribute(typeText, tag);
        f.typed = true;
    }
    if (tag != T::PROPERTY_REFERENCE && tag != T::METHOD && f.type == CIMTYPE_REFERENCE)
        syntax("a reference property must be a PROPERTY.REFERENCE");
    if (!f.referenceClass.isNull() && tag != T::PROPERTY_REFERENCE)
        syntax("REFERENCECLASS is only allowed on references");
    f.isArray = tag == T::PROPERTY_ARRAY;
    if (arraySize && tag == T::PROPERTY_ARRAY)
        f.arraySize = numberAttribute(arraySize, "ARRAYSIZE", tag);
    if (embedded && tag != T::PROPERTY_REFERENCE)
        setEmbedded(f, embedded);
    if (propagated)
        f.propagated = booleanValue(propagated, "PROPAGATED", false, tag);
    f.qualifiers.clear();
    f.parameters.clear();
}

void CimXmlBuilder::startElement(CimXmlTag tag, const char** a)
{
    Frame& f = push(tag);
    switch (tag)
    {
    case T::CIM:
        if (_request)
        {
            if (const char* v = CimXmlParser::attribute(a, "CIMVERSION"))
                _request->cimVersion = v;
            if (const char* v = CimXmlParser::attribute(a, "DTDVERSION"))
                _request->dtdVersion = v;
        }
        break;
    case T::MESSAGE:
    {
        const char* id = required(a, "ID", tag);
        const char* version = required(a, "PROTOCOLVERSION", tag);
        if (_response)
            _response->messageId = id;
        if (_request)
        {
            _request->messageId = id;
            _request->protocolVersion = version;
        }
        break;
    }
    case T::SIMPLEREQ:
        if (_mode != REQUEST)
            syntax("expected a response, found SIMPLEREQ");
        break;
    case T::SIMPLERSP:
        if (_mode != RESPONSE)
            syntax("expected a request, found SIMPLERSP");
        break;
    case T::IMETHODCALL:
    case T::METHODCALL:
        _request->methodName = String(required(a, "NAME", tag));
        _request->isIntrinsic = tag == T::IMETHODCALL;
        break;
    case T::IMETHODRESPONSE:
    case T::METHODRESPONSE:
        _response->methodName = String(required(a, "NAME", tag));
        _response->isIntrinsic = tag == T::IMETHODRESPONSE;
        break;
    case T::IPARAMVALUE:
        f.rawName = String(required(a, "NAME", tag));
        f.iparamKind = CimXmlIParamValue::NULL_VALUE;
        break;
    case T::PARAMVALUE:
    case T::RETURNVALUE:
    {
        if (tag == T::PARAMVALUE)
            f.rawName = String(required(a, "NAME", tag));
        if (const char* t = CimXmlParser::attribute(a, "PARAMTYPE"))
        {
            f.type = typeAttribute(t, tag);
            f.typed = true;
        }
        readEmbedded(f, a);
        break;
    }
    case T::ERROR:
        f.errorCode = numberAttribute(required(a, "CODE", tag), "CODE", tag);
        if (const char* d = CimXmlParser::attribute(a, "DESCRIPTION"))
            f.errorDescription = String(d);
        else
            f.errorDescription.clear();
        break;
    case T::LOCALNAMESPACEPATH:
        f.nameSpace.clear();
        break;
    case T::NAMESPACE:
    {
        std::string& ns = _frames[_depth - 2].nameSpace;
        if (!ns.empty())
            ns += '/';
        ns += required(a, "NAME", tag);
        break;
    }
    case T::NAMESPACEPATH:
    case T::LOCALINSTANCEPATH:
    case T::INSTANCEPATH:
    case T::LOCALCLASSPATH:
    case T::CLASSPATH:
        f.nameSpace.clear();
        f.host.clear();
        break;
    case T::HOST:
    case T::VALUE:
    case T::KEYVALUE:
        f.text.clear();
        if (tag == T::KEYVALUE)
        {
            const char* vt = CimXmlParser::attribute(a, "VALUETYPE");
            if (!vt || std::strcmp(vt, "string") == 0)
                f.keyType = CIMKeyBinding::STRING;
            else if (std::strcmp(vt, "boolean") == 0)
                f.keyType = CIMKeyBinding::BOOLEAN;
            else if (std::strcmp(vt, "numeric") == 0)
                f.keyType = CIMKeyBinding::NUMERIC;
            else
                syntax("unknown VALUETYPE \"" + std::string(vt) + "\" on KEYVALUE");
        }
        break;
    case T::CLASSNAME:
        setName(f.className, required(a, "NAME", tag));
        break;
    case T::INSTANCENAME:
        setName(f.className, required(a, "CLASSNAME", tag));
        f.keys.clear();
        break;
    case T::KEYBINDING:
        setName(f.name, required(a, "NAME", tag));
        break;
    case T::VALUE_ARRAY:
        f.textCount = 0;
        break;
    case T::VALUE_REFARRAY:
        f.paths.clear();
        break;
    case T::VALUE_NULL:
        invalid("null array elements are not supported");
    case T::QUALIFIER:
        startQualifier(f, a);
        break;
    case T::QUALIFIER_DECLARATION:
        setName(f.name, required(a, "NAME", tag));
        f.type = typeAttribute(required(a, "TYPE", tag), tag);
        f.isArray = booleanAttribute(a, "ISARRAY", false, tag);
        if (const char* n = CimXmlParser::attribute(a, "ARRAYSIZE"))
            f.arraySize = numberAttribute(n, "ARRAYSIZE", tag);
        f.scope = CIMScope();
        readFlavor(f, a);
        break;
    case T::SCOPE:
    {
        static const struct
        {
            const char* attribute;
            const CIMScope* scope;
        } kScopes[] = {
            {"CLASS", &CIMScope::CLASS},         {"ASSOCIATION", &CIMScope::ASSOCIATION},
            {"REFERENCE", &CIMScope::REFERENCE}, {"PROPERTY", &CIMScope::PROPERTY},
            {"METHOD", &CIMScope::METHOD},       {"PARAMETER", &CIMScope::PARAMETER},
            {"INDICATION", &CIMScope::INDICATION},
        };
        Frame& decl = _frames[_depth - 2];
        for (const auto& s : kScopes)
        {
            if (booleanAttribute(a, s.attribute, false, tag))
                decl.scope.addScope(*s.scope);
        }
        break;
    }
    case T::PROPERTY:
    case T::PROPERTY_ARRAY:
    case T::PROPERTY_REFERENCE:
    case T::METHOD:
        startMember(f, a);
        break;
    case T::PARAMETER:
    case T::PARAMETER_ARRAY:
    case T::PARAMETER_REFERENCE:
    case T::PARAMETER_REFARRAY:
        setName(f.name, required(a, "NAME", tag));
        if (tag == T::PARAMETER || tag == T::PARAMETER_ARRAY)
        {
            f.type = typeAttribute(required(a, "TYPE", tag), tag);
            f.typed = true;
            readEmbedded(f, a);
        }
        else
            f.type = CIMTYPE_REFERENCE;
        f.isArray = tag == T::PARAMETER_ARRAY || tag == T::PARAMETER_REFARRAY;
        if (f.isArray)
        {
            if (const char* n = CimXmlParser::attribute(a, "ARRAYSIZE"))
                f.arraySize = numberAttribute(n, "ARRAYSIZE", tag);
        }
        if (const char* r = CimXmlParser::attribute(a, "REFERENCECLASS"))
            setName(f.referenceClass, r);
        else
            f.referenceClass.clear();
        f.qualifiers.clear();
        break;
    case T::CLASS:
    {
        CIMName className, superName;
        setName(className, required(a, "NAME", tag));
        if (const char* super = CimXmlParser::attribute(a, "SUPERCLASS"))
            setName(superName, super);
        f.cimClass = CIMClass(className, superName);
        f.propertyBlock.reset();
        _qualifierBlock.reset();
        break;
    }
    case T::INSTANCE:
    {
        CIMName className;
        setName(className, required(a, "CLASSNAME", tag));
        f.instance = CIMInstance(className);
        // Room for as many properties as the instance before had: the
        // instances of an answer mostly have the same number.  Bounded, so
        // that one huge instance does not make every small one after it
        // hold a large empty list.
        const Uint32 expected = _instanceProperties < 64 ? _instanceProperties : 64;
        CIMHandleAccess::rep(f.instance)->properties.reserve(expected);
        f.propertyBlock = CIMPropertyBlock::create(expected);
        _qualifierBlock.reset();
        break;
    }
    default:
        break;
    }
}


}  // namespace Pegasus
