#include "InstanceRules.h"
#include "Utf8Text.h"
#include "IntegerText.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/Exception.h>

namespace Pegasus {

namespace {

[[noreturn]] void mismatch(const CIMName& property, const CIMValue& value, CIMType type,
                           Boolean isArray)
{
    throw CIMException(CIM_ERR_TYPE_MISMATCH,
                       String("property ") + property.getString() + ": a " +
                           cimTypeToString(value.getType()) + (value.isArray() ? "[]" : "") +
                           " value does not fit type " + cimTypeToString(type) +
                           (isArray ? "[]" : ""));
}

bool isUnsignedType(CIMType t)
{
    return t == CIMTYPE_UINT8 || t == CIMTYPE_UINT16 || t == CIMTYPE_UINT32 || t == CIMTYPE_UINT64;
}

bool isSignedType(CIMType t)
{
    return t == CIMTYPE_SINT8 || t == CIMTYPE_SINT16 || t == CIMTYPE_SINT32 || t == CIMTYPE_SINT64;
}

bool isRealType(CIMType t)
{
    return t == CIMTYPE_REAL32 || t == CIMTYPE_REAL64;
}

// An integer scalar as magnitude and sign.
struct Integer
{
    bool negative;
    Uint64 magnitude;
};

Integer integerOf(const CIMValue& v)
{
    Integer r = {false, 0};
    Sint64 s = 0;
    switch (v.getType())
    {
    case CIMTYPE_UINT8: { Uint8 x; v.get(x); r.magnitude = x; return r; }
    case CIMTYPE_UINT16: { Uint16 x; v.get(x); r.magnitude = x; return r; }
    case CIMTYPE_UINT32: { Uint32 x; v.get(x); r.magnitude = x; return r; }
    case CIMTYPE_UINT64: { Uint64 x; v.get(x); r.magnitude = x; return r; }
    case CIMTYPE_SINT8: { Sint8 x; v.get(x); s = x; break; }
    case CIMTYPE_SINT16: { Sint16 x; v.get(x); s = x; break; }
    case CIMTYPE_SINT32: { Sint32 x; v.get(x); s = x; break; }
    case CIMTYPE_SINT64: { Sint64 x; v.get(x); s = x; break; }
    default: break;
    }
    r.negative = s < 0;
    r.magnitude = s < 0 ? Uint64(0) - Uint64(s) : Uint64(s);
    return r;
}

// Decimal (optionally signed) or 0x hexadecimal text.
bool parseInteger(const std::string& text, Integer& out)
{
    return parseIntegerText(text.data(), text.size(), IntegerSyntax::Value, out.negative,
                            out.magnitude) == IntegerTextResult::Ok;
}

// The integer as a value of `type`, or false when it does not fit.
bool integerValue(const Integer& n, CIMType type, CIMValue& out)
{
    if (isUnsignedType(type))
    {
        if (n.negative)
            return false;
        Uint64 max = type == CIMTYPE_UINT8 ? 0xff : type == CIMTYPE_UINT16 ? 0xffff
                     : type == CIMTYPE_UINT32 ? 0xffffffffu : std::numeric_limits<Uint64>::max();
        if (n.magnitude > max)
            return false;
        switch (type)
        {
        case CIMTYPE_UINT8: out = CIMValue(Uint8(n.magnitude)); break;
        case CIMTYPE_UINT16: out = CIMValue(Uint16(n.magnitude)); break;
        case CIMTYPE_UINT32: out = CIMValue(Uint32(n.magnitude)); break;
        default: out = CIMValue(Uint64(n.magnitude)); break;
        }
        return true;
    }
    if (isSignedType(type))
    {
        unsigned bits = type == CIMTYPE_SINT8 ? 8 : type == CIMTYPE_SINT16 ? 16
                        : type == CIMTYPE_SINT32 ? 32 : 64;
        Uint64 limit = Uint64(1) << (bits - 1);  // |min|; max is limit - 1
        if (n.negative ? n.magnitude > limit : n.magnitude >= limit)
            return false;
        Sint64 s = n.negative ? Sint64(Uint64(0) - n.magnitude) : Sint64(n.magnitude);
        switch (type)
        {
        case CIMTYPE_SINT8: out = CIMValue(Sint8(s)); break;
        case CIMTYPE_SINT16: out = CIMValue(Sint16(s)); break;
        case CIMTYPE_SINT32: out = CIMValue(Sint32(s)); break;
        default: out = CIMValue(Sint64(s)); break;
        }
        return true;
    }
    if (isRealType(type))
    {
        double d = double(n.magnitude);
        if (n.negative)
            d = -d;
        out = type == CIMTYPE_REAL32 ? CIMValue(Real32(d)) : CIMValue(Real64(d));
        return true;
    }
    return false;
}

// One non-null scalar converted, or false.
bool convertScalar(const CIMValue& v, CIMType type, CIMValue& out)
{
    CIMType from = v.getType();
    if (from == type)
    {
        out = v;
        return true;
    }
    if (isUnsignedType(from) || isSignedType(from))
        return integerValue(integerOf(v), type, out);
    if (isRealType(from) && isRealType(type))
    {
        Real64 d;
        if (from == CIMTYPE_REAL32)
        {
            Real32 f;
            v.get(f);
            d = f;
        }
        else
            v.get(d);
        out = type == CIMTYPE_REAL32 ? CIMValue(Real32(d)) : CIMValue(Real64(d));
        return true;
    }
    if (from != CIMTYPE_STRING)
        return false;

    String text;
    v.get(text);
    std::string t = utf8Text(text);
    try
    {
        switch (type)
        {
        case CIMTYPE_BOOLEAN:
            if (String::equalNoCase(text, "TRUE"))
                out = CIMValue(Boolean(true));
            else if (String::equalNoCase(text, "FALSE"))
                out = CIMValue(Boolean(false));
            else
                return false;
            return true;
        case CIMTYPE_REAL32:
        case CIMTYPE_REAL64:
        {
            if (t.empty())
                return false;
            char* end = nullptr;
            errno = 0;
            double d = std::strtod(t.c_str(), &end);
            if (*end != '\0' || errno == ERANGE)
                return false;
            out = type == CIMTYPE_REAL32 ? CIMValue(Real32(d)) : CIMValue(Real64(d));
            return true;
        }
        case CIMTYPE_CHAR16:
            if (text.size() != 1)
                return false;
            out = CIMValue(text[0]);
            return true;
        case CIMTYPE_DATETIME:
            out = CIMValue(CIMDateTime(text));
            return true;
        case CIMTYPE_REFERENCE:
            out = CIMValue(CIMObjectPath(text));
            return true;
        default:
        {
            Integer n;
            return parseInteger(t, n) && integerValue(n, type, out);
        }
        }
    }
    catch (const Exception&)
    {
        return false;
    }
}

template <class T>
void splitArray(const CIMValue& v, std::vector<CIMValue>& out)
{
    Array<T> a;
    v.get(a);
    for (Uint32 i = 0; i < a.size(); i++)
        out.push_back(CIMValue(a[i]));
}

std::vector<CIMValue> elementsOf(const CIMValue& v)
{
    std::vector<CIMValue> out;
    switch (v.getType())
    {
    case CIMTYPE_BOOLEAN: splitArray<Boolean>(v, out); break;
    case CIMTYPE_UINT8: splitArray<Uint8>(v, out); break;
    case CIMTYPE_SINT8: splitArray<Sint8>(v, out); break;
    case CIMTYPE_UINT16: splitArray<Uint16>(v, out); break;
    case CIMTYPE_SINT16: splitArray<Sint16>(v, out); break;
    case CIMTYPE_UINT32: splitArray<Uint32>(v, out); break;
    case CIMTYPE_SINT32: splitArray<Sint32>(v, out); break;
    case CIMTYPE_UINT64: splitArray<Uint64>(v, out); break;
    case CIMTYPE_SINT64: splitArray<Sint64>(v, out); break;
    case CIMTYPE_REAL32: splitArray<Real32>(v, out); break;
    case CIMTYPE_REAL64: splitArray<Real64>(v, out); break;
    case CIMTYPE_CHAR16: splitArray<Char16>(v, out); break;
    case CIMTYPE_STRING: splitArray<String>(v, out); break;
    case CIMTYPE_DATETIME: splitArray<CIMDateTime>(v, out); break;
    case CIMTYPE_REFERENCE: splitArray<CIMObjectPath>(v, out); break;
    case CIMTYPE_OBJECT: splitArray<CIMObject>(v, out); break;
    case CIMTYPE_INSTANCE: splitArray<CIMInstance>(v, out); break;
    }
    return out;
}

template <class T>
CIMValue joinArray(const std::vector<CIMValue>& elements)
{
    Array<T> a;
    a.reserveCapacity(Uint32(elements.size()));
    for (const CIMValue& e : elements)
    {
        T x;
        e.get(x);
        a.append(x);
    }
    return CIMValue(a);
}

CIMValue arrayOf(CIMType type, const std::vector<CIMValue>& elements)
{
    switch (type)
    {
    case CIMTYPE_BOOLEAN: return joinArray<Boolean>(elements);
    case CIMTYPE_UINT8: return joinArray<Uint8>(elements);
    case CIMTYPE_SINT8: return joinArray<Sint8>(elements);
    case CIMTYPE_UINT16: return joinArray<Uint16>(elements);
    case CIMTYPE_SINT16: return joinArray<Sint16>(elements);
    case CIMTYPE_UINT32: return joinArray<Uint32>(elements);
    case CIMTYPE_SINT32: return joinArray<Sint32>(elements);
    case CIMTYPE_UINT64: return joinArray<Uint64>(elements);
    case CIMTYPE_SINT64: return joinArray<Sint64>(elements);
    case CIMTYPE_REAL32: return joinArray<Real32>(elements);
    case CIMTYPE_REAL64: return joinArray<Real64>(elements);
    case CIMTYPE_CHAR16: return joinArray<Char16>(elements);
    case CIMTYPE_STRING: return joinArray<String>(elements);
    case CIMTYPE_DATETIME: return joinArray<CIMDateTime>(elements);
    case CIMTYPE_REFERENCE: return joinArray<CIMObjectPath>(elements);
    case CIMTYPE_OBJECT: return joinArray<CIMObject>(elements);
    case CIMTYPE_INSTANCE: return joinArray<CIMInstance>(elements);
    }
    return CIMValue(type, true);
}

std::string canonicalPath(const CIMObjectPath& path);

// A key value's text normalised so that equal keys give equal text.
bool canonicalValue(const String& text, CIMType type, std::string& out)
{
    if (isUnsignedType(type) || isSignedType(type))
    {
        Integer n;
        if (!parseInteger(utf8Text(text), n))
            return false;
        out = (n.negative ? "-" : "") + std::to_string(n.magnitude);
        return true;
    }
    if (isRealType(type))
    {
        std::string t = utf8Text(text);
        char* end = nullptr;
        double d = std::strtod(t.c_str(), &end);
        if (t.empty() || *end != '\0')
            return false;
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", d);
        out = buf;
        return true;
    }
    if (type == CIMTYPE_BOOLEAN)
    {
        if (String::equalNoCase(text, "TRUE"))
            out = "TRUE";
        else if (String::equalNoCase(text, "FALSE"))
            out = "FALSE";
        else
            return false;
        return true;
    }
    if (type == CIMTYPE_REFERENCE)
    {
        try
        {
            out = canonicalPath(CIMObjectPath(text));
        }
        catch (const Exception&)
        {
            return false;
        }
        return true;
    }
    out = utf8Text(text);
    return true;
}

CIMType typeOfBinding(CIMKeyBinding::Type t)
{
    switch (t)
    {
    case CIMKeyBinding::BOOLEAN: return CIMTYPE_BOOLEAN;
    case CIMKeyBinding::NUMERIC: return CIMTYPE_SINT64;
    case CIMKeyBinding::REFERENCE: return CIMTYPE_REFERENCE;
    default: return CIMTYPE_STRING;
    }
}

std::string joinKey(std::vector<std::pair<std::string, std::string>>& parts)
{
    std::sort(parts.begin(), parts.end());
    std::string key;
    for (const auto& p : parts)
    {
        key += p.first;
        key += '\x1f';
        key += p.second;
        key += '\x1e';
    }
    return key;
}

// A reference value inside a key: compared like a path, without a class
// at hand, so its bindings are normalised by their own types.
std::string canonicalPath(const CIMObjectPath& path)
{
    std::string s = foldedName(path.getHost()) + "/" + foldedName(path.getNameSpace().getString()) +
                    ":" + foldedName(path.getClassName().getString()) + ".";
    std::vector<std::pair<std::string, std::string>> parts;
    const Array<CIMKeyBinding>& keys = path.getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); i++)
    {
        std::string v;
        if (!canonicalValue(keys[i].getValue(), typeOfBinding(keys[i].getType()), v))
            v = utf8Text(keys[i].getValue());
        parts.emplace_back(foldedName(keys[i].getName().getString()), v);
    }
    return s + "{" + joinKey(parts) + "}";
}

