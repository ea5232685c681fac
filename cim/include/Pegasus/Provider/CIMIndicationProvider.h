// CIMIndicationProvider: generates indications (ProviderType 4).
//
// enableIndications() hands the provider the handler it delivers through
// until disableIndications(); the subscription calls tell it which
// subscriptions currently want its indications.
#ifndef Pegasus_CIMIndicationProvider_h
#define Pegasus_CIMIndicationProvider_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Provider/CIMProvider.h>
#include <Pegasus/Provider/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_PROVIDER_LINKAGE CIMIndicationProvider
    : public virtual CIMProvider
{
public:
    CIMIndicationProvider();
    virtual ~CIMIndicationProvider();

    virtual void enableIndications(IndicationResponseHandler& handler) = 0;

    virtual void disableIndications() = 0;

    virtual void createSubscription(
        const OperationContext& context,
        const CIMObjectPath& subscriptionName,
        const Array<CIMObjectPath>& classNames,
        const CIMPropertyList& propertyList,
        const Uint16 repeatNotificationPolicy) = 0;

    virtual void modifySubscription(
        const OperationContext& context,
        const CIMObjectPath& subscriptionName,
        const Array<CIMObjectPath>& classNames,
        const CIMPropertyList& propertyList,
        const Uint16 repeatNotificationPolicy) = 0;

    virtual void deleteSubscription(
        const OperationContext& context,
        const CIMObjectPath& subscriptionName,
        const Array<CIMObjectPath>& classNames) = 0;
};

PEGASUS_NAMESPACE_END

#endif
