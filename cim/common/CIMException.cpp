// CIMException keeps the message exactly as given: the status name is added
// only by the server when it writes an error response, never here.
#include <Pegasus/Common/Exception.h>

#include <Pegasus/Common/CIMInstance.h>

PEGASUS_NAMESPACE_BEGIN

CIMException::CIMException(CIMStatusCode code, const String& message)
    : Exception(message), _code(code)
{
}

CIMException::CIMException(
    CIMStatusCode code, const String& message, const CIMInstance& errorInstance)
    : Exception(message), _code(code)
{
    addError(errorInstance);
}

CIMException::CIMException(
    CIMStatusCode code,
    const String& message,
    const Array<CIMInstance>& errorInstances)
    : Exception(message), _code(code)
{
    for (Uint32 i = 0; i < errorInstances.size(); i++)
        addError(errorInstances[i]);
}

CIMException::CIMException(const CIMException& cimException)
    : Exception(cimException),
      _code(cimException._code),
      _errors(cimException._errors)
{
}

CIMException& CIMException::operator=(const CIMException& cimException)
{
    if (this != &cimException)
    {
        Exception::operator=(cimException);
        _code = cimException._code;
        _errors = cimException._errors;
    }
    return *this;
}

CIMException::~CIMException() {}

CIMStatusCode CIMException::getCode() const
{
    return _code;
}

Uint32 CIMException::getErrorCount() const
{
    return _errors.size();
}

CIMConstInstance CIMException::getError(Uint32 index) const
{
    return _errors[index];
}

// The instance is copied so that later changes through the caller's handle
// do not alter the error this exception reports.
void CIMException::addError(const CIMInstance& instance)
{
    _errors.append(instance.clone());
}

PEGASUS_NAMESPACE_END