CIMProperty instanceProperty(const CIMConstProperty& classProperty, const CIMValue& value,
                             Boolean propagated)
{
    return CIMProperty(classProperty.getName(), value, 0, classProperty.getReferenceClassName(),
                       classProperty.getClassOrigin(), propagated);
}

template <class Source, class Target>
void cloneQualifiers(const Source& source, Target& target)
{
    for (Uint32 i = 0; i < source.getQualifierCount(); i++)
        target.addQualifier(source.getQualifier(i).clone());
}

bool isKey(const Array<CIMName>& keyNames, const CIMName& name)
{
    for (Uint32 i = 0; i < keyNames.size(); i++)
    {
        if (keyNames[i].equal(name))
            return true;
    }
    return false;
}

}  // namespace

CIMValue InstanceRules::convert(const CIMValue& value, CIMType type, Boolean isArray,
                                const CIMName& propertyName)
{
    if (value.getType() == type && value.isArray() == isArray)
        return value;
    if (value.isNull())
        return CIMValue(type, isArray);
    if (value.isArray() != isArray)
        mismatch(propertyName, value, type, isArray);
    if (!isArray)
    {
        CIMValue out;
        if (!convertScalar(value, type, out))
            mismatch(propertyName, value, type, isArray);
        return out;
    }
    std::vector<CIMValue> elements = elementsOf(value);
    for (CIMValue& e : elements)
    {
        CIMValue out;
        if (!convertScalar(e, type, out))
            mismatch(propertyName, value, type, isArray);
        e = out;
    }
    return arrayOf(type, elements);
}

