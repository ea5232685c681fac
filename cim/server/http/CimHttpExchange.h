// The CIM-over-HTTP rules of the server's front end, apart from any socket:
// which requests are accepted, what a rejected one is answered, and the exact
// bytes around a response body.  Internal to peghttpserver.
//
// Everything here is stateless and may be called from any number of threads
// at once.
#ifndef KTA_CIM_SERVER_HTTP_CIMHTTPEXCHANGE_H
#define KTA_CIM_SERVER_HTTP_CIMHTTPEXCHANGE_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "CimXmlMessages.h"
#include "RequestProcessor.h"

namespace Pegasus {

// An answer that ends an exchange before (or instead of) the processor: a
// status line, optionally CIMError and PGErrorDetail, and no body.  Having no
// body and no length, the answer is delimited by the end of the connection,
// so the connection is always closed after it.
struct HttpRejection
{
    unsigned status = 400;
    std::string reason = "Bad Request";
    std::string cimError;     // CIMError value; empty: no such header
    std::string detail;       // PGErrorDetail, plain text; empty: no header
    std::string extraFields;  // complete "Name: value\r\n" lines, if any
};

// The header fields of a request that the checks look at, as received.
// A field that is absent is std::nullopt; with repeated fields the first one
// counts.  The views must stay valid while the struct is used.
struct CimHttpRequestHead
{
    std::string_view method;  // "POST", "M-POST", "GET", ...
    std::optional<std::string_view> cimOperation;
    std::optional<std::string_view> cimMethod;
    std::optional<std::string_view> cimObject;
    std::optional<std::string_view> cimProtocolVersion;
    // Present (any value) on a multiple-operation request, which then
    // carries neither CIMMethod nor CIMObject.
    std::optional<std::string_view> cimBatch;
    // Our own extension for multiple-operation requests: stop at the first
    // call that fails with a status code not in this comma-separated list
    // (see CimXmlRequestMessage::stopOnError).
    std::optional<std::string_view> batchStopOnError;
};

// Checks what can be judged from the header fields alone, in this order: the
// HTTP method (405, or 501 for M-POST, which a client may then retry as
// POST), CIMOperation (must be MethodCall), CIMProtocolVersion (1.x if
// present, else 501 with unsupported-protocol-version), CIMMethod present, CIMObject present -- or, with CIMBatch,
// both absent.  Returns the answer for the first failed check, nothing when
// all pass.
std::optional<HttpRejection> checkRequestHead(const CimHttpRequestHead& head);

// Decodes the body and checks it against the header fields: a body that is
// not well-formed XML gives request-not-well-formed (with the XML error and
// its line), one that is not a CIM request gives request-not-valid.  Then
// the versions: a CIMVERSION or DTDVERSION whose major number is not 2
// gives "501 Not Implemented" with unsupported-cim-version or
// unsupported-dtd-version, a PROTOCOLVERSION whose major number is not 1
// the same with unsupported-protocol-version (an absent CIMVERSION or
// DTDVERSION is let pass).  Then CIMMethod and the namespace in CIMObject
// must match the request.  With
// CIMBatch the body must be a multiple-operation request (MULTIREQ; see
// CimXmlRequestMessage::calls), without it a simple one: a body of the
// other kind gives header-mismatch.  On success fills `request` and returns
// nothing.  Never throws except std::bad_alloc.
std::optional<HttpRejection> decodeRequestBody(
    const CimHttpRequestHead& head, const char* data, std::size_t size,
    const CimXmlLimits& limits, CimXmlRequestMessage& request);

// The user name and password of an Authorization field value of the Basic
// scheme ("Basic " + base64 of "user:password"; the scheme name in any
// case).  False for another scheme, bad base64, or no ':'.
bool parseBasicCredentials(std::string_view authorization, std::string& user,
                           std::string& password);

// The answer to a request without acceptable credentials: 401 with a Basic
// challenge for `realm`.
HttpRejection unauthorized(const std::string& realm);

// The bytes of a rejection, as written on the wire.
std::string formatRejection(const HttpRejection& rejection);

// True when a TE field value lists "trailers" (any case, parameters
// ignored): the client then gets chunked responses with status trailers.
bool teAcceptsTrailers(std::string_view te);

// How a processed request is answered: `head` goes before the body, `tail`
// after it (both may be empty of body-related framing).  Keeping the three
// parts apart lets a large body be written without being copied.
struct CimResponseFrame
{
    std::string head;
    std::string body;
    std::string tail;
};

// Frames the outcome of `request`.  With `chunked` (the client accepts
// trailers): one data chunk and the CIMStatusCode / CIMStatusCodeDescription
// trailers for a failure, an empty last chunk for a success.  Otherwise a
// ten-digit content-length, and a failure becomes an ERROR element.  With
// `close` the answer announces that the connection ends after it.  Moves the
// outcome's body into the frame.  A failed multiple-operation request is
// answered with a MULTIRSP in which every call carries that failure.
CimResponseFrame frameOutcome(const CimXmlRequestMessage& request,
                              OperationOutcome&& outcome, bool chunked,
                              bool close);

// An answer whose body is sent in chunks while it is produced.  Its head:
// the same fields as a chunked framed answer (the Trailer field only when
// the client accepts trailers), Connection: close with `close`.
std::string streamedResponseHead(bool trailers, bool close);

// Appends the size line of a data chunk of `size` bytes (not 0); the data
// and "\r\n" follow it.
void appendChunkSize(std::string& out, std::size_t size);

// Appends the last chunk of a streamed answer that succeeded.
void appendLastChunk(std::string& out);

// Appends the last chunk of a streamed answer whose operation failed after
// it began, with the CIMStatusCode / CIMStatusCodeDescription trailers (for
// a client that accepts trailers).  `description` as in OperationOutcome.
void appendFailedLastChunk(std::string& out, CIMStatusCode code,
                           const String& description);

}  // namespace Pegasus

#endif
