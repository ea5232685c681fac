// The server's side of the response handlers handed to providers: they
// collect what a provider delivers and enforce the delivery rules.
//
// Rule violations throw CIMException(CIM_ERR_FAILED) from the offending
// call, so the provider sees them (and, unless it catches them, so does the
// client):
//   delivering an uninitialized instance or parameter, or a null return
//   value                                    "The object is not initialized."
//   a second object where exactly one is due "Too many objects delivered."
//   complete() (or returning) with none      "Too few objects delivered."
//
// A handler serves one provider call.  Deliveries are serialised, so a
// provider may deliver from helper threads it joins before returning.
#ifndef KTA_CIM_DISPATCH_PROVIDERRESPONSEHANDLERS_H
#define KTA_CIM_DISPATCH_PROVIDERRESPONSEHANDLERS_H

#include <Pegasus/Common/ResponseHandler.h>

#include <mutex>

namespace Pegasus {

// For modifyInstance and deleteInstance: nothing to deliver.
class SimpleOperationHandler : public ResponseHandler
{
public:
    void processing() override {}
    void complete() override {}
};

// For getInstance (exactlyOne) and enumerateInstances.
class InstanceCollector : public InstanceResponseHandler
{
public:
    explicit InstanceCollector(bool exactlyOne) : _exactlyOne(exactlyOne) {}

    void processing() override {}
    void complete() override;
    void deliver(const CIMInstance& instance) override;
    void deliver(const Array<CIMInstance>& instances) override;

    // Call after the provider returned: applies the count check of
    // complete() if the provider never called it.  Returns what was
    // delivered.
    Array<CIMInstance> finish();

private:
    void checkCount() const;

    std::mutex _mutex;
    bool _exactlyOne;
    bool _completed = false;
    Array<CIMInstance> _instances;
};

// For enumerateInstanceNames and createInstance (exactlyOne).
class ObjectPathCollector : public ObjectPathResponseHandler
{
public:
    explicit ObjectPathCollector(bool exactlyOne) : _exactlyOne(exactlyOne) {}

    void processing() override {}
    void complete() override;
    void deliver(const CIMObjectPath& path) override;
    void deliver(const Array<CIMObjectPath>& paths) override;

    // As InstanceCollector::finish().
    Array<CIMObjectPath> finish();

private:
    void checkCount() const;

    std::mutex _mutex;
    bool _exactlyOne;
    bool _completed = false;
    Array<CIMObjectPath> _paths;
};

// For associators and references: any number of classes or instances.
class ObjectCollector : public ObjectResponseHandler
{
public:
    void processing() override {}
    void complete() override {}
    void deliver(const CIMObject& object) override;
    void deliver(const Array<CIMObject>& objects) override;

    Array<CIMObject> finish();

private:
    std::mutex _mutex;
    Array<CIMObject> _objects;
};

// For invokeMethod.  A later return value replaces an earlier one.
class MethodResultCollector : public MethodResultResponseHandler
{
public:
    void processing() override {}
    void complete() override {}
    void deliverParamValue(const CIMParamValue& outParamValue) override;
    void deliverParamValue(const Array<CIMParamValue>& outParamValues) override;
    void deliver(const CIMValue& returnValue) override;

    const CIMValue& returnValue() const { return _returnValue; }
    const Array<CIMParamValue>& outParameters() const { return _outParameters; }

private:
    std::mutex _mutex;
    CIMValue _returnValue;
    Array<CIMParamValue> _outParameters;
};

}  // namespace Pegasus

#endif
