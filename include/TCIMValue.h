#ifndef NQRVKTA20_TCIMVALUE_H
#define NQRVKTA20_TCIMVALUE_H

#include <cstdint>
#include <iosfwd>
#include <string>
#include <variant>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "TCIMChar16.h"
#include "TCIMDateTime.h"
#include "TCIMReference.h"

namespace NQRVKTA20 {

class ICIMClass;

// CIM intrinsic type codes.  An array type's code is its element type's code
// plus kArray; kArray alone is an array of no known element type.
enum ECIMType {
    kNone = 0,
    kBoolean = 1,
    kUint8 = 2,
    kSint8 = 3,
    kUint16 = 4,
    kSint16 = 5,
    kUint32 = 6,
    kSint32 = 7,
    kUint64 = 8,
    kSint64 = 9,
    kReal32 = 10,
    kReal64 = 11,
    kChar16 = 12,
    kString = 13,
    kDateTime = 14,
    kReference = 15,
    kArray = 16
};

// One CIM value: a scalar of one of the types above, or an array of them,
// possibly null.
//
// Types.  GetType() is the type given at construction; an array reports its
// array code (element code + 16: a string array reports 29).
//
// Null.  A default-built value is a null of type kNone.  (type, count) builds
// a null of any type, arrays included.  Converting a null value to a C++ type
// gives that type's zero (0, false, "", TCIMChar16(), TCIMDateTime(),
// TCIMReference(), an empty vector) provided the conversion would be allowed
// for a non-null value of the same type; a null of kNone converts to every
// type this way.
//
// Conversions.  The conversion operators give the value as the C++ type of
// its CIM type; asking for another type throws TKTAException(kWrongType),
// except for these numeric widenings:
//   - every integer target (unsigned char ... long long) accepts any integer
//     value (uint8..sint64) and char16 (as its code), provided the number
//     fits the target; a number that does not fit throws kWrongType;
//   - float and double accept any integer or real value; a finite real64
//     beyond the range of float throws kWrongType for float;
//   - bool accepts only boolean; std::string only string; TCIMChar16,
//     TCIMDateTime, TCIMReference only their own type; the element vector
//     only arrays.  Nothing converts from real to integer.
// Conversions work as copy-initialisation (`int n = v;`,
// `std::string s = v;`, `TCIMDateTime d = v;`) and as casts
// (`(unsigned short)v`, `static_cast<TCIMChar16>(v)`).  Comparing a value
// with a plain number (`v == 5`) is ambiguous; compare with a TCIMValue.
//
// Referenced class.  A value may carry the class it refers to (meant for
// reference values; see SetReferencedClass).  It takes no part in ==, != or
// <.  It is held by a strong pointer.
//
// Thread safety: a value is a plain value type; const operations on one
// object may run concurrently, anything else needs external locking.
class TCIMValue {
public:
    // A small wrapper around ECIMType that prints as a readable type name.
    // Converts implicitly to ECIMType, so compare and switch with the
    // enumerators directly: `t == kString`, `switch (t)`.
    class TCIMType {
    public:
        TCIMType(ECIMType code = kNone) : fCode(code) {}
        // Throws TKTAException(kWrongType) for a code above 31.
        explicit TCIMType(unsigned int code);

        operator ECIMType() const { return fCode; }
        ECIMType GetCode() const { return fCode; }

        bool IsArray() const { return fCode >= kArray; }
        // kUint8 for kUint8 and for kUint8 + kArray; kNone for kArray.
        TCIMType GetElementType() const;
        // The array code of the element type (kString gives 29).
        TCIMType GetArrayType() const;

        // "boolean", "uint8", "sint8", "uint16", "sint16", "uint32",
        // "sint32", "uint64", "sint64", "real32", "real64", "char16",
        // "string", "datetime", "reference", "none"; arrays add "[]"
        // ("string[]", and "none[]" for kArray).
        std::string GetName() const;

    private:
        ECIMType fCode;
    };

    // Null of type kNone.
    TCIMValue();

    TCIMValue(bool value);
    TCIMValue(unsigned char value);        // uint8
    TCIMValue(signed char value);          // sint8
    TCIMValue(unsigned short value);       // uint16
    TCIMValue(short value);                // sint16
    TCIMValue(unsigned int value);         // uint32
    TCIMValue(int value);                  // sint32
    TCIMValue(unsigned long value);        // uint32 or uint64, by the size of long
    TCIMValue(long value);                 // sint32 or sint64, by the size of long
    TCIMValue(unsigned long long value);   // uint64
    TCIMValue(long long value);            // sint64
    TCIMValue(float value);                // real32
    TCIMValue(double value);               // real64
    TCIMValue(const std::string& value);   // string
    TCIMValue(const char* value);          // string; a null pointer gives ""
    TCIMValue(const TCIMChar16& value);
    TCIMValue(const TCIMDateTime& value);
    TCIMValue(const TCIMReference& value);

    // A null value of `type`; an array code gives a null array.  `count` is
    // accepted for the host's calling convention and not used: a null value
    // holds no elements.
    TCIMValue(ECIMType type, unsigned int count = 0);
    TCIMValue(TCIMType type, unsigned int count = 0);