CIMInstance InstanceRules::build(const CIMConstClass& cimClass, const CIMConstInstance& given)
{
    CIMInstance instance(cimClass.getClassName());
    cloneQualifiers(given, instance);
    std::vector<bool> set(cimClass.getPropertyCount(), false);
    for (Uint32 i = 0; i < given.getPropertyCount(); i++)
    {
        CIMConstProperty gp = given.getProperty(i);
        Uint32 ci = cimClass.findProperty(gp.getName());
        if (ci == PEG_NOT_FOUND)
            throw CIMException(CIM_ERR_NO_SUCH_PROPERTY, gp.getName().getString());
        CIMConstProperty cp = cimClass.getProperty(ci);
        CIMProperty p = instanceProperty(
            cp, convert(gp.getValue(), cp.getType(), cp.isArray(), cp.getName()), false);
        cloneQualifiers(gp, p);
        instance.addProperty(p);
        set[ci] = true;
    }
    for (Uint32 ci = 0; ci < cimClass.getPropertyCount(); ci++)
    {
        if (set[ci])
            continue;
        CIMConstProperty cp = cimClass.getProperty(ci);
        instance.addProperty(instanceProperty(cp, cp.getValue(), true));
    }
    instance.setPath(pathOf(cimClass, instance));
    return instance;
}

