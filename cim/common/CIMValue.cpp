// CIMValue keeps its content in a heap-allocated CIMValueRep holding a
// std::variant over every scalar and array type.  A null _rep stands for the
// default value (null Boolean scalar), so default construction and moves
// allocate nothing.  Objects and instances are cloned on the way in and on
// the way out: the handles kept inside are never reachable by callers, so
// copies of a CIMValue may share them.
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/Exception.h>

#include "CIMObjectModelRep.h"

#include <cstdio>
#include <atomic>
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

inline const CIMValueRep& readRep(const CIMValueRep* rep)
{
    return rep ? *rep : kDefaultRep;
}

inline CIMValueRep* share(CIMValueRep* rep)
{
    if (rep)
        rep->refs.fetch_add(1, std::memory_order_relaxed);
    return rep;
}

inline void release(CIMValueRep* rep)
{
    if (rep && rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete rep;
}

// The rep to change: a new one, or a private copy of a shared one.
inline CIMValueRep& writeRep(CIMValueRep*& rep)
{
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

template <class T>
void _setScalar(CIMValueRep*& rep, const T& x)
{
    CIMValueRep& r = writeRep(rep);
    r.v = x;
    r.type = TypeOf<T>::value;
    r.isArray = false;
    r.isNull = false;
    r.arraySize = 0;
}

template <class T>
void _setArray(CIMValueRep*& rep, const Array<T>& x)
{
    CIMValueRep& r = writeRep(rep);
    r.v = x;
    r.type = TypeOf<T>::value;
    r.isArray = true;
    r.isNull = false;
    r.arraySize = x.size();
}

template <class T>
void checkType(const CIMValueRep& r, bool isArray)
{
    if (r.type != TypeOf<T>::value || r.isArray != isArray)
        throw TypeMismatchException();
}

// A null value of the right type leaves x as it is.
template <class T>
void _getScalar(const CIMValueRep* rep, T& x)
{
    const CIMValueRep& r = readRep(rep);
    checkType<T>(r, false);
    if (!r.isNull)
        x = std::get<T>(r.v);
}

template <class T>
void _getArray(const CIMValueRep* rep, Array<T>& x)
{
    const CIMValueRep& r = readRep(rep);
    checkType<T>(r, true);
    if (!r.isNull)
        x = std::get<Array<T>>(r.v);
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
    const CIMValueRep& r = readRep(value._rep);
    if (r.isNull || r.isArray || r.type != CIMTYPE_STRING)
        return nullptr;
    return &std::get<String>(r.v);
}

const Array<String>* CIMValueAccess::strings(const CIMValue& value)
{
    const CIMValueRep& r = readRep(value._rep);
    if (r.isNull || !r.isArray || r.type != CIMTYPE_STRING)
        return nullptr;
    return &std::get<Array<String>>(r.v);
}

CIMValue CIMValueAccess::take(String&& x)
{
    CIMValue value;
    CIMValueRep& r = writeRep(value._rep);
    r.v = std::move(x);
    r.type = CIMTYPE_STRING;
    r.isArray = false;
    r.isNull = false;
    r.arraySize = 0;
    return value;
}

template <class T>
CIMValue CIMValueAccess::take(Array<T>&& x)
{
    CIMValue value;
    CIMValueRep& r = writeRep(value._rep);
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

CIMValue::CIMValue() : _rep(0) {}

CIMValue::CIMValue(CIMType type, Boolean isArray, Uint32 arraySize) : _rep(0)
{
    setNullValue(type, isArray, arraySize);
}

CIMValue::CIMValue(const CIMValue& x) : _rep(share(x._rep)) {}

CIMValue::CIMValue(CIMValue&& x) noexcept : _rep(x._rep)
{
    x._rep = 0;
}

CIMValue::CIMValue(Boolean x) : _rep(0) { set(x); }
CIMValue::CIMValue(Uint8 x) : _rep(0) { set(x); }
CIMValue::CIMValue(Sint8 x) : _rep(0) { set(x); }
CIMValue::CIMValue(Uint16 x) : _rep(0) { set(x); }
CIMValue::CIMValue(Sint16 x) : _rep(0) { set(x); }
CIMValue::CIMValue(Uint32 x) : _rep(0) { set(x); }
CIMValue::CIMValue(Sint32 x) : _rep(0) { set(x); }
CIMValue::CIMValue(Uint64 x) : _rep(0) { set(x); }
CIMValue::CIMValue(Sint64 x) : _rep(0) { set(x); }
CIMValue::CIMValue(Real32 x) : _rep(0) { set(x); }
CIMValue::CIMValue(Real64 x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Char16& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const String& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const CIMDateTime& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const CIMObjectPath& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const CIMObject& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const CIMInstance& x) : _rep(0) { set(x); }
CIMValue::CIMValue(char x) : _rep(0) { set(x); }

CIMValue::CIMValue(const Array<Boolean>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<Uint8>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<Sint8>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<Uint16>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<Sint16>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<Uint32>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<Sint32>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<Uint64>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<Sint64>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<Real32>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<Real64>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<Char16>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<String>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<CIMDateTime>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<CIMObjectPath>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<CIMObject>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<CIMInstance>& x) : _rep(0) { set(x); }
CIMValue::CIMValue(const Array<char>& x) : _rep(0) { set(x); }

CIMValue::~CIMValue()
{
    release(_rep);
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
        release(_rep);
        _rep = x._rep;
        x._rep = 0;
    }
    return *this;
}

void CIMValue::assign(const CIMValue& x)
{
    if (this == &x)
        return;
    CIMValueRep* copy = share(x._rep);
    release(_rep);
    _rep = copy;
}

void CIMValue::clear()
{
    release(_rep);
    _rep = 0;
}

Boolean CIMValue::typeCompatible(const CIMValue& x) const
{
    const CIMValueRep& a = readRep(_rep);
    const CIMValueRep& b = readRep(x._rep);
    return a.type == b.type && a.isArray == b.isArray;
}

Boolean CIMValue::isArray() const { return readRep(_rep).isArray; }
Boolean CIMValue::isNull() const { return readRep(_rep).isNull; }
CIMType CIMValue::getType() const { return readRep(_rep).type; }

Uint32 CIMValue::getArraySize() const
{
    const CIMValueRep& r = readRep(_rep);
    return r.isArray ? r.arraySize : 0;
}

void CIMValue::setNullValue(CIMType type, Boolean isArray, Uint32 arraySize)
{
    CIMValueRep& r = writeRep(_rep);
    r.v = std::monostate();
    r.type = type;
    r.isArray = isArray;
    r.isNull = true;
    r.arraySize = isArray ? arraySize : 0;
}

// ----------------------------------------------------------------- setters

void CIMValue::set(Boolean x) { _setScalar(_rep, x); }
void CIMValue::set(Uint8 x) { _setScalar(_rep, x); }
void CIMValue::set(Sint8 x) { _setScalar(_rep, x); }
void CIMValue::set(Uint16 x) { _setScalar(_rep, x); }
void CIMValue::set(Sint16 x) { _setScalar(_rep, x); }
void CIMValue::set(Uint32 x) { _setScalar(_rep, x); }
void CIMValue::set(Sint32 x) { _setScalar(_rep, x); }
void CIMValue::set(Uint64 x) { _setScalar(_rep, x); }
void CIMValue::set(Sint64 x) { _setScalar(_rep, x); }
void CIMValue::set(Real32 x) { _setScalar(_rep, x); }
void CIMValue::set(Real64 x) { _setScalar(_rep, x); }
void CIMValue::set(const Char16& x) { _setScalar(_rep, x); }
void CIMValue::set(const String& x) { _setScalar(_rep, x); }
void CIMValue::set(const CIMDateTime& x) { _setScalar(_rep, x); }
void CIMValue::set(const CIMObjectPath& x) { _setScalar(_rep, x); }
void CIMValue::set(char x) { _setScalar(_rep, Sint8(x)); }
void CIMValue::set(const CIMObject& x) { _setScalar(_rep, cloneChecked(x)); }
void CIMValue::set(const CIMInstance& x) { _setScalar(_rep, cloneChecked(x)); }

void CIMValue::set(const Array<Boolean>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<Uint8>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<Sint8>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<Uint16>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<Sint16>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<Uint32>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<Sint32>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<Uint64>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<Sint64>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<Real32>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<Real64>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<Char16>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<String>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<CIMDateTime>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<CIMObjectPath>& x) { _setArray(_rep, x); }
void CIMValue::set(const Array<CIMObject>& x) { _setArray(_rep, cloneAll(x)); }
void CIMValue::set(const Array<CIMInstance>& x) { _setArray(_rep, cloneAll(x)); }

void CIMValue::set(const Array<char>& x)
{
    Array<Sint8> converted;
    converted.reserveCapacity(x.size());
    for (Uint32 i = 0; i < x.size(); i++)
        converted.append(Sint8(x[i]));
    _setArray(_rep, converted);
}

// ----------------------------------------------------------------- getters

void CIMValue::get(Boolean& x) const { _getScalar(_rep, x); }
void CIMValue::get(Uint8& x) const { _getScalar(_rep, x); }
void CIMValue::get(Sint8& x) const { _getScalar(_rep, x); }
void CIMValue::get(Uint16& x) const { _getScalar(_rep, x); }
void CIMValue::get(Sint16& x) const { _getScalar(_rep, x); }
void CIMValue::get(Uint32& x) const { _getScalar(_rep, x); }
void CIMValue::get(Sint32& x) const { _getScalar(_rep, x); }
void CIMValue::get(Uint64& x) const { _getScalar(_rep, x); }
void CIMValue::get(Sint64& x) const { _getScalar(_rep, x); }
void CIMValue::get(Real32& x) const { _getScalar(_rep, x); }
void CIMValue::get(Real64& x) const { _getScalar(_rep, x); }
void CIMValue::get(Char16& x) const { _getScalar(_rep, x); }
void CIMValue::get(String& x) const { _getScalar(_rep, x); }
void CIMValue::get(CIMDateTime& x) const { _getScalar(_rep, x); }
void CIMValue::get(CIMObjectPath& x) const { _getScalar(_rep, x); }
void CIMValue::get(Array<Boolean>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<Uint8>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<Sint8>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<Uint16>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<Sint16>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<Uint32>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<Sint32>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<Uint64>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<Sint64>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<Real32>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<Real64>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<Char16>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<String>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<CIMDateTime>& x) const { _getArray(_rep, x); }
void CIMValue::get(Array<CIMObjectPath>& x) const { _getArray(_rep, x); }

void CIMValue::get(char& x) const
{
    Sint8 v = Sint8(x);
    _getScalar(_rep, v);
    x = char(v);
}

void CIMValue::get(Array<char>& x) const
{
    const CIMValueRep& r = readRep(_rep);
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
    const CIMValueRep& r = readRep(_rep);
    checkType<CIMObject>(r, false);
    if (!r.isNull)
        x = std::get<CIMObject>(r.v).clone();
}

void CIMValue::get(CIMInstance& x) const
{
    const CIMValueRep& r = readRep(_rep);
    checkType<CIMInstance>(r, false);
    if (!r.isNull)
        x = std::get<CIMInstance>(r.v).clone();
}

void CIMValue::get(Array<CIMObject>& x) const
{
    const CIMValueRep& r = readRep(_rep);
    checkType<CIMObject>(r, true);
    if (!r.isNull)
        x = cloneAll(std::get<Array<CIMObject>>(r.v));
}

void CIMValue::get(Array<CIMInstance>& x) const
{
    const CIMValueRep& r = readRep(_rep);
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
    const CIMValueRep& a = readRep(_rep);
    const CIMValueRep& b = readRep(x._rep);
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
    const CIMValueRep& r = readRep(_rep);
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
