// Conversion of values between the CIM server's object model and the host's.
// Every branch follows the declared type (Pegasus to host) or the value's
// own type code (host to Pegasus); unsupported types leave the output as it
// was.
#include "TPEGASUSValueConversion.h"

#include <sstream>
#include <utility>
#include <vector>

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/Char16.h>
#include <Pegasus/Common/String.h>

#include "ICIMClass.h"
#include "TCIMChar16.h"
#include "TCIMContext.h"
#include "TCIMDateTime.h"
#include "TCIMReference.h"
#include "TPEGASUSNamespace.h"

namespace NQRVKTA20 {

namespace {

ECIMType ScalarCode(Pegasus::CIMType type)
{
    return static_cast<ECIMType>(static_cast<unsigned int>(type) + 1);
}

// The host char16 of a Pegasus character: built from the decimal text of
// its code ("65" for the letter A).
TCIMValue Char16ToKTA(Pegasus::Char16 c)
{
    std::ostringstream code;
    code << static_cast<unsigned short>(c);
    return TCIMValue(TCIMChar16(code.str()));
}

TCIMValue ReferenceToKTA(Pegasus::CIMObjectPath const& path,
                         boost::shared_ptr<ICIMClass> const& cls)
{
    TCIMReference reference{boost::shared_ptr<ICIMNamespace>(), TCIMContext()};
    reference.SetNamespace(cls->GetNamespace(TCIMContext()));
    reference.SetPath(TPEGASUSNamespace::PegasusText(path.toString()));
    return TCIMValue(reference);
}

// Reads a scalar of Pegasus type P (a type mismatch throws) and stores it
// as host type H.  A null value has nothing to read: it becomes a null
// host value of the same type.
template <typename P, typename H>
void NumberToKTA(Pegasus::CIMValue const& value, Pegasus::CIMType type, TCIMValue& out)
{
    P number = P();
    value.get(number);
    out = value.isNull() ? TCIMValue(ScalarCode(type)) : TCIMValue(static_cast<H>(number));
}

// Reads an array of Pegasus element type P (empty for a null array) and
// builds one host element per entry with `convert`.
template <typename P, typename F>
void FillArray(Pegasus::CIMValue const& value, Pegasus::CIMType type, TCIMValue& out,
               F convert)
{
    Pegasus::Array<P> array;
    value.get(array);
    // The elements are built in the array value itself: they have the
    // element type by construction, and nothing is copied twice.
    TCIMValue converted(TCIMValue::TCIMType(ScalarCode(type)), 0, std::vector<TCIMValue>());
    std::vector<TCIMValue>& elements = converted;
    elements.reserve(array.size());
    for (Pegasus::Uint32 i = 0; i < array.size(); ++i)
        elements.push_back(convert(array[i]));
    out = std::move(converted);
}

template <typename P>
TCIMValue AsIs(P const& element)
{
    return TCIMValue(element);
}

void ScalarToKTA(Pegasus::CIMValue const& value, Pegasus::CIMType type, TCIMValue& out,
                 boost::shared_ptr<ICIMClass> const& cls)
{
    using namespace Pegasus;
    switch (type) {
    case CIMTYPE_BOOLEAN:
        // A null boolean is not equal to true either: it becomes false.
        out = TCIMValue(value == CIMValue(true));
        break;
    case CIMTYPE_UINT8:  NumberToKTA<Uint8, unsigned char>(value, type, out); break;
    case CIMTYPE_SINT8:  NumberToKTA<Sint8, signed char>(value, type, out); break;
    case CIMTYPE_UINT16: NumberToKTA<Uint16, unsigned short>(value, type, out); break;
    case CIMTYPE_SINT16: NumberToKTA<Sint16, short>(value, type, out); break;
    case CIMTYPE_UINT32: NumberToKTA<Uint32, unsigned int>(value, type, out); break;
    case CIMTYPE_SINT32: NumberToKTA<Sint32, int>(value, type, out); break;
    case CIMTYPE_UINT64: NumberToKTA<Uint64, unsigned long long>(value, type, out); break;
    case CIMTYPE_SINT64: NumberToKTA<Sint64, long long>(value, type, out); break;
    case CIMTYPE_REAL32: NumberToKTA<Real32, float>(value, type, out); break;
    case CIMTYPE_REAL64: NumberToKTA<Real64, double>(value, type, out); break;
    case CIMTYPE_CHAR16: {
        Char16 c;
        value.get(c);
        out = value.isNull() ? TCIMValue(kChar16) : Char16ToKTA(c);
        break;
    }
    case CIMTYPE_STRING: {
        String text;
        value.get(text);
        out = value.isNull() ? TCIMValue(kString) : TCIMValue(TPEGASUSNamespace::PegasusText(text));
        break;
    }
    case CIMTYPE_DATETIME: {
        CIMDateTime dateTime;
        value.get(dateTime);
        out = value.isNull() ? TCIMValue(kDateTime)
                             : TCIMValue(TCIMDateTime(TPEGASUSNamespace::PegasusText(dateTime.toString())));
        break;
    }
    case CIMTYPE_REFERENCE: {
        CIMObjectPath path;
        value.get(path);
        out = value.isNull() ? TCIMValue(kReference) : ReferenceToKTA(path, cls);
        break;
    }
    default:
        break;
    }
}

void ArrayToKTA(Pegasus::CIMValue const& value, Pegasus::CIMType type, TCIMValue& out)
{
    using namespace Pegasus;
    switch (type) {
    case CIMTYPE_BOOLEAN: FillArray<Boolean>(value, type, out, AsIs<bool>); break;
    case CIMTYPE_UINT8:   FillArray<Uint8>(value, type, out, AsIs<unsigned char>); break;
    case CIMTYPE_SINT8:   FillArray<Sint8>(value, type, out, AsIs<signed char>); break;
    case CIMTYPE_UINT16:  FillArray<Uint16>(value, type, out, AsIs<unsigned short>); break;
    case CIMTYPE_SINT16:  FillArray<Sint16>(value, type, out, AsIs<short>); break;
    case CIMTYPE_UINT32:  FillArray<Uint32>(value, type, out, AsIs<unsigned int>); break;
    case CIMTYPE_SINT32:  FillArray<Sint32>(value, type, out, AsIs<int>); break;
    case CIMTYPE_UINT64:  FillArray<Uint64>(value, type, out, AsIs<unsigned long long>); break;
    case CIMTYPE_SINT64:  FillArray<Sint64>(value, type, out, AsIs<long long>); break;
    case CIMTYPE_REAL32:  FillArray<Real32>(value, type, out, AsIs<float>); break;
    case CIMTYPE_REAL64:  FillArray<Real64>(value, type, out, AsIs<double>); break;
    case CIMTYPE_CHAR16:  FillArray<Char16>(value, type, out, Char16ToKTA); break;
    case CIMTYPE_STRING:
        // Array elements go through the String stream insertion (not
        // getCString), so characters above 0xFF arrive as "\xHHHH".
        // One stream per thread serves every array: building a stream
        // costs more than writing a short text into it.
        {
            static thread_local std::ostringstream text;
            text.clear();
            FillArray<String>(value, type, out, [](String const& element) {
                std::string ascii;
                if (TPEGASUSNamespace::PegasusAsciiText(element, ascii))
                    return TCIMValue(ascii);
                text.str(std::string());
                text << element;
                return TCIMValue(text.str());
            });
        }
        break;
    case CIMTYPE_DATETIME: {
        std::ostringstream text;
        FillArray<CIMDateTime>(value, type, out, [&text](CIMDateTime const& element) {
            text.str(std::string());
            text << element.toString();
            return TCIMValue(TCIMDateTime(text.str()));
        });
        break;
    }
    default:
        // Reference arrays and every other type are not converted.
        break;
    }
}

void ArrayToPeg(TCIMValue const& value, ECIMType elementType, Pegasus::CIMValue& out)
{
    switch (elementType) {
    case kBoolean: ktaArrayToPeg(value, out, bool(), Pegasus::Boolean()); break;
    case kUint8:   ktaArrayToPeg(value, out, (unsigned char)0, Pegasus::Uint8()); break;
    case kSint8:   ktaArrayToPeg(value, out, (signed char)0, Pegasus::Sint8()); break;
    case kUint16:  ktaArrayToPeg(value, out, (unsigned short)0, Pegasus::Uint16()); break;
    case kSint16:  ktaArrayToPeg(value, out, short(), Pegasus::Sint16()); break;
    case kUint32:  ktaArrayToPeg(value, out, (unsigned int)0, Pegasus::Uint32()); break;
    case kSint32:  ktaArrayToPeg(value, out, int(), Pegasus::Sint32()); break;
    case kUint64:  ktaArrayToPeg(value, out, (unsigned long long)0, Pegasus::Uint64()); break;
    case kSint64:  ktaArrayToPeg(value, out, (long long)0, Pegasus::Sint64()); break;
    case kReal32:  ktaArrayToPeg(value, out, float(), Pegasus::Real32()); break;
    case kReal64:  ktaArrayToPeg(value, out, double(), Pegasus::Real64()); break;
    case kChar16:  ktaArrayToPeg(value, out, (unsigned short)0, Pegasus::Char16()); break;
    case kString: {
        std::vector<TCIMValue> const& elements = value;
        Pegasus::Array<Pegasus::String> array;
        for (TCIMValue const& element : elements) {
            std::string text = element;
            array.append(Pegasus::String(text.c_str()));
        }
        out.set(array);
        break;
    }
    case kDateTime: {
        std::vector<TCIMValue> const& elements = value;
        Pegasus::Array<Pegasus::CIMDateTime> array;
        for (TCIMValue const& element : elements) {
            std::ostringstream text;
            text << element.ToString(10);
            array.append(Pegasus::CIMDateTime(Pegasus::String(text.str().c_str())));
        }
        out.set(array);
        break;
    }
    default:
        // No element type, or references: not converted.
        break;
    }
}

void ScalarToPeg(TCIMValue const& value, ECIMType type, Pegasus::CIMValue& out)
{
    switch (type) {
    case kBoolean: out = Pegasus::CIMValue(bool(value)); break;
    case kUint8:   out.set(static_cast<Pegasus::Uint8>(static_cast<unsigned char>(value))); break;
    case kSint8:   out.set(static_cast<Pegasus::Sint8>(static_cast<signed char>(value))); break;
    case kUint16:  out.set(static_cast<Pegasus::Uint16>(static_cast<unsigned short>(value))); break;
    case kSint16:  out.set(static_cast<Pegasus::Sint16>(static_cast<short>(value))); break;
    case kUint32:  out.set(static_cast<Pegasus::Uint32>(static_cast<unsigned int>(value))); break;
    case kSint32:  out.set(static_cast<Pegasus::Sint32>(static_cast<int>(value))); break;
    case kUint64:
        out.set(static_cast<Pegasus::Uint64>(static_cast<unsigned long long>(value)));
        break;
    case kSint64:  out.set(static_cast<Pegasus::Sint64>(static_cast<long long>(value))); break;
    case kReal32:  out.set(static_cast<Pegasus::Real32>(static_cast<float>(value))); break;
    case kReal64:  out.set(static_cast<Pegasus::Real64>(static_cast<double>(value))); break;
    case kChar16:
        out.set(Pegasus::Char16(static_cast<unsigned short>(value)));
        break;
    case kString:
        out.set(Pegasus::String(value.ToString(10).c_str()));
        break;
    case kDateTime:
        out.set(Pegasus::CIMDateTime(Pegasus::String(value.ToString(10).c_str())));
        break;
    case kReference:
        out.set(Pegasus::CIMObjectPath(Pegasus::String(value.ToString(10).c_str())));
        break;
    default:
        break;
    }
}

} // namespace

TCIMValue::TCIMType pegTypeToKTAType(Pegasus::CIMType type, bool isArray)
{
    unsigned int code = static_cast<unsigned int>(type);
    if (code > static_cast<unsigned int>(Pegasus::CIMTYPE_REFERENCE))
        return TCIMValue::TCIMType(isArray ? kArray : kNone);
    return TCIMValue::TCIMType(static_cast<ECIMType>(code + (isArray ? 17 : 1)));
}

void pegValToKTA(std::string /*name*/, Pegasus::CIMValue value, Pegasus::CIMType type,
                 bool isArray, TCIMValue& out, boost::shared_ptr<ICIMClass> cls)
{
    if (isArray)
        ArrayToKTA(value, type, out);
    else
        ScalarToKTA(value, type, out, cls);
}

void ktaValToPeg(TCIMValue const& value, Pegasus::CIMValue& out)
{
    unsigned int code = static_cast<ECIMType>(value.GetType());
    if (value.IsArray()) {
        // An array reports element code + 16; 16 alone has no element type.
        if (code > kArray)
            ArrayToPeg(value, static_cast<ECIMType>(code - kArray), out);
    } else {
        ScalarToPeg(value, static_cast<ECIMType>(code), out);
    }
}

} // namespace NQRVKTA20