void InstanceRules::modify(const CIMConstClass& cimClass, CIMInstance& stored,
                           const CIMConstInstance& modified, Boolean includeQualifiers,
                           const CIMPropertyList& propertyList)
{
    Array<CIMName> keyNames;
    cimClass.getKeyNames(keyNames);

    // The new value of each changed property, by class property index.
    std::vector<CIMProperty> replacement(cimClass.getPropertyCount());
    for (Uint32 i = 0; i < modified.getPropertyCount(); i++)
    {
        CIMConstProperty mp = modified.getProperty(i);
        if (!propertyList.useThisProperty(mp.getName()))
            continue;
        Uint32 ci = cimClass.findProperty(mp.getName());
        if (ci == PEG_NOT_FOUND)
            throw CIMException(CIM_ERR_NO_SUCH_PROPERTY, mp.getName().getString());
        CIMConstProperty cp = cimClass.getProperty(ci);
        CIMValue v = convert(mp.getValue(), cp.getType(), cp.isArray(), cp.getName());
        if (isKey(keyNames, cp.getName()))
        {
            Uint32 si = stored.findProperty(cp.getName());
            if (si == PEG_NOT_FOUND || !stored.getProperty(si).getValue().equal(v))
            {
                throw CIMException(CIM_ERR_INVALID_PARAMETER,
                                   String("key property ") + cp.getName().getString() +
                                       " cannot be modified");
            }
        }
        replacement[ci] = instanceProperty(cp, v, false);
        cloneQualifiers(mp, replacement[ci]);
    }
    if (!propertyList.isNull())
    {
        for (Uint32 i = 0; i < propertyList.size(); i++)
        {
            Uint32 ci = cimClass.findProperty(propertyList[i]);
            if (ci == PEG_NOT_FOUND)
                throw CIMException(CIM_ERR_NO_SUCH_PROPERTY, propertyList[i].getString());
            CIMConstProperty cp = cimClass.getProperty(ci);
            if (replacement[ci].isUninitialized() && !isKey(keyNames, cp.getName()))
                replacement[ci] = instanceProperty(cp, cp.getValue(), true);
        }
    }

    // Rebuild the property list so that replaced properties keep their
    // place and new ones follow.
    std::vector<CIMProperty> properties;
    std::vector<bool> placed(cimClass.getPropertyCount(), false);
    for (Uint32 i = 0; i < stored.getPropertyCount(); i++)
    {
        CIMProperty p = stored.getProperty(i);
        Uint32 ci = cimClass.findProperty(p.getName());
        if (ci != PEG_NOT_FOUND && !replacement[ci].isUninitialized())
        {
            properties.push_back(replacement[ci]);
            placed[ci] = true;
        }
        else
            properties.push_back(p);
    }
    for (Uint32 ci = 0; ci < replacement.size(); ci++)
    {
        if (!replacement[ci].isUninitialized() && !placed[ci])
            properties.push_back(replacement[ci]);
    }
    while (stored.getPropertyCount() > 0)
        stored.removeProperty(stored.getPropertyCount() - 1);
    for (const CIMProperty& p : properties)
        stored.addProperty(p);

    if (includeQualifiers)
    {
        while (stored.getQualifierCount() > 0)
            stored.removeQualifier(stored.getQualifierCount() - 1);
        cloneQualifiers(modified, stored);
    }
}

