// Exceptions that the API's own code raises for programming and input
// errors outside the public set of Exception.h.
#ifndef Pegasus_InternalException_h
#define Pegasus_InternalException_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/Exception.h>

PEGASUS_NAMESPACE_BEGIN

// "null pointer"
class PEGASUS_COMMON_LINKAGE NullPointer : public Exception
{
public:
    NullPointer();
};

// "no such property: <propertyName>"
class PEGASUS_COMMON_LINKAGE NoSuchProperty : public Exception
{
public:
    NoSuchProperty(const String& propertyName);
};

// "no such file: <file>"
class PEGASUS_COMMON_LINKAGE NoSuchFile : public Exception
{
public:
    NoSuchFile(const String& file);
};

// "cannot open file: <path>"
class PEGASUS_COMMON_LINKAGE CannotOpenFile : public Exception
{
public:
    CannotOpenFile(const String& path);
};

// "undeclared qualifier: <qualifierName>"
class PEGASUS_COMMON_LINKAGE UndeclaredQualifier : public Exception
{
public:
    UndeclaredQualifier(const String& qualifierName);
};

// "qualifier invalid in this scope: <qualifierName>"
class PEGASUS_COMMON_LINKAGE BadQualifierScope : public Exception
{
public:
    BadQualifierScope(const String& qualifierName, const String& scopeString);
};

// "qualifier not overridable: <qualifierName>"
class PEGASUS_COMMON_LINKAGE BadQualifierOverride : public Exception
{
public:
    BadQualifierOverride(const String& qualifierName);
};

// "CIMType of qualifier different than its declaration: <qualifierName>"
class PEGASUS_COMMON_LINKAGE BadQualifierType : public Exception
{
public:
    BadQualifierType(const String& qualifierName);
};

// "invalid language tag: <tag>"
class PEGASUS_COMMON_LINKAGE InvalidLanguageTag : public Exception
{
public:
    InvalidLanguageTag(const String& tag);
};

// "invalid Accept-Language header: <message>"
class PEGASUS_COMMON_LINKAGE InvalidAcceptLanguageHeader : public Exception
{
public:
    InvalidAcceptLanguageHeader(const String& message);
};

// "invalid Content-Language header: <message>"
class PEGASUS_COMMON_LINKAGE InvalidContentLanguageHeader : public Exception
{
public:
    InvalidContentLanguageHeader(const String& message);
};

PEGASUS_NAMESPACE_END

#endif
