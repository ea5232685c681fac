// CIMMethodProvider: serves the extrinsic methods of the classes it is
// registered for (ProviderType 5).
//
// objectReference is the complete path of the target: host, namespace,
// class and, for a method of an instance, its keys (a static method gets a
// class path).  In-parameters arrive typed.  The provider delivers its out
// parameters with deliverParamValue() and exactly one non-null return value
// with deliver().
#ifndef Pegasus_CIMMethodProvider_h
#define Pegasus_CIMMethodProvider_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Provider/CIMProvider.h>
#include <Pegasus/Provider/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_PROVIDER_LINKAGE CIMMethodProvider : public virtual CIMProvider
{
public:
    CIMMethodProvider();
    virtual ~CIMMethodProvider();

    virtual void invokeMethod(
        const OperationContext& context,
        const CIMObjectPath& objectReference,
        const CIMName& methodName,
        const Array<CIMParamValue>& inParameters,
        MethodResultResponseHandler& handler) = 0;
};

PEGASUS_NAMESPACE_END

#endif