    // A non-null array.  `elementType` is the ELEMENT type code (1..15, or
    // kNone for an array of no known element type); an array code is
    // accepted too and means the same.  GetType() reports the array code.
    // `count` is not used; the array holds exactly `elements`.  Each element
    // must be a scalar of the element type (null elements allowed; a null of
    // kNone becomes a null of the element type); with kNone any scalars are
    // accepted.  Throws TKTAException(kWrongType) otherwise.
    TCIMValue(TCIMType elementType, unsigned int count,
              const std::vector<TCIMValue>& elements);

    TCIMValue(const TCIMValue& other) = default;
    TCIMValue(TCIMValue&& other) noexcept = default;
    // Copies everything, with one exception: when `other` is a reference
    // value (scalar or array) that carries no referenced class, this value
    // keeps the referenced class it had.  So a class set on a placeholder
    // survives the assignment of the converted reference into it.
    TCIMValue& operator=(const TCIMValue& other);
    TCIMValue& operator=(TCIMValue&& other) noexcept;
    ~TCIMValue();

    // Conversions (see the class comment for the rules and failures).
    operator bool() const;
    operator unsigned char() const;
    operator signed char() const;
    operator unsigned short() const;
    operator short() const;
    operator unsigned int() const;
    operator int() const;
    operator unsigned long() const;
    operator long() const;
    operator unsigned long long() const;
    operator long long() const;
    operator float() const;
    operator double() const;
    operator std::string() const;
    operator TCIMChar16() const;
    operator TCIMDateTime() const;
    operator TCIMReference() const;
    // The elements of an array (empty for a null array).  Throws
    // TKTAException(kWrongType) for a scalar.  Changing the elements through
    // the non-const reference changes neither the type nor the null flag,
    // and the element types are not checked again.
    operator const std::vector<TCIMValue>&() const;
    operator std::vector<TCIMValue>&();

    TCIMType GetType() const { return TCIMType(fType); }
    bool IsNull() const { return fNull; }
    bool IsArray() const { return fType >= kArray; }

    // Reads `text` as a value of this value's own type and stores it; the
    // value is then non-null.  Accepted texts:
    //   boolean   "true"/"false" in any letter case
    //   integers  decimal ("-12"), hexadecimal ("0x1F"), octal ("017") or
    //             binary ("101b"), each with an optional sign - the forms
    //             ToString produces for bases 10, 16, 8 and 2
    //   reals     decimal or scientific notation, "inf", "nan"
    //   char16    the character itself, one UTF-8 character up to U+FFFF
    //   string    the text as it is
    //   datetime  the 25-character CIM text
    //   reference the object path (the namespace is kept)
    //   kNone     the value becomes a string holding the text
    // Blanks around numbers, booleans and datetimes are ignored.  A text
    // that cannot be read, or a number out of the type's range, throws
    // TKTAException(kWrongType); arrays throw TKTAException(kNotSupported).
    // On failure the value is unchanged.
    void Set(const std::string& text);

    // The value as text.  `base` (2, 8, 10 or 16) applies to integers; any
    // other base gives decimal.
    //   null (scalar or array)  ""
    //   boolean                 "TRUE" / "FALSE"
    //   integers                base 10 "-12"; base 16 "0x1F" (upper-case
    //                           digits); base 8 "017" (zero is "0"); base 2
    //                           "1100b"; negatives carry a leading '-'
    //   reals                   the shortest text that reads back to the
    //                           same number ("1.5", "0.1", "1e+20", "inf",
    //                           "-inf", "nan")
    //   char16                  the character, UTF-8 (TCIMChar16::ToString)
    //   string                  the text itself
    //   datetime                the 25-character CIM text
    //   reference               the object path
    //   array                   "{" elements joined by ", " "}", each as
    //                           above with the same base ("{1, 2, 3}",
    //                           "{}" when empty)
    // Never throws except std::bad_alloc.
    std::string ToString(uint8_t base = 10) const;

    void SetReferencedClass(boost::shared_ptr<ICIMClass> cls) { fReferencedClass = cls; }
    boost::shared_ptr<ICIMClass> GetReferencedClass() const { return fReferencedClass; }

    // Equal when type, null flag and data are equal (uint32 3 != uint64 3;
    // two nulls of one type are equal; arrays element by element; real NaNs
    // equal each other).
    bool operator==(const TCIMValue& other) const;
    bool operator!=(const TCIMValue& other) const { return !(*this == other); }
    // A strict weak ordering over all values, consistent with ==: by type
    // code, then nulls before non-nulls, then by data (arrays
    // lexicographically; reals numerically with NaN after every number;
    // strings byte by byte; the other types by their own operator<).
    // Suitable as a std::map / std::set key.
    bool operator<(const TCIMValue& other) const;

private:
    // Alternative index == scalar type code.
    typedef std::variant<std::monostate, bool, uint8_t, int8_t, uint16_t,
                         int16_t, uint32_t, int32_t, uint64_t, int64_t, float,
                         double, TCIMChar16, std::string, TCIMDateTime,
                         TCIMReference>
        TScalar;

    template <typename T> T ToInteger() const;
    template <typename T> T ToReal() const;
    void RequireScalarOf(ECIMType type, const char* target) const;

    ECIMType fType;
    bool fNull;
    TScalar fScalar;
    std::vector<TCIMValue> fElements;
    boost::shared_ptr<ICIMClass> fReferencedClass;
};

std::ostream& operator<<(std::ostream& out, const TCIMValue::TCIMType& type);
// Writes value.ToString(10).
std::ostream& operator<<(std::ostream& out, const TCIMValue& value);

}  // namespace NQRVKTA20

#endif  // NQRVKTA20_TCIMVALUE_H
