// The providers the server itself implements in root/PG_Internal:
//
//   PG_ConfigSetting    one instance per configuration property, and the
//                       method UpdatePropertyValue that cimconfig calls;
//   PG_ShutdownService  the static method shutdown that cimserver -s calls.
//
// Both are created with new and registered with
// ProviderManager::registerBuiltinProvider; terminate() deletes the object.  They may be called from several worker threads at once;
// all shared state lives in ServerConfig, which is thread-safe.
#ifndef KTA_CIM_SERVER_MAIN_BUILTINPROVIDERS_H
#define KTA_CIM_SERVER_MAIN_BUILTINPROVIDERS_H

#include <functional>

#include <Pegasus/Provider/CIMInstanceProvider.h>
#include <Pegasus/Provider/CIMMethodProvider.h>

#include "ServerConfig.h"

namespace Pegasus {

class ConfigSettingProvider : public CIMInstanceProvider,
                              public CIMMethodProvider
{
public:
    // `config` must outlive the provider.
    explicit ConfigSettingProvider(ServerConfig& config);

    void initialize(CIMOMHandle& cimom) override;
    void terminate() override;

    // Unknown property: CIMObjectNotFoundException
    // ("Configuration property \"<name>\"").
    void getInstance(const OperationContext& context,
                     const CIMObjectPath& instanceReference,
                     const Boolean includeQualifiers,
                     const Boolean includeClassOrigin,
                     const CIMPropertyList& propertyList,
                     InstanceResponseHandler& handler) override;
    // Every property, in name order.
    void enumerateInstances(const OperationContext& context,
                            const CIMObjectPath& classReference,
                            const Boolean includeQualifiers,
                            const Boolean includeClassOrigin,
                            const CIMPropertyList& propertyList,
                            InstanceResponseHandler& handler) override;
    void enumerateInstanceNames(const OperationContext& context,
                                const CIMObjectPath& classReference,
                                ObjectPathResponseHandler& handler) override;
    // The instances are synthesised: these throw CIMNotSupportedException.
    void modifyInstance(const OperationContext& context,
                        const CIMObjectPath& instanceReference,
                        const CIMInstance& instanceObject,
                        const Boolean includeQualifiers,
                        const CIMPropertyList& propertyList,
                        ResponseHandler& handler) override;
    void createInstance(const OperationContext& context,
                        const CIMObjectPath& instanceReference,
                        const CIMInstance& instanceObject,
                        ObjectPathResponseHandler& handler) override;
    void deleteInstance(const OperationContext& context,
                        const CIMObjectPath& instanceReference,
                        ResponseHandler& handler) override;

    // UpdatePropertyValue(PropertyValue, ResetValue, SetCurrentValue,
    // SetPlannedValue, TimeoutPeriod) on PG_ConfigSetting.PropertyName=...
    // Errors: CIM_ERR_NOT_FOUND for an unknown property, CIM_ERR_NOT_SUPPORTED
    // ("NonDynamic config property: <name>") for the current value of a
    // static property, CIM_ERR_FAILED ("Invalid property value:
    // <name>=<value>") for a bad value.  Returns Boolean true.
    void invokeMethod(const OperationContext& context,
                      const CIMObjectPath& objectReference,
                      const CIMName& methodName,
                      const Array<CIMParamValue>& inParameters,
                      MethodResultResponseHandler& handler) override;

private:
    CIMInstance buildInstance(const ConfigPropertyState& state,
                              const CIMObjectPath& reference) const;

    ServerConfig& _config;
};

class ShutdownServiceProvider : public CIMMethodProvider
{
public:
    // `stopServer` is called after the answer to shutdown has been handed
    // to the server; it must be safe to call from a worker thread while the
    // request is still in flight.
    explicit ShutdownServiceProvider(std::function<void()> stopServer);

    void initialize(CIMOMHandle& cimom) override;
    void terminate() override;

    // shutdown(force, timeout): returns Uint32 0, then stops the server.
    void invokeMethod(const OperationContext& context,
                      const CIMObjectPath& objectReference,
                      const CIMName& methodName,
                      const Array<CIMParamValue>& inParameters,
                      MethodResultResponseHandler& handler) override;

private:
    std::function<void()> _stopServer;
};

}  // namespace Pegasus

#endif
