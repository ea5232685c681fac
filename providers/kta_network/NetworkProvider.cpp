// The kta_network provider: the machine's network interfaces
// (KTA_NetworkPort, from /sys/class/net), their traffic counters
// (KTA_NetworkPortStatistics) and the method KTA_NetworkPort.GetCounters,
// which reads the counters live.  Everything is read anew on each request
// and nothing is kept between requests, so requests may run on several
// threads at once.  A value that cannot be read stays null.
#include <Pegasus/Provider/CIMMethodProvider.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ProviderSupport.h"

PEGASUS_USING_PEGASUS;

namespace {

using ktaprovider::HostName;
using ktaprovider::InstanceBuilder;
using ktaprovider::ListDirectory;
using ktaprovider::OptionalValue;
using ktaprovider::ParseUint64;
using ktaprovider::ReadFirstLine;

const char* const kSystemClass = "KTA_ComputerSystem";
const char* const kPortClass = "KTA_NetworkPort";
const char* const kStatisticsClass = "KTA_NetworkPortStatistics";
const char* const kNetDir = "/sys/class/net/";

// The kernel's operational states, numbered as the kernel numbers them;
// the position is OperState's value.
const char* const kOperStates[] = {"unknown", "notpresent", "down", "lowerlayerdown",
                                   "testing", "dormant",    "up"};

// The four counters, as GetCounters and KTA_NetworkPortStatistics name them,
// and the statistics file each comes from.
struct Counter {
    const char* parameter;
    const char* property;
    const char* file;
};
const Counter kCounters[] = {{"ReceivedBytes", "BytesReceived", "rx_bytes"},
                             {"TransmittedBytes", "BytesTransmitted", "tx_bytes"},
                             {"ReceivedPackets", "PacketsReceived", "rx_packets"},
                             {"TransmittedPackets", "PacketsTransmitted", "tx_packets"}};

CIMValue Number(const std::string& path)
{
    uint64_t value = 0;
    bool const read = ParseUint64(ReadFirstLine(path), value);
    return OptionalValue(read, Uint64(value));
}

// One counter of an interface; false when it cannot be read.
bool ReadCounter(const std::string& port, const Counter& counter, uint64_t& value)
{
    return ParseUint64(ReadFirstLine(kNetDir + port + "/statistics/" + counter.file), value);
}

CIMInstance PortInstance(const std::string& host, const std::string& name)
{
    std::string const dir = kNetDir + name + "/";
    // The kernel gives megabits per second, or -1 (or an error) when it
    // knows no speed.
    uint64_t megabits = 0;
    bool const speed = ParseUint64(ReadFirstLine(dir + "speed"), megabits);
    std::string const state = ReadFirstLine(dir + "operstate");
    CIMValue operState(CIMTYPE_UINT16, false);
    for (Uint16 i = 0; i < sizeof kOperStates / sizeof kOperStates[0]; i++)
        if (state == kOperStates[i])
            operState = CIMValue(i);
    return InstanceBuilder(kPortClass)
        .AddText("SystemCreationClassName", kSystemClass)
        .AddText("SystemName", host)
        .AddText("CreationClassName", kPortClass)
        .AddText("DeviceID", name)
        .AddText("Name", name)
        .AddText("ElementName", name)
        .Add("Speed", OptionalValue(speed, Uint64(megabits * 1000000)))
        .AddText("PermanentAddress", ReadFirstLine(dir + "address"))
        .Add("ActiveMaximumTransmissionUnit", Number(dir + "mtu"))
        .Add("OperState", operState)
        .Finish({"SystemCreationClassName", "SystemName", "CreationClassName", "DeviceID"});
}

CIMInstance StatisticsInstance(const std::string& name)
{
    InstanceBuilder statistics(kStatisticsClass);
    statistics.AddText("InstanceID", "KTA:NetworkPortStatistics:" + name)
        .AddText("ElementName", name);
    for (const Counter& counter : kCounters) {
        uint64_t value = 0;
        bool const read = ReadCounter(name, counter, value);
        statistics.Add(counter.property, OptionalValue(read, Uint64(value)));
    }
    return statistics.Finish({"InstanceID"});
}

// The last run of decimal digits in a parameter's text, whatever the
// parameter's type: a client may send a number as a reference built from
// its text.  0 without digits or without a value.
uint64_t LastNumberIn(const CIMValue& value)
{
    if (value.isNull())
        return 0;
    std::string const text = static_cast<const char*>(value.toString().getCString());
    std::string::size_type const end = text.find_last_of("0123456789");
    if (end == std::string::npos)
        return 0;
    std::string::size_type begin = end;
    while (begin > 0 && text[begin - 1] >= '0' && text[begin - 1] <= '9')
        begin--;
    return std::strtoull(text.substr(begin, end + 1 - begin).c_str(), nullptr, 10);
}

class NetworkProvider : public ktaprovider::ReadOnlyInstanceProvider, public CIMMethodProvider
{
public:
    // GetCounters on an interface (its DeviceID names it) or on the class
    // (every interface, summed).
    void invokeMethod(const OperationContext&, const CIMObjectPath& objectReference,
                      const CIMName& methodName, const Array<CIMParamValue>& inParameters,
                      MethodResultResponseHandler& handler) override
    {
        if (!objectReference.getClassName().equal(CIMName(kPortClass)) ||
            !methodName.equal(CIMName("GetCounters")))
            throw CIMMethodNotFoundException(methodName.getString());

        std::vector<std::string> ports = ListDirectory(kNetDir);
        const Array<CIMKeyBinding> keys = objectReference.getKeyBindings();
        if (keys.size() != 0) {
            std::string device;
            for (Uint32 i = 0; i < keys.size(); i++)
                if (keys[i].getName().equal(CIMName("DeviceID")))
                    device = static_cast<const char*>(keys[i].getValue().getCString());
            // Only a name the kernel lists: the key is the client's text.
            if (std::find(ports.begin(), ports.end(), device) == ports.end())
                throw CIMObjectNotFoundException(objectReference.toString());
            ports.assign(1, device);
        }

        uint64_t scale = 0;
        for (Uint32 i = 0; i < inParameters.size(); i++)
            if (String::equalNoCase(inParameters[i].getParameterName(), "Scale"))
                scale = LastNumberIn(inParameters[i].getValue());
        if (scale == 0)
            scale = 1;

        Array<CIMParamValue> out;
        Uint32 result = 0;
        for (const Counter& counter : kCounters) {
            uint64_t sum = 0;
            bool complete = true;
            for (const std::string& port : ports) {
                uint64_t value = 0;
                complete = complete && ReadCounter(port, counter, value);
                sum += value;
            }
            if (!complete)
                result = 1;
            out.append(CIMParamValue(counter.parameter,
                                     OptionalValue(complete, Uint64(sum / scale))));
        }
        handler.processing();
        handler.deliverParamValue(out);
        handler.deliver(CIMValue(result));
        handler.complete();
    }

protected:
    // The instances of `className` as the machine is now.  One that cannot
    // be built (a name that is not UTF-8, say) is left out.
    Array<CIMInstance> Collect(const CIMName& className) override
    {
        Array<CIMInstance> instances;
        bool const ports = className.equal(CIMName(kPortClass));
        if (!ports && !className.equal(CIMName(kStatisticsClass)))
            return instances;
        std::string const host = HostName();
        for (const std::string& name : ListDirectory(kNetDir))
            try {
                instances.append(ports ? PortInstance(host, name) : StatisticsInstance(name));
            } catch (const Exception&) {
            }
        return instances;
    }
};

} // namespace

extern "C" PEGASUS_EXPORT CIMProvider* PegasusCreateProvider(const String& providerName)
{
    if (providerName == "KTA_NetworkProvider")
        return new NetworkProvider();
    return 0;
}
