// The seam between the server's HTTP front end and what executes CIM
// operations.  The front end decodes a request document, hands it to a
// RequestProcessor and frames whatever comes back; it never looks inside.
#ifndef KTA_CIM_SERVER_REQUESTPROCESSOR_H
#define KTA_CIM_SERVER_REQUESTPROCESSOR_H

#include <cstddef>
#include <memory>
#include <string>

#include <Pegasus/Common/CIMStatusCode.h>
#include <Pegasus/Common/String.h>

#include "CimXmlMessages.h"

namespace Pegasus {

// The rest of a response document that is written piece by piece while
// it is sent, so that a large answer never has to be held whole.  The front
// end asks for the next piece whenever it has sent the previous one.
// Used from one thread at a time, not necessarily always the same one.
class ResponseBodyProducer
{
public:
    virtual ~ResponseBodyProducer() {}

    enum Status
    {
        MORE,    // a piece was appended; more follows
        DONE,    // the last piece (possibly empty) was appended
        FAILED   // the operation failed: see code and description
    };

    // Appends the next piece of the document to `out`: about `size` bytes,
    // more when one object does not fit, less at the end.  On FAILED,
    // whatever this call appended is to be dropped, and `code` and
    // `description` tell the error as OperationOutcome does.  Must not
    // throw.
    virtual Status next(std::string& out, std::size_t size,
                        CIMStatusCode& code, String& description) = 0;
};

// The result of one operation request.
//
// On success `body` holds the complete response document (MESSAGE/SIMPLERSP),
// or, when `producer` is set, its beginning: the producer delivers the rest.
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
    // Shared only so that outcomes stay copyable: one party drives it.
    std::shared_ptr<ResponseBodyProducer> producer;
    CIMStatusCode code = CIM_ERR_SUCCESS;
    String description;
};

// Who sent a request, as the front end established it from the connection
// (and, with authentication on, from the HTTP credentials).
struct RequestCaller
{
    // The request came over the local (Unix-domain) socket; else over TCP.
    bool local = false;
    // The user the request runs for: the local peer's user, or the user
    // that HTTP Basic authentication accepted; empty when not known.
    std::string userName;
    // The peer on the local socket is the server's own user or root.  Only
    // such a caller may change the configuration, the provider
    // registrations and the server's own namespaces, or stop the server.
    bool privileged = false;
    // The TCP peer's IP address ("127.0.0.1", "::1"); empty on the local
    // socket.
    std::string peerAddress;
};

class RequestProcessor
{
public:
    virtual ~RequestProcessor() {}

    // Executes one decoded request for `caller`.  Called concurrently from
    // the server's worker threads; implementations must be thread-safe.
    // Must not throw: every failure becomes a failed outcome.
    virtual OperationOutcome process(const CimXmlRequestMessage& request,
                                     const RequestCaller& caller) = 0;

    // Called when the server has been quiet for a while (no request in
    // progress): drops caches that later requests would rebuild, so that an
    // idle server holds little memory.  May run while a new request starts.
    virtual void releaseCaches() {}
};

}  // namespace Pegasus

#endif
