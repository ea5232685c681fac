// Messages of the API's exceptions.  The texts are fixed: callers and
// remote peers compare them, so each one is spelled exactly as the API has
// always spelled it, odd spacing and spelling included.
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/InternalException.h>

PEGASUS_NAMESPACE_BEGIN

Exception::Exception() {}

Exception::Exception(const String& message) : _message(message) {}

Exception::Exception(const Exception& exception)
    : _message(exception._message),
      _contentLanguages(exception._contentLanguages)
{
}

Exception::~Exception() {}

Exception& Exception::operator=(const Exception& exception)
{
    if (this != &exception)
    {
        _message = exception._message;
        _contentLanguages = exception._contentLanguages;
    }
    return *this;
}

const String& Exception::getMessage() const
{
    return _message;
}

const ContentLanguageList& Exception::getContentLanguages() const
{
    return _contentLanguages;
}

void Exception::setContentLanguages(const ContentLanguageList& langs)
{
    _contentLanguages = langs;
}

void ArrayThrowIndexOutOfBoundsException()
{
    throw IndexOutOfBoundsException();
}

IndexOutOfBoundsException::IndexOutOfBoundsException()
    : Exception("index out of bounds") {}

AlreadyExistsException::AlreadyExistsException(const String& message)
    : Exception(String("already exists: ") + message) {}

InvalidNameException::InvalidNameException(const String& name)
    : Exception(String("The CIM name is not valid: ") + name) {}

InvalidNamespaceNameException::InvalidNamespaceNameException(const String& name)
    : Exception(String("invalid CIM namespace name: ") + name) {}

UninitializedObjectException::UninitializedObjectException()
    : Exception("uninitialized object") {}

TypeMismatchException::TypeMismatchException()
    : Exception("type mismatch") {}

TypeMismatchException::TypeMismatchException(const String& message)
    : Exception(String("type mismatch: ") + message) {}

DynamicCastFailedException::DynamicCastFailedException()
    : Exception("dynamic cast failed") {}

InvalidDateTimeFormatException::InvalidDateTimeFormatException()
    : Exception("invalid datetime format") {}

DateTimeOutOfRangeException::DateTimeOutOfRangeException(const String& message)
    : Exception(String("DateTime is out of range : ") + message) {}

MalformedObjectNameException::MalformedObjectNameException(
    const String& objectName)
    : Exception(String("malformed object name: ") + objectName) {}

BindFailedException::BindFailedException(const String& message)
    : Exception(String("Bind failed: ") + message) {}

InvalidLocatorException::InvalidLocatorException(const String& locator)
    : Exception(String("Invalid locator: ") + locator) {}

CannotCreateSocketException::CannotCreateSocketException()
    : Exception("Cannot create socket") {}

CannotConnectException::CannotConnectException(const String& message)
    : Exception(message) {}

AlreadyConnectedException::AlreadyConnectedException()
    : Exception("already connected") {}

NotConnectedException::NotConnectedException()
    : Exception("not connected") {}

ConnectionTimeoutException::ConnectionTimeoutException()
    : Exception("connection timed out") {}

InvalidEnumerationContextException::InvalidEnumerationContextException()
    : Exception("Invalid Enumeration Context, uninitilialized") {}

SSLException::SSLException(const String& message)
    : Exception(String("SSL Exception: ") + message) {}

// ------------------------------------------------------- InternalException.h

NullPointer::NullPointer() : Exception("null pointer") {}

NoSuchProperty::NoSuchProperty(const String& propertyName)
    : Exception(String("no such property: ") + propertyName) {}

NoSuchFile::NoSuchFile(const String& file)
    : Exception(String("no such file: ") + file) {}

CannotOpenFile::CannotOpenFile(const String& path)
    : Exception(String("cannot open file: ") + path) {}

UndeclaredQualifier::UndeclaredQualifier(const String& qualifierName)
    : Exception(String("undeclared qualifier: ") + qualifierName) {}

BadQualifierScope::BadQualifierScope(
    const String& qualifierName, const String& scopeString)
    : Exception(String("qualifier invalid in this scope: ") + qualifierName +
                " scope=" + scopeString) {}

BadQualifierOverride::BadQualifierOverride(const String& qualifierName)
    : Exception(String("qualifier not overridable: ") + qualifierName) {}

BadQualifierType::BadQualifierType(const String& qualifierName)
    : Exception(
          String("CIMType of qualifier different than its declaration: ") +
          qualifierName) {}

InvalidLanguageTag::InvalidLanguageTag(const String& tag)
    : Exception(String("invalid language tag: ") + tag) {}

InvalidAcceptLanguageHeader::InvalidAcceptLanguageHeader(const String& message)
    : Exception(String("invalid Accept-Language header: ") + message) {}

InvalidContentLanguageHeader::InvalidContentLanguageHeader(
    const String& message)
    : Exception(String("invalid Content-Language header: ") + message) {}

PEGASUS_NAMESPACE_END
