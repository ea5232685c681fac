// CIMValue keeps a non-null scalar number, Boolean, Char16 or String in
// itself, and every other value in a heap-allocated CIMValueRep holding a
// std::variant over every scalar and array type.  A null _rep stands for
// the default value (null Boolean scalar), so default construction and moves
// allocate nothing.  Objects and instances are cloned on the way in and on
// the way out: the handles kept inside are never reachable by callers, so
// copies of a CIMValue may share them.
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/Exception.h>

#include "CIMObjectModelRep.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <type_traits>
#include <variant>

PEGASUS_NAMESPACE_BEGIN

namespace
{
template <class T> struct TypeOf;
template <> struct TypeOf<Boolean> { static const CIMType value = CIMTYPE_BOOLEAN; };
template <> struct TypeOf<Uint8> { static const CIMType value = CIMTYPE_UINT8; };
template <> struct TypeOf<Sint8> { static const CIMType value = CIMTYPE_SINT8; };
template <> struct TypeOf<Uint16> { static const CIMType value = CIMTYPE_UINT16; };
template <> struct TypeOf<Sint16> { static const CIMType value = CIMTYPE_SINT16; };
template <> struct TypeOf<Uint32> { static const CIMType value = CIMTYPE_UINT32; };
template <> struct TypeOf<Sint32> { static const CIMType value = CIMTYPE_SINT32; };
template <> struct TypeOf<Uint64> { static const CIMType value = CIMTYPE_UINT64; };
template <> struct TypeOf<Sint64> { static const CIMType value = CIMTYPE_SINT64; };
template <> struct TypeOf<Real32> { static const CIMType value = CIMTYPE_REAL32; };
template <> struct TypeOf<Real64> { static const CIMType value = CIMTYPE_REAL64; };
template <> struct TypeOf<Char16> { static const CIMType value = CIMTYPE_CHAR16; };
template <> struct TypeOf<String> { static const CIMType value = CIMTYPE_STRING; };
template <> struct TypeOf<CIMDateTime> { static const CIMType value = CIMTYPE_DATETIME; };
template <> struct TypeOf<CIMObjectPath> { static const CIMType value = CIMTYPE_REFERENCE; };
template <> struct TypeOf<CIMObject> { static const CIMType value = CIMTYPE_OBJECT; };
template <> struct TypeOf<CIMInstance> { static const CIMType value = CIMTYPE_INSTANCE; };
}

// Copies of a CIMValue share one rep (`refs` counts them) until one of
// them is changed: values are copied far more often than changed (into
// properties, qualifiers, responses), and a deep copy of a string or an
// array costs allocations every time.
class CIMValueRep
{
public:
    CIMValueRep() = default;
    CIMValueRep(const CIMValueRep& x)
        : type(x.type), isArray(x.isArray), isNull(x.isNull), arraySize(x.arraySize), v(x.v)
    {
    }
    CIMValueRep& operator=(const CIMValueRep&) = delete;

    std::atomic<Uint32> refs{1};
    CIMType type = CIMTYPE_BOOLEAN;
    Boolean isArray = false;
    Boolean isNull = true;
    Uint32 arraySize = 0;   // reported by a null array
    std::variant<
        std::monostate,
        Boolean,
        Uint8,
        Sint8,
        Uint16,
        Sint16,
        Uint32,
        Sint32,
        Uint64,
        Sint64,
        Real32,
        Real64,
        Char16,
        String,
        CIMDateTime,
        CIMObjectPath,
        CIMObject,
        CIMInstance,
        Array<Boolean>,
        Array<Uint8>,
        Array<Sint8>,
        Array<Uint16>,
        Array<Sint16>,
        Array<Uint32>,
        Array<Sint32>,
        Array<Uint64>,
        Array<Sint64>,
        Array<Real32>,
        Array<Real64>,
        Array<Char16>,
        Array<String>,
        Array<CIMDateTime>,
        Array<CIMObjectPath>,
        Array<CIMObject>,
        Array<CIMInstance>> v;
};

