#ifndef KTA_CIM_CLIENT_CIMBATCHCLIENT_H
#define KTA_CIM_CLIENT_CIMBATCHCLIENT_H

// Several CIM operations in one round trip: a multiple-operation request
// (MESSAGE/MULTIREQ, with the CIMBatch header) over a connection of its own
// to the server's local socket.  Internal to the CIM stack's tools (cimmof);
// not part of the client API.
//
// Not thread-safe, except that nextMessageId() may be called while
// execute() runs on another thread.

#include "HttpTransport.h"

#include "CimXmlMessages.h"

#include <Pegasus/Common/CIMStatusCode.h>

#include <atomic>
#include <string>
#include <vector>

namespace Pegasus {

class CimBatchClient
{
public:
    explicit CimBatchClient(Uint32 timeoutMilliseconds = 20000);

    // Connects to the local socket under PEGASUS_HOME.  Throws
    // CannotConnectException.
    void connectLocal();

    // With stopOnError, the server runs the calls only up to the first one
    // that fails with a status code not in `continueOnCodes`; the answers
    // of the calls after it then carry an error too, although they were not
    // executed (the caller knows which: those after the first failure with
    // another code).
    void setStopOnError(bool stopOnError, std::vector<CIMStatusCode> continueOnCodes);

    // A message ID for a call to be passed to execute().
    std::string nextMessageId();

    // Sends the calls (built with CimXmlRequestEncoder) and returns one
    // response per call, in order; a call's CIM error is its response's
    // ERROR (CimXmlResponse::hasError).  A single call goes as a simple
    // request.  Throws CIMClientHTTPErrorException, CIMClientXmlException,
    // CIMClientResponseException, CIMClientMalformedHTTPException,
    // ConnectionTimeoutException or CannotConnectException when the
    // exchange as a whole fails: what the server did is then unknown.
    std::vector<CimXmlResponse> execute(const std::vector<CimXmlRequest>& calls);

private:
    HttpResponseData send(const HttpRequestData& request);

    HttpTransport _transport;
    Uint32 _timeoutMilliseconds;
    bool _stopOnError = false;
    std::string _continueOnCodes;
    std::atomic<Uint64> _messageCounter{1};
};

} // namespace Pegasus

#endif
