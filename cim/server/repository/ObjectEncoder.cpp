// Encoding of classes, instances and qualifier declarations into blobs.
#include "ObjectCodec.h"
#include "ObjectFormat.h"

#include "CIMObjectModelRep.h"

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

class Encoder
{
public:
    std::string out;

    void byte(unsigned char b) { out.push_back(char(b)); }

    void varint(uint64_t v)
    {
        while (v >= 0x80)
        {
            out.push_back(char((v & 0x7f) | 0x80));
            v >>= 7;
        }
        out.push_back(char(v));
    }

    void signedVarint(int64_t v)
    {
        varint((uint64_t(v) << 1) ^ uint64_t(v >> 63));
    }

    void fixed(uint64_t v, unsigned bytes)
    {
        for (unsigned i = 0; i < bytes; i++)
            out.push_back(char((v >> (8 * i)) & 0xff));
    }

    void text(const String& s)
    {
        const Char16* p = s.getChar16Data();
        const Uint32 n = s.size();
        std::size_t bytes = n;
        for (Uint32 i = 0; i < n; i++)
        {
            Uint16 u = Uint16(p[i]);
            if (u >= 0x80)
                bytes += u >= 0x800 ? 2 : 1;
        }
        varint(bytes);
        // Sized once and filled in place: texts are most of every blob.
        std::size_t at = out.size();
        out.resize(at + bytes);
        char* q = &out[0] + at;
        if (bytes == n)
        {
            for (Uint32 i = 0; i < n; i++)
                q[i] = char(Uint16(p[i]));
            return;
        }
        for (Uint32 i = 0; i < n; i++)
        {
            Uint16 u = Uint16(p[i]);
            if (u < 0x80)
                *q++ = char(u);
            else if (u < 0x800)
            {
                *q++ = char(0xc0 | (u >> 6));
                *q++ = char(0x80 | (u & 0x3f));
            }
            else
            {
                *q++ = char(0xe0 | (u >> 12));
                *q++ = char(0x80 | ((u >> 6) & 0x3f));
                *q++ = char(0x80 | (u & 0x3f));
            }
        }
    }

    void name(const CIMName& n) { text(n.getString()); }

    void path(const CIMObjectPath& p)
    {
        text(p.getHost());
        text(p.getNameSpace().getString());
        name(p.getClassName());
        const Array<CIMKeyBinding>& keys = p.getKeyBindings();
        varint(keys.size());
        for (Uint32 i = 0; i < keys.size(); i++)
        {
            name(keys[i].getName());
            byte((unsigned char)keys[i].getType());
            text(keys[i].getValue());
        }
    }

    template <class T>
    void unsignedElements(const CIMValue& v)
    {
        if (v.isArray())
        {
            Array<T> a;
            v.get(a);
            varint(a.size());
            for (Uint32 i = 0; i < a.size(); i++)
                varint(uint64_t(a[i]));
        }
        else
        {
            T x;
            v.get(x);
            varint(uint64_t(x));
        }
    }

    template <class T>
    void signedElements(const CIMValue& v)
    {
        if (v.isArray())
        {
            Array<T> a;
            v.get(a);
            varint(a.size());
            for (Uint32 i = 0; i < a.size(); i++)
                signedVarint(int64_t(a[i]));
        }
        else
        {
            T x;
            v.get(x);
            signedVarint(int64_t(x));
        }
    }

    template <class T, class F>
    void elements(const CIMValue& v, F each)
    {
        if (v.isArray())
        {
            Array<T> a;
            v.get(a);
            varint(a.size());
            for (Uint32 i = 0; i < a.size(); i++)
                each(a[i]);
        }
        else
        {
            T x;
            v.get(x);
            each(x);
        }
    }