namespace
{
const CIMValueRep kDefaultRep;

inline CIMValueRep* share(CIMValueRep* rep)
{
    if (rep)
        rep->refs.fetch_add(1, std::memory_order_relaxed);
    return rep;
}

inline void release(CIMValueRep* rep)
{
    // A rep nobody else holds is freed without the atomic decrement: no
    // other thread can take a copy of it.
    if (rep && (rep->refs.load(std::memory_order_acquire) == 1 ||
                rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1))
        delete rep;
}

// The types kept in the CIMValue itself when not null.
template <class T>
struct InPlace
{
    static const bool value = std::is_arithmetic<T>::value || std::is_same<T, Char16>::value ||
                              std::is_same<T, String>::value;
};
}

static_assert(sizeof(String) == sizeof(Uint64) && alignof(String) <= alignof(Uint64),
              "a String fits the place of a value");

struct CIMValueInternals
{
    static bool inPlace(const CIMValue& v) { return v._type != 0; }
    static CIMType inPlaceType(const CIMValue& v) { return CIMType(v._type - 1); }

    static String& string(CIMValue& v) { return *std::launder(reinterpret_cast<String*>(&v._bits)); }
    static const String& string(const CIMValue& v)
    {
        return *std::launder(reinterpret_cast<const String*>(&v._bits));
    }

    // Frees what v holds; v is then the null Boolean scalar.
    static void drop(CIMValue& v)
    {
        if (v._type == 0)
            release(v._rep);
        else if (v._type == CIMTYPE_STRING + 1)
            string(v).~String();
        v._type = 0;
        v._rep = nullptr;
    }

    // Makes the empty `to` a copy of `from`.
    static void copy(CIMValue& to, const CIMValue& from)
    {
        if (from._type == 0)
            to._rep = share(from._rep);
        else if (from._type == CIMTYPE_STRING + 1)
            new (&to._bits) String(string(from));
        else
            to._bits = from._bits;
        to._type = from._type;
    }

    // Moves `from` into the empty `to`; `from` is left the null Boolean.
    // A String is one pointer, so its bytes move with it.
    static void move(CIMValue& to, CIMValue& from)
    {
        to._bits = from._bits;
        to._type = from._type;
        from._type = 0;
        from._rep = nullptr;
    }

    template <class T>
    static void setInPlace(CIMValue& v, const T& x)
    {
        if constexpr (std::is_same<T, String>::value)
        {
            String copy(x);   // x may be this value's own string
            drop(v);
            new (&v._bits) String(std::move(copy));
        }
        else if constexpr (std::is_same<T, Char16>::value)
        {
            const Uint64 bits = Uint16(x);
            drop(v);
            v._bits = bits;
        }
        else
        {
            Uint64 bits = 0;
            std::memcpy(&bits, &x, sizeof(T));
            drop(v);
            v._bits = bits;
        }
        v._type = Uint8(TypeOf<T>::value + 1);
    }

    template <class T>
    static T getInPlace(const CIMValue& v)
    {
        if constexpr (std::is_same<T, String>::value)
            return string(v);
        else if constexpr (std::is_same<T, Char16>::value)
            return Char16(Uint16(v._bits));
        else
        {
            T x;
            std::memcpy(&x, &v._bits, sizeof(T));
            return x;
        }
    }

    // The value kept in place, as a rep of its own.
    static void fill(CIMValueRep& r, const CIMValue& v)
    {
        r.type = inPlaceType(v);
        r.isArray = false;
        r.isNull = false;
        r.arraySize = 0;
        switch (r.type)
        {
        case CIMTYPE_BOOLEAN: r.v = getInPlace<Boolean>(v); break;
        case CIMTYPE_UINT8: r.v = getInPlace<Uint8>(v); break;
        case CIMTYPE_SINT8: r.v = getInPlace<Sint8>(v); break;
        case CIMTYPE_UINT16: r.v = getInPlace<Uint16>(v); break;
        case CIMTYPE_SINT16: r.v = getInPlace<Sint16>(v); break;
        case CIMTYPE_UINT32: r.v = getInPlace<Uint32>(v); break;
        case CIMTYPE_SINT32: r.v = getInPlace<Sint32>(v); break;
        case CIMTYPE_UINT64: r.v = getInPlace<Uint64>(v); break;
        case CIMTYPE_SINT64: r.v = getInPlace<Sint64>(v); break;
        case CIMTYPE_REAL32: r.v = getInPlace<Real32>(v); break;
        case CIMTYPE_REAL64: r.v = getInPlace<Real64>(v); break;
        case CIMTYPE_CHAR16: r.v = getInPlace<Char16>(v); break;
        default: r.v = string(v); break;
        }
    }

