// The kta_system provider (PG_Provider KTA_SystemProvider): one instance
// each of KTA_OperatingSystem, KTA_ComputerSystem and KTA_SystemSettings,
// read from /etc, /proc and /sys on every request.  A file that
// cannot be read leaves its properties null; an instance is left out only
// when its keys cannot be known.
#include <unistd.h>

#include <cctype>
#include <ctime>
#include <string>

#include "ProviderSupport.h"

PEGASUS_USING_PEGASUS;

namespace {

using ktaprovider::InstanceBuilder;
using ktaprovider::OptionalValue;

const char* const kComputerSystemClass = "KTA_ComputerSystem";

// Processes now: the numeric entries of /proc.
bool CountProcesses(Uint32& count)
{
    std::vector<std::string> const names = ktaprovider::ListDirectory("/proc");
    count = 0;
    for (std::string const& name : names)
        if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0])))
            count++;
    return !names.empty();
}

// The "flags" line of the first processor in /proc/cpuinfo, and the number
// of processors listed; false when the file cannot be read.
bool ReadCpuSummary(std::string& flags, Uint32& processors)
{
    std::vector<std::string> const lines = ktaprovider::ReadLines("/proc/cpuinfo");
    processors = 0;
    flags.clear();
    for (std::string const& line : lines) {
        std::string::size_type const colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string const key = ktaprovider::Trim(line.substr(0, colon));
        if (key == "processor")
            processors++;
        else if (key == "flags" && flags.empty())
            flags = " " + ktaprovider::Trim(line.substr(colon + 1)) + " ";
    }
    return !lines.empty();
}

// KTA_ComputerSystem.PlatformType: 2 when the processors carry the
// hypervisor flag, 1 when they list their flags without it (x86 always
// lists them), 0 when they do not tell.
Uint16 PlatformType(std::string const& flags)
{
    if (flags.empty())
        return 0;
    return flags.find(" hypervisor ") != std::string::npos ? 2 : 1;
}

// Seconds since the epoch at which the system booted (btime of /proc/stat).
bool BootTime(time_t& boot)
{
    std::ifstream in("/proc/stat");
    std::string line;
    while (std::getline(in, line)) {
        uint64_t seconds = 0;
        if (line.compare(0, 6, "btime ") == 0 &&
            ktaprovider::ParseUint64(line.substr(6), seconds)) {
            boot = static_cast<time_t>(seconds);
            return true;
        }
    }
    return false;
}

void CollectOperatingSystem(std::string const& host, Array<CIMInstance>& out)
{
    std::map<std::string, std::string> release =
        ktaprovider::ReadKeyValueFile("/etc/os-release", '=');
    if (release.empty())
        release = ktaprovider::ReadKeyValueFile("/usr/lib/os-release", '=');
    std::string const ostype = ktaprovider::ReadFirstLine("/proc/sys/kernel/ostype");
    std::string name = release["PRETTY_NAME"];
    if (name.empty())
        name = release["NAME"];
    if (name.empty())
        name = ostype;
    if (name.empty() || host.empty())
        return;

    std::map<std::string, uint64_t> const mem = ktaprovider::ReadMemInfo();
    auto const known = [&](const char* key) { return mem.count(key) != 0; };
    bool const haveVirtual = known("MemTotal") && known("SwapTotal");
    bool const haveVirtualFree = known("MemFree") && known("SwapFree");

    uint64_t uptime = 0;
    bool const haveUptime =
        ktaprovider::ParseLeadingUint64(ktaprovider::ReadFirstLine("/proc/uptime"), uptime);
    time_t boot = 0;
    bool const haveBoot = BootTime(boot);
    Uint32 processes = 0;
    bool const haveProcesses = CountProcesses(processes);
    time_t const now = std::time(nullptr);
    struct tm local;
    bool const haveZone = localtime_r(&now, &local) != nullptr;

    InstanceBuilder os("KTA_OperatingSystem");
    os.AddText("CSCreationClassName", kComputerSystemClass)
        .AddText("CSName", host)
        .AddText("CreationClassName", "KTA_OperatingSystem")
        .AddText("Name", name)
        .AddText("ElementName", name)
        .AddText("Caption", name)
        // 36 is LINUX in CIM_OperatingSystem's list of systems.
        .Add("OSType", OptionalValue(ostype == "Linux", Uint16(36)))
        .AddText("Version", release["VERSION_ID"])
        .AddText("DistributionID", release["ID"])
        .AddText("KernelRelease", ktaprovider::ReadFirstLine("/proc/sys/kernel/osrelease"))
        .AddText("KernelVersion", ktaprovider::ReadFirstLine("/proc/sys/kernel/version"))
        .Add("LastBootUpTime", ktaprovider::TimestampValue(haveBoot, boot))
        .Add("LocalDateTime", ktaprovider::TimestampValue(true, now))
        .Add("CurrentTimeZone", OptionalValue(haveZone, Sint16(local.tm_gmtoff / 60)))
        .Add("UptimeSeconds", OptionalValue(haveUptime, Uint64(uptime)))
        .Add("NumberOfProcesses", OptionalValue(haveProcesses, processes))
        .Add("TotalVisibleMemorySize", ktaprovider::MemInfoValue(mem, "MemTotal"))
        .Add("FreePhysicalMemory", ktaprovider::MemInfoValue(mem, "MemFree"))
        .Add("TotalSwapSpaceSize", ktaprovider::MemInfoValue(mem, "SwapTotal"))
        .Add("TotalVirtualMemorySize",
             OptionalValue(haveVirtual, Uint64(haveVirtual ? mem.at("MemTotal") +
                                                                 mem.at("SwapTotal")
                                                           : 0)))
        .Add("FreeVirtualMemory",
             OptionalValue(haveVirtualFree, Uint64(haveVirtualFree ? mem.at("MemFree") +
                                                                         mem.at("SwapFree")
                                                                   : 0)));
    out.append(os.Finish({"CSCreationClassName", "CSName", "CreationClassName", "Name"}));
}