    void value(const CIMValue& v)
    {
        byte((unsigned char)v.getType());
        unsigned char flags = (v.isArray() ? 1 : 0) | (v.isNull() ? 2 : 0);
        byte(flags);
        if (v.isNull())
        {
            if (v.isArray())
                varint(v.getArraySize());
            return;
        }
        switch (v.getType())
        {
        case CIMTYPE_BOOLEAN:
            elements<Boolean>(v, [this](Boolean b) { byte(b ? 1 : 0); });
            break;
        case CIMTYPE_UINT8: unsignedElements<Uint8>(v); break;
        case CIMTYPE_SINT8: signedElements<Sint8>(v); break;
        case CIMTYPE_UINT16: unsignedElements<Uint16>(v); break;
        case CIMTYPE_SINT16: signedElements<Sint16>(v); break;
        case CIMTYPE_UINT32: unsignedElements<Uint32>(v); break;
        case CIMTYPE_SINT32: signedElements<Sint32>(v); break;
        case CIMTYPE_UINT64: unsignedElements<Uint64>(v); break;
        case CIMTYPE_SINT64: signedElements<Sint64>(v); break;
        case CIMTYPE_REAL32:
            elements<Real32>(v, [this](Real32 r) {
                uint32_t bits;
                std::memcpy(&bits, &r, sizeof bits);
                fixed(bits, 4);
            });
            break;
        case CIMTYPE_REAL64:
            elements<Real64>(v, [this](Real64 r) {
                uint64_t bits;
                std::memcpy(&bits, &r, sizeof bits);
                fixed(bits, 8);
            });
            break;
        case CIMTYPE_CHAR16:
            elements<Char16>(v, [this](Char16 c) { fixed(Uint16(c), 2); });
            break;
        case CIMTYPE_STRING:
            // Read in place, without a copy of each string.
            if (const Array<String>* a = CIMValueAccess::strings(v))
            {
                varint(a->size());
                for (Uint32 i = 0; i < a->size(); i++)
                    text((*a)[i]);
            }
            else
                text(*CIMValueAccess::string(v));
            break;
        case CIMTYPE_DATETIME:
            elements<CIMDateTime>(v, [this](const CIMDateTime& d) { text(d.toString()); });
            break;
        case CIMTYPE_REFERENCE:
            elements<CIMObjectPath>(v, [this](const CIMObjectPath& p) { path(p); });
            break;
        case CIMTYPE_OBJECT:
            elements<CIMObject>(v, [this](const CIMObject& o) {
                if (o.isClass())
                {
                    byte('C');
                    cimClass(CIMConstClass(o));
                }
                else
                {
                    byte('I');
                    instance(CIMConstInstance(o));
                }
            });
            break;
        case CIMTYPE_INSTANCE:
            elements<CIMInstance>(v, [this](const CIMInstance& i) { instance(i); });
            break;
        }
    }

    template <class H>
    void qualifiers(const H& owner)
    {
        Uint32 n = owner.getQualifierCount();
        varint(n);
        for (Uint32 i = 0; i < n; i++)
        {
            CIMConstQualifier q = owner.getQualifier(i);
            name(q.getName());
            value(q.getValue());
            varint(flavorBits(q.getFlavor()));
            byte(q.getPropagated() ? 1 : 0);
        }
    }

    void property(const CIMConstProperty& p)
    {
        name(p.getName());
        value(p.getValue());
        varint(p.getArraySize());
        name(p.getReferenceClassName());
        name(p.getClassOrigin());
        byte(p.getPropagated() ? 1 : 0);
        qualifiers(p);
    }

    template <class H>
    void properties(const H& owner)
    {
        Uint32 n = owner.getPropertyCount();
        varint(n);
        for (Uint32 i = 0; i < n; i++)
            property(owner.getProperty(i));
    }

    void method(const CIMConstMethod& m)
    {
        name(m.getName());
        byte((unsigned char)m.getType());
        name(m.getClassOrigin());
        byte(m.getPropagated() ? 1 : 0);
        qualifiers(m);
        Uint32 n = m.getParameterCount();
        varint(n);
        for (Uint32 i = 0; i < n; i++)
        {
            CIMConstParameter p = m.getParameter(i);
            name(p.getName());
            byte((unsigned char)p.getType());
            byte(p.isArray() ? 1 : 0);
            varint(p.getArraySize());
            name(p.getReferenceClassName());
            qualifiers(p);
        }
    }

    void cimClass(const CIMConstClass& c)
    {
        name(c.getClassName());
        name(c.getSuperClassName());
        qualifiers(c);
        properties(c);
        Uint32 n = c.getMethodCount();
        varint(n);
        for (Uint32 i = 0; i < n; i++)
            method(c.getMethod(i));
    }

    void instance(const CIMConstInstance& inst)
    {
        name(inst.getClassName());
        path(inst.getPath());
        qualifiers(inst);
        properties(inst);
    }
};

}  // namespace


std::string ObjectCodec::encodeClass(const CIMConstClass& cimClass)
{
    Encoder e;
    e.byte('C');
    e.byte(kFormatVersion);
    e.cimClass(cimClass);
    return std::move(e.out);
}

std::string ObjectCodec::encodeInstance(const CIMConstInstance& instance)
{
    Encoder e;
    e.byte('I');
    e.byte(kFormatVersion);
    e.instance(instance);
    return std::move(e.out);
}

std::string ObjectCodec::encodeQualifierDecl(const CIMConstQualifierDecl& decl)
{
    Encoder e;
    e.byte('Q');
    e.byte(kFormatVersion);
    e.name(decl.getName());
    e.value(decl.getValue());
    e.varint(scopeBits(decl.getScope()));
    e.varint(flavorBits(decl.getFlavor()));
    e.varint(decl.getArraySize());
    return std::move(e.out);
}

}  // namespace Pegasus