    // The rep to change: a new one, or a private copy of a shared one.
    // Every caller sets all of it, so a value kept in place is dropped.
    static CIMValueRep& writeRep(CIMValue& v)
    {
        if (v._type != 0)
            drop(v);
        CIMValueRep*& rep = v._rep;
        if (!rep)
            rep = new CIMValueRep;
        else if (rep->refs.load(std::memory_order_acquire) != 1)
        {
            CIMValueRep* copy = new CIMValueRep(*rep);
            release(rep);
            rep = copy;
        }
        return *rep;
    }

    static const CIMValueRep* rep(const CIMValue& v) { return v._rep ? v._rep : &kDefaultRep; }
};

namespace
{
// A value to read: its shared rep, or for a value kept in place a rep made
// for the occasion.
class ReadRep
{
public:
    explicit ReadRep(const CIMValue& v)
    {
        if (CIMValueInternals::inPlace(v))
        {
            CIMValueInternals::fill(_own, v);
            _r = &_own;
        }
        else
            _r = CIMValueInternals::rep(v);
    }
    ReadRep(const ReadRep&) = delete;
    ReadRep& operator=(const ReadRep&) = delete;

    const CIMValueRep& operator*() const { return *_r; }
    const CIMValueRep* operator->() const { return _r; }

private:
    CIMValueRep _own;
    const CIMValueRep* _r;
};

template <class T>
void _setScalar(CIMValue& value, const T& x)
{
    if constexpr (InPlace<T>::value)
        CIMValueInternals::setInPlace(value, x);
    else
    {
        T copy(x);   // x may live in the rep about to be replaced
        CIMValueRep& r = CIMValueInternals::writeRep(value);
        r.v = std::move(copy);
        r.type = TypeOf<T>::value;
        r.isArray = false;
        r.isNull = false;
        r.arraySize = 0;
    }
}

template <class T>
void _setArray(CIMValue& value, const Array<T>& x)
{
    Array<T> copy(x);
    CIMValueRep& r = CIMValueInternals::writeRep(value);
    r.arraySize = copy.size();
    r.v = std::move(copy);
    r.type = TypeOf<T>::value;
    r.isArray = true;
    r.isNull = false;
}

template <class T>
void checkType(const CIMValueRep& r, bool isArray)
{
    if (r.type != TypeOf<T>::value || r.isArray != isArray)
        throw TypeMismatchException();
}

// A null value of the right type leaves x as it is.
template <class T>
void _getScalar(const CIMValue& value, T& x)
{
    if constexpr (InPlace<T>::value)
    {
        if (CIMValueInternals::inPlace(value))
        {
            if (CIMValueInternals::inPlaceType(value) != TypeOf<T>::value)
                throw TypeMismatchException();
            x = CIMValueInternals::getInPlace<T>(value);
            return;
        }
    }
    ReadRep r(value);
    checkType<T>(*r, false);
    if (!r->isNull)
        x = std::get<T>(r->v);
}

template <class T>
void _getArray(const CIMValue& value, Array<T>& x)
{
    ReadRep r(value);
    checkType<T>(*r, true);
    if (!r->isNull)
        x = std::get<Array<T>>(r->v);
}

template <class H>
H cloneChecked(const H& x)
{
    if (x.isUninitialized())
        throw UninitializedObjectException();
    return x.clone();
}

template <class H>
Array<H> cloneAll(const Array<H>& x)
{
    Array<H> copy;
    copy.reserveCapacity(x.size());
    for (Uint32 i = 0; i < x.size(); i++)
        copy.append(cloneChecked(x[i]));
    return copy;
}
}

const String* CIMValueAccess::string(const CIMValue& value)
{
    if (CIMValueInternals::inPlace(value))
    {
        return CIMValueInternals::inPlaceType(value) == CIMTYPE_STRING
                   ? &CIMValueInternals::string(value)
                   : nullptr;
    }
    const CIMValueRep& r = *CIMValueInternals::rep(value);
    if (r.isNull || r.isArray || r.type != CIMTYPE_STRING)
        return nullptr;
    return &std::get<String>(r.v);
}

