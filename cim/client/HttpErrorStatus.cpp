#include "HttpErrorStatus.h"

#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Common/Exception.h>

#include "CimXmlMessages.h"

namespace Pegasus {

String headerText(const std::string& s)
{
    try
    {
        return String(s.c_str(), static_cast<Uint32>(s.size()));
    }
    catch (const Exception&)
    {
        // Header values from the server are not guaranteed to be UTF-8;
        // keep what is plain ASCII rather than failing the operation.
        std::string ascii;
        for (unsigned char c : s)
            ascii += c < 0x80 ? char(c) : '?';
        return String(ascii.c_str());
    }
}

void throwOnHttpErrorStatus(const HttpResponseData& response)
{
    if (response.status == 200)
        return;
    const std::string* cimError = response.field("CIMError");
    const std::string* detail = response.field("PGErrorDetail");
    throw CIMClientHTTPErrorException(
        response.status, headerText(response.reason),
        cimError ? headerText(*cimError) : String(),
        detail ? headerText(cimXmlPercentDecode(*detail)) : String());
}

}  // namespace Pegasus
