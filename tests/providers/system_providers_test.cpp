// The kta_system, kta_cpu and kta_software providers in the staged server:
// each test copies one staged provider folder into a root of its own,
// registers it as the plug-in does (properties MOF into the provider's
// namespace, registration MOF into root/PG_InterOp) and compares what our
// client gets with what this test reads from /etc, /proc and the package
// database itself.  Fails when a staged program or provider file is missing.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <cctype>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ProviderTestSupport.h"

using namespace Pegasus;
namespace fs = std::filesystem;

namespace {

using namespace providertest;

// Lines "key: value" (or "key=value") of a file whose key matches exactly,
// values as written after the separator and any blanks.
std::vector<std::string> Values(std::string const& path, std::string const& key, char sep)
{
    std::ifstream in(path);
    std::vector<std::string> values;
    std::string line;
    std::regex const re("^" + key + "[ \t]*\\" + sep + "[ \t]*\"?(.*?)\"?[ \t]*$");
    std::smatch m;
    while (std::getline(in, line))
        if (std::regex_match(line, m, re))
            values.push_back(m[1]);
    return values;
}

std::string Value(std::string const& path, std::string const& key, char sep)
{
    std::vector<std::string> const all = Values(path, key, sep);
    return all.empty() ? std::string() : all.front();
}

uint64_t Number(std::string const& text) { return std::strtoull(text.c_str(), nullptr, 10); }

// Properties that hold the first line of a file, null when the file is
// missing or empty.
void ExpectFirstLines(CIMInstance const& instance,
                      std::map<const char*, std::string> const& propertyFiles)
{
    for (auto const& [property, file] : propertyFiles) {
        std::string const expected = FirstLine(file);
        EXPECT_EQ(expected.empty() ? "<null>" : expected, Str(instance, property)) << property;
    }
}

TEST_F(ProviderTest, SystemReportsTheRunningSystem)
{
    ASSERT_TRUE(Serve("kta_system"));
    std::string const host = FirstLine("/proc/sys/kernel/hostname");
    ASSERT_FALSE(host.empty());

    Array<CIMInstance> const systems = Enumerate("KTA_OperatingSystem");
    ASSERT_EQ(1u, systems.size());
    CIMInstance const& os = systems[0];
    EXPECT_EQ(Value("/etc/os-release", "PRETTY_NAME", '='), Str(os, "Name"));
    EXPECT_EQ(Value("/etc/os-release", "VERSION_ID", '='), Str(os, "Version"));
    EXPECT_EQ(FirstLine("/proc/sys/kernel/osrelease"), Str(os, "KernelRelease"));
    EXPECT_EQ(host, Str(os, "CSName"));
    EXPECT_EQ(Value("/proc/meminfo", "MemTotal", ':'), Str(os, "TotalVisibleMemorySize") + " kB");
    // The boot time in UTC, whatever offset the timestamp carries.
    CIMDateTime const boot(String(Str(os, "LastBootUpTime").c_str()));
    EXPECT_EQ(Number(Value("/proc/stat", "btime", ' ')),
              boot.toMicroSeconds() / 1000000 - 62167219200ULL);
    EXPECT_NEAR(std::atof(FirstLine("/proc/uptime").c_str()), Number(Str(os, "UptimeSeconds")), 5.0);
    double processes = 0;
    for (auto const& entry : fs::directory_iterator("/proc"))
        processes += std::isdigit(entry.path().filename().string()[0]) ? 1 : 0;
    EXPECT_NEAR(processes, Number(Str(os, "NumberOfProcesses")), 30.0);
    EXPECT_EQ("Seconds", Qualifier(Class("KTA_OperatingSystem"), "Units", "UptimeSeconds"));

    Array<CIMInstance> const computers = Enumerate("KTA_ComputerSystem");
    ASSERT_EQ(1u, computers.size());
    EXPECT_EQ(host, Str(computers[0], "Name"));
    ExpectFirstLines(computers[0], {{"Manufacturer", "/sys/class/dmi/id/sys_vendor"},
                                    {"Model", "/sys/class/dmi/id/product_name"}});
    EXPECT_EQ(std::to_string(Values("/proc/cpuinfo", "processor", ':').size()),
              Str(computers[0], "NumberOfLogicalProcessors"));
    EXPECT_EQ("0 1 2 3..32767 32768..65535 ",
              Qualifier(Class("KTA_ComputerSystem"), "ValueMap", "PlatformType"));

    // The abstract base is requested but has no instances of its own; its
    // subclass reports the installation's settings.
    EXPECT_EQ("TRUE", Qualifier(Class("KTA_ManagedItem"), "Abstract"));
    EXPECT_EQ("KTA_ManagedItem",
              Text(Class("KTA_SystemSettings").getSuperClassName().getString()));
    Array<CIMInstance> const settings = Enumerate("KTA_SystemSettings");
    ASSERT_EQ(1u, settings.size());
    ExpectFirstLines(settings[0], {{"MachineID", "/etc/machine-id"},
                                   {"BootID", "/proc/sys/kernel/random/boot_id"}});
}

// True when `value` lies in one of the ValueMap entries ("5", "3..10"; not
// the default "..") of a property.
bool InValueMap(CIMClass const& cls, const char* property, uint64_t value)
{
    std::istringstream entries(Qualifier(cls, "ValueMap", property));
    std::string entry;
    while (entries >> entry) {
        std::string::size_type const dots = entry.find("..");
        if (dots != 0 && Number(entry) <= value &&
            value <= (dots == std::string::npos ? Number(entry) : Number(entry.substr(dots + 2))))
            return true;
    }
    return false;
}

TEST_F(ProviderTest, CpuReportsEveryProcessorAndTheMemory)
{
    ASSERT_TRUE(Serve("kta_cpu"));
    std::vector<std::string> const numbers = Values("/proc/cpuinfo", "processor", ':');
    std::vector<std::string> const models = Values("/proc/cpuinfo", "model name", ':');
    std::vector<std::string> const caches = Values("/proc/cpuinfo", "cache size", ':');
    ASSERT_FALSE(numbers.empty());

    Array<CIMInstance> const cpus = Enumerate("KTA_Processor");
    ASSERT_EQ(numbers.size(), cpus.size());
    std::map<std::string, CIMInstance> byId;
    for (Uint32 i = 0; i < cpus.size(); i++)
        byId[Str(cpus[i], "DeviceID")] = cpus[i];
    CIMClass const processor = Class("KTA_Processor");
    for (std::size_t i = 0; i < numbers.size(); i++) {
        CIMInstance const& cpu = byId["CPU" + numbers[i]];
        ASSERT_FALSE(cpu.isUninitialized()) << "no CPU" << numbers[i];
        EXPECT_EQ(models.size() == numbers.size() ? models[i] : "<null>", Str(cpu, "ModelName"));
        EXPECT_EQ(caches.size() == numbers.size() ? caches[i] : "<null> KB",
                  Str(cpu, "CacheSize") + " KB");
        EXPECT_TRUE(InValueMap(processor, "Family", Number(Str(cpu, "Family"))))
            << Str(cpu, "Family");
        EXPECT_EQ(FirstLine("/proc/sys/kernel/hostname"), Str(cpu, "SystemName"));
    }
    EXPECT_EQ("1 2 3..10 11..14 15 43 131 132 179 198 205 206 .. 65534..65535 ",
              Qualifier(processor, "ValueMap", "Family"));
    EXPECT_EQ("MegaHertz", Qualifier(processor, "Units", "CurrentClockSpeed"));

    Array<CIMInstance> const memories = Enumerate("KTA_Memory");
    ASSERT_EQ(1u, memories.size());
    CIMInstance const& mem = memories[0];
    uint64_t const kib = 1024;
    for (auto const& [property, field] :
         std::map<const char*, const char*>{{"TotalMemory", "MemTotal"}, {"TotalSwap", "SwapTotal"}})
        EXPECT_EQ(Number(Value("/proc/meminfo", field, ':')) * kib, Number(Str(mem, property)));
    // Available memory moves; a tenth of the total is plenty of room.
    double const total = static_cast<double>(Number(Str(mem, "TotalMemory")));
    EXPECT_NEAR(static_cast<double>(Number(Value("/proc/meminfo", "MemAvailable", ':')) * kib),
                static_cast<double>(Number(Str(mem, "AvailableMemory"))), total / 10);
    EXPECT_EQ("Bytes", Qualifier(Class("KTA_Memory"), "Units", "AvailableMemory"));
}

// The installed packages of the status file, by name and architecture.
std::map<std::string, std::map<std::string, std::string>> InstalledPackages()
{
    std::map<std::string, std::map<std::string, std::string>> packages;
    std::istringstream status(nsptest::ReadFile("/var/lib/dpkg/status") + "\n");
    std::map<std::string, std::string> fields;
    std::string line;
    // "Name: value" lines by hand: a regular expression over the long
    // description lines recurses deep enough to overflow the stack of an
    // instrumented build.
    auto const isNameChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
    };
    while (std::getline(status, line)) {
        if (line.empty()) {
            if (fields["Status"] == "install ok installed")
                packages[fields["Package"] + ":" + fields["Architecture"]] = fields;
            fields.clear();
            continue;
        }
        std::string::size_type colon = 0;
        while (colon < line.size() && isNameChar(line[colon]))
            ++colon;
        if (colon == 0 || colon == line.size() || line[colon] != ':')
            continue;  // a continuation line or no field
        std::string::size_type begin = line.find_first_not_of(" \t", colon + 1);
        std::string::size_type end = line.find_last_not_of(" \t");
        fields[line.substr(0, colon)] =
            begin == std::string::npos || end < begin ? std::string()
                                                      : line.substr(begin, end - begin + 1);
    }
    return packages;
}