const Array<String>* CIMValueAccess::strings(const CIMValue& value)
{
    if (CIMValueInternals::inPlace(value))
        return nullptr;
    const CIMValueRep& r = *CIMValueInternals::rep(value);
    if (r.isNull || !r.isArray || r.type != CIMTYPE_STRING)
        return nullptr;
    return &std::get<Array<String>>(r.v);
}

CIMValue CIMValueAccess::take(String&& x)
{
    CIMValue value;
    new (&value._bits) String(std::move(x));
    value._type = CIMTYPE_STRING + 1;
    return value;
}

template <class T>
CIMValue CIMValueAccess::take(Array<T>&& x)
{
    CIMValue value;
    CIMValueRep& r = CIMValueInternals::writeRep(value);
    r.arraySize = x.size();
    r.v = std::move(x);
    r.type = TypeOf<T>::value;
    r.isArray = true;
    r.isNull = false;
    return value;
}

template CIMValue CIMValueAccess::take(Array<Boolean>&&);
template CIMValue CIMValueAccess::take(Array<Uint8>&&);
template CIMValue CIMValueAccess::take(Array<Sint8>&&);
template CIMValue CIMValueAccess::take(Array<Uint16>&&);
template CIMValue CIMValueAccess::take(Array<Sint16>&&);
template CIMValue CIMValueAccess::take(Array<Uint32>&&);
template CIMValue CIMValueAccess::take(Array<Sint32>&&);
template CIMValue CIMValueAccess::take(Array<Uint64>&&);
template CIMValue CIMValueAccess::take(Array<Sint64>&&);
template CIMValue CIMValueAccess::take(Array<Real32>&&);
template CIMValue CIMValueAccess::take(Array<Real64>&&);
template CIMValue CIMValueAccess::take(Array<Char16>&&);
template CIMValue CIMValueAccess::take(Array<String>&&);
template CIMValue CIMValueAccess::take(Array<CIMDateTime>&&);
template CIMValue CIMValueAccess::take(Array<CIMObjectPath>&&);

// ------------------------------------------------------------ construction

CIMValue::CIMValue() {}

CIMValue::CIMValue(CIMType type, Boolean isArray, Uint32 arraySize)
{
    setNullValue(type, isArray, arraySize);
}

CIMValue::CIMValue(const CIMValue& x)
{
    CIMValueInternals::copy(*this, x);
}

CIMValue::CIMValue(CIMValue&& x) noexcept
{
    CIMValueInternals::move(*this, x);
}

CIMValue::CIMValue(Boolean x) { set(x); }
CIMValue::CIMValue(Uint8 x) { set(x); }
CIMValue::CIMValue(Sint8 x) { set(x); }
CIMValue::CIMValue(Uint16 x) { set(x); }
CIMValue::CIMValue(Sint16 x) { set(x); }
CIMValue::CIMValue(Uint32 x) { set(x); }
CIMValue::CIMValue(Sint32 x) { set(x); }
CIMValue::CIMValue(Uint64 x) { set(x); }
CIMValue::CIMValue(Sint64 x) { set(x); }
CIMValue::CIMValue(Real32 x) { set(x); }
CIMValue::CIMValue(Real64 x) { set(x); }
CIMValue::CIMValue(const Char16& x) { set(x); }
CIMValue::CIMValue(const String& x) { set(x); }
CIMValue::CIMValue(const CIMDateTime& x) { set(x); }
CIMValue::CIMValue(const CIMObjectPath& x) { set(x); }
CIMValue::CIMValue(const CIMObject& x) { set(x); }
CIMValue::CIMValue(const CIMInstance& x) { set(x); }
CIMValue::CIMValue(char x) { set(x); }

