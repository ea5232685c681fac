// CIMObjectPath: text form, parsing and comparison.  Key bindings are
// normalised whenever they are stored (sorted by name, reference values
// rewritten canonically), so toString() and identical() can walk them in
// order.
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/Exception.h>

#include "IntegerText.h"

#include <algorithm>
#include <vector>

PEGASUS_NAMESPACE_BEGIN

namespace
{
[[noreturn]] void throwMalformed(const String& objectName, const char* reason)
{
    throw MalformedObjectNameException(objectName + ", reason:\"" + reason + "\"");
}

[[noreturn]] void throwMalformed(const String& objectName, const String& reason)
{
    throw MalformedObjectNameException(objectName + ", reason:\"" + reason + "\"");
}

inline bool isAsciiAlnum(Uint16 c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool allDigits(const String& s, Uint32 begin, Uint32 end)
{
    if (begin >= end)
        return false;
    for (Uint32 i = begin; i < end; i++)
    {
        if (s[i] < '0' || s[i] > '9')
            return false;
    }
    return true;
}

bool validIPv4(const String& s, Uint32 begin, Uint32 end)
{
    Uint32 octets = 0;
    Uint32 i = begin;
    while (true)
    {
        Uint32 start = i;
        Uint32 value = 0;
        while (i < end && s[i] >= '0' && s[i] <= '9' && i - start < 3)
            value = value * 10 + (s[i++] - '0');
        if (i == start || value > 255)
            return false;
        octets++;
        if (i == end)
            return octets == 4;
        if (s[i] != '.' || octets == 4)
            return false;
        i++;
    }
}

// Labels of letters, digits, '-' and '_' separated by single dots.
bool validHostName(const String& s, Uint32 begin, Uint32 end)
{
    if (begin >= end)
        return false;
    Uint32 labelStart = begin;
    for (Uint32 i = begin; i <= end; i++)
    {
        if (i == end || s[i] == '.')
        {
            if (i == labelStart || s[labelStart] == '-' || s[i - 1] == '-')
                return false;
            labelStart = i + 1;
        }
        else if (!isAsciiAlnum(s[i]) && s[i] != '-' && s[i] != '_')
            return false;
    }
    return true;
}

// A host name, IPv4 address or bracketed IPv6 address, optionally followed
// by ":port".
bool validHost(const String& host)
{
    Uint32 n = host.size();
    if (n > 0 && host[0] == '[')
    {
        Uint32 close = host.find(Char16(']'));
        if (close == PEG_NOT_FOUND || close < 3)
            return false;
        for (Uint32 i = 1; i < close; i++)
        {
            Uint16 c = host[i];
            if (!isAsciiAlnum(c) && c != ':' && c != '.')
                return false;
        }
        if (close + 1 == n)
            return true;
        return host[close + 1] == ':' && allDigits(host, close + 2, n);
    }
    Uint32 end = host.find(Char16(':'));
    if (end != PEG_NOT_FOUND)
    {
        if (!allDigits(host, end + 1, n))
            return false;
    }
    else
        end = n;
    bool numeric = true;
    for (Uint32 i = 0; i < end; i++)
    {
        if (!(host[i] >= '0' && host[i] <= '9') && host[i] != '.')
            numeric = false;
    }
    return numeric ? validIPv4(host, 0, end) : validHostName(host, 0, end);
}

void checkHost(const String& host)
{
    if (host.size() != 0 && !validHost(host))
        throwMalformed(host, "invalid hostname");
}

// Sorted by name, case-insensitively; equal names keep their order.
Array<CIMKeyBinding> normalizeKeyBindings(const Array<CIMKeyBinding>& keys)
{
    // One copy, sorted in place (a single key, the common case, needs no
    // sorting).
    Array<CIMKeyBinding> result(keys);
    if (result.size() > 1)
        std::stable_sort(&result[0], &result[0] + result.size(),
                         [](const CIMKeyBinding& a, const CIMKeyBinding& b) {
                             return String::compareNoCase(a.getName().getString(),
                                                          b.getName().getString()) < 0;
                         });
    for (Uint32 i = 0; i < result.size(); i++)
    {
        CIMKeyBinding& kb = result[i];
        if (kb.getType() == CIMKeyBinding::REFERENCE)
        {
            try
            {
                kb.setValue(CIMObjectPath(kb.getValue()).toString());
            }
            catch (const Exception&)
            {
                // Not a path: kept as given.
            }
        }
    }
    return result;
}

void appendQuoted(String& out, const String& value)
{
    out.append(Char16('"'));
    for (Uint32 i = 0, n = value.size(); i < n; i++)
    {
        Char16 c = value[i];
        if (c == '\\' || c == '"')
            out.append(Char16('\\'));
        out.append(c);
    }
    out.append(Char16('"'));
}

// Parses the key bindings after the class name's '.', from pos to the end.
Array<CIMKeyBinding> parseKeyBindings(const String& s, Uint32 pos)
{
    Array<CIMKeyBinding> keys;
    const Uint32 n = s.size();
    if (pos == n)
        return keys;   // "C." is accepted
    while (true)
    {
        Uint32 eq = s.find(pos, Char16('='));
        if (eq == PEG_NOT_FOUND)
            throwMalformed(s, "invalid key-value pair, missing equal sign");
        String keyName = s.subString(pos, eq - pos);
        if (!CIMName::legal(keyName))
            throwMalformed(s, String("invalid key-value pair, invalid key name:") + keyName);
        pos = eq + 1;

        String value;
        CIMKeyBinding::Type type;
        if (pos < n && s[pos] == '"')
        {
            bool closed = false;
            for (pos++; pos < n; pos++)
            {
                Char16 c = s[pos];
                if (c == '\\' && pos + 1 < n && (s[pos + 1] == '\\' || s[pos + 1] == '"'))
                {
                    value.append(s[++pos]);
                    continue;
                }
                if (c == '"')
                {
                    closed = true;
                    pos++;
                    break;
                }
                value.append(c);
            }
            if (!closed)
                throwMalformed(s, "invalid key-value pair, missing quote in key value");
            type = CIMKeyBinding::STRING;
            if (value.find(Char16('=')) != PEG_NOT_FOUND)
            {
                try
                {
                    CIMObjectPath ref(value);
                    if (ref.getKeyBindings().size() > 0)
                        type = CIMKeyBinding::REFERENCE;
                }
                catch (const Exception&)
                {
                    // A string that merely contains '='.
                }
            }
        }
        else
        {
            Uint32 end = s.find(pos, Char16(','));
            if (end == PEG_NOT_FOUND)
                end = n;
            value = s.subString(pos, end - pos);
            pos = end;
            if (value.size() == 0)
                throwMalformed(s, "invalid key-value pair, malformed value");
            Uint16 first = value[0];
            if (first == 'T' || first == 't' || first == 'F' || first == 'f')
            {
                if (!String::equalNoCase(value, "TRUE") &&
                    !String::equalNoCase(value, "FALSE"))
                    throwMalformed(s, "invalid key-value pair, value should be TRUE or FALSE");
                value.toUpper();
                type = CIMKeyBinding::BOOLEAN;
            }
            else
            {
                if (first == '-')
                {
                    Sint64 x;
                    if (!parseSignedIntegerText(value, x))
                        throwMalformed(s, String("invalid key-value pair, invalid negative number value ") + value);
                }
                else
                {
                    Uint64 x;
                    if (!parseUnsignedIntegerText(value, x))
                        throwMalformed(s, String("invalid key-value pair, invalid number value ") + value);
                }
                type = CIMKeyBinding::NUMERIC;
            }
        }
        keys.append(CIMKeyBinding(CIMName(keyName), value, type));

        if (pos == n)
            return keys;
        if (s[pos] != ',')
            throwMalformed(s, "invalid key-value pair, next key-value pair has to start with comma");
        pos++;
    }
}

// Lower-cased text in which equal key values are written alike.
String canonicalText(const CIMObjectPath& path)
{
    String out = path.getHost();
    out.append(Char16('/'));
    out.append(path.getNameSpace().getString());
    out.append(Char16(':'));
    out.append(path.getClassName().getString());
    const Array<CIMKeyBinding>& keys = path.getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); i++)
    {
        out.append(Char16(i == 0 ? '.' : ','));
        out.append(keys[i].getName().getString());
        out.append(Char16('='));
        const String& value = keys[i].getValue();
        Uint64 u;
        Sint64 v;
        switch (keys[i].getType())
        {
        case CIMKeyBinding::NUMERIC:
            if (parseUnsignedIntegerText(value, u))
                out.appendPrintf("%llu", u);
            else if (parseSignedIntegerText(value, v))
                out.appendPrintf("%lld", v);
            else
                out.append(value);
            break;
        case CIMKeyBinding::REFERENCE:
            try
            {
                out.append(canonicalText(CIMObjectPath(value)));
            }
            catch (const Exception&)
            {
                out.append(value);
            }
            break;
        default:
            out.append(value);
            break;
        }
    }
    out.toLower();
    return out;
}
}

