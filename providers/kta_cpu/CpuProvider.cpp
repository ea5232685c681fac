// The kta_cpu provider (PG_Provider KTA_CpuProvider): one KTA_Processor per
// logical processor listed in /proc/cpuinfo, and one KTA_Memory from
// /proc/meminfo, read on every request.  Values the kernel does not give
// (cpuinfo differs between architectures) stay null.
#include <string>
#include <vector>

#include "ProviderSupport.h"

PEGASUS_USING_PEGASUS;

namespace {

using ktaprovider::InstanceBuilder;
using ktaprovider::OptionalValue;

const char* const kComputerSystemClass = "KTA_ComputerSystem";

// One block of /proc/cpuinfo: "key : value" lines up to a blank line.
typedef std::map<std::string, std::string> CpuBlock;

std::vector<CpuBlock> ReadCpuInfo()
{
    std::vector<CpuBlock> blocks(1);
    for (std::string const& line : ktaprovider::ReadLines("/proc/cpuinfo")) {
        std::string::size_type const colon = line.find(':');
        if (colon == std::string::npos) {
            if (ktaprovider::Trim(line).empty() && !blocks.back().empty())
                blocks.emplace_back();
            continue;
        }
        blocks.back()[ktaprovider::Trim(line.substr(0, colon))] =
            ktaprovider::Trim(line.substr(colon + 1));
    }
    return blocks;
}

// A number of the block (leading digits of the value); null when absent.
CIMValue BlockNumber(CpuBlock const& block, const char* key)
{
    auto const it = block.find(key);
    uint64_t value = 0;
    bool const known = it != block.end() && ktaprovider::ParseLeadingUint64(it->second, value);
    return OptionalValue(known, Uint32(value));
}

std::string BlockText(CpuBlock const& block, const char* key)
{
    auto const it = block.find(key);
    return it == block.end() ? std::string() : it->second;
}

// KTA_Processor.Family for a model name: the first family whose mark the
// name contains; 1 (Other) for any other name, 2 (Unknown) without one.
Uint16 FamilyOf(std::string const& modelName)
{
    static const struct {
        const char* mark;
        Uint16 family;
    } kFamilies[] = {{"Xeon", 179},         {"Core(TM) i7", 198}, {"Core(TM) i5", 205},
                     {"Core(TM) i3", 206},  {"Celeron", 15},      {"Atom", 43},
                     {"Pentium", 11},       {"Opteron", 132},     {"Athlon(tm) 64", 131}};
    if (modelName.empty())
        return 2;
    for (auto const& entry : kFamilies)
        if (modelName.find(entry.mark) != std::string::npos)
            return entry.family;
    return 1;
}

// Megahertz from a value such as "2599.998", rounded.
CIMValue Megahertz(std::string const& text)
{
    char* end = nullptr;
    double const mhz = std::strtod(text.c_str(), &end);
    bool const known = !text.empty() && end != text.c_str() && mhz > 0;
    return OptionalValue(known, Uint32(known ? mhz + 0.5 : 0));
}

void CollectProcessors(std::string const& host, Array<CIMInstance>& out)
{
    if (host.empty())
        return;
    for (CpuBlock const& block : ReadCpuInfo()) {
        uint64_t number = 0;
        if (!ktaprovider::ParseUint64(BlockText(block, "processor"), number))
            continue;
        std::string const cpu = std::to_string(number);
        std::string const modelName = BlockText(block, "model name");
        Uint16 const family = FamilyOf(modelName);
        uint64_t maxKHz = 0;
        bool const haveMax = ktaprovider::ParseUint64(
            ktaprovider::ReadFirstLine("/sys/devices/system/cpu/cpu" + cpu +
                                       "/cpufreq/cpuinfo_max_freq"),
            maxKHz);

        InstanceBuilder p("KTA_Processor");
        p.AddText("SystemCreationClassName", kComputerSystemClass)
            .AddText("SystemName", host)
            .AddText("CreationClassName", "KTA_Processor")
            .AddText("DeviceID", "CPU" + cpu)
            .AddText("Name", modelName)
            .AddText("ElementName", modelName.empty() ? "CPU" + cpu : modelName)
            .AddText("Role", "Central Processor")
            .Add("Family", CIMValue(family))
            .AddText("OtherFamilyDescription", family == 1 ? modelName : std::string())
            .AddText("Manufacturer", BlockText(block, "vendor_id"))
            .AddText("ModelName", modelName)
            .Add("CPUFamilyNumber", BlockNumber(block, "cpu family"))
            .Add("ModelNumber", BlockNumber(block, "model"))
            .AddText("Stepping", BlockText(block, "stepping"))
            .Add("CurrentClockSpeed", Megahertz(BlockText(block, "cpu MHz")))
            .Add("MaxClockSpeed", OptionalValue(haveMax, Uint32(maxKHz / 1000)))
            .Add("PhysicalID", BlockNumber(block, "physical id"))
            .Add("CoreID", BlockNumber(block, "core id"));
        // "cache size : 491520 KB"
        uint64_t cache = 0;
        std::string const cacheText = BlockText(block, "cache size");
        bool const haveCache = ktaprovider::ParseLeadingUint64(cacheText, cache) &&
                               cacheText.find("KB") != std::string::npos;
        p.Add("CacheSize", OptionalValue(haveCache, Uint64(cache)));
        CIMValue const cores = BlockNumber(block, "cpu cores");
        Uint32 coreCount = 0;
        cores.get(coreCount);
        p.Add("NumberOfEnabledCores", OptionalValue(!cores.isNull(), Uint16(coreCount)));
        // Listed in /proc/cpuinfo means online.
        p.Add("CPUStatus", CIMValue(Uint16(1)));
        out.append(p.Finish({"SystemCreationClassName", "SystemName", "CreationClassName",
                             "DeviceID"}));
    }
}

void CollectMemory(std::string const& host, Array<CIMInstance>& out)
{
    std::map<std::string, uint64_t> const mem = ktaprovider::ReadMemInfo();
    if (host.empty() || mem.empty())
        return;
    // The kernel counts in kilobytes: blocks of 1024 bytes.
    CIMValue const blocks = ktaprovider::MemInfoValue(mem, "MemTotal");
    InstanceBuilder m("KTA_Memory");
    m.AddText("SystemCreationClassName", kComputerSystemClass)
        .AddText("SystemName", host)
        .AddText("CreationClassName", "KTA_Memory")
        .AddText("DeviceID", "Memory")
        .AddText("ElementName", "System memory")
        .Add("BlockSize", CIMValue(Uint64(1024)))
        .Add("NumberOfBlocks", blocks)
        .Add("ConsumableBlocks", blocks)
        .Add("TotalMemory", ktaprovider::MemInfoValue(mem, "MemTotal", 1024))
        .Add("AvailableMemory", ktaprovider::MemInfoValue(mem, "MemAvailable", 1024))
        .Add("FreeMemory", ktaprovider::MemInfoValue(mem, "MemFree", 1024))
        .Add("TotalSwap", ktaprovider::MemInfoValue(mem, "SwapTotal", 1024))
        .Add("FreeSwap", ktaprovider::MemInfoValue(mem, "SwapFree", 1024));
    out.append(m.Finish({"SystemCreationClassName", "SystemName", "CreationClassName",
                         "DeviceID"}));
}

class CpuProvider : public ktaprovider::ReadOnlyInstanceProvider {
protected:
    Array<CIMInstance> Collect(const CIMName& className) override
    {
        Array<CIMInstance> out;
        if (className.equal(CIMName("KTA_Processor")))
            CollectProcessors(ktaprovider::HostName(), out);
        else if (className.equal(CIMName("KTA_Memory")))
            CollectMemory(ktaprovider::HostName(), out);
        return out;
    }
};

} // namespace

extern "C" PEGASUS_EXPORT CIMProvider* PegasusCreateProvider(const String& providerName)
{
    if (providerName == "KTA_CpuProvider")
        return new CpuProvider();
    return 0;
}