CIMValue::CIMValue(const Array<Boolean>& x) { set(x); }
CIMValue::CIMValue(const Array<Uint8>& x) { set(x); }
CIMValue::CIMValue(const Array<Sint8>& x) { set(x); }
CIMValue::CIMValue(const Array<Uint16>& x) { set(x); }
CIMValue::CIMValue(const Array<Sint16>& x) { set(x); }
CIMValue::CIMValue(const Array<Uint32>& x) { set(x); }
CIMValue::CIMValue(const Array<Sint32>& x) { set(x); }
CIMValue::CIMValue(const Array<Uint64>& x) { set(x); }
CIMValue::CIMValue(const Array<Sint64>& x) { set(x); }
CIMValue::CIMValue(const Array<Real32>& x) { set(x); }
CIMValue::CIMValue(const Array<Real64>& x) { set(x); }
CIMValue::CIMValue(const Array<Char16>& x) { set(x); }
CIMValue::CIMValue(const Array<String>& x) { set(x); }
CIMValue::CIMValue(const Array<CIMDateTime>& x) { set(x); }
CIMValue::CIMValue(const Array<CIMObjectPath>& x) { set(x); }
CIMValue::CIMValue(const Array<CIMObject>& x) { set(x); }
CIMValue::CIMValue(const Array<CIMInstance>& x) { set(x); }
CIMValue::CIMValue(const Array<char>& x) { set(x); }

CIMValue::~CIMValue()
{
    CIMValueInternals::drop(*this);
}

CIMValue& CIMValue::operator=(const CIMValue& x)
{
    assign(x);
    return *this;
}

CIMValue& CIMValue::operator=(CIMValue&& x) noexcept
{
    if (this != &x)
    {
        CIMValueInternals::drop(*this);
        CIMValueInternals::move(*this, x);
    }
    return *this;
}

void CIMValue::assign(const CIMValue& x)
{
    if (this == &x)
        return;
    CIMValue copy(x);
    CIMValueInternals::drop(*this);
    CIMValueInternals::move(*this, copy);
}

void CIMValue::clear()
{
    CIMValueInternals::drop(*this);
}

Boolean CIMValue::typeCompatible(const CIMValue& x) const
{
    return getType() == x.getType() && isArray() == x.isArray();
}

Boolean CIMValue::isArray() const
{
    return _type == 0 && CIMValueInternals::rep(*this)->isArray;
}

Boolean CIMValue::isNull() const
{
    return _type == 0 && CIMValueInternals::rep(*this)->isNull;
}

CIMType CIMValue::getType() const
{
    return _type ? CIMValueInternals::inPlaceType(*this) : CIMValueInternals::rep(*this)->type;
}

Uint32 CIMValue::getArraySize() const
{
    if (_type)
        return 0;
    const CIMValueRep& r = *CIMValueInternals::rep(*this);
    return r.isArray ? r.arraySize : 0;
}

void CIMValue::setNullValue(CIMType type, Boolean isArray, Uint32 arraySize)
{
    CIMValueRep& r = CIMValueInternals::writeRep(*this);
    r.v = std::monostate();
    r.type = type;
    r.isArray = isArray;
    r.isNull = true;
    r.arraySize = isArray ? arraySize : 0;
}

// ----------------------------------------------------------------- setters

void CIMValue::set(Boolean x) { _setScalar(*this, x); }
void CIMValue::set(Uint8 x) { _setScalar(*this, x); }
void CIMValue::set(Sint8 x) { _setScalar(*this, x); }
void CIMValue::set(Uint16 x) { _setScalar(*this, x); }
void CIMValue::set(Sint16 x) { _setScalar(*this, x); }
void CIMValue::set(Uint32 x) { _setScalar(*this, x); }
void CIMValue::set(Sint32 x) { _setScalar(*this, x); }
void CIMValue::set(Uint64 x) { _setScalar(*this, x); }
void CIMValue::set(Sint64 x) { _setScalar(*this, x); }
void CIMValue::set(Real32 x) { _setScalar(*this, x); }
void CIMValue::set(Real64 x) { _setScalar(*this, x); }
void CIMValue::set(const Char16& x) { _setScalar(*this, x); }
void CIMValue::set(const String& x) { _setScalar(*this, x); }
void CIMValue::set(const CIMDateTime& x) { _setScalar(*this, x); }
void CIMValue::set(const CIMObjectPath& x) { _setScalar(*this, x); }
void CIMValue::set(char x) { _setScalar(*this, Sint8(x)); }
void CIMValue::set(const CIMObject& x) { _setScalar(*this, cloneChecked(x)); }
void CIMValue::set(const CIMInstance& x) { _setScalar(*this, cloneChecked(x)); }

