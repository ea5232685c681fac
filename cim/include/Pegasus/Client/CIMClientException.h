// Exceptions CIMClient throws when the server's HTTP response cannot be used.
// All derive directly from Exception; getMessage() texts are fixed English
// texts as described per class.  Connection problems use the exceptions of
// <Pegasus/Common/Exception.h> (CannotConnectException,
// ConnectionTimeoutException, ...); CIM errors reported by the server are
// plain CIMException.
#ifndef Pegasus_CIMClientException_h
#define Pegasus_CIMClientException_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Client/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

// The response is not usable HTTP, or lacks the CIM headers.  The message is
// the one given, e.g. "Connection closed by CIM Server.",
// "Malformed HTTP response message.", "Missing CIMOperation HTTP header".
class PEGASUS_CLIENT_LINKAGE CIMClientMalformedHTTPException
    : public Exception
{
public:
    CIMClientMalformedHTTPException(const String& message);
};

// The server answered with an HTTP status other than 200.
//
// getMessage(): "HTTP Error (<code> <reason>)" (just "(<code>)" without a
// reason phrase); when cimError or cimErrorDetail is non-empty, ":" follows,
// then ' CIMError = "<cimError>"' and ' Detail = "<cimErrorDetail>"' for
// the non-empty ones; the message ends with ".".  Example:
// HTTP Error (400 Bad Request): CIMError = "request-not-valid".
class PEGASUS_CLIENT_LINKAGE CIMClientHTTPErrorException : public Exception
{
public:
    CIMClientHTTPErrorException(
        Uint32 httpStatusCode,
        const String& reasonPhrase,
        const String& cimError,
        const String& cimErrorDetail);
    CIMClientHTTPErrorException(
        Uint32 httpStatusCode,
        const String& cimError,
        const String& cimErrorDetail);
    CIMClientHTTPErrorException(const CIMClientHTTPErrorException& e);
    CIMClientHTTPErrorException& operator=(
        const CIMClientHTTPErrorException& e);
    virtual ~CIMClientHTTPErrorException();

    // The HTTP status code.
    Uint32 getCode() const;
    // The CIMError header of the response (empty if none).
    String getCIMError() const;
    // The error detail the server sent (empty if none).
    String getCIMErrorDetail() const;

private:
    Uint32 _httpStatusCode;
    String _reasonPhrase;
    String _cimError;
    String _cimErrorDetail;
};

// The response body is not well-formed XML or not valid CIM-XML.  The
// message is the one given.
class PEGASUS_CLIENT_LINKAGE CIMClientXmlException : public Exception
{
public:
    CIMClientXmlException(const String& message);
};

// The response is well-formed but not what was asked for: a different
// message ID or operation, or a value that cannot be decoded.  The message
// is the one given.
class PEGASUS_CLIENT_LINKAGE CIMClientResponseException : public Exception
{
public:
    CIMClientResponseException(const String& message);
};

PEGASUS_NAMESPACE_END

#endif
