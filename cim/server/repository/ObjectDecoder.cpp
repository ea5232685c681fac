// Decoding of blobs (this format and the first, UTF-16 one) into classes,
// instances and qualifier declarations.
#include "ObjectCodec.h"
#include "ObjectFormat.h"

#include "CIMObjectModelRep.h"
#include "Utf8Text.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMMethod.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParameter.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMScope.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>

namespace Pegasus {

using namespace objectformat;

namespace {

class Decoder
{
    // Names repeat from blob to blob (every instance of a class names the
    // same properties and origins): a small per-thread cache keyed by the
    // stored bytes skips converting and validating them again.  Real names
    // are short; a longer one is converted each time and not kept, so that
    // a huge name does not stay in every thread that once read it.
    static const std::size_t kCachedNameBytes = 256;
    struct NameSlot
    {
        unsigned char version = 0;
        std::string key;
        CIMName name;
    };
    static NameSlot& nameSlot(const unsigned char* p, std::size_t n)
    {
        thread_local NameSlot slots[256];
        std::size_t h = n;
        for (std::size_t i = 0; i < n && i < 32; i++)
            h = h * 31 + p[i];
        return slots[(h ^ (h >> 8)) % 256];
    }

public:
    Decoder(const void* data, std::size_t size)
        : _p(static_cast<const unsigned char*>(data)),
          _end(static_cast<const unsigned char*>(data) + size)
    {
    }

    bool atEnd() const { return _p == _end; }

    // The format of the blob, from its header; decides how texts are read.
    void setVersion(unsigned char version) { _version = version; }

    unsigned char byte()
    {
        if (_p == _end)
            corrupt("truncated");
        return *_p++;
    }

    uint64_t varint()
    {
        uint64_t v = 0;
        for (unsigned shift = 0; shift < 64; shift += 7)
        {
            unsigned char b = byte();
            v |= uint64_t(b & 0x7f) << shift;
            if (!(b & 0x80))
                return v;
        }
        corrupt("overlong number");
    }

    int64_t signedVarint()
    {
        uint64_t v = varint();
        return int64_t(v >> 1) ^ -int64_t(v & 1);
    }

    // A count of elements that must each take at least one byte.
    Uint32 count()
    {
        uint64_t n = varint();
        if (n > uint64_t(_end - _p))
            corrupt("bad element count");
        return Uint32(n);
    }

    uint64_t fixed(unsigned bytes)
    {
        if (std::size_t(_end - _p) < bytes)
            corrupt("truncated");
        uint64_t v = 0;
        for (unsigned i = 0; i < bytes; i++)
            v |= uint64_t(_p[i]) << (8 * i);
        _p += bytes;
        return v;
    }

    String text()
    {
        uint64_t n = varint();
        if (_version == kUtf16FormatVersion)
            return utf16Text(n);
        if (n > uint64_t(_end - _p))
            corrupt("bad text length");
        if (n == 0)
            return String();
        if (asciiRunEnd(_p, _p + n) == _p + n)
        {
            // The common case, converted straight into the String.
            String s(reinterpret_cast<const char*>(_p), Uint32(n));
            _p += n;
            return s;
        }
        _units.resize(n);
        const unsigned char* p = _p;
        const unsigned char* end = _p + n;
        Char16* u = _units.data();
        while (p != end)
        {
            unsigned c = *p++;
            if (c < 0x80)
            {
                *u++ = Char16(Uint16(c));
                continue;
            }
            unsigned extra = c >= 0xe0 ? 2 : 1;
            if (c < 0xc0 || c >= 0xf0 || unsigned(end - p) < extra)
                corrupt("bad text");
            unsigned v = c & (extra == 2 ? 0x0f : 0x1f);
            for (unsigned i = 0; i < extra; i++)
            {
                unsigned b = *p++;
                if ((b & 0xc0) != 0x80)
                    corrupt("bad text");
                v = (v << 6) | (b & 0x3f);
            }
            *u++ = Char16(Uint16(v));
        }
        _p = end;
        return String(_units.data(), Uint32(u - _units.data()));
    }

