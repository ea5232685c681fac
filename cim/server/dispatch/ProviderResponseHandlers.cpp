#include "ProviderResponseHandlers.h"

#include <Pegasus/Common/Exception.h>

namespace Pegasus {

namespace {

CIMException notInitialized()
{
    return CIMException(CIM_ERR_FAILED, "The object is not initialized.");
}

CIMException tooMany()
{
    return CIMException(CIM_ERR_FAILED, "Too many objects delivered.");
}

CIMException tooFew()
{
    return CIMException(CIM_ERR_FAILED, "Too few objects delivered.");
}

}  // namespace

// ---- InstanceCollector -----------------------------------------------------

void InstanceCollector::complete()
{
    std::lock_guard<std::mutex> lock(_mutex);
    _completed = true;
    checkCount();
}

void InstanceCollector::deliver(const CIMInstance& instance)
{
    if (instance.isUninitialized())
        throw notInitialized();
    std::lock_guard<std::mutex> lock(_mutex);
    if (_exactlyOne && _instances.size() != 0)
        throw tooMany();
    _instances.append(instance);
}

// The array form is checked element by element, so that a getInstance
// provider delivering an array of two fails like one delivering twice.
void InstanceCollector::deliver(const Array<CIMInstance>& instances)
{
    for (Uint32 i = 0; i < instances.size(); i++)
        deliver(instances[i]);
}

Array<CIMInstance> InstanceCollector::finish()
{
    std::lock_guard<std::mutex> lock(_mutex);
    if (!_completed)
        checkCount();
    return _instances;
}

void InstanceCollector::checkCount() const
{
    if (_exactlyOne && _instances.size() == 0)
        throw tooFew();
}

// ---- ObjectPathCollector ---------------------------------------------------

void ObjectPathCollector::complete()
{
    std::lock_guard<std::mutex> lock(_mutex);
    _completed = true;
    checkCount();
}

void ObjectPathCollector::deliver(const CIMObjectPath& path)
{
    std::lock_guard<std::mutex> lock(_mutex);
    if (_exactlyOne && _paths.size() != 0)
        throw tooMany();
    _paths.append(path);
}

void ObjectPathCollector::deliver(const Array<CIMObjectPath>& paths)
{
    for (Uint32 i = 0; i < paths.size(); i++)
        deliver(paths[i]);
}

Array<CIMObjectPath> ObjectPathCollector::finish()
{
    std::lock_guard<std::mutex> lock(_mutex);
    if (!_completed)
        checkCount();
    return _paths;
}

void ObjectPathCollector::checkCount() const
{
    if (_exactlyOne && _paths.size() == 0)
        throw tooFew();
}

// ---- ObjectCollector -------------------------------------------------------

void ObjectCollector::deliver(const CIMObject& object)
{
    if (object.isUninitialized())
        throw notInitialized();
    std::lock_guard<std::mutex> lock(_mutex);
    _objects.append(object);
}

void ObjectCollector::deliver(const Array<CIMObject>& objects)
{
    for (Uint32 i = 0; i < objects.size(); i++)
        deliver(objects[i]);
}

Array<CIMObject> ObjectCollector::finish()
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _objects;
}

// ---- MethodResultCollector -------------------------------------------------

void MethodResultCollector::deliverParamValue(const CIMParamValue& outParamValue)
{
    if (outParamValue.isUninitialized())
        throw notInitialized();
    std::lock_guard<std::mutex> lock(_mutex);
    _outParameters.append(outParamValue);
}

void MethodResultCollector::deliverParamValue(
    const Array<CIMParamValue>& outParamValues)
{
    for (Uint32 i = 0; i < outParamValues.size(); i++)
        deliverParamValue(outParamValues[i]);
}

void MethodResultCollector::deliver(const CIMValue& returnValue)
{
    if (returnValue.isNull())
        throw notInitialized();
    std::lock_guard<std::mutex> lock(_mutex);
    _returnValue = returnValue;
}

}  // namespace Pegasus