CIMObjectPath::CIMObjectPath() {}

CIMObjectPath::CIMObjectPath(const CIMObjectPath& x) = default;

CIMObjectPath::CIMObjectPath(CIMObjectPath&& x) noexcept = default;

CIMObjectPath::CIMObjectPath(const String& objectName)
{
    set(objectName);
}

CIMObjectPath::CIMObjectPath(
    const String& host,
    const CIMNamespaceName& nameSpace,
    const CIMName& className,
    const Array<CIMKeyBinding>& keyBindings)
{
    set(host, nameSpace, className, keyBindings);
}

CIMObjectPath::~CIMObjectPath() {}

CIMObjectPath& CIMObjectPath::operator=(const CIMObjectPath& x) = default;

CIMObjectPath& CIMObjectPath::operator=(CIMObjectPath&& x) noexcept = default;

CIMObjectPath& CIMObjectPath::operator=(const String& objectName)
{
    set(objectName);
    return *this;
}

void CIMObjectPath::clear()
{
    _host.clear();
    _nameSpace.clear();
    _className.clear();
    _keyBindings.clear();
}

void CIMObjectPath::set(
    const String& host,
    const CIMNamespaceName& nameSpace,
    const CIMName& className,
    const Array<CIMKeyBinding>& keyBindings)
{
    checkHost(host);
    Array<CIMKeyBinding> keys = normalizeKeyBindings(keyBindings);
    _host = host;
    _nameSpace = nameSpace;
    _className = className;
    _keyBindings.swap(keys);
}

