// Validation of CIM element and namespace names.  Comparison ignores case
// (the rule of NameFolding.h, through String::equalNoCase).
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/InternalException.h>

#include <utility>

PEGASUS_NAMESPACE_BEGIN

namespace
{
inline bool isNameStart(Uint16 c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0x80 && c <= 0xFFEF);
}

inline bool isNameChar(Uint16 c)
{
    return isNameStart(c) || (c >= '0' && c <= '9');
}

// A legal CIM name in p[begin, end).
bool legalName(const Char16* p, Uint32 begin, Uint32 end)
{
    if (begin >= end || !isNameStart(p[begin]))
        return false;
    for (Uint32 i = begin + 1; i < end; i++)
    {
        if (!isNameChar(p[i]))
            return false;
    }
    return true;
}

const char* checked(const char* name)
{
    if (!name)
        throw NullPointer();
    return name;
}

// The namespace name as stored: without its leading '/'.
String stripLeadingSlash(const String& name)
{
    if (name.size() > 0 && name[0] == '/')
        return name.subString(1);
    return name;
}
}

// ----------------------------------------------------------------- CIMName

CIMName::CIMName() {}

CIMName::CIMName(const String& name) : _name(name)
{
    if (!legal(name))
        throw InvalidNameException(name);
}

CIMName::CIMName(String&& name) : _name(std::move(name))
{
    if (!legal(_name))
        throw InvalidNameException(_name);
}

CIMName::CIMName(const char* name) : CIMName(String(checked(name))) {}

CIMName& CIMName::operator=(const String& name)
{
    if (!legal(name))
        throw InvalidNameException(name);
    _name = name;
    return *this;
}

CIMName& CIMName::operator=(const char* name)
{
    return *this = String(checked(name));
}

Boolean CIMName::equal(const CIMName& name) const
{
    return String::equalNoCase(_name, name._name);
}

Boolean CIMName::equal(const char* name) const
{
    return String::equalNoCase(_name, String(checked(name)));
}

Boolean CIMName::legal(const String& name)
{
    return legalName(name.getChar16Data(), 0, name.size());
}

Boolean operator==(const CIMName& name1, const CIMName& name2) { return name1.equal(name2); }
Boolean operator==(const CIMName& name1, const char* name2) { return name1.equal(name2); }
Boolean operator==(const char* name1, const CIMName& name2) { return name2.equal(name1); }
Boolean operator!=(const CIMName& name1, const CIMName& name2) { return !name1.equal(name2); }
Boolean operator!=(const CIMName& name1, const char* name2) { return !name1.equal(name2); }
Boolean operator!=(const char* name1, const CIMName& name2) { return !name2.equal(name1); }

// -------------------------------------------------------- CIMNamespaceName

CIMNamespaceName::CIMNamespaceName() {}

CIMNamespaceName::CIMNamespaceName(const String& name)
{
    if (!legal(name))
        throw InvalidNamespaceNameException(name);
    _name = stripLeadingSlash(name);
}

CIMNamespaceName::CIMNamespaceName(const char* name)
    : CIMNamespaceName(String(checked(name)))
{
}

CIMNamespaceName& CIMNamespaceName::operator=(const String& name)
{
    if (!legal(name))
        throw InvalidNamespaceNameException(name);
    _name = stripLeadingSlash(name);
    return *this;
}

CIMNamespaceName& CIMNamespaceName::operator=(const char* name)
{
    return *this = String(checked(name));
}

Boolean CIMNamespaceName::equal(const CIMNamespaceName& name) const
{
    return String::equalNoCase(_name, name._name);
}

Boolean CIMNamespaceName::equal(const char* name) const
{
    // Compare with the stored form of the other name.
    return String::equalNoCase(_name, stripLeadingSlash(String(checked(name))));
}

Boolean CIMNamespaceName::legal(const String& name)
{
    const Char16* p = name.getChar16Data();
    Uint32 n = name.size();
    Uint32 i = (n > 0 && p[0] == '/') ? 1 : 0;
    if (i == n)
        return false;
    // Every '/'-separated element, the last included, must be a legal
    // name; this rejects "", "a/", "a//b" and "//a".
    while (true)
    {
        Uint32 end = i;
        while (end < n && p[end] != '/')
            end++;
        if (!legalName(p, i, end))
            return false;
        if (end == n)
            return true;
        i = end + 1;
    }
}

Boolean operator==(const CIMNamespaceName& name1, const CIMNamespaceName& name2) { return name1.equal(name2); }
Boolean operator==(const CIMNamespaceName& name1, const char* name2) { return name1.equal(name2); }
Boolean operator==(const char* name1, const CIMNamespaceName& name2) { return name2.equal(name1); }
Boolean operator!=(const CIMNamespaceName& name1, const CIMNamespaceName& name2) { return !name1.equal(name2); }
Boolean operator!=(const CIMNamespaceName& name1, const char* name2) { return !name1.equal(name2); }
Boolean operator!=(const char* name1, const CIMNamespaceName& name2) { return !name2.equal(name1); }

PEGASUS_NAMESPACE_END
