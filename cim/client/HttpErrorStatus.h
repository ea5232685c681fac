// The client's answer to an HTTP status other than 200 OK: the exception
// that carries the status with the server's CIMError and PGErrorDetail
// headers.  Shared by CIMClient and the batch client.
#ifndef KTA_CIM_CLIENT_HTTPERRORSTATUS_H
#define KTA_CIM_CLIENT_HTTPERRORSTATUS_H

#include <string>

#include <Pegasus/Common/String.h>

#include "HttpTransport.h"

namespace Pegasus {

// A header value as a String: UTF-8 when it is, otherwise its ASCII
// characters with '?' for the others.
String headerText(const std::string& value);

// Throws CIMClientHTTPErrorException unless `response` is 200 OK.
void throwOnHttpErrorStatus(const HttpResponseData& response);

}  // namespace Pegasus

#endif