TEST_F(ProviderTest, SoftwareReportsEveryInstalledPackage)
{
    ASSERT_TRUE(Serve("kta_software"));
    auto const packages = InstalledPackages();
    ASSERT_FALSE(packages.empty());

    // Thousands of packages through the server in well under the time a
    // process per package would take.
    auto const start = std::chrono::steady_clock::now();
    Array<CIMInstance> const identities = Enumerate("KTA_SoftwareIdentity");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_EQ(packages.size(), identities.size());
    std::set<std::string> ids;
    for (Uint32 i = 0; i < identities.size(); i++) {
        CIMInstance const& identity = identities[i];
        std::string const key = Str(identity, "Name") + ":" + Str(identity, "Architecture");
        ids.insert(Str(identity, "InstanceID"));
        auto const it = packages.find(key);
        ASSERT_NE(packages.end(), it) << key;
        auto fields = it->second;
        for (auto const& [property, field] : std::map<const char*, const char*>{
                 {"VersionString", "Version"}, {"Manufacturer", "Maintainer"},
                 {"Description", "Description"}, {"InstalledSize", "Installed-Size"}})
            EXPECT_EQ(fields.count(field) ? fields[field] : "<null>", Str(identity, property))
                << key << " " << property;
    }
    EXPECT_EQ(identities.size(), ids.size()) << "InstanceIDs are not unique";
    // A package every Debian system has, found by its key.
    auto const libc = std::find_if(packages.begin(), packages.end(),
                                   [](auto const& p) { return p.second.at("Package") == "libc6"; });
    ASSERT_NE(packages.end(), libc) << "libc6 is not installed";
    CIMInstance const libc6 = fClient.getInstance(
        fNsp.c_str(), CIMObjectPath(("KTA_SoftwareIdentity.InstanceID=\"KTA:" +
                                               libc->first + "\"").c_str()));
    EXPECT_EQ(libc->second.at("Version"), Str(libc6, "VersionString"));
    EXPECT_EQ("KiloBytes", Qualifier(Class("KTA_SoftwareIdentity"), "Units", "InstalledSize"));

    // The file lists: requested, held back from collection, one per list.
    EXPECT_EQ("TRUE", Qualifier(Class("KTA_SoftwareFile"), "DONTCOLLECT"));
    std::map<std::string, std::size_t> lines;
    for (auto const& entry : fs::directory_iterator("/var/lib/dpkg/info"))
        if (entry.path().extension() == ".list") {
            std::string const text = nsptest::ReadFile(entry.path().string());
            lines[entry.path().string()] = std::count(text.begin(), text.end(), '\n');
        }
    Array<CIMInstance> const lists = Enumerate("KTA_SoftwareFile");
    ASSERT_EQ(lines.size(), lists.size());
    for (Uint32 i = 0; i < lists.size(); i++)
        EXPECT_EQ(std::to_string(lines[Str(lists[i], "ListFile")]), Str(lists[i], "FileCount"))
            << Str(lists[i], "ListFile");
}

} // namespace
