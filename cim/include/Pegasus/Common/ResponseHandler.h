// The response handlers through which a provider hands its results to the
// server.  All are abstract; the server implements them.
//
// Protocol for a provider: call processing() once, then any number of
// deliver*() calls, then complete() once.  A handler is used only for the
// duration of the provider call it was passed to and only by that call's
// thread (or threads the provider joins before returning).
#ifndef Pegasus_ResponseHandler_h
#define Pegasus_ResponseHandler_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/CIMIndication.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/OperationContext.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE ResponseHandler
{
public:
    virtual ~ResponseHandler();

    virtual void processing() = 0;
    virtual void complete() = 0;

    // Sets the context the server reads back (e.g. content languages).
    void setContext(const OperationContext& context);

protected:
    ResponseHandler();
    ResponseHandler(const ResponseHandler& handler);
    ResponseHandler& operator=(const ResponseHandler& handler);

    OperationContext getContext() const;

private:
    OperationContext _context;
};

// For getInstance and enumerateInstances.  The array form delivers each
// element in turn through the single form unless overridden.
class PEGASUS_COMMON_LINKAGE InstanceResponseHandler
    : virtual public ResponseHandler
{
public:
    virtual void deliver(const CIMInstance& instance) = 0;
    virtual void deliver(const Array<CIMInstance>& instances);
};

// For enumerateInstanceNames, createInstance, associatorNames and
// referenceNames.
class PEGASUS_COMMON_LINKAGE ObjectPathResponseHandler
    : virtual public ResponseHandler
{
public:
    virtual void deliver(const CIMObjectPath& objectPath) = 0;
    virtual void deliver(const Array<CIMObjectPath>& objectPaths);
};

// For invokeMethod: the out parameters and exactly one return value.
class PEGASUS_COMMON_LINKAGE MethodResultResponseHandler
    : virtual public ResponseHandler
{
public:
    virtual void deliverParamValue(const CIMParamValue& outParamValue) = 0;
    virtual void deliverParamValue(const Array<CIMParamValue>& outParamValues);
    virtual void deliver(const CIMValue& returnValue) = 0;
};

// For associators and references.
class PEGASUS_COMMON_LINKAGE ObjectResponseHandler
    : virtual public ResponseHandler
{
public:
    virtual void deliver(const CIMObject& object) = 0;
    virtual void deliver(const Array<CIMObject>& objects);
};

// For indication providers.
class PEGASUS_COMMON_LINKAGE IndicationResponseHandler
    : virtual public ResponseHandler
{
public:
    virtual void deliver(const CIMIndication& indication) = 0;
    virtual void deliver(const Array<CIMIndication>& indications);
    virtual void deliver(
        const OperationContext& context, const CIMIndication& indication) = 0;
    virtual void deliver(
        const OperationContext& context,
        const Array<CIMIndication>& indications);
};

PEGASUS_NAMESPACE_END

#endif