void CIMValue::set(const Array<Boolean>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<Uint8>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<Sint8>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<Uint16>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<Sint16>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<Uint32>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<Sint32>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<Uint64>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<Sint64>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<Real32>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<Real64>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<Char16>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<String>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<CIMDateTime>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<CIMObjectPath>& x) { _setArray(*this, x); }
void CIMValue::set(const Array<CIMObject>& x) { _setArray(*this, cloneAll(x)); }
void CIMValue::set(const Array<CIMInstance>& x) { _setArray(*this, cloneAll(x)); }

void CIMValue::set(const Array<char>& x)
{
    Array<Sint8> converted;
    converted.reserveCapacity(x.size());
    for (Uint32 i = 0; i < x.size(); i++)
        converted.append(Sint8(x[i]));
    _setArray(*this, converted);
}

// ----------------------------------------------------------------- getters

void CIMValue::get(Boolean& x) const { _getScalar(*this, x); }
void CIMValue::get(Uint8& x) const { _getScalar(*this, x); }
void CIMValue::get(Sint8& x) const { _getScalar(*this, x); }
void CIMValue::get(Uint16& x) const { _getScalar(*this, x); }
void CIMValue::get(Sint16& x) const { _getScalar(*this, x); }
void CIMValue::get(Uint32& x) const { _getScalar(*this, x); }
void CIMValue::get(Sint32& x) const { _getScalar(*this, x); }
void CIMValue::get(Uint64& x) const { _getScalar(*this, x); }
void CIMValue::get(Sint64& x) const { _getScalar(*this, x); }
void CIMValue::get(Real32& x) const { _getScalar(*this, x); }
void CIMValue::get(Real64& x) const { _getScalar(*this, x); }
void CIMValue::get(Char16& x) const { _getScalar(*this, x); }
void CIMValue::get(String& x) const { _getScalar(*this, x); }
void CIMValue::get(CIMDateTime& x) const { _getScalar(*this, x); }
void CIMValue::get(CIMObjectPath& x) const { _getScalar(*this, x); }
void CIMValue::get(Array<Boolean>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<Uint8>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<Sint8>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<Uint16>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<Sint16>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<Uint32>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<Sint32>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<Uint64>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<Sint64>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<Real32>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<Real64>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<Char16>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<String>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<CIMDateTime>& x) const { _getArray(*this, x); }
void CIMValue::get(Array<CIMObjectPath>& x) const { _getArray(*this, x); }

void CIMValue::get(char& x) const
{
    Sint8 v = Sint8(x);
    _getScalar(*this, v);
    x = char(v);
}

void CIMValue::get(Array<char>& x) const
{
    ReadRep view(*this);
    const CIMValueRep& r = *view;
    checkType<Sint8>(r, true);
    if (r.isNull)
        return;
    const Array<Sint8>& a = std::get<Array<Sint8>>(r.v);
    Array<char> converted;
    converted.reserveCapacity(a.size());
    for (Uint32 i = 0; i < a.size(); i++)
        converted.append(char(a[i]));
    x.swap(converted);
}

void CIMValue::get(CIMObject& x) const
{
    ReadRep view(*this);
    const CIMValueRep& r = *view;
    checkType<CIMObject>(r, false);
    if (!r.isNull)
        x = std::get<CIMObject>(r.v).clone();
}

void CIMValue::get(CIMInstance& x) const
{
    ReadRep view(*this);
    const CIMValueRep& r = *view;
    checkType<CIMInstance>(r, false);
    if (!r.isNull)
        x = std::get<CIMInstance>(r.v).clone();
}

void CIMValue::get(Array<CIMObject>& x) const
{
    ReadRep view(*this);
    const CIMValueRep& r = *view;
    checkType<CIMObject>(r, true);
    if (!r.isNull)
        x = cloneAll(std::get<Array<CIMObject>>(r.v));
}

