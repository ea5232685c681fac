#include "CimXmlValues.h"
#include "IntegerText.h"
#include "Utf8Text.h"

#include "CIMObjectModelRep.h"

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/CIMObjectPath.h>

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <strings.h>
#include <limits>

namespace Pegasus {

namespace {

struct TypeEntry
{
    const char* name;
    CIMType type;
};

const TypeEntry kTypes[] = {
    {"boolean", CIMTYPE_BOOLEAN},   {"string", CIMTYPE_STRING},
    {"uint8", CIMTYPE_UINT8},       {"sint8", CIMTYPE_SINT8},
    {"uint16", CIMTYPE_UINT16},     {"sint16", CIMTYPE_SINT16},
    {"uint32", CIMTYPE_UINT32},     {"sint32", CIMTYPE_SINT32},
    {"uint64", CIMTYPE_UINT64},     {"sint64", CIMTYPE_SINT64},
    {"real32", CIMTYPE_REAL32},     {"real64", CIMTYPE_REAL64},
    {"char16", CIMTYPE_CHAR16},     {"datetime", CIMTYPE_DATETIME},
    {"reference", CIMTYPE_REFERENCE},
};

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Numbers, booleans and datetimes tolerate white space around them, as an
// indenting writer may put the text of VALUE on its own line.
void trim(const char*& text, std::size_t& size)
{
    while (size > 0 && isXmlSpace(*text))
    {
        ++text;
        --size;
    }
    while (size > 0 && isXmlSpace(text[size - 1]))
        --size;
}

[[noreturn]] void badValue(CIMType type, const char* text, std::size_t size,
                           const char* why = 0)
{
    std::string message = "invalid ";
    message += CimXmlValues::typeName(type);
    message += " value \"";
    // Cut long texts short, but never inside a UTF-8 sequence.
    std::size_t shown = size < 64 ? size : 64;
    while (shown < size && shown > 0 && (static_cast<unsigned char>(text[shown]) & 0xC0) == 0x80)
        --shown;
    message.append(text, shown);
    if (shown < size)
        message += "...";
    message += "\"";
    if (why)
    {
        message += ": ";
        message += why;
    }
    throw CimXmlException(CimXmlException::VALUE, String(message.c_str()));
}

// True for text shaped like an integer (sign, then decimal digits or 0x and
// hex digits), whatever its magnitude.
bool isWellFormedInteger(const char* text, std::size_t size)
{
    bool negative = false;
    Uint64 magnitude = 0;
    return parseIntegerText(text, size, IntegerSyntax::Value, negative, magnitude) !=
           IntegerTextResult::Malformed;
}

template <class T>
bool parseInteger(const char* text, std::size_t size, T& out)
{
    if (std::numeric_limits<T>::is_signed)
    {
        long long v;
        if (!CimXmlValues::parseSigned(text, size, std::numeric_limits<T>::min(),
                                       std::numeric_limits<T>::max(), v))
            return false;
        out = T(v);
    }
    else
    {
        unsigned long long v;
        if (!CimXmlValues::parseUnsigned(text, size, std::numeric_limits<T>::max(), v))
            return false;
        out = T(v);
    }
    return true;
}

bool parseReal(const char* text, std::size_t size, double& out)
{
    const char* p = text;
    const char* end = text + size;
    if (p != end && *p == '+')
        ++p;
    // Only decimal notation: "inf", "nan" and hexadecimal floats are not
    // CIM real literals.
    if (p == end)
        return false;
    const char* q = (*p == '-') ? p + 1 : p;
    if (q == end || !((*q >= '0' && *q <= '9') || *q == '.'))
        return false;
    auto result = std::from_chars(p, end, out, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end)
        return false;
    return std::isfinite(out);
}

template <class T>
T scalarAs(CIMType type, const char* text, std::size_t size);

template <class T>
T integerAs(CIMType type, const char* text, std::size_t size)
{
    trim(text, size);
    T v;
    if (!parseInteger(text, size, v))
    {
        // Tell "12x" from "300 for uint8": both are rejected, but the second
        // is worth naming as a range problem.
        if (isWellFormedInteger(text, size))
            badValue(type, text, size, "out of range");
        badValue(type, text, size);
    }
    return v;
}

template <class T, class Parse>
CIMValue arrayOf(const std::vector<std::string>& texts, Parse parse)
{
    // Assigning into default-constructed elements moves each parsed value
    // in; append() would copy it.
    Array<T> values{Uint32(texts.size())};
    for (Uint32 i = 0; i < values.size(); i++)
        values[i] = parse(texts[i].data(), texts[i].size());
    return CIMValueAccess::take(std::move(values));
}

Boolean booleanFrom(const char* text, std::size_t size)
{
    const char* t = text;
    std::size_t n = size;
    trim(t, n);
    if (n == 4 && strncasecmp(t, "true", 4) == 0)
        return true;
    if (n == 5 && strncasecmp(t, "false", 5) == 0)
        return false;
    badValue(CIMTYPE_BOOLEAN, text, size);
}

Real64 realFrom(CIMType type, const char* text, std::size_t size)
{
    const char* t = text;
    std::size_t n = size;
    trim(t, n);
    double v;
    if (!parseReal(t, n, v))
        badValue(type, text, size);
    if (type == CIMTYPE_REAL32 && std::fabs(v) > FLT_MAX)
        badValue(type, text, size, "out of range");
    return v;
}

Char16 char16From(const char* text, std::size_t size)
{
    String s(text, Uint32(size));
    if (s.size() != 1)
        badValue(CIMTYPE_CHAR16, text, size, "not exactly one character");
    return s[0];
}

CIMDateTime dateTimeFrom(const char* text, std::size_t size)
{
    const char* t = text;
    std::size_t n = size;
    trim(t, n);
    try
    {
        CIMDateTime value;
        if (!CIMDateTimeAccess::setText(value, t, n))
            value.set(String(t, Uint32(n)));
        return value;
    }
    catch (const Exception& e)
    {
        CString why = e.getMessage().getCString();
        badValue(CIMTYPE_DATETIME, text, size, why);
    }
}

CIMObjectPath pathFrom(const char* text, std::size_t size)
{
    try
    {
        return CIMObjectPath(String(text, Uint32(size)));
    }
    catch (const Exception& e)
    {
        CString why = e.getMessage().getCString();
        badValue(CIMTYPE_REFERENCE, text, size, why);
    }
}

template <class T>
void appendIntegers(std::vector<std::string>& out, const CIMValue& value)
{
    char buf[32];
    auto put = [&](T v) {
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        out.emplace_back(buf, r.ptr);
    };
    if (value.isArray())
    {
        Array<T> a;
        value.get(a);
        for (Uint32 i = 0; i < a.size(); i++)
            put(a[i]);
    }
    else
    {
        T v = 0;
        value.get(v);
        put(v);
    }
}

template <class T>
void appendReals(std::vector<std::string>& out, const CIMValue& value)
{
    auto put = [&](T v) {
        std::string s;
        CimXmlValues::appendReal(s, double(v));
        out.push_back(std::move(s));
    };
    if (value.isArray())
    {
        Array<T> a;
        value.get(a);
        for (Uint32 i = 0; i < a.size(); i++)
            put(a[i]);
    }
    else
    {
        T v = 0;
        value.get(v);
        put(v);
    }
}

}  // namespace

bool CimXmlValues::typeFromName(const char* name, CIMType& type)
{
    // Called for every property of every instance: dispatch on the first
    // letter before comparing whole names.
    std::size_t first, last;
    switch (name[0])
    {
    case 's': first = 1; last = 10; break;   // string, sint*
    case 'u': first = 2; last = 10; break;   // uint*
    case 'b': first = 0; last = 1; break;
    case 'r': first = 10; last = 15; break;  // real*, reference
    case 'c': first = 12; last = 13; break;
    case 'd': first = 13; last = 14; break;
    default: return false;
    }
    for (std::size_t i = first; i < last; i++)
    {
        if (std::strcmp(kTypes[i].name, name) == 0)
        {
            type = kTypes[i].type;
            return true;
        }
    }
    return false;
}

const char* CimXmlValues::typeName(CIMType type)
{
    switch (type)
    {
    case CIMTYPE_OBJECT: return "object";
    case CIMTYPE_INSTANCE: return "instance";
    default: break;
    }
    for (const TypeEntry& entry : kTypes)
    {
        if (entry.type == type)
            return entry.name;
    }
    return "unknown";
}

bool CimXmlValues::parseSigned(const char* text, std::size_t size,
                               long long min, long long max, long long& result)
{
    bool negative = false;
    Uint64 magnitude = 0;
    if (parseIntegerText(text, size, IntegerSyntax::Value, negative, magnitude) !=
        IntegerTextResult::Ok)
        return false;
    if (negative)
    {
        // -min may not fit a long long; compare magnitudes in unsigned.
        unsigned long long limit = (unsigned long long)(-(min + 1)) + 1;
        if (magnitude > limit)
            return false;
        result = magnitude == limit ? min : -(long long)magnitude;
        return result >= min;
    }
    if (magnitude > (unsigned long long)max)
        return false;
    result = (long long)magnitude;
    return true;
}

bool CimXmlValues::parseUnsigned(const char* text, std::size_t size,
                                 unsigned long long max, unsigned long long& result)
{
    bool negative = false;
    Uint64 magnitude = 0;
    if (size > 0 && text[0] == '-')
        return false;
    if (parseIntegerText(text, size, IntegerSyntax::Value, negative, magnitude) !=
            IntegerTextResult::Ok ||
        magnitude > max)
        return false;
    result = magnitude;
    return true;
}

void CimXmlValues::appendReal(std::string& out, double value)
{
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 16);
    out.append(buf, r.ptr);
}