    CIMDateTime dateTime()
    {
        // Stored datetimes are 25 ASCII characters: read in place.
        if (_version != kUtf16FormatVersion)
        {
            const unsigned char* start = _p;
            CIMDateTime d;
            if (varint() == 25 && _end - _p >= 25 &&
                CIMDateTimeAccess::setText(d, reinterpret_cast<const char*>(_p), 25))
            {
                _p += 25;
                return d;
            }
            _p = start;
        }
        return CIMDateTime(text());
    }

    // Format 1: n UTF-16 units, little-endian.
    String utf16Text(uint64_t n)
    {
        if (n > uint64_t(_end - _p) / 2)
            corrupt("bad text length");
        if (n == 0)
            return String();
        _units.resize(n);
        for (uint64_t i = 0; i < n; i++)
            _units[i] = Char16(Uint16(_p[2 * i] | (_p[2 * i + 1] << 8)));
        _p += 2 * n;
        return String(_units.data(), Uint32(n));
    }

    CIMName name()
    {
        const unsigned char* start = _p;
        uint64_t n = varint();
        uint64_t unit = _version == kUtf16FormatVersion ? 2 : 1;
        std::size_t bytes = n <= uint64_t(_end - _p) / unit ? std::size_t(unit * n) : 0;
        if (bytes > kCachedNameBytes)
        {
            _p = start;
            String s = text();
            return CIMName(s);
        }
        NameSlot& slot = nameSlot(_p, bytes);
        if (bytes && slot.version == _version && slot.key.size() == bytes &&
            std::memcmp(slot.key.data(), _p, bytes) == 0)
        {
            _p += bytes;
            return slot.name;
        }
        _p = start;
        String s = text();
        if (s.size() == 0)
            return CIMName();
        CIMName result(s);   // only names that pass validation are cached
        slot.version = _version;
        slot.key.assign(reinterpret_cast<const char*>(_p) - bytes, bytes);
        slot.name = result;
        return result;
    }

    CIMObjectPath path()
    {
        String host = text();
        String ns = text();
        CIMName className = name();
        Uint32 n = count();
        Array<CIMKeyBinding> keys;
        keys.reserveCapacity(n);
        for (Uint32 i = 0; i < n; i++)
        {
            CIMName keyName = name();
            unsigned char type = byte();
            if (type > CIMKeyBinding::REFERENCE)
                corrupt("bad key type");
            keys.append(CIMKeyBinding(keyName, text(), CIMKeyBinding::Type(type)));
        }
        CIMObjectPath p;
        p.set(host, ns.size() ? CIMNamespaceName(ns) : CIMNamespaceName(), className, keys);
        return p;
    }

    template <class T>
    CIMValue unsignedValue(bool isArray)
    {
        if (!isArray)
            return CIMValue(T(varint()));
        Uint32 n = count();
        Array<T> a;
        a.reserveCapacity(n);
        for (Uint32 i = 0; i < n; i++)
            a.append(T(varint()));
        return CIMValue(a);
    }

    template <class T>
    CIMValue signedValue(bool isArray)
    {
        if (!isArray)
            return CIMValue(T(signedVarint()));
        Uint32 n = count();
        Array<T> a;
        a.reserveCapacity(n);
        for (Uint32 i = 0; i < n; i++)
            a.append(T(signedVarint()));
        return CIMValue(a);
    }

    template <class T, class F>
    CIMValue elements(bool isArray, F one)
    {
        if (!isArray)
            return CIMValue(one());
        Uint32 n = count();
        Array<T> a;
        a.reserveCapacity(n);
        for (Uint32 i = 0; i < n; i++)
            a.append(one());
        return CIMValue(a);
    }