void CIMValue::get(Array<CIMInstance>& x) const
{
    ReadRep view(*this);
    const CIMValueRep& r = *view;
    checkType<CIMInstance>(r, true);
    if (!r.isNull)
        x = cloneAll(std::get<Array<CIMInstance>>(r.v));
}

// --------------------------------------------------------- equal, toString

namespace
{
inline bool same(std::monostate, std::monostate) { return true; }
template <class T>
inline bool same(const T& a, const T& b) { return a == b; }
inline bool same(const String& a, const String& b) { return String::equal(a, b); }
inline bool same(const CIMObjectPath& a, const CIMObjectPath& b) { return a.identical(b); }
inline bool same(const CIMObject& a, const CIMObject& b) { return a.identical(b); }
inline bool same(const CIMInstance& a, const CIMInstance& b) { return a.identical(b); }

inline bool same(const CIMDateTime& a, const CIMDateTime& b)
{
    // An interval never equals a timestamp; the datetime comparison itself
    // would throw for that pair.
    return a.isInterval() == b.isInterval() && a.equal(b);
}

template <class T>
bool same(const Array<T>& a, const Array<T>& b)
{
    if (a.size() != b.size())
        return false;
    for (Uint32 i = 0; i < a.size(); i++)
    {
        if (!same(a[i], b[i]))
            return false;
    }
    return true;
}

inline void appendText(String& out, std::monostate) { (void)out; }
inline void appendText(String& out, Boolean x) { out.append(x ? "TRUE" : "FALSE"); }
inline void appendText(String& out, Uint8 x) { out.appendPrintf("%u", unsigned(x)); }
inline void appendText(String& out, Sint8 x) { out.appendPrintf("%d", int(x)); }
inline void appendText(String& out, Uint16 x) { out.appendPrintf("%u", unsigned(x)); }
inline void appendText(String& out, Sint16 x) { out.appendPrintf("%d", int(x)); }
inline void appendText(String& out, Uint32 x) { out.appendPrintf("%u", x); }
inline void appendText(String& out, Sint32 x) { out.appendPrintf("%d", x); }
inline void appendText(String& out, Uint64 x) { out.appendPrintf("%llu", x); }
inline void appendText(String& out, Sint64 x) { out.appendPrintf("%lld", x); }
// Both real types print with 16 digits after the point; a Real32 is
// widened first, so 0.1f shows its binary error.
inline void appendText(String& out, Real32 x) { out.appendPrintf("%.16e", double(x)); }
inline void appendText(String& out, Real64 x) { out.appendPrintf("%.16e", x); }
inline void appendText(String& out, const Char16& x) { out.append(x); }
inline void appendText(String& out, const String& x) { out.append(x); }
inline void appendText(String& out, const CIMDateTime& x) { out.append(x.toString()); }
inline void appendText(String& out, const CIMObjectPath& x) { out.append(x.toString()); }
inline void appendText(String& out, const CIMObject& x) { out.append(x.toString()); }
inline void appendText(String& out, const CIMInstance& x) { out.append(CIMObject(x).toString()); }

// Every element is followed by a space, the last one included.
template <class T>
void appendText(String& out, const Array<T>& x)
{
    for (Uint32 i = 0; i < x.size(); i++)
    {
        appendText(out, x[i]);
        out.append(Char16(' '));
    }
}
}

Boolean CIMValue::equal(const CIMValue& x) const
{
    if (!typeCompatible(x))
        return false;
    ReadRep viewA(*this);
    ReadRep viewB(x);
    const CIMValueRep& a = *viewA;
    const CIMValueRep& b = *viewB;
    if (a.isNull || b.isNull)
        return a.isNull == b.isNull;
    return std::visit(
        [&b](const auto& value) {
            return same(value, std::get<std::decay_t<decltype(value)>>(b.v));
        },
        a.v);
}

String CIMValue::toString() const
{
    ReadRep view(*this);
    const CIMValueRep& r = *view;
    String out;
    if (!r.isNull)
        std::visit([&out](const auto& value) { appendText(out, value); }, r.v);
    return out;
}

Boolean operator==(const CIMValue& x, const CIMValue& y)
{
    return x.equal(y);
}

Boolean operator!=(const CIMValue& x, const CIMValue& y)
{
    return !x.equal(y);
}

PEGASUS_NAMESPACE_END