// Parsed into locals first, so a failed parse leaves this path unchanged.
void CIMObjectPath::set(const String& objectName)
{
    const String& s = objectName;
    const Uint32 n = s.size();
    Uint32 pos = 0;

    String host;
    if (n >= 2 && s[0] == '/' && s[1] == '/')
    {
        Uint32 slash = s.find(2, Char16('/'));
        if (slash == PEG_NOT_FOUND)
            throwMalformed(s, "missing slash after hostname");
        host = s.subString(2, slash - 2);
        if (!validHost(host))
            throwMalformed(s, "invalid hostname");
        pos = slash + 1;
    }

    // A ':' after the first '.' belongs to a key value, not a namespace.
    CIMNamespaceName nameSpace;
    Uint32 colon = s.find(pos, Char16(':'));
    Uint32 dot = s.find(pos, Char16('.'));
    if (colon != PEG_NOT_FOUND && (dot == PEG_NOT_FOUND || colon < dot))
    {
        String ns = s.subString(pos, colon - pos);
        if (!CIMNamespaceName::legal(ns))
            throwMalformed(s, "invalid namespace name");
        nameSpace = ns;
        pos = colon + 1;
        dot = s.find(pos, Char16('.'));
    }
    else if (host.size() != 0)
        throwMalformed(s, "host specified, missing namespace");

    String className = s.subString(pos, dot == PEG_NOT_FOUND ? PEG_NOT_FOUND : dot - pos);
    if (!CIMName::legal(className))
        throwMalformed(s, String("class name ") + className + " not a legal CIM name");

    Array<CIMKeyBinding> keys;
    if (dot != PEG_NOT_FOUND)
        keys = parseKeyBindings(s, dot + 1);

    set(host, nameSpace, CIMName(className), keys);
}

void CIMObjectPath::setHost(const String& host)
{
    checkHost(host);
    _host = host;
}

void CIMObjectPath::setNameSpace(const CIMNamespaceName& nameSpace)
{
    _nameSpace = nameSpace;
}

void CIMObjectPath::setClassName(const CIMName& className)
{
    _className = className;
}

void CIMObjectPath::setKeyBindings(const Array<CIMKeyBinding>& keyBindings)
{
    _keyBindings = normalizeKeyBindings(keyBindings);
}

String CIMObjectPath::toString() const
{
    String out;
    if (_host.size() != 0)
    {
        out.append("//");
        out.append(_host);
        out.append(Char16('/'));
    }
    if (!_nameSpace.isNull() || _host.size() != 0)
    {
        out.append(_nameSpace.getString());
        out.append(Char16(':'));
    }
    out.append(_className.getString());
    for (Uint32 i = 0; i < _keyBindings.size(); i++)
    {
        const CIMKeyBinding& kb = _keyBindings[i];
        out.append(Char16(i == 0 ? '.' : ','));
        out.append(kb.getName().getString());
        out.append(Char16('='));
        if (kb.getType() == CIMKeyBinding::STRING ||
            kb.getType() == CIMKeyBinding::REFERENCE)
            appendQuoted(out, kb.getValue());
        else
            out.append(kb.getValue());
    }
    return out;
}

Boolean CIMObjectPath::identical(const CIMObjectPath& x) const
{
    if (!String::equalNoCase(_host, x._host) || !_nameSpace.equal(x._nameSpace) ||
        !_className.equal(x._className) ||
        _keyBindings.size() != x._keyBindings.size())
        return false;
    for (Uint32 i = 0; i < _keyBindings.size(); i++)
    {
        if (!(_keyBindings[i] == x._keyBindings[i]))
            return false;
    }
    return true;
}

// FNV-1a over the code units of the canonical text.
Uint32 CIMObjectPath::makeHashCode() const
{
    String text = canonicalText(*this);
    Uint32 h = 2166136261u;
    for (Uint32 i = 0, n = text.size(); i < n; i++)
    {
        Uint16 c = text[i];
        h = (h ^ (c & 0xFF)) * 16777619u;
        h = (h ^ (c >> 8)) * 16777619u;
    }
    return h;
}

Boolean operator==(const CIMObjectPath& x, const CIMObjectPath& y)
{
    return x.identical(y);
}

Boolean operator!=(const CIMObjectPath& x, const CIMObjectPath& y)
{
    return !x.identical(y);
}

PEGASUS_NAMESPACE_END
