// CIMProvider: the base of every C++ provider.
//
// A provider library exports
//     extern "C" PEGASUS_EXPORT CIMProvider* PegasusCreateProvider(
//         const String& providerName);
// which returns a new provider object for a provider name it serves, and 0
// for any other name.  The server then calls initialize() once, before any
// request, and terminate() once when it is done with the provider; nothing
// follows terminate().  The server never deletes a provider: a provider
// created with new deletes itself in terminate().
//
// Requests may reach one provider on several threads at once; a provider
// protects its own state.  Anything a provider method throws is returned to
// the client: a CIMException with its code and message, any other exception
// as CIM_ERR_FAILED.
#ifndef Pegasus_CIMProvider_h
#define Pegasus_CIMProvider_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/OperationContext.h>
#include <Pegasus/Common/ResponseHandler.h>
#include <Pegasus/Provider/CIMOMHandle.h>
#include <Pegasus/Provider/ProviderException.h>
#include <Pegasus/Provider/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_PROVIDER_LINKAGE CIMProvider
{
public:
    CIMProvider();
    virtual ~CIMProvider();

    // Called once before the first request.  cimom may be copied and kept.
    // Throwing here makes the provider unusable.
    virtual void initialize(CIMOMHandle& cimom) = 0;

    // Called once, last.
    virtual void terminate() = 0;
};

PEGASUS_NAMESPACE_END

#endif
