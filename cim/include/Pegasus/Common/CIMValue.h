// CIMValue: a typed CIM value, scalar or array, possibly null.  Values
// are copied by value; objects and instances put into a CIMValue, or taken
// out of it, are deep copies (clone()).
//
// Failures: get() with a type or array-ness other than the value's throws
// TypeMismatchException; storing an uninitialized CIMObject or CIMInstance
// throws UninitializedObjectException.
//
// Thread safety: distinct CIMValue objects (copies included) may be used
// from different threads at once; one object must not be modified
// concurrently with any other use of it.
//
// Note for callers: there is no `const char*` constructor, so
// CIMValue("abc") is the Boolean true; write CIMValue(String("abc")).  Give
// integer literals their CIM type explicitly (CIMValue(Uint32(5))); portable
// callers do not rely on a plain int selecting the Sint32 constructor.
#ifndef Pegasus_CIMValue_h
#define Pegasus_CIMValue_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/Array.h>

PEGASUS_NAMESPACE_BEGIN

class CIMObject;
class CIMInstance;
class CIMValueRep;

class PEGASUS_COMMON_LINKAGE CIMValue
{
public:
    // A null Boolean scalar.
    CIMValue();
    // A null value of the given type; getArraySize() reports arraySize.
    CIMValue(CIMType type, Boolean isArray, Uint32 arraySize = 0);
    CIMValue(const CIMValue& x);
    CIMValue(CIMValue&& x) noexcept;

    // Non-null scalars.
    CIMValue(Boolean x);
    CIMValue(Uint8 x);
    CIMValue(Sint8 x);
    CIMValue(Uint16 x);
    CIMValue(Sint16 x);
    CIMValue(Uint32 x);
    CIMValue(Sint32 x);
    CIMValue(Uint64 x);
    CIMValue(Sint64 x);
    CIMValue(Real32 x);
    CIMValue(Real64 x);
    CIMValue(const Char16& x);
    CIMValue(const String& x);
    CIMValue(const CIMDateTime& x);
    CIMValue(const CIMObjectPath& x);
    CIMValue(const CIMObject& x);
    CIMValue(const CIMInstance& x);
    // Deprecated: stored as a CIMTYPE_SINT8.
    CIMValue(char x);

    // Non-null arrays (also when empty).
    CIMValue(const Array<Boolean>& x);
    CIMValue(const Array<Uint8>& x);
    CIMValue(const Array<Sint8>& x);
    CIMValue(const Array<Uint16>& x);
    CIMValue(const Array<Sint16>& x);
    CIMValue(const Array<Uint32>& x);
    CIMValue(const Array<Sint32>& x);
    CIMValue(const Array<Uint64>& x);
    CIMValue(const Array<Sint64>& x);
    CIMValue(const Array<Real32>& x);
    CIMValue(const Array<Real64>& x);
    CIMValue(const Array<Char16>& x);
    CIMValue(const Array<String>& x);
    CIMValue(const Array<CIMDateTime>& x);
    CIMValue(const Array<CIMObjectPath>& x);
    CIMValue(const Array<CIMObject>& x);
    CIMValue(const Array<CIMInstance>& x);
    // Deprecated: stored as a CIMTYPE_SINT8 array.
    CIMValue(const Array<char>& x);

    ~CIMValue();

    CIMValue& operator=(const CIMValue& x);
    CIMValue& operator=(CIMValue&& x) noexcept;
    void assign(const CIMValue& x);

    // Back to a null Boolean scalar.
    void clear();

    // Same type and same array-ness.
    Boolean typeCompatible(const CIMValue& x) const;

    Boolean isArray() const;
    Boolean isNull() const;
    CIMType getType() const;
    // Number of elements; 0 for scalars.
    Uint32 getArraySize() const;

    void setNullValue(CIMType type, Boolean isArray, Uint32 arraySize = 0);

