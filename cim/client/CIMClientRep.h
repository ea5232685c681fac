#ifndef KTA_CIM_CLIENT_CIMCLIENTREP_H
#define KTA_CIM_CLIENT_CIMCLIENTREP_H

// The state behind a CIMClient and the one path every operation takes:
// encode the request, send it over the transport, check the HTTP response,
// decode the CIM-XML body, and turn every failure into the exception the
// caller expects.  Internal to libpegclient.

#include "HttpTransport.h"

#include "CimXmlMessages.h"

#include <Pegasus/Client/CIMEnumerationContext.h>
#include <Pegasus/Client/ClientOpPerformanceDataHandler.h>
#include <Pegasus/Common/AcceptLanguageList.h>
#include <Pegasus/Common/ContentLanguageList.h>
#include <Pegasus/Common/String.h>

#include <memory>
#include <string>

namespace Pegasus {

// Decodes the body of a CIM response while it arrives, when the response's
// header promises one (status 200, CIMOperation: MethodResponse, an XML
// content type); other bodies are collected for the usual checks.  A
// decoding error is kept until the HTTP checks have had their say, and the
// rest of the body is still read, so that the connection stays usable.
class CimResponseSink : public HttpBodySink
{
public:
    bool begin(const HttpResponseData& head) override;
    void write(const char* data, std::size_t size) override;

    // True when the last response's body went to the decoder.
    bool decoding() const { return _stream != nullptr; }

    // The decoded response.  Throws CimXmlException as
    // CimXmlResponseDecoder::decode does.
    CimXmlResponse finish();

private:
    std::unique_ptr<CimXmlResponseStream> _stream;
    std::unique_ptr<CimXmlException> _error;
};

class CIMClientRep
{
public:
    CIMClientRep();

    Uint32 timeoutMilliseconds;
    AcceptLanguageList requestAcceptLanguages;
    ContentLanguageList requestContentLanguages;
    ContentLanguageList responseContentLanguages;
    ClientOpPerformanceDataHandler* performanceHandler;

    bool isConnected() const { return _connected; }

    // Connects over TCP (empty host: "localhost").  Throws
    // AlreadyConnectedException, CannotConnectException,
    // InvalidLocatorException.
    void connectTcp(const String& host, Uint32 port, const String& userName,
                    const String& password);

    // Connects to the local socket under PEGASUS_HOME.  Throws
    // AlreadyConnectedException, CannotConnectException.
    void connectLocal();

    void disconnect();

    // A fresh message ID for the next request.
    std::string nextMessageId();

    // Sends the request (encoded with messageId) and returns the decoded
    // response, which is known to answer this request (same message ID and
    // method) and to carry no CIM error.  Throws the exceptions listed in
    // CIMClient.h.
    CimXmlResponse execute(const std::string& messageId,
                           const CimXmlRequest& request);

    // The pull operations' use of a CIMEnumerationContext (CIMClientPull.cpp).
    // An open call's response: the context string and end of sequence it
    // carries go into the handle.
    static void beginEnumeration(CIMEnumerationContext& context,
                                 const CIMNamespaceName& nameSpace,
                                 const CimXmlResponse& response,
                                 Boolean& endOfSequence);
    // A pull's response, likewise.
    static void continueEnumeration(CIMEnumerationContext& context,
                                    const CimXmlResponse& response,
                                    Boolean& endOfSequence);
    // The namespace and context string of an open enumeration; throws
    // CIMException(CIM_ERR_INVALID_ENUMERATION_CONTEXT) when none is open.
    static const CIMNamespaceName& openNameSpace(const CIMEnumerationContext& context,
                                                 String& contextString);

private:
    void connectTo(const HttpTarget& target);
    HttpRequestData buildHttpRequest(const CimXmlRequest& request) const;
    HttpResponseData send(const HttpRequestData& request,
                          CimResponseSink& sink);
    void checkHttpResponse(const HttpResponseData& response);
    CimXmlResponse decodeBody(const std::string& messageId,
                              const CimXmlRequest& request,
                              const HttpResponseData& response,
                              CimResponseSink& sink);
    void reportTimes(const CimXmlRequest& request,
                     const HttpResponseData& response, Uint64 roundTripUs);

    HttpTransport _transport;
    bool _connected;
    std::string _hostHeader;
    std::string _userName;
    std::string _password;
    bool _sendCredentials;
    Uint64 _messageCounter;
};

} // namespace Pegasus

#endif
