#include "TCIMValue.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>
#include <type_traits>

#include "TKTAException.h"

namespace NQRVKTA20 {

namespace {

// Highest valid code: a reference array.
const unsigned int kLastTypeCode = kReference + kArray;

const char* const kTypeNames[] = {"none",   "boolean", "uint8",  "sint8",   "uint16", "sint16",
                                  "uint32", "sint32",  "uint64", "sint64",  "real32", "real64",
                                  "char16", "string",  "datetime", "reference"};

[[noreturn]] void ThrowWrongType(const std::string& detail) {
    throw TKTAException(TKTAStatusCode::kWrongType, detail);
}

bool IsUnsignedCode(ECIMType t) {
    return t == kUint8 || t == kUint16 || t == kUint32 || t == kUint64;
}
bool IsSignedCode(ECIMType t) {
    return t == kSint8 || t == kSint16 || t == kSint32 || t == kSint64;
}
bool IsIntegerCode(ECIMType t) { return IsUnsignedCode(t) || IsSignedCode(t); }
bool IsRealCode(ECIMType t) { return t == kReal32 || t == kReal64; }
bool IsReferenceCode(ECIMType t) {
    return t == kReference || t == static_cast<ECIMType>(kReference + kArray);
}

std::string Trim(const std::string& text) {
    const size_t b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return std::string();
    const size_t e = text.find_last_not_of(" \t\r\n");
    return text.substr(b, e - b + 1);
}

// ---- integer texts ---------------------------------------------------------
// The same literal forms CIM's MOF uses: decimal, 0x hexadecimal, leading-0
// octal and trailing-b binary.  ToString writes them, Set reads them back.

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// Reads an integer text into sign and magnitude; false when it is not one
// of the accepted forms or the magnitude exceeds 64 bits.
bool ParseIntegerText(const std::string& raw, bool& negative, uint64_t& magnitude) {
    std::string s = Trim(raw);
    negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.erase(0, 1);
    }
    if (s.empty())
        return false;
    unsigned base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.erase(0, 2);
    } else if (s.size() > 1 && (s.back() == 'b' || s.back() == 'B')) {
        base = 2;
        s.pop_back();
    } else if (s.size() > 1 && s[0] == '0') {
        base = 8;
        s.erase(0, 1);
    }
    magnitude = 0;
    for (char c : s) {
        const unsigned d = static_cast<unsigned>(DigitValue(c));
        if (d >= base)
            return false;
        if (magnitude > (std::numeric_limits<uint64_t>::max() - d) / base)
            return false;
        magnitude = magnitude * base + d;
    }
    return true;
}

template <typename T>
T IntegerFromText(const std::string& text, const char* typeName) {
    bool negative = false;
    uint64_t magnitude = 0;
    if (!ParseIntegerText(text, negative, magnitude))
        ThrowWrongType("cannot read \"" + text + "\" as " + typeName);
    const auto outOfRange = [&]() {
        ThrowWrongType("\"" + text + "\" is out of the range of " + typeName);
    };
    if (std::is_unsigned<T>::value) {
        if (negative && magnitude != 0)
            outOfRange();
        if (magnitude > static_cast<uint64_t>(std::numeric_limits<T>::max()))
            outOfRange();
        return static_cast<T>(magnitude);
    }
    const uint64_t maxPositive = static_cast<uint64_t>(std::numeric_limits<T>::max());
    if (!negative) {
        if (magnitude > maxPositive)
            outOfRange();
        return static_cast<T>(magnitude);
    }
    if (magnitude > maxPositive + 1)
        outOfRange();
    // Negate in unsigned arithmetic: the most negative value has no positive
    // counterpart in T.
    return static_cast<T>(static_cast<int64_t>(0 - magnitude));
}

std::string FormatInteger(bool negative, uint64_t magnitude, uint8_t base) {
    static const char kDigits[] = "0123456789ABCDEF";
    if (base != 2 && base != 8 && base != 16)
        base = 10;
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[magnitude % base]);
        magnitude /= base;
    } while (magnitude != 0);
    std::string out = negative ? "-" : "";
    switch (base) {
    case 16: out += "0x" + digits; break;
    case 8: out += (digits == "0") ? digits : "0" + digits; break;
    case 2: out += digits + "b"; break;
    default: out += digits; break;
    }
    return out;
}