CIMValue CimXmlValues::scalarFromText(CIMType type, const char* text, std::size_t size)
{
    switch (type)
    {
    case CIMTYPE_STRING: return CIMValueAccess::take(String(text, Uint32(size)));
    case CIMTYPE_BOOLEAN: return CIMValue(booleanFrom(text, size));
    case CIMTYPE_UINT8: return CIMValue(integerAs<Uint8>(type, text, size));
    case CIMTYPE_SINT8: return CIMValue(integerAs<Sint8>(type, text, size));
    case CIMTYPE_UINT16: return CIMValue(integerAs<Uint16>(type, text, size));
    case CIMTYPE_SINT16: return CIMValue(integerAs<Sint16>(type, text, size));
    case CIMTYPE_UINT32: return CIMValue(integerAs<Uint32>(type, text, size));
    case CIMTYPE_SINT32: return CIMValue(integerAs<Sint32>(type, text, size));
    case CIMTYPE_UINT64: return CIMValue(integerAs<Uint64>(type, text, size));
    case CIMTYPE_SINT64: return CIMValue(integerAs<Sint64>(type, text, size));
    case CIMTYPE_REAL32: return CIMValue(Real32(realFrom(type, text, size)));
    case CIMTYPE_REAL64: return CIMValue(realFrom(type, text, size));
    case CIMTYPE_CHAR16: return CIMValue(char16From(text, size));
    case CIMTYPE_DATETIME: return CIMValue(dateTimeFrom(text, size));
    case CIMTYPE_REFERENCE: return CIMValue(pathFrom(text, size));
    default: break;
    }
    badValue(type, text, size, "objects must be decoded as embedded objects");
}

