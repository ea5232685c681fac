// CIMKeyBinding: a key property's value kept as text, and the comparisons
// that read that text back by type.
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>

#include "IntegerText.h"

#include <cerrno>
#include <cstdlib>

PEGASUS_NAMESPACE_BEGIN

namespace
{
bool parseReal(const String& text, Real64& x)
{
    if (text.size() == 0)
        return false;
    CString c = text.getCString();
    const char* p = c;
    char* end = 0;
    errno = 0;
    double v = strtod(p, &end);
    if (*end != 0 || end == p || errno == ERANGE)
        return false;
    x = v;
    return true;
}

// Reads text as an integer of [min, max] (signed types) or [0, umax].
bool parseSigned(const String& text, Sint64 min, Sint64 max, Sint64& x)
{
    Sint64 v;
    if (!parseSignedIntegerText(text, v) || v < min || v > max)
        return false;
    x = v;
    return true;
}

bool parseUnsigned(const String& text, Uint64 max, Uint64& x)
{
    Uint64 v;
    if (!parseUnsignedIntegerText(text, v) || v > max)
        return false;
    x = v;
    return true;
}

template <class T>
bool sameSigned(const String& text, const CIMValue& value, Sint64 min, Sint64 max)
{
    T expected;
    value.get(expected);
    Sint64 v;
    return parseSigned(text, min, max, v) && v == Sint64(expected);
}

template <class T>
bool sameUnsigned(const String& text, const CIMValue& value, Uint64 max)
{
    T expected;
    value.get(expected);
    Uint64 v;
    return parseUnsigned(text, max, v) && v == Uint64(expected);
}
}

CIMKeyBinding::CIMKeyBinding() : _type(BOOLEAN) {}

CIMKeyBinding::CIMKeyBinding(const CIMKeyBinding& x) = default;

CIMKeyBinding::CIMKeyBinding(const CIMName& name, const String& value, Type type)
    : _name(name), _value(value), _type(type)
{
}

CIMKeyBinding::CIMKeyBinding(const CIMName& name, const CIMValue& value)
    : _name(name)
{
    if (value.isArray())
        throw TypeMismatchException();
    switch (value.getType())
    {
    case CIMTYPE_BOOLEAN:
        _type = BOOLEAN;
        break;
    case CIMTYPE_CHAR16:
    case CIMTYPE_STRING:
    case CIMTYPE_DATETIME:
        _type = STRING;
        break;
    case CIMTYPE_REFERENCE:
        _type = REFERENCE;
        break;
    case CIMTYPE_OBJECT:
    case CIMTYPE_INSTANCE:
        throw TypeMismatchException();
    default:
        _type = NUMERIC;   // reals too, written as "%.16e"
        break;
    }
    _value = value.toString();
}

CIMKeyBinding::~CIMKeyBinding() {}

CIMKeyBinding& CIMKeyBinding::operator=(const CIMKeyBinding& x) = default;

Boolean CIMKeyBinding::equal(CIMValue value)
{
    if (value.isArray() || value.isNull())
        return false;
    try
    {
        switch (value.getType())
        {
        case CIMTYPE_BOOLEAN:
        {
            if (_type != BOOLEAN)
                return false;
            Boolean b;
            value.get(b);
            return String::equalNoCase(_value, b ? "TRUE" : "FALSE");
        }
        case CIMTYPE_UINT8:
            return _type == NUMERIC && sameUnsigned<Uint8>(_value, value, 0xFF);
        case CIMTYPE_UINT16:
            return _type == NUMERIC && sameUnsigned<Uint16>(_value, value, 0xFFFF);
        case CIMTYPE_UINT32:
            return _type == NUMERIC && sameUnsigned<Uint32>(_value, value, 0xFFFFFFFFu);
        case CIMTYPE_UINT64:
            return _type == NUMERIC && sameUnsigned<Uint64>(_value, value, ~Uint64(0));
        case CIMTYPE_SINT8:
            return _type == NUMERIC && sameSigned<Sint8>(_value, value, -128, 127);
        case CIMTYPE_SINT16:
            return _type == NUMERIC && sameSigned<Sint16>(_value, value, -32768, 32767);
        case CIMTYPE_SINT32:
            return _type == NUMERIC &&
                   sameSigned<Sint32>(_value, value, -2147483647LL - 1, 2147483647LL);
        case CIMTYPE_SINT64:
            return _type == NUMERIC &&
                   sameSigned<Sint64>(_value, value, -0x7FFFFFFFFFFFFFFFLL - 1,
                                      0x7FFFFFFFFFFFFFFFLL);
        case CIMTYPE_REAL32:
        {
            Real32 expected;
            value.get(expected);
            Real64 v;
            return _type == NUMERIC && parseReal(_value, v) && Real32(v) == expected;
        }
        case CIMTYPE_REAL64:
        {
            Real64 expected;
            value.get(expected);
            Real64 v;
            return _type == NUMERIC && parseReal(_value, v) && v == expected;
        }
        case CIMTYPE_CHAR16:
        {
            Char16 expected;
            value.get(expected);
            return _type == STRING && _value.size() == 1 && _value[0] == expected;
        }
        case CIMTYPE_STRING:
        {
            String expected;
            value.get(expected);
            return _type == STRING && String::equal(_value, expected);
        }
        case CIMTYPE_DATETIME:
        {
            CIMDateTime expected;
            value.get(expected);
            return _type == STRING && CIMDateTime(_value).equal(expected);
        }
        case CIMTYPE_REFERENCE:
        {
            CIMObjectPath expected;
            value.get(expected);
            return _type == REFERENCE && CIMObjectPath(_value).identical(expected);
        }
        default:
            return false;
        }
    }
    catch (const Exception&)
    {
        // Unparsable text, or datetimes of differing kinds.
        return false;
    }
}

Boolean operator==(const CIMKeyBinding& x, const CIMKeyBinding& y)
{
    if (!x.getName().equal(y.getName()) || x.getType() != y.getType())
        return false;
    const String& a = x.getValue();
    const String& b = y.getValue();
    switch (x.getType())
    {
    case CIMKeyBinding::REFERENCE:
        try
        {
            return CIMObjectPath(a).identical(CIMObjectPath(b));
        }
        catch (const Exception&)
        {
            return String::equal(a, b);
        }
    case CIMKeyBinding::BOOLEAN:
        return String::equalNoCase(a, b);
    case CIMKeyBinding::NUMERIC:
    {
        Uint64 ua, ub;
        if (parseUnsignedIntegerText(a, ua) && parseUnsignedIntegerText(b, ub))
            return ua == ub;
        Sint64 sa, sb;
        if (parseSignedIntegerText(a, sa) && parseSignedIntegerText(b, sb))
            return sa == sb;
        return String::equal(a, b);
    }
    default:
        return String::equal(a, b);
    }
}

PEGASUS_NAMESPACE_END
