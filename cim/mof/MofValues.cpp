// Literal-to-value conversion.  Integers arrive as sign and magnitude, so
// the range check here is exact for every integer type, uint64 and sint64
// included.

#include "MofValues.h"

#include "MofLexer.h"

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/Exception.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace Pegasus {
namespace Mof {

namespace {

[[noreturn]] void fail(const Literal& lit, const std::string& message)
{
    throw ValueError{message, lit.where};
}

const char* kindName(const Literal& lit)
{
    switch (lit.kind)
    {
    case Literal::Kind::Null: return "NULL";
    case Literal::Kind::Boolean: return "a boolean";
    case Literal::Kind::Integer: return "an integer";
    case Literal::Kind::Real: return "a real number";
    case Literal::Kind::String: return "a string";
    case Literal::Kind::Char16: return "a character";
    case Literal::Kind::Alias: return "an alias";
    case Literal::Kind::Array: return "an array";
    }
    return "a value";
}

[[noreturn]] void mismatch(const Literal& lit, CIMType type)
{
    fail(lit, std::string(kindName(lit)) + " value is not valid for type " + cimTypeToString(type));
}

template <class T>
T integer(const Literal& lit, CIMType type)
{
    if (lit.kind != Literal::Kind::Integer)
        mismatch(lit, type);
    using Limits = std::numeric_limits<T>;
    bool fits;
    if (lit.negative)
        fits = Limits::is_signed
            && lit.magnitude <= std::uint64_t(-(static_cast<std::int64_t>(Limits::min()) + 1)) + 1;
    else
        fits = lit.magnitude <= static_cast<std::uint64_t>(Limits::max());
    if (!fits)
        fail(lit, "value " + lit.source + " is out of range for type " + cimTypeToString(type));
    if (lit.negative)
        return static_cast<T>(-static_cast<std::int64_t>(lit.magnitude - 1) - 1);
    return static_cast<T>(lit.magnitude);
}

double real(const Literal& lit, CIMType type)
{
    if (lit.kind == Literal::Kind::Real)
        return lit.real;
    if (lit.kind == Literal::Kind::Integer)
    {
        double v = static_cast<double>(lit.magnitude);
        return lit.negative ? -v : v;
    }
    mismatch(lit, type);
}

String string(const Literal& lit, CIMType type)
{
    if (lit.kind != Literal::Kind::String)
        mismatch(lit, type);
    return toPegasusString(lit.text);
}

Char16 char16(const Literal& lit, CIMType type)
{
    if ((lit.kind == Literal::Kind::Char16 || lit.kind == Literal::Kind::String)
        && lit.text.size() == 1)
        return Char16(lit.text[0]);
    mismatch(lit, type);
}

CIMDateTime datetime(const Literal& lit, CIMType type)
{
    String text = string(lit, type);
    try
    {
        return CIMDateTime(text);
    }
    catch (const Exception& e)
    {
        fail(lit, "invalid datetime value \"" + std::string(text.getCString()) + "\": "
                      + std::string(e.getMessage().getCString()));
    }
}

CIMObjectPath reference(const Literal& lit, const ValueTarget& target)
{
    if (lit.kind == Literal::Kind::Alias)
    {
        CIMObjectPath path;
        if (!target.aliases || !target.aliases(lit.alias, path))
            fail(lit, "undefined alias $" + lit.alias);
        return path;
    }
    String text = string(lit, target.type);
    try
    {
        return CIMObjectPath(text);
    }
    catch (const Exception& e)
    {
        fail(lit, std::string(e.getMessage().getCString()));
    }
}

template <class T, class Convert>
CIMValue convert(const Literal& lit, const ValueTarget& target, Convert one)
{
    if (!target.isArray)
    {
        if (lit.kind == Literal::Kind::Array)
            fail(lit, std::string("an array value is not valid for the scalar type ")
                          + cimTypeToString(target.type));
        return CIMValue(one(lit));
    }
    Array<T> values;
    if (lit.kind != Literal::Kind::Array)
    {
        if (!target.scalarAsArray)
            fail(lit, std::string("an array value is needed for type ")
                          + cimTypeToString(target.type) + "[]");
        values.append(one(lit));
        return CIMValue(values);
    }
    values.reserveCapacity(static_cast<Uint32>(lit.elements.size()));
    for (const Literal& element : lit.elements)
    {
        if (element.kind == Literal::Kind::Null)
            fail(element, "NULL is not valid as an array element");
        values.append(one(element));
    }
    return CIMValue(values);
}

}  // namespace

String toPegasusString(const std::u16string& text)
{
    std::vector<Char16> units(text.begin(), text.end());
    return units.empty() ? String() : String(units.data(), static_cast<Uint32>(units.size()));
}

CIMValue toValue(const Literal& lit, const ValueTarget& target)
{
    CIMType type = target.type;
    if (lit.kind == Literal::Kind::Null)
        return CIMValue(type, target.isArray);
    switch (type)
    {
    case CIMTYPE_BOOLEAN:
        return convert<Boolean>(lit, target, [type](const Literal& l) {
            if (l.kind != Literal::Kind::Boolean)
                mismatch(l, type);
            return Boolean(l.boolean);
        });
    case CIMTYPE_UINT8:
        return convert<Uint8>(lit, target, [type](const Literal& l) { return integer<Uint8>(l, type); });
    case CIMTYPE_SINT8:
        return convert<Sint8>(lit, target, [type](const Literal& l) { return integer<Sint8>(l, type); });
    case CIMTYPE_UINT16:
        return convert<Uint16>(lit, target, [type](const Literal& l) { return integer<Uint16>(l, type); });
    case CIMTYPE_SINT16:
        return convert<Sint16>(lit, target, [type](const Literal& l) { return integer<Sint16>(l, type); });
    case CIMTYPE_UINT32:
        return convert<Uint32>(lit, target, [type](const Literal& l) { return integer<Uint32>(l, type); });
    case CIMTYPE_SINT32:
        return convert<Sint32>(lit, target, [type](const Literal& l) { return integer<Sint32>(l, type); });
    case CIMTYPE_UINT64:
        return convert<Uint64>(lit, target, [type](const Literal& l) { return integer<Uint64>(l, type); });
    case CIMTYPE_SINT64:
        return convert<Sint64>(lit, target, [type](const Literal& l) { return integer<Sint64>(l, type); });
    case CIMTYPE_REAL32:
        return convert<Real32>(lit, target, [type](const Literal& l) { return Real32(real(l, type)); });
    case CIMTYPE_REAL64:
        return convert<Real64>(lit, target, [type](const Literal& l) { return Real64(real(l, type)); });
    case CIMTYPE_CHAR16:
        return convert<Char16>(lit, target, [type](const Literal& l) { return char16(l, type); });
    case CIMTYPE_STRING:
        return convert<String>(lit, target, [type](const Literal& l) { return string(l, type); });
    case CIMTYPE_DATETIME:
        return convert<CIMDateTime>(lit, target, [type](const Literal& l) { return datetime(l, type); });
    case CIMTYPE_REFERENCE:
        return convert<CIMObjectPath>(lit, target, [&target](const Literal& l) { return reference(l, target); });
    default:
        fail(lit, std::string("values of type ") + cimTypeToString(type)
                      + " cannot be written in MOF");
    }
}

}  // namespace Mof
}  // namespace Pegasus