void CollectComputerSystem(std::string const& host, Array<CIMInstance>& out)
{
    if (host.empty())
        return;
    std::string flags;
    Uint32 processors = 0;
    bool const haveCpuInfo = ReadCpuSummary(flags, processors);
    std::map<std::string, uint64_t> const mem = ktaprovider::ReadMemInfo();

    InstanceBuilder cs(kComputerSystemClass);
    cs.AddText("CreationClassName", kComputerSystemClass)
        .AddText("Name", host)
        .AddText("ElementName", host)
        .AddText("Manufacturer", ktaprovider::ReadFirstLine("/sys/class/dmi/id/sys_vendor"))
        .AddText("Model", ktaprovider::ReadFirstLine("/sys/class/dmi/id/product_name"))
        .Add("PlatformType", OptionalValue(haveCpuInfo, PlatformType(flags)))
        .Add("NumberOfLogicalProcessors", OptionalValue(haveCpuInfo && processors > 0, processors))
        .Add("TotalPhysicalMemory", ktaprovider::MemInfoValue(mem, "MemTotal", 1024));
    out.append(cs.Finish({"CreationClassName", "Name"}));
}

// The zone /etc/localtime links to ("/usr/share/zoneinfo/Europe/Berlin"
// gives "Europe/Berlin"); "" when it is no such link.
std::string LocalTimeZoneLink()
{
    char target[4096];
    ssize_t const length = readlink("/etc/localtime", target, sizeof target - 1);
    if (length <= 0)
        return std::string();
    std::string const path(target, static_cast<std::size_t>(length));
    std::string::size_type const at = path.find("zoneinfo/");
    return at == std::string::npos ? std::string() : path.substr(at + 9);
}

void CollectSystemSettings(Array<CIMInstance>& out)
{
    std::string zone = ktaprovider::ReadFirstLine("/etc/timezone");
    std::string const zoneSource = zone.empty() ? "/etc/localtime" : "/etc/timezone";
    if (zone.empty())
        zone = LocalTimeZoneLink();
    std::string domain = ktaprovider::ReadFirstLine("/proc/sys/kernel/domainname");
    if (domain == "(none)")
        domain.clear();
    Array<String> sources;
    for (const char* file : {"/etc/machine-id", "/proc/sys/kernel/random/boot_id",
                             zoneSource.c_str(), "/etc/default/locale",
                             "/proc/sys/kernel/domainname"})
        if (access(file, R_OK) == 0)
            sources.append(file);

    InstanceBuilder settings("KTA_SystemSettings");
    settings.AddText("InstanceID", "KTA:SystemSettings")
        .AddText("ElementName", "System settings")
        .Add("Sources", CIMValue(sources))
        .AddText("MachineID", ktaprovider::ReadFirstLine("/etc/machine-id"))
        .AddText("BootID", ktaprovider::ReadFirstLine("/proc/sys/kernel/random/boot_id"))
        .AddText("TimeZone", zone)
        .AddText("Locale", ktaprovider::ReadKeyValueFile("/etc/default/locale", '=')["LANG"])
        .AddText("DomainName", domain);
    out.append(settings.Finish({"InstanceID"}));
}

class SystemProvider : public ktaprovider::ReadOnlyInstanceProvider {
protected:
    Array<CIMInstance> Collect(const CIMName& className) override
    {
        Array<CIMInstance> out;
        if (className.equal(CIMName("KTA_OperatingSystem")))
            CollectOperatingSystem(ktaprovider::HostName(), out);
        else if (className.equal(CIMName(kComputerSystemClass)))
            CollectComputerSystem(ktaprovider::HostName(), out);
        else if (className.equal(CIMName("KTA_SystemSettings")))
            CollectSystemSettings(out);
        return out;
    }
};

} // namespace

extern "C" PEGASUS_EXPORT CIMProvider* PegasusCreateProvider(const String& providerName)
{
    if (providerName == "KTA_SystemProvider")
        return new SystemProvider();
    return 0;
}
