// Instance and method providers of the four test vendor directories
// nsptestalpha, nsptestbeta, nsptestdelta and nsptestgamma.  Each library is
// built from this file with NSPTEST_PROVIDER_NAME set to the provider name
// its registration MOF gives; PegasusCreateProvider answers to that name
// only, and the provider serves fixed instances of its classes:
//
//   NSPTEST_AlphaProvider  NSPTEST_AlphaItem    item-1, item-2, item-3
//                          NSPTEST_AlphaGroup   group-1
//                          NSPTEST_Shared       alpha-shared-1, alpha-shared-2
//   NSPTEST_BetaProvider   NSPTEST_BetaPort     PortNumber 1, 2; methods
//                                               GetCounters, Fail, Describe
//                          NSPTEST_BetaDevice   DeviceID "beta-0"
//   NSPTEST_DeltaProvider  NSPTEST_AlphaItem    delta-item-1, delta-item-2
//                          NSPTEST_SlowItem     slow-1, slow-2 (delayed)
//                          NSPTEST_Shared       delta-shared-1, delta-shared-2
//                                               (delayed)
//   NSPTEST_GammaProvider  NSPTEST_GammaLeaf    leaf-1, leaf-2
//                          NSPTEST_GammaHidden  hidden-1
//                          NSPTEST_Shared       gamma-shared-1
//                          NSPTEST_Odd          odd-1 (Count is the string
//                                               "many"), odd-2
//                          NSPTEST_Throwing     refused with CIM_ERR_FAILED
//
// A delayed class waits, on each enumeration, for the number of seconds
// written in the file nsptest_delay of PEGASUS_HOME (no file: no wait), so
// that tests can hold an enumeration in the server.
#include <Pegasus/Provider/CIMInstanceProvider.h>
#include <Pegasus/Provider/CIMMethodProvider.h>
#include <Pegasus/Provider/ProviderException.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>
#include <thread>
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

// An NSPTEST_Shared instance; a null `instanceId` or `item` leaves that
// property null.
CIMInstance sharedInstance(const char* name, Uint32 value,
                           const char* instanceId, const char* item)
{
    return makeInstance(
        "NSPTEST_Shared",
        {CIMProperty(CIMName("Name"), String(name)),
         CIMProperty(CIMName("Value"), value),
         CIMProperty(CIMName("InstanceID"),
                     instanceId ? CIMValue(String(instanceId))
                                : CIMValue(CIMTYPE_STRING, false)),
         CIMProperty(CIMName("Item"),
                     item ? CIMValue(CIMObjectPath(String(item)))
                          : CIMValue(CIMTYPE_REFERENCE, false),
                     0, CIMName("NSPTEST_AlphaItem"))},
        {"Name"});
}

CIMInstance alphaItem(const char* name, Uint32 size, const Array<String>& tags)
{
    return makeInstance("NSPTEST_AlphaItem",
                        {CIMProperty(CIMName("Name"), String(name)),
                         CIMProperty(CIMName("Size"), size),
                         CIMProperty(CIMName("Tags"), tags)},
                        {"Name"});
}

// What one provider serves: its instances, the classes whose enumerations
// wait for the delay file, and the classes it refuses to report.
struct Served
{
    Array<CIMInstance> instances;
    Array<CIMName> delayed;
    Array<CIMName> refused;
};

Served alpha()
{
    Served served;
    served.instances.append(alphaItem("item-1", 10, strings({"red"})));
    served.instances.append(alphaItem("item-2", 20, strings({"red", "green"})));
    served.instances.append(alphaItem("item-3", 30, strings({})));
    served.instances.append(makeInstance(
        "NSPTEST_AlphaGroup",
        {CIMProperty(CIMName("Name"), String("group-1")),
         CIMProperty(CIMName("ItemCount"), Uint32(3)),
         CIMProperty(CIMName("ElementName"), String("Alpha group"))},
        {"Name"}));
    served.instances.append(sharedInstance("alpha-shared-1", 1, "alpha:1",
                                           "NSPTEST_AlphaItem.Name=\"item-1\""));
    served.instances.append(sharedInstance("alpha-shared-2", 2, 0,
                                           "NSPTEST_Nowhere.Name=\"x\""));
    return served;
}