template <typename T>
std::string FormatSigned(T value, uint8_t base) {
    const int64_t v = value;
    const uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    return FormatInteger(v < 0, magnitude, base);
}

// ---- real texts ------------------------------------------------------------

template <typename T>
std::string FormatReal(T value) {
    if (std::isnan(value))
        return "nan";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

template <typename T>
T RealFromText(const std::string& raw, const char* typeName) {
    std::string s = Trim(raw);
    if (!s.empty() && s[0] == '+')
        s.erase(0, 1);
    T value = 0;
    const char* end = s.data() + s.size();
    const auto result = std::from_chars(s.data(), end, value);
    if (s.empty() || result.ec == std::errc::invalid_argument || result.ptr != end)
        ThrowWrongType("cannot read \"" + raw + "\" as " + typeName);
    if (result.ec == std::errc::result_out_of_range)
        ThrowWrongType("\"" + raw + "\" is out of the range of " + typeName);
    return value;
}

// Real ordering that is total: NaN after every number and equal to itself.
template <typename T>
bool RealLess(T a, T b) {
    if (std::isnan(a))
        return false;
    return std::isnan(b) || a < b;
}
template <typename T>
bool RealEqual(T a, T b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

// ---- TCIMType --------------------------------------------------------------

TCIMValue::TCIMType::TCIMType(unsigned int code) : fCode(kNone) {
    if (code > kLastTypeCode)
        ThrowWrongType("no CIM type has the code " + std::to_string(code));
    fCode = static_cast<ECIMType>(code);
}

TCIMValue::TCIMType TCIMValue::TCIMType::GetElementType() const {
    return TCIMType(IsArray() ? static_cast<ECIMType>(fCode - kArray) : fCode);
}

TCIMValue::TCIMType TCIMValue::TCIMType::GetArrayType() const {
    return TCIMType(static_cast<ECIMType>(GetElementType().fCode + kArray));
}

std::string TCIMValue::TCIMType::GetName() const {
    std::string name = kTypeNames[GetElementType().fCode];
    if (IsArray())
        name += "[]";
    return name;
}

std::ostream& operator<<(std::ostream& out, const TCIMValue::TCIMType& type) {
    return out << type.GetName();
}

std::ostream& operator<<(std::ostream& out, const TCIMValue& value) {
    return out << value.ToString(10);
}

// ---- construction ----------------------------------------------------------

namespace {

// The scalar a null value of `type` holds, so that reading it gives the
// type's zero without special cases.
template <typename Scalar>
Scalar ZeroScalar(ECIMType type) {
    switch (type) {
    case kBoolean: return Scalar(std::in_place_index<kBoolean>, false);
    case kUint8: return Scalar(std::in_place_index<kUint8>, 0);
    case kSint8: return Scalar(std::in_place_index<kSint8>, 0);
    case kUint16: return Scalar(std::in_place_index<kUint16>, 0);
    case kSint16: return Scalar(std::in_place_index<kSint16>, 0);
    case kUint32: return Scalar(std::in_place_index<kUint32>, 0);
    case kSint32: return Scalar(std::in_place_index<kSint32>, 0);
    case kUint64: return Scalar(std::in_place_index<kUint64>, 0);
    case kSint64: return Scalar(std::in_place_index<kSint64>, 0);
    case kReal32: return Scalar(std::in_place_index<kReal32>, 0.0f);
    case kReal64: return Scalar(std::in_place_index<kReal64>, 0.0);
    case kChar16: return Scalar(std::in_place_index<kChar16>);
    case kString: return Scalar(std::in_place_index<kString>);
    case kDateTime: return Scalar(std::in_place_index<kDateTime>);
    case kReference: return Scalar(std::in_place_index<kReference>);
    default: return Scalar();
    }
}

}  // namespace

TCIMValue::TCIMValue() : fType(kNone), fNull(true) {}

TCIMValue::TCIMValue(bool value) : fType(kBoolean), fNull(false), fScalar(std::in_place_index<kBoolean>, value) {}
TCIMValue::TCIMValue(unsigned char value) : fType(kUint8), fNull(false), fScalar(std::in_place_index<kUint8>, value) {}
TCIMValue::TCIMValue(signed char value) : fType(kSint8), fNull(false), fScalar(std::in_place_index<kSint8>, value) {}
TCIMValue::TCIMValue(unsigned short value) : fType(kUint16), fNull(false), fScalar(std::in_place_index<kUint16>, value) {}
TCIMValue::TCIMValue(short value) : fType(kSint16), fNull(false), fScalar(std::in_place_index<kSint16>, value) {}
TCIMValue::TCIMValue(unsigned int value) : fType(kUint32), fNull(false), fScalar(std::in_place_index<kUint32>, value) {}
TCIMValue::TCIMValue(int value) : fType(kSint32), fNull(false), fScalar(std::in_place_index<kSint32>, value) {}
TCIMValue::TCIMValue(unsigned long long value) : fType(kUint64), fNull(false), fScalar(std::in_place_index<kUint64>, value) {}
TCIMValue::TCIMValue(long long value) : fType(kSint64), fNull(false), fScalar(std::in_place_index<kSint64>, value) {}
TCIMValue::TCIMValue(float value) : fType(kReal32), fNull(false), fScalar(std::in_place_index<kReal32>, value) {}
TCIMValue::TCIMValue(double value) : fType(kReal64), fNull(false), fScalar(std::in_place_index<kReal64>, value) {}
TCIMValue::TCIMValue(const std::string& value) : fType(kString), fNull(false), fScalar(std::in_place_index<kString>, value) {}
TCIMValue::TCIMValue(const char* value)
    : fType(kString), fNull(false), fScalar(std::in_place_index<kString>, value ? value : "") {}
TCIMValue::TCIMValue(const TCIMChar16& value) : fType(kChar16), fNull(false), fScalar(std::in_place_index<kChar16>, value) {}
TCIMValue::TCIMValue(const TCIMDateTime& value) : fType(kDateTime), fNull(false), fScalar(std::in_place_index<kDateTime>, value) {}
TCIMValue::TCIMValue(const TCIMReference& value) : fType(kReference), fNull(false), fScalar(std::in_place_index<kReference>, value) {}

// long is 32 or 64 bits depending on the platform; pick the CIM type of the
// same width so the value keeps its range.
TCIMValue::TCIMValue(unsigned long value)
    : TCIMValue(sizeof(long) == 8 ? TCIMValue(static_cast<unsigned long long>(value))
                                  : TCIMValue(static_cast<unsigned int>(value))) {}
TCIMValue::TCIMValue(long value)
    : TCIMValue(sizeof(long) == 8 ? TCIMValue(static_cast<long long>(value))
                                  : TCIMValue(static_cast<int>(value))) {}

TCIMValue::TCIMValue(ECIMType type, unsigned int count) : TCIMValue(TCIMType(type), count) {}

TCIMValue::TCIMValue(TCIMType type, unsigned int)
    : fType(type.GetCode()), fNull(true), fScalar(ZeroScalar<TScalar>(type.GetCode())) {}

TCIMValue::TCIMValue(TCIMType elementType, unsigned int, const std::vector<TCIMValue>& elements)
    : fType(elementType.GetArrayType().GetCode()), fNull(false), fElements(elements) {
    const ECIMType element = elementType.GetElementType().GetCode();
    for (TCIMValue& e : fElements) {
        if (e.IsArray())
            ThrowWrongType("an array of " + elementType.GetElementType().GetName() +
                           " cannot hold the array element " + e.GetType().GetName());
        if (element == kNone)
            continue;
        if (e.fType == kNone && e.fNull) {
            e = TCIMValue(element);
        } else if (e.fType != element) {
            ThrowWrongType("an array of " + elementType.GetElementType().GetName() +
                           " cannot hold an element of type " + e.GetType().GetName());
        }
    }
}

TCIMValue& TCIMValue::operator=(const TCIMValue& other) {
    if (this != &other) {
        TCIMValue copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TCIMValue& TCIMValue::operator=(TCIMValue&& other) noexcept {
    if (this != &other) {
        // A converted reference arrives without the class that the caller
        // may already have attached to this placeholder; keep that one.
        const bool keepClass = !other.fReferencedClass && IsReferenceCode(other.fType);
        fType = other.fType;
        fNull = other.fNull;
        fScalar = std::move(other.fScalar);
        fElements = std::move(other.fElements);
        if (!keepClass)
            fReferencedClass = std::move(other.fReferencedClass);
    }
    return *this;
}

TCIMValue::~TCIMValue() = default;

// ---- conversions -----------------------------------------------------------

void TCIMValue::RequireScalarOf(ECIMType type, const char* target) const {
    if (!IsArray() && (fType == type || (fNull && fType == kNone)))
        return;
    ThrowWrongType("cannot convert " + GetType().GetName() + " to " + target);
}

template <typename T>
T TCIMValue::ToInteger() const {
    const auto wrong = [this]() {
        ThrowWrongType("cannot convert " + GetType().GetName() + " to an integer of " +
                       std::to_string(sizeof(T) * 8) + " bits");
    };
    if (IsArray())
        wrong();
    if (fNull) {
        if (fType == kNone || IsIntegerCode(fType) || fType == kChar16)
            return T();
        wrong();
    }
    bool negative = false;
    uint64_t magnitude = 0;
    switch (fType) {
    case kUint8: magnitude = std::get<kUint8>(fScalar); break;
    case kUint16: magnitude = std::get<kUint16>(fScalar); break;
    case kUint32: magnitude = std::get<kUint32>(fScalar); break;
    case kUint64: magnitude = std::get<kUint64>(fScalar); break;
    case kChar16: magnitude = std::get<kChar16>(fScalar).GetValue(); break;
    case kSint8:
    case kSint16:
    case kSint32:
    case kSint64: {
        int64_t v = 0;
        if (fType == kSint8) v = std::get<kSint8>(fScalar);
        if (fType == kSint16) v = std::get<kSint16>(fScalar);
        if (fType == kSint32) v = std::get<kSint32>(fScalar);
        if (fType == kSint64) v = std::get<kSint64>(fScalar);
        negative = v < 0;
        magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        break;
    }
    default:
        wrong();
    }
    const uint64_t maxPositive = static_cast<uint64_t>(std::numeric_limits<T>::max());
    const bool fits = negative ? (std::is_signed<T>::value && magnitude <= maxPositive + 1)
                               : magnitude <= maxPositive;
    if (!fits)
        ThrowWrongType("the " + GetType().GetName() + " " + ToString(10) +
                       " does not fit an integer of " + std::to_string(sizeof(T) * 8) + " bits" +
                       (std::is_signed<T>::value ? "" : " without sign"));
    if (negative)
        return static_cast<T>(static_cast<int64_t>(0 - magnitude));
    return static_cast<T>(magnitude);
}

template <typename T>
T TCIMValue::ToReal() const {
    const char* target = sizeof(T) == sizeof(float) ? "real32" : "real64";
    if (IsArray() || (!(fNull && fType == kNone) && !IsIntegerCode(fType) && !IsRealCode(fType)))
        ThrowWrongType("cannot convert " + GetType().GetName() + " to " + target);
    if (fNull)
        return T();
    switch (fType) {
    case kReal32: return static_cast<T>(std::get<kReal32>(fScalar));
    case kReal64: {
        const double v = std::get<kReal64>(fScalar);
        if (std::isfinite(v) && std::fabs(v) > static_cast<double>(std::numeric_limits<T>::max()))
            ThrowWrongType("the real64 " + ToString(10) + " does not fit real32");
        return static_cast<T>(v);
    }
    case kUint8: return static_cast<T>(std::get<kUint8>(fScalar));
    case kSint8: return static_cast<T>(std::get<kSint8>(fScalar));
    case kUint16: return static_cast<T>(std::get<kUint16>(fScalar));
    case kSint16: return static_cast<T>(std::get<kSint16>(fScalar));
    case kUint32: return static_cast<T>(std::get<kUint32>(fScalar));
    case kSint32: return static_cast<T>(std::get<kSint32>(fScalar));
    case kUint64: return static_cast<T>(std::get<kUint64>(fScalar));
    default: return static_cast<T>(std::get<kSint64>(fScalar));
    }
}

TCIMValue::operator bool() const {
    RequireScalarOf(kBoolean, "boolean");
    return fNull ? false : std::get<kBoolean>(fScalar);
}
TCIMValue::operator unsigned char() const { return ToInteger<unsigned char>(); }
TCIMValue::operator signed char() const { return ToInteger<signed char>(); }
TCIMValue::operator unsigned short() const { return ToInteger<unsigned short>(); }
TCIMValue::operator short() const { return ToInteger<short>(); }
TCIMValue::operator unsigned int() const { return ToInteger<unsigned int>(); }
TCIMValue::operator int() const { return ToInteger<int>(); }
TCIMValue::operator unsigned long() const { return ToInteger<unsigned long>(); }
TCIMValue::operator long() const { return ToInteger<long>(); }
TCIMValue::operator unsigned long long() const { return ToInteger<unsigned long long>(); }
TCIMValue::operator long long() const { return ToInteger<long long>(); }
TCIMValue::operator float() const { return ToReal<float>(); }
TCIMValue::operator double() const { return ToReal<double>(); }

TCIMValue::operator std::string() const {
    RequireScalarOf(kString, "string");
    return fNull ? std::string() : std::get<kString>(fScalar);
}
TCIMValue::operator TCIMChar16() const {
    RequireScalarOf(kChar16, "char16");
    return fNull ? TCIMChar16() : std::get<kChar16>(fScalar);
}
TCIMValue::operator TCIMDateTime() const {
    RequireScalarOf(kDateTime, "datetime");
    return fNull ? TCIMDateTime() : std::get<kDateTime>(fScalar);
}
TCIMValue::operator TCIMReference() const {
    RequireScalarOf(kReference, "reference");
    return fNull ? TCIMReference() : std::get<kReference>(fScalar);
}

TCIMValue::operator const std::vector<TCIMValue>&() const {
    if (!IsArray() && !(fNull && fType == kNone))
        ThrowWrongType("cannot convert " + GetType().GetName() + " to an array");
    return fElements;
}
TCIMValue::operator std::vector<TCIMValue>&() {
    if (!IsArray() && !(fNull && fType == kNone))
        ThrowWrongType("cannot convert " + GetType().GetName() + " to an array");
    return fElements;
}

// ---- text ------------------------------------------------------------------

void TCIMValue::Set(const std::string& text) {
    if (IsArray())
        throw TKTAException(TKTAStatusCode::kNotSupported,
                            "cannot read text into an array value of type " + GetType().GetName());
    // Parse into a separate scalar first so that a failure leaves *this as
    // it was.
    TScalar parsed;
    ECIMType type = fType;
    switch (fType) {
    case kNone:
        type = kString;
        parsed.emplace<kString>(text);
        break;
    case kBoolean: {
        std::string t = Trim(text);
        for (char& c : t)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (t != "true" && t != "false")
            ThrowWrongType("cannot read \"" + text + "\" as boolean");
        parsed.emplace<kBoolean>(t == "true");
        break;
    }
    case kUint8: parsed.emplace<kUint8>(IntegerFromText<uint8_t>(text, "uint8")); break;
    case kSint8: parsed.emplace<kSint8>(IntegerFromText<int8_t>(text, "sint8")); break;
    case kUint16: parsed.emplace<kUint16>(IntegerFromText<uint16_t>(text, "uint16")); break;
    case kSint16: parsed.emplace<kSint16>(IntegerFromText<int16_t>(text, "sint16")); break;
    case kUint32: parsed.emplace<kUint32>(IntegerFromText<uint32_t>(text, "uint32")); break;
    case kSint32: parsed.emplace<kSint32>(IntegerFromText<int32_t>(text, "sint32")); break;
    case kUint64: parsed.emplace<kUint64>(IntegerFromText<uint64_t>(text, "uint64")); break;
    case kSint64: parsed.emplace<kSint64>(IntegerFromText<int64_t>(text, "sint64")); break;
    case kReal32: parsed.emplace<kReal32>(RealFromText<float>(text, "real32")); break;
    case kReal64: parsed.emplace<kReal64>(RealFromText<double>(text, "real64")); break;
    case kChar16: parsed.emplace<kChar16>(TCIMChar16::FromUTF8(text)); break;
    case kString: parsed.emplace<kString>(text); break;
    case kDateTime: parsed.emplace<kDateTime>(Trim(text)); break;
    case kReference: {
        TCIMReference ref = std::get<kReference>(fScalar);
        ref.SetPath(text);
        parsed.emplace<kReference>(ref);
        break;
    }
    default:
        break;  // array codes were handled above
    }
    fType = type;
    fScalar = std::move(parsed);
    fNull = false;
}

std::string TCIMValue::ToString(uint8_t base) const {
    if (fNull)
        return std::string();
    if (IsArray()) {
        std::string out = "{";
        for (size_t i = 0; i < fElements.size(); ++i) {
            if (i != 0)
                out += ", ";
            out += fElements[i].ToString(base);
        }
        return out + "}";
    }
    switch (fType) {
    case kBoolean: return std::get<kBoolean>(fScalar) ? "TRUE" : "FALSE";
    case kUint8: return FormatInteger(false, std::get<kUint8>(fScalar), base);
    case kUint16: return FormatInteger(false, std::get<kUint16>(fScalar), base);
    case kUint32: return FormatInteger(false, std::get<kUint32>(fScalar), base);
    case kUint64: return FormatInteger(false, std::get<kUint64>(fScalar), base);
    case kSint8: return FormatSigned(std::get<kSint8>(fScalar), base);
    case kSint16: return FormatSigned(std::get<kSint16>(fScalar), base);
    case kSint32: return FormatSigned(std::get<kSint32>(fScalar), base);
    case kSint64: return FormatSigned(std::get<kSint64>(fScalar), base);
    case kReal32: return FormatReal(std::get<kReal32>(fScalar));
    case kReal64: return FormatReal(std::get<kReal64>(fScalar));
    case kChar16: return std::get<kChar16>(fScalar).ToString();
    case kString: return std::get<kString>(fScalar);
    case kDateTime: return std::get<kDateTime>(fScalar).ToString();
    case kReference: return std::get<kReference>(fScalar).GetPath();
    default: return std::string();
    }
}

// ---- comparison ------------------------------------------------------------

bool TCIMValue::operator==(const TCIMValue& other) const {
    if (fType != other.fType || fNull != other.fNull)
        return false;
    if (fNull)
        return true;
    if (IsArray())
        return fElements == other.fElements;
    switch (fType) {
    case kReal32: return RealEqual(std::get<kReal32>(fScalar), std::get<kReal32>(other.fScalar));
    case kReal64: return RealEqual(std::get<kReal64>(fScalar), std::get<kReal64>(other.fScalar));
    default: return fScalar == other.fScalar;  // same alternative on both sides
    }
}

bool TCIMValue::operator<(const TCIMValue& other) const {
    if (fType != other.fType)
        return fType < other.fType;
    if (fNull != other.fNull)
        return fNull;
    if (fNull)
        return false;
    if (IsArray())
        return std::lexicographical_compare(fElements.begin(), fElements.end(),
                                            other.fElements.begin(), other.fElements.end());
    switch (fType) {
    case kReal32: return RealLess(std::get<kReal32>(fScalar), std::get<kReal32>(other.fScalar));
    case kReal64: return RealLess(std::get<kReal64>(fScalar), std::get<kReal64>(other.fScalar));
    default: return fScalar < other.fScalar;  // same alternative on both sides
    }
}

}  // namespace NQRVKTA20
