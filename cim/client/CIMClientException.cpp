#include <Pegasus/Client/CIMClientException.h>

PEGASUS_NAMESPACE_BEGIN

namespace {

String httpErrorMessage(Uint32 code, const String& reason,
                        const String& cimError, const String& detail)
{
    String m("HTTP Error (");
    m.appendPrintf("%u", code);
    if (reason.size() != 0)
    {
        m.append(Char16(' '));
        m.append(reason);
    }
    m.append(Char16(')'));
    if (cimError.size() != 0 || detail.size() != 0)
    {
        m.append(Char16(':'));
        if (cimError.size() != 0)
        {
            m.append(String(" CIMError = \""));
            m.append(cimError);
            m.append(Char16('"'));
        }
        if (detail.size() != 0)
        {
            m.append(String(" Detail = \""));
            m.append(detail);
            m.append(Char16('"'));
        }
    }
    m.append(Char16('.'));
    return m;
}

} // namespace

CIMClientMalformedHTTPException::CIMClientMalformedHTTPException(
    const String& message)
    : Exception(message)
{
}

CIMClientHTTPErrorException::CIMClientHTTPErrorException(
    Uint32 httpStatusCode,
    const String& reasonPhrase,
    const String& cimError,
    const String& cimErrorDetail)
    : Exception(httpErrorMessage(httpStatusCode, reasonPhrase, cimError,
                                 cimErrorDetail)),
      _httpStatusCode(httpStatusCode),
      _reasonPhrase(reasonPhrase),
      _cimError(cimError),
      _cimErrorDetail(cimErrorDetail)
{
}

CIMClientHTTPErrorException::CIMClientHTTPErrorException(
    Uint32 httpStatusCode,
    const String& cimError,
    const String& cimErrorDetail)
    : Exception(httpErrorMessage(httpStatusCode, String(), cimError,
                                 cimErrorDetail)),
      _httpStatusCode(httpStatusCode),
      _cimError(cimError),
      _cimErrorDetail(cimErrorDetail)
{
}

CIMClientHTTPErrorException::CIMClientHTTPErrorException(
    const CIMClientHTTPErrorException& e)
    : Exception(e),
      _httpStatusCode(e._httpStatusCode),
      _reasonPhrase(e._reasonPhrase),
      _cimError(e._cimError),
      _cimErrorDetail(e._cimErrorDetail)
{
}

CIMClientHTTPErrorException& CIMClientHTTPErrorException::operator=(
    const CIMClientHTTPErrorException& e)
{
    if (this != &e)
    {
        Exception::operator=(e);
        _httpStatusCode = e._httpStatusCode;
        _reasonPhrase = e._reasonPhrase;
        _cimError = e._cimError;
        _cimErrorDetail = e._cimErrorDetail;
    }
    return *this;
}

CIMClientHTTPErrorException::~CIMClientHTTPErrorException()
{
}

Uint32 CIMClientHTTPErrorException::getCode() const
{
    return _httpStatusCode;
}

String CIMClientHTTPErrorException::getCIMError() const
{
    return _cimError;
}

String CIMClientHTTPErrorException::getCIMErrorDetail() const
{
    return _cimErrorDetail;
}

CIMClientXmlException::CIMClientXmlException(const String& message)
    : Exception(message)
{
}

CIMClientResponseException::CIMClientResponseException(const String& message)
    : Exception(message)
{
}

PEGASUS_NAMESPACE_END