Served beta()
{
    const struct
    {
        Uint16 number;
        Uint64 speed;
        Uint16 state;
    } ports[] = {{1, 1000000000ULL, 2}, {2, 10000000000ULL, 3}};
    Served served;
    for (const auto& port : ports)
        served.instances.append(makeInstance(
            "NSPTEST_BetaPort",
            {CIMProperty(CIMName("PortNumber"), port.number),
             CIMProperty(CIMName("Speed"), port.speed),
             CIMProperty(CIMName("State"), port.state),
             CIMProperty(CIMName("Name"),
                         String(port.number == 1 ? "port-1" : "port-2"))},
            {"PortNumber"}));
    served.instances.append(makeInstance(
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
    return served;
}

Served delta()
{
    Served served;
    served.instances.append(alphaItem("delta-item-1", 100, strings({"blue"})));
    served.instances.append(alphaItem("delta-item-2", 200, strings({})));
    for (const char* name : {"slow-1", "slow-2"})
        served.instances.append(makeInstance(
            "NSPTEST_SlowItem",
            {CIMProperty(CIMName("Name"), String(name)),
             CIMProperty(CIMName("Note"), String("slow"))},
            {"Name"}));
    served.instances.append(sharedInstance(
        "delta-shared-1", 11, "delta:1",
        "NSPTEST_AlphaItem.Name=\"delta-item-1\""));
    served.instances.append(sharedInstance("delta-shared-2", 12, "delta:2", 0));
    served.delayed.append(CIMName("NSPTEST_SlowItem"));
    served.delayed.append(CIMName("NSPTEST_Shared"));
    return served;
}

Served gamma()
{
    Served served;
    for (Uint32 depth : {1u, 2u})
        served.instances.append(makeInstance(
            "NSPTEST_GammaLeaf",
            {CIMProperty(CIMName("Id"),
                         String(depth == 1 ? "leaf-1" : "leaf-2")),
             CIMProperty(CIMName("Kind"), String("leaf")),
             CIMProperty(CIMName("Depth"), depth)},
            {"Id"}));
    served.instances.append(makeInstance(
        "NSPTEST_GammaHidden",
        {CIMProperty(CIMName("Id"), String("hidden-1")),
         CIMProperty(CIMName("Note"), String("not for collection"))},
        {"Id"}));
    served.instances.append(sharedInstance("gamma-shared-1", 21, "gamma:1", 0));
    // Count is declared uint32; odd-1 carries a string in it.
    served.instances.append(makeInstance(
        "NSPTEST_Odd",
        {CIMProperty(CIMName("Name"), String("odd-1")),
         CIMProperty(CIMName("Count"), String("many"))},
        {"Name"}));
    served.instances.append(makeInstance(
        "NSPTEST_Odd",
        {CIMProperty(CIMName("Name"), String("odd-2")),
         CIMProperty(CIMName("Count"), Uint32(7))},
        {"Name"}));
    served.refused.append(CIMName("NSPTEST_Throwing"));
    return served;
}

bool listed(const Array<CIMName>& classes, const CIMName& className)
{
    for (Uint32 i = 0; i < classes.size(); i++)
        if (classes[i].equal(className))
            return true;
    return false;
}

// Waits as many seconds as $PEGASUS_HOME/nsptest_delay says, read anew on
// each call; no file or no number there: no wait.
void delayAsConfigured()
{
    const char* home = std::getenv("PEGASUS_HOME");
    if (!home)
        return;
    std::ifstream file(std::string(home) + "/nsptest_delay");
    double seconds = 0;
    if (file >> seconds && seconds > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The value of the in-parameter `name` (names compare without case); null
// when it was not given.
CIMValue parameter(const Array<CIMParamValue>& inParameters, const char* name)
{
    for (Uint32 i = 0; i < inParameters.size(); i++)
        if (String::equalNoCase(inParameters[i].getParameterName(), name))
            return inParameters[i].getValue();
    return CIMValue();
}

// An in-parameter's text; the value may arrive with any type (a client may
// send a reference parsed from the text it was given), so it is read through
// its text whatever its type.  Null: empty.
String textOf(const CIMValue& value)
{
    return value.isNull() ? String() : value.toString();
}

// The last run of decimal digits in an in-parameter's text ("3" for 3,
// "X.N=3" for a reference built from it); 0 when there is none.
Uint64 numberOf(const CIMValue& value)
{
    const std::string text =
        static_cast<const char*>(textOf(value).getCString());
    const std::string::size_type end = text.find_last_of("0123456789");
    if (end == std::string::npos)
        return 0;
    std::string::size_type begin = end;
    while (begin > 0 && text[begin - 1] >= '0' && text[begin - 1] <= '9')
        begin--;
    return std::strtoull(text.substr(begin, end + 1 - begin).c_str(), 0, 10);
}

// Serves a fixed set of instances; an instance belongs to the class its
// class name gives exactly (the server asks once per registered class).
// The methods of NSPTEST_BetaPort are served for whichever provider is
// registered for them.  Requests may run on several threads at once: the
// set is only read, and each request gets copies.
class FixedProvider : public CIMInstanceProvider, public CIMMethodProvider
{
public:
    explicit FixedProvider(const Served& served) : _served(served) {}

    void initialize(CIMOMHandle&) override {}
    void terminate() override { delete this; }

    void getInstance(const OperationContext&, const CIMObjectPath& reference,
                     const Boolean, const Boolean, const CIMPropertyList&,
                     InstanceResponseHandler& handler) override
    {
        refuseIfListed(reference.getClassName());
        const Uint32 at = find(reference);
        if (at == PEG_NOT_FOUND)
            throw CIMObjectNotFoundException(reference.toString());
        handler.processing();
        handler.deliver(_served.instances[at].clone());
        handler.complete();
    }

    void enumerateInstances(const OperationContext&,
                            const CIMObjectPath& classReference, const Boolean,
                            const Boolean, const CIMPropertyList&,
                            InstanceResponseHandler& handler) override
    {
        const CIMName className = classReference.getClassName();
        refuseIfListed(className);
        if (listed(_served.delayed, className))
            delayAsConfigured();
        handler.processing();
        for (Uint32 i = 0; i < _served.instances.size(); i++)
            if (_served.instances[i].getClassName().equal(className))
                handler.deliver(_served.instances[i].clone());
        handler.complete();
    }

    void enumerateInstanceNames(const OperationContext&,
                                const CIMObjectPath& classReference,
                                ObjectPathResponseHandler& handler) override
    {
        const CIMName className = classReference.getClassName();
        refuseIfListed(className);
        if (listed(_served.delayed, className))
            delayAsConfigured();
        handler.processing();
        for (Uint32 i = 0; i < _served.instances.size(); i++)
            if (_served.instances[i].getClassName().equal(className))
                handler.deliver(_served.instances[i].getPath());
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

    // NSPTEST_BetaPort's methods, on the class or on one of its instances:
    //   GetCounters(Scale, Label) returns 0, Label with "-counted" appended,
    //     Received = 1000 * Scale, Sent = 10 * Scale, Names {"received",
    //     "sent"};
    //   Fail() throws CIM_ERR_FAILED "port refused";
    //   Describe(Target) returns "described " and Target's text ("described
    //     nothing" without it).
    void invokeMethod(const OperationContext&,
                      const CIMObjectPath& objectReference,
                      const CIMName& methodName,
                      const Array<CIMParamValue>& inParameters,
                      MethodResultResponseHandler& handler) override
    {
        if (!objectReference.getClassName().equal(CIMName("NSPTEST_BetaPort")))
            throw CIMMethodNotFoundException(methodName.getString());
        if (objectReference.getKeyBindings().size() != 0 &&
            find(objectReference) == PEG_NOT_FOUND)
            throw CIMObjectNotFoundException(objectReference.toString());

        if (methodName.equal(CIMName("GetCounters")))
        {
            const Uint64 scale = numberOf(parameter(inParameters, "Scale"));
            Array<CIMParamValue> out;
            out.append(CIMParamValue(
                "Label",
                CIMValue(textOf(parameter(inParameters, "Label")) + "-counted")));
            out.append(CIMParamValue("Received", CIMValue(Uint64(1000 * scale))));
            out.append(CIMParamValue("Sent", CIMValue(Uint64(10 * scale))));
            out.append(CIMParamValue("Names",
                                     CIMValue(strings({"received", "sent"}))));
            handler.processing();
            handler.deliverParamValue(out);
            handler.deliver(CIMValue(Uint32(0)));
            handler.complete();
        }
        else if (methodName.equal(CIMName("Fail")))
        {
            throw CIMException(CIM_ERR_FAILED, "port refused");
        }
        else if (methodName.equal(CIMName("Describe")))
        {
            const CIMValue target = parameter(inParameters, "Target");
            handler.processing();
            handler.deliver(CIMValue(
                String("described ") +
                (target.isNull() ? String("nothing") : textOf(target))));
            handler.complete();
        }
        else
        {
            throw CIMMethodNotFoundException(methodName.getString());
        }
    }

private:
    void refuseIfListed(const CIMName& className) const
    {
        if (listed(_served.refused, className))
            throw CIMException(CIM_ERR_FAILED, "gamma refused");
    }

    // The position of the instance `reference` names (host and namespace
    // aside), PEG_NOT_FOUND if none.
    Uint32 find(const CIMObjectPath& reference) const
    {
        const CIMObjectPath wanted(String(), CIMNamespaceName(),
                                   reference.getClassName(),
                                   reference.getKeyBindings());
        for (Uint32 i = 0; i < _served.instances.size(); i++)
            if (_served.instances[i].getPath() == wanted)
                return i;
        return PEG_NOT_FOUND;
    }

    const Served _served;
};

}  // namespace

extern "C" PEGASUS_EXPORT CIMProvider* PegasusCreateProvider(
    const String& providerName)
{
    if (providerName != NSPTEST_PROVIDER_NAME)
        return 0;
    if (providerName == "NSPTEST_AlphaProvider")
        return new FixedProvider(alpha());
    if (providerName == "NSPTEST_BetaProvider")
        return new FixedProvider(beta());
    if (providerName == "NSPTEST_DeltaProvider")
        return new FixedProvider(delta());
    if (providerName == "NSPTEST_GammaProvider")
        return new FixedProvider(gamma());
    return 0;
}
