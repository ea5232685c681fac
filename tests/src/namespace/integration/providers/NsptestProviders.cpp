// Instance providers of the three test vendor directories nsptestalpha,
// nsptestbeta and nsptestgamma.  Each library is built from this file with
// NSPTEST_PROVIDER_NAME set to the provider name its registration MOF
// gives; PegasusCreateProvider answers to that name only, and the provider
// serves fixed instances of its classes:
//
//   NSPTEST_AlphaProvider  NSPTEST_AlphaItem    item-1, item-2, item-3
//                          NSPTEST_AlphaGroup   group-1
//   NSPTEST_BetaProvider   NSPTEST_BetaPort     PortNumber 1, 2
//                          NSPTEST_BetaDevice   DeviceID "beta-0"
//   NSPTEST_GammaProvider  NSPTEST_GammaLeaf    leaf-1, leaf-2
//                          NSPTEST_GammaHidden  hidden-1
#include <Pegasus/Provider/CIMInstanceProvider.h>
#include <Pegasus/Provider/ProviderException.h>

#include <initializer_list>

#ifndef NSPTEST_PROVIDER_NAME
#error "NSPTEST_PROVIDER_NAME must name the provider this library holds"
#endif

PEGASUS_USING_PEGASUS;

namespace {

Array<String> strings(std::initializer_list<const char*> items)
{
    Array<String> result;
    for (const char* item : items)
        result.append(String(item));
    return result;
}

// An instance of `className` with `properties`; its path names the class and
// the key properties `keys` (host and namespace are the server's to add).
CIMInstance makeInstance(const char* className,
                         std::initializer_list<CIMProperty> properties,
                         std::initializer_list<const char*> keys)
{
    CIMInstance instance{CIMName(className)};
    for (const CIMProperty& property : properties)
        instance.addProperty(property);
    Array<CIMKeyBinding> bindings;
    for (const char* key : keys)
    {
        const CIMConstProperty property =
            instance.getProperty(instance.findProperty(CIMName(key)));
        bindings.append(CIMKeyBinding(CIMName(key), property.getValue()));
    }
    instance.setPath(CIMObjectPath(String(), CIMNamespaceName(),
                                   CIMName(className), bindings));
    return instance;
}

Array<CIMInstance> alphaInstances()
{
    const struct
    {
        const char* name;
        Uint32 size;
        Array<String> tags;
    } items[] = {{"item-1", 10, strings({"red"})},
                 {"item-2", 20, strings({"red", "green"})},
                 {"item-3", 30, strings({})}};
    Array<CIMInstance> result;
    for (const auto& item : items)
        result.append(makeInstance(
            "NSPTEST_AlphaItem",
            {CIMProperty(CIMName("Name"), String(item.name)),
             CIMProperty(CIMName("Size"), item.size),
             CIMProperty(CIMName("Tags"), item.tags)},
            {"Name"}));
    result.append(makeInstance(
        "NSPTEST_AlphaGroup",
        {CIMProperty(CIMName("Name"), String("group-1")),
         CIMProperty(CIMName("ItemCount"), Uint32(3)),
         CIMProperty(CIMName("ElementName"), String("Alpha group"))},
        {"Name"}));
    return result;
}

Array<CIMInstance> betaInstances()
{
    const struct
    {
        Uint16 number;
        Uint64 speed;
        Uint16 state;
    } ports[] = {{1, 1000000000ULL, 2}, {2, 10000000000ULL, 3}};
    Array<CIMInstance> result;
    for (const auto& port : ports)
        result.append(makeInstance(
            "NSPTEST_BetaPort",
            {CIMProperty(CIMName("PortNumber"), port.number),
             CIMProperty(CIMName("Speed"), port.speed),
             CIMProperty(CIMName("State"), port.state),
             CIMProperty(CIMName("Name"),
                         String(port.number == 1 ? "port-1" : "port-2"))},
            {"PortNumber"}));
    result.append(makeInstance(
        "NSPTEST_BetaDevice",
        {CIMProperty(CIMName("SystemCreationClassName"),
                     String("NSPTEST_BetaSystem")),
         CIMProperty(CIMName("SystemName"), String("beta-host")),
         CIMProperty(CIMName("CreationClassName"),
                     String("NSPTEST_BetaDevice")),
         CIMProperty(CIMName("DeviceID"), String("beta-0")),
         CIMProperty(CIMName("Model"), String("Beta 1000"))},
        {"SystemCreationClassName", "SystemName", "CreationClassName",
         "DeviceID"}));
    return result;
}

Array<CIMInstance> gammaInstances()
{
    Array<CIMInstance> result;
    for (Uint32 depth : {1u, 2u})
        result.append(makeInstance(
            "NSPTEST_GammaLeaf",
            {CIMProperty(CIMName("Id"),
                         String(depth == 1 ? "leaf-1" : "leaf-2")),
             CIMProperty(CIMName("Kind"), String("leaf")),
             CIMProperty(CIMName("Depth"), depth)},
            {"Id"}));
    result.append(makeInstance(
        "NSPTEST_GammaHidden",
        {CIMProperty(CIMName("Id"), String("hidden-1")),
         CIMProperty(CIMName("Note"), String("not for collection"))},
        {"Id"}));
    return result;
}

// Serves a fixed set of instances; an instance belongs to the class its
// class name gives exactly (the server asks once per registered class).
// Requests may run on several threads at once: the set is only read, and
// each request gets copies.
class FixedInstanceProvider : public CIMInstanceProvider
{
public:
    explicit FixedInstanceProvider(const Array<CIMInstance>& instances)
        : _instances(instances)
    {
    }