CIMValue CimXmlValues::arrayFromTexts(CIMType type, const std::vector<std::string>& texts)
{
    switch (type)
    {
    case CIMTYPE_STRING:
        return arrayOf<String>(texts, [](const char* t, std::size_t n) {
            return String(t, Uint32(n));
        });
    case CIMTYPE_BOOLEAN:
        return arrayOf<Boolean>(texts, booleanFrom);
#define PEGASUS_CIMXML_INTEGER_ARRAY(TYPE, CTYPE)                              \
    case TYPE:                                                                 \
        return arrayOf<CTYPE>(texts, [](const char* t, std::size_t n) {        \
            return integerAs<CTYPE>(TYPE, t, n);                               \
        });
    PEGASUS_CIMXML_INTEGER_ARRAY(CIMTYPE_UINT8, Uint8)
    PEGASUS_CIMXML_INTEGER_ARRAY(CIMTYPE_SINT8, Sint8)
    PEGASUS_CIMXML_INTEGER_ARRAY(CIMTYPE_UINT16, Uint16)
    PEGASUS_CIMXML_INTEGER_ARRAY(CIMTYPE_SINT16, Sint16)
    PEGASUS_CIMXML_INTEGER_ARRAY(CIMTYPE_UINT32, Uint32)
    PEGASUS_CIMXML_INTEGER_ARRAY(CIMTYPE_SINT32, Sint32)
    PEGASUS_CIMXML_INTEGER_ARRAY(CIMTYPE_UINT64, Uint64)
    PEGASUS_CIMXML_INTEGER_ARRAY(CIMTYPE_SINT64, Sint64)
#undef PEGASUS_CIMXML_INTEGER_ARRAY
    case CIMTYPE_REAL32:
        return arrayOf<Real32>(texts, [](const char* t, std::size_t n) {
            return Real32(realFrom(CIMTYPE_REAL32, t, n));
        });
    case CIMTYPE_REAL64:
        return arrayOf<Real64>(texts, [](const char* t, std::size_t n) {
            return realFrom(CIMTYPE_REAL64, t, n);
        });
    case CIMTYPE_CHAR16:
        return arrayOf<Char16>(texts, char16From);
    case CIMTYPE_DATETIME:
        return arrayOf<CIMDateTime>(texts, dateTimeFrom);
    case CIMTYPE_REFERENCE:
        return arrayOf<CIMObjectPath>(texts, pathFrom);
    default:
        break;
    }
    badValue(type, "", 0, "objects must be decoded as embedded objects");
}

