// Per-operation timing statistics of CIMClient, delivered to a handler the
// application registers with CIMClient::registerClientOpPerformanceDataHandler.
#ifndef Pegasus_ClientOpPerformanceDataHandler_h
#define Pegasus_ClientOpPerformanceDataHandler_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/CIMOperationType.h>
#include <Pegasus/Client/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

// Times in microseconds.
struct PEGASUS_CLIENT_LINKAGE ClientOpPerformanceData
{
    // The operation that was timed (as sent on the wire: getProperty is
    // timed as the GetInstance it issues).
    CIMOperationType operationType;
    // True when the server reported its own processing time
    // (WBEMServerResponseTime header); serverTime is 0 otherwise.
    Boolean serverTimeKnown;
    Uint64 serverTime;
    // roundTripTime minus serverTime (the whole round trip when the server
    // time is unknown).
    Uint64 networkTime;
    // From sending the request to having read the whole response.
    Uint64 roundTripTime;
};

// Implemented by the application.  handleClientOpPerformanceData is called
// on the thread that ran the operation, after the response was received and
// before the operation returns; it should not throw.
class PEGASUS_CLIENT_LINKAGE ClientOpPerformanceDataHandler
{
public:
    virtual ~ClientOpPerformanceDataHandler() {}
    virtual void handleClientOpPerformanceData(
        const ClientOpPerformanceData& item) = 0;
};

PEGASUS_NAMESPACE_END

#endif