    void initialize(CIMOMHandle&) override {}
    void terminate() override { delete this; }

    void getInstance(const OperationContext&, const CIMObjectPath& reference,
                     const Boolean, const Boolean, const CIMPropertyList&,
                     InstanceResponseHandler& handler) override
    {
        const CIMObjectPath wanted(String(), CIMNamespaceName(),
                                   reference.getClassName(),
                                   reference.getKeyBindings());
        for (Uint32 i = 0; i < _instances.size(); i++)
        {
            if (_instances[i].getPath() == wanted)
            {
                handler.processing();
                handler.deliver(_instances[i].clone());
                handler.complete();
                return;
            }
        }
        throw CIMObjectNotFoundException(reference.toString());
    }

    void enumerateInstances(const OperationContext&,
                            const CIMObjectPath& classReference, const Boolean,
                            const Boolean, const CIMPropertyList&,
                            InstanceResponseHandler& handler) override
    {
        handler.processing();
        for (Uint32 i = 0; i < _instances.size(); i++)
            if (_instances[i].getClassName().equal(
                    classReference.getClassName()))
                handler.deliver(_instances[i].clone());
        handler.complete();
    }

    void enumerateInstanceNames(const OperationContext&,
                                const CIMObjectPath& classReference,
                                ObjectPathResponseHandler& handler) override
    {
        handler.processing();
        for (Uint32 i = 0; i < _instances.size(); i++)
            if (_instances[i].getClassName().equal(
                    classReference.getClassName()))
                handler.deliver(_instances[i].getPath());
        handler.complete();
    }

    void createInstance(const OperationContext&, const CIMObjectPath&,
                        const CIMInstance&,
                        ObjectPathResponseHandler&) override
    {
        throw CIMNotSupportedException("instances are fixed");
    }

    void modifyInstance(const OperationContext&, const CIMObjectPath&,
                        const CIMInstance&, const Boolean,
                        const CIMPropertyList&, ResponseHandler&) override
    {
        throw CIMNotSupportedException("instances are fixed");
    }

    void deleteInstance(const OperationContext&, const CIMObjectPath&,
                        ResponseHandler&) override
    {
        throw CIMNotSupportedException("instances are fixed");
    }

private:
    const Array<CIMInstance> _instances;
};

}  // namespace

extern "C" PEGASUS_EXPORT CIMProvider* PegasusCreateProvider(
    const String& providerName)
{
    if (providerName != NSPTEST_PROVIDER_NAME)
        return 0;
    if (providerName == "NSPTEST_AlphaProvider")
        return new FixedInstanceProvider(alphaInstances());
    if (providerName == "NSPTEST_BetaProvider")
        return new FixedInstanceProvider(betaInstances());
    if (providerName == "NSPTEST_GammaProvider")
        return new FixedInstanceProvider(gammaInstances());
    return 0;
}