CIMObjectPath InstanceRules::pathOf(const CIMConstClass& cimClass, const CIMConstInstance& instance)
{
    Array<CIMName> keyNames;
    cimClass.getKeyNames(keyNames);
    Array<CIMKeyBinding> bindings;
    for (Uint32 i = 0; i < keyNames.size(); i++)
    {
        Uint32 pi = instance.findProperty(keyNames[i]);
        if (pi == PEG_NOT_FOUND || instance.getProperty(pi).getValue().isNull())
        {
            throw CIMException(CIM_ERR_INVALID_PARAMETER,
                               String("key property ") + keyNames[i].getString() +
                                   " has no value");
        }
        bindings.append(CIMKeyBinding(keyNames[i], instance.getProperty(pi).getValue()));
    }
    return CIMObjectPath(String(), CIMNamespaceName(), cimClass.getClassName(), bindings);
}

bool InstanceRules::canonicalKey(const CIMConstClass& cimClass, const CIMObjectPath& path,
                                 std::string& key)
{
    Array<CIMName> keyNames;
    cimClass.getKeyNames(keyNames);
    const Array<CIMKeyBinding>& bindings = path.getKeyBindings();
    if (bindings.size() != keyNames.size())
        return false;
    std::vector<std::pair<std::string, std::string>> parts;
    for (Uint32 i = 0; i < keyNames.size(); i++)
    {
        Uint32 b = 0;
        while (b < bindings.size() && !bindings[b].getName().equal(keyNames[i]))
            b++;
        if (b == bindings.size())
            return false;
        CIMType type = cimClass.getProperty(cimClass.findProperty(keyNames[i])).getType();
        std::string v;
        if (!canonicalValue(bindings[b].getValue(), type, v))
            return false;
        parts.emplace_back(foldedName(keyNames[i].getString()), v);
    }
    key = joinKey(parts);
    return true;
}

void InstanceRules::filter(CIMInstance& instance, Boolean includeQualifiers,
                           Boolean includeClassOrigin, const CIMPropertyList& propertyList,
                           const CIMConstClass& restrictTo)
{
    if (!includeQualifiers)
    {
        while (instance.getQualifierCount() > 0)
            instance.removeQualifier(instance.getQualifierCount() - 1);
    }
    for (Uint32 i = instance.getPropertyCount(); i-- > 0;)
    {
        CIMProperty p = instance.getProperty(i);
        if (!propertyList.useThisProperty(p.getName()) ||
            (!restrictTo.isUninitialized() &&
             restrictTo.findProperty(p.getName()) == PEG_NOT_FOUND))
        {
            instance.removeProperty(i);
            continue;
        }
        if (!includeQualifiers)
        {
            while (p.getQualifierCount() > 0)
                p.removeQualifier(p.getQualifierCount() - 1);
        }
        if (!includeClassOrigin)
            p.setClassOrigin(CIMName());
    }
}

}  // namespace Pegasus