    CIMValue value()
    {
        unsigned char type = byte();
        unsigned char flags = byte();
        if (type > CIMTYPE_INSTANCE || flags > 3)
            corrupt("bad value header");
        bool isArray = flags & 1;
        if (flags & 2)
            return CIMValue(CIMType(type), isArray, isArray ? Uint32(varint()) : 0);
        switch (CIMType(type))
        {
        case CIMTYPE_BOOLEAN:
            return elements<Boolean>(isArray, [this]() { return Boolean(byte() != 0); });
        case CIMTYPE_UINT8: return unsignedValue<Uint8>(isArray);
        case CIMTYPE_SINT8: return signedValue<Sint8>(isArray);
        case CIMTYPE_UINT16: return unsignedValue<Uint16>(isArray);
        case CIMTYPE_SINT16: return signedValue<Sint16>(isArray);
        case CIMTYPE_UINT32: return unsignedValue<Uint32>(isArray);
        case CIMTYPE_SINT32: return signedValue<Sint32>(isArray);
        case CIMTYPE_UINT64: return unsignedValue<Uint64>(isArray);
        case CIMTYPE_SINT64: return signedValue<Sint64>(isArray);
        case CIMTYPE_REAL32:
            return elements<Real32>(isArray, [this]() {
                uint32_t bits = uint32_t(fixed(4));
                Real32 r;
                std::memcpy(&r, &bits, sizeof r);
                return r;
            });
        case CIMTYPE_REAL64:
            return elements<Real64>(isArray, [this]() {
                uint64_t bits = fixed(8);
                Real64 r;
                std::memcpy(&r, &bits, sizeof r);
                return r;
            });
        case CIMTYPE_CHAR16:
            return elements<Char16>(isArray, [this]() { return Char16(Uint16(fixed(2))); });
        case CIMTYPE_STRING:
            return elements<String>(isArray, [this]() { return text(); });
        case CIMTYPE_DATETIME:
            return elements<CIMDateTime>(isArray, [this]() { return dateTime(); });
        case CIMTYPE_REFERENCE:
            return elements<CIMObjectPath>(isArray, [this]() { return path(); });
        case CIMTYPE_OBJECT:
            return elements<CIMObject>(isArray, [this]() {
                unsigned char kind = byte();
                if (kind == 'C')
                    return CIMObject(cimClass());
                if (kind == 'I')
                    return CIMObject(instance());
                corrupt("bad embedded object");
            });
        case CIMTYPE_INSTANCE:
            return elements<CIMInstance>(isArray, [this]() { return instance(); });
        }
        corrupt("bad value type");
    }

    CIMQualifier qualifier()
    {
        CIMName n = name();
        CIMValue v = value();
        CIMFlavor flavor = flavorFromBits(uint32_t(varint()));
        Boolean propagated = byte() != 0;
        return CIMQualifier(n, v, flavor, propagated);
    }

    template <class H>
    void qualifiers(H& owner)
    {
        Uint32 n = count();
        for (Uint32 i = 0; i < n; i++)
            owner.addQualifier(qualifier());
    }

    CIMProperty property(const std::shared_ptr<CIMPropertyBlock>& block)
    {
        CIMName n = name();
        CIMValue v = value();
        Uint32 arraySize = Uint32(varint());
        CIMName referenceClass = name();
        CIMName classOrigin = name();
        Boolean propagated = byte() != 0;
        CIMProperty p = CIMHandleAccess::make<CIMProperty>(newPropertyRep(
            n, std::move(v), arraySize, referenceClass, classOrigin, propagated, block));
        qualifiers(p);
        return p;
    }

    // The properties of one object share one heap block.
    template <class H>
    void properties(H& owner)
    {
        Uint32 n = count();
        std::shared_ptr<CIMPropertyBlock> block = CIMPropertyBlock::create(n);
        CIMHandleAccess::rep(owner)->properties.reserve(n);
        for (Uint32 i = 0; i < n; i++)
            owner.addProperty(property(block));
    }