    // Replace type and value; the result is not null.
    void set(Boolean x);
    void set(Uint8 x);
    void set(Sint8 x);
    void set(Uint16 x);
    void set(Sint16 x);
    void set(Uint32 x);
    void set(Sint32 x);
    void set(Uint64 x);
    void set(Sint64 x);
    void set(Real32 x);
    void set(Real64 x);
    void set(const Char16& x);
    void set(const String& x);
    void set(const CIMDateTime& x);
    void set(const CIMObjectPath& x);
    void set(const CIMObject& x);
    void set(const CIMInstance& x);
    void set(char x);
    void set(const Array<Boolean>& x);
    void set(const Array<Uint8>& x);
    void set(const Array<Sint8>& x);
    void set(const Array<Uint16>& x);
    void set(const Array<Sint16>& x);
    void set(const Array<Uint32>& x);
    void set(const Array<Sint32>& x);
    void set(const Array<Uint64>& x);
    void set(const Array<Sint64>& x);
    void set(const Array<Real32>& x);
    void set(const Array<Real64>& x);
    void set(const Array<Char16>& x);
    void set(const Array<String>& x);
    void set(const Array<CIMDateTime>& x);
    void set(const Array<CIMObjectPath>& x);
    void set(const Array<CIMObject>& x);
    void set(const Array<CIMInstance>& x);
    void set(const Array<char>& x);

    // Reads the value.  A null value of the right type leaves x unchanged.
    void get(Boolean& x) const;
    void get(Uint8& x) const;
    void get(Sint8& x) const;
    void get(Uint16& x) const;
    void get(Sint16& x) const;
    void get(Uint32& x) const;
    void get(Sint32& x) const;
    void get(Uint64& x) const;
    void get(Sint64& x) const;
    void get(Real32& x) const;
    void get(Real64& x) const;
    void get(Char16& x) const;
    void get(String& x) const;
    void get(CIMDateTime& x) const;
    void get(CIMObjectPath& x) const;
    void get(CIMObject& x) const;
    void get(CIMInstance& x) const;
    void get(char& x) const;
    void get(Array<Boolean>& x) const;
    void get(Array<Uint8>& x) const;
    void get(Array<Sint8>& x) const;
    void get(Array<Uint16>& x) const;
    void get(Array<Sint16>& x) const;
    void get(Array<Uint32>& x) const;
    void get(Array<Sint32>& x) const;
    void get(Array<Uint64>& x) const;
    void get(Array<Sint64>& x) const;
    void get(Array<Real32>& x) const;
    void get(Array<Real64>& x) const;
    void get(Array<Char16>& x) const;
    void get(Array<String>& x) const;
    void get(Array<CIMDateTime>& x) const;
    void get(Array<CIMObjectPath>& x) const;
    void get(Array<CIMObject>& x) const;
    void get(Array<CIMInstance>& x) const;
    void get(Array<char>& x) const;

    // Same type and array-ness and equal contents; two nulls of the same
    // type and array-ness are equal.  Objects compare with identical().
    Boolean equal(const CIMValue& x) const;

    // "" for null; TRUE/FALSE; integers in decimal; reals as "%.16e";
    // char16 and strings as UTF-8 text; datetimes and references in their
    // text form; objects and instances as CIM-XML.  Array elements are each
    // followed by one space ("1 2 3 ").
    String toString() const;

private:
    friend struct CIMValueAccess;
    friend struct CIMValueInternals;
    // A non-null scalar number, Boolean, Char16 or String is kept in the
    // object itself, so that making one allocates nothing more than a
    // String's own text (_type is then its CIMType plus one, and _bits its
    // bytes or the String); every other value is kept in a CIMValueRep that
    // copies share (_type 0; a null _rep is the null Boolean scalar).
    union
    {
        CIMValueRep* _rep = nullptr;
        Uint64 _bits;
    };
    Uint8 _type = 0;
};

PEGASUS_COMMON_LINKAGE Boolean operator==(const CIMValue& x, const CIMValue& y);
PEGASUS_COMMON_LINKAGE Boolean operator!=(const CIMValue& x, const CIMValue& y);

PEGASUS_NAMESPACE_END

// Users of CIMValue rely on getting CIMObject (and through it the class and
// instance types) from this header.  Included last so that those headers
// may include this one in turn.
#include <Pegasus/Common/CIMObject.h>

#endif
