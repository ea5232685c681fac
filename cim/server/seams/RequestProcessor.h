// The seam between the server's HTTP front end and what executes CIM
// operations.  The front end decodes a request document, hands it to a
// RequestProcessor and frames whatever comes back; it never looks inside.
#ifndef KTA_CIM_SERVER_REQUESTPROCESSOR_H
#define KTA_CIM_SERVER_REQUESTPROCESSOR_H

#include <string>

#include <Pegasus/Common/CIMStatusCode.h>
#include <Pegasus/Common/String.h>

#include "CimXmlMessages.h"

namespace Pegasus {

// The result of one operation request.
//
// On success `body` holds the complete response document (MESSAGE/SIMPLERSP).
// On failure `code` and `description` hold the CIM error; `description` is
// what the client is to see, already prefixed with the status name
// ("CIM_ERR_NOT_FOUND: no such disk", or just "CIM_ERR_NOT_FOUND" when there
// was no message).  The front end sends a failure either as an ERROR element
// or, when the client asked for trailers, as an empty response with the
// CIMStatusCode / CIMStatusCodeDescription trailers.
struct OperationOutcome
{
    bool failed = false;
    std::string body;
    CIMStatusCode code = CIM_ERR_SUCCESS;
    String description;
};

class RequestProcessor
{
public:
    virtual ~RequestProcessor() {}

    // Executes one decoded request.  Called concurrently from the server's
    // worker threads; implementations must be thread-safe.  Must not throw:
    // every failure becomes a failed outcome.
    virtual OperationOutcome process(const CimXmlRequestMessage& request) = 0;
};

}  // namespace Pegasus

#endif
