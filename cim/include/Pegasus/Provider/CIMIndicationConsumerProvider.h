// CIMIndicationConsumerProvider: receives the indications sent to the
// destinations it is registered for (ProviderType 6, PG_ConsumerCapabilities).
//
// This server does not deliver indications; the interface exists so that
// consumer providers compile.
#ifndef Pegasus_CIMIndicationConsumerProvider_h
#define Pegasus_CIMIndicationConsumerProvider_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Provider/CIMProvider.h>
#include <Pegasus/Provider/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_PROVIDER_LINKAGE CIMIndicationConsumerProvider
    : public virtual CIMProvider
{
public:
    CIMIndicationConsumerProvider();
    virtual ~CIMIndicationConsumerProvider();

    // destinationPath is the path part of the destination URL the
    // indication was sent to.
    virtual void consumeIndication(
        const OperationContext& context,
        const String& destinationPath,
        const CIMInstance& indicationInstance) = 0;
};

PEGASUS_NAMESPACE_END

#endif