    CIMType type()
    {
        unsigned char t = byte();
        if (t > CIMTYPE_INSTANCE)
            corrupt("bad type");
        return CIMType(t);
    }

    CIMMethod method()
    {
        CIMName n = name();
        CIMType t = type();
        CIMName classOrigin = name();
        Boolean propagated = byte() != 0;
        CIMMethod m(n, t, classOrigin, propagated);
        qualifiers(m);
        Uint32 count = this->count();
        for (Uint32 i = 0; i < count; i++)
        {
            CIMName pn = name();
            CIMType pt = type();
            Boolean isArray = byte() != 0;
            Uint32 arraySize = Uint32(varint());
            CIMName referenceClass = name();
            CIMParameter p(pn, pt, isArray, arraySize, referenceClass);
            qualifiers(p);
            m.addParameter(p);
        }
        return m;
    }

    CIMClass cimClass()
    {
        CIMName n = name();
        CIMName super = name();
        CIMClass c(n, super);
        qualifiers(c);
        properties(c);
        Uint32 count = this->count();
        for (Uint32 i = 0; i < count; i++)
            c.addMethod(method());
        return c;
    }

    CIMInstance instance()
    {
        CIMName n = name();
        CIMObjectPath p = path();
        CIMInstance inst(n);
        if (!p.getClassName().isNull())
            inst.setPath(p);
        qualifiers(inst);
        properties(inst);
        return inst;
    }

private:
    const unsigned char* _p;
    const unsigned char* _end;
    unsigned char _version = kFormatVersion;
    std::vector<Char16> _units;
};

void expectHeader(Decoder& d, unsigned char tag)
{
    if (d.byte() != tag)
        corrupt("unexpected object kind");
    unsigned char version = d.byte();
    if (version != kFormatVersion && version != kUtf16FormatVersion)
        corrupt("unknown format version");
    d.setVersion(version);
}

void expectEnd(const Decoder& d)
{
    if (!d.atEnd())
        corrupt("trailing bytes");
}

// Errors of the object model while rebuilding an object mean the blob was
// not written by us.
template <class F>
auto guarded(F f) -> decltype(f())
{
    try
    {
        return f();
    }
    catch (const Exception& e)
    {
        if (e.getMessage().find(String("repository data is corrupt")) == 0)
            throw;
        throw Exception(String("repository data is corrupt: ") + e.getMessage());
    }
}

}  // namespace

CIMClass ObjectCodec::decodeClass(const void* data, std::size_t size)
{
    return guarded([&]() {
        Decoder d(data, size);
        expectHeader(d, 'C');
        CIMClass c = d.cimClass();
        expectEnd(d);
        return c;
    });
}

CIMInstance ObjectCodec::decodeInstance(const void* data, std::size_t size)
{
    return guarded([&]() {
        Decoder d(data, size);
        expectHeader(d, 'I');
        CIMInstance i = d.instance();
        expectEnd(d);
        return i;
    });
}

CIMObjectPath ObjectCodec::decodeInstancePath(const void* data, std::size_t size)
{
    return guarded([&]() {
        Decoder d(data, size);
        expectHeader(d, 'I');
        d.name();
        return d.path();
    });
}

CIMName ObjectCodec::decodeClassName(const void* data, std::size_t size)
{
    return guarded([&]() {
        Decoder d(data, size);
        expectHeader(d, 'C');
        return d.name();
    });
}

CIMQualifierDecl ObjectCodec::decodeQualifierDecl(const void* data, std::size_t size)
{
    return guarded([&]() {
        Decoder d(data, size);
        expectHeader(d, 'Q');
        CIMName n = d.name();
        CIMValue v = d.value();
        CIMScope scope = scopeFromBits(uint32_t(d.varint()));
        CIMFlavor flavor = flavorFromBits(uint32_t(d.varint()));
        Uint32 arraySize = Uint32(d.varint());
        expectEnd(d);
        return CIMQualifierDecl(n, v, scope, flavor, arraySize);
    });
}

}  // namespace Pegasus