std::vector<std::string> CimXmlValues::texts(const CIMValue& value)
{
    std::vector<std::string> out;
    switch (value.getType())
    {
    case CIMTYPE_BOOLEAN:
        if (value.isArray())
        {
            Array<Boolean> a;
            value.get(a);
            for (Uint32 i = 0; i < a.size(); i++)
                out.push_back(a[i] ? "TRUE" : "FALSE");
        }
        else
        {
            Boolean b = false;
            value.get(b);
            out.push_back(b ? "TRUE" : "FALSE");
        }
        break;
    case CIMTYPE_UINT8: appendIntegers<Uint8>(out, value); break;
    case CIMTYPE_SINT8: appendIntegers<Sint8>(out, value); break;
    case CIMTYPE_UINT16: appendIntegers<Uint16>(out, value); break;
    case CIMTYPE_SINT16: appendIntegers<Sint16>(out, value); break;
    case CIMTYPE_UINT32: appendIntegers<Uint32>(out, value); break;
    case CIMTYPE_SINT32: appendIntegers<Sint32>(out, value); break;
    case CIMTYPE_UINT64: appendIntegers<Uint64>(out, value); break;
    case CIMTYPE_SINT64: appendIntegers<Sint64>(out, value); break;
    case CIMTYPE_REAL32: appendReals<Real32>(out, value); break;
    case CIMTYPE_REAL64: appendReals<Real64>(out, value); break;
    case CIMTYPE_CHAR16:
        if (value.isArray())
        {
            Array<Char16> a;
            value.get(a);
            for (Uint32 i = 0; i < a.size(); i++)
                out.push_back(utf8Text(String(&a[i], 1)));
        }
        else
        {
            Char16 c;
            value.get(c);
            out.push_back(utf8Text(String(&c, 1)));
        }
        break;
    case CIMTYPE_STRING:
        if (value.isArray())
        {
            Array<String> a;
            value.get(a);
            for (Uint32 i = 0; i < a.size(); i++)
                out.push_back(utf8Text(a[i]));
        }
        else
        {
            String s;
            value.get(s);
            out.push_back(utf8Text(s));
        }
        break;
    case CIMTYPE_DATETIME:
        if (value.isArray())
        {
            Array<CIMDateTime> a;
            value.get(a);
            for (Uint32 i = 0; i < a.size(); i++)
                out.push_back(utf8Text(a[i].toString()));
        }
        else
        {
            CIMDateTime d;
            value.get(d);
            out.push_back(utf8Text(d.toString()));
        }
        break;
    default:
        // References, objects and instances have their own elements.
        break;
    }
    return out;
}

std::string CimXmlValues::scalarText(const CIMValue& value)
{
    std::vector<std::string> all = texts(value);
    return all.empty() ? std::string() : all[0];
}

}  // namespace Pegasus
