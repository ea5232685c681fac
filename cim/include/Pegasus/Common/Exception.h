// The exceptions of the Pegasus API.  None derives from std::exception;
// catch Exception& to catch them all.  getMessage() texts are fixed English
// texts followed by the constructor's argument where one is taken.
#ifndef Pegasus_Exception_h
#define Pegasus_Exception_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/CIMStatusCode.h>
#include <Pegasus/Common/ContentLanguageList.h>
#include <Pegasus/Common/Array.h>

PEGASUS_NAMESPACE_BEGIN

class CIMInstance;
class CIMConstInstance;

class PEGASUS_COMMON_LINKAGE Exception
{
public:
    Exception(const String& message);
    Exception(const Exception& exception);
    virtual ~Exception();
    Exception& operator=(const Exception& exception);

    virtual const String& getMessage() const;

    // Languages the message is written in (empty: unspecified).
    const ContentLanguageList& getContentLanguages() const;
    void setContentLanguages(const ContentLanguageList& langs);

protected:
    Exception();
    String _message;
    ContentLanguageList _contentLanguages;
};

// "index out of bounds"
class PEGASUS_COMMON_LINKAGE IndexOutOfBoundsException : public Exception
{
public:
    IndexOutOfBoundsException();
};

// "already exists: <message>"
class PEGASUS_COMMON_LINKAGE AlreadyExistsException : public Exception
{
public:
    AlreadyExistsException(const String& message);
};

// "The CIM name is not valid: <name>"
class PEGASUS_COMMON_LINKAGE InvalidNameException : public Exception
{
public:
    InvalidNameException(const String& name);
};

// "invalid CIM namespace name: <name>"
class PEGASUS_COMMON_LINKAGE InvalidNamespaceNameException : public Exception
{
public:
    InvalidNamespaceNameException(const String& name);
};

// "uninitialized object"
class PEGASUS_COMMON_LINKAGE UninitializedObjectException : public Exception
{
public:
    UninitializedObjectException();
};

// "type mismatch" / "type mismatch: <message>"
class PEGASUS_COMMON_LINKAGE TypeMismatchException : public Exception
{
public:
    TypeMismatchException();
    TypeMismatchException(const String& message);
};

// "dynamic cast failed"
class PEGASUS_COMMON_LINKAGE DynamicCastFailedException : public Exception
{
public:
    DynamicCastFailedException();
};

// "invalid datetime format"
class PEGASUS_COMMON_LINKAGE InvalidDateTimeFormatException : public Exception
{
public:
    InvalidDateTimeFormatException();
};

// "DateTime is out of range : <message>"
class PEGASUS_COMMON_LINKAGE DateTimeOutOfRangeException : public Exception
{
public:
    DateTimeOutOfRangeException(const String& message);
};

// "malformed object name: <objectName>"
class PEGASUS_COMMON_LINKAGE MalformedObjectNameException : public Exception
{
public:
    MalformedObjectNameException(const String& objectName);
};

// "Bind failed: <message>"
class PEGASUS_COMMON_LINKAGE BindFailedException : public Exception
{
public:
    BindFailedException(const String& message);
};

// "Invalid locator: <locator>"
class PEGASUS_COMMON_LINKAGE InvalidLocatorException : public Exception
{
public:
    InvalidLocatorException(const String& locator);
};

// "Cannot create socket"
class PEGASUS_COMMON_LINKAGE CannotCreateSocketException : public Exception
{
public:
    CannotCreateSocketException();
};

// The message verbatim.
class PEGASUS_COMMON_LINKAGE CannotConnectException : public Exception
{
public:
    CannotConnectException(const String& message);
};

// "already connected"
class PEGASUS_COMMON_LINKAGE AlreadyConnectedException : public Exception
{
public:
    AlreadyConnectedException();
};

// "not connected"
class PEGASUS_COMMON_LINKAGE NotConnectedException : public Exception
{
public:
    NotConnectedException();
};

// "connection timed out"
class PEGASUS_COMMON_LINKAGE ConnectionTimeoutException : public Exception
{
public:
    ConnectionTimeoutException();
};

// "Invalid Enumeration Context, uninitilialized" (sic)
class PEGASUS_COMMON_LINKAGE InvalidEnumerationContextException
    : public Exception
{
public:
    InvalidEnumerationContextException();
};

// "SSL Exception: <message>"
class PEGASUS_COMMON_LINKAGE SSLException : public Exception
{
public:
    SSLException(const String& message);
};

// A CIM operation failure: a status code, the message exactly as given
// (nothing is prepended), and optionally embedded CIM_Error instances.
// getError() returns a CIMConstInstance: include <Pegasus/Common/CIMInstance.h>
// to use it.
class PEGASUS_COMMON_LINKAGE CIMException : public Exception
{
public:
    CIMException(
        CIMStatusCode code = CIM_ERR_SUCCESS,
        const String& message = String::EMPTY);
    CIMException(
        CIMStatusCode code,
        const String& message,
        const CIMInstance& errorInstance);
    CIMException(
        CIMStatusCode code,
        const String& message,
        const Array<CIMInstance>& errorInstances);
    CIMException(const CIMException& cimException);
    CIMException& operator=(const CIMException& cimException);
    virtual ~CIMException();

    CIMStatusCode getCode() const;

    Uint32 getErrorCount() const;
    // index >= getErrorCount() throws IndexOutOfBoundsException.
    CIMConstInstance getError(Uint32 index) const;
    void addError(const CIMInstance& instance);

private:
    CIMStatusCode _code;
    Array<CIMInstance> _errors;
};

PEGASUS_NAMESPACE_END

#endif
