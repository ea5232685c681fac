// The kta_storage, kta_network and kta_diag providers in the staged server:
// each test copies one staged provider folder into a root of its own,
// registers it as the plug-in does and compares what our client gets with
// what this test reads from /sys, /proc and statvfs itself.  Fails when a
// staged program or provider file is missing.
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
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

uint64_t Number(std::string const& path) { return std::strtoull(FirstLine(path).c_str(), 0, 10); }

std::vector<std::string> Entries(std::string const& dir)
{
    std::vector<std::string> names;
    for (auto const& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The instances by the text of property `key`.
std::map<std::string, CIMInstance> ByKey(Array<CIMInstance> const& instances, const char* key)
{
    std::map<std::string, CIMInstance> result;
    for (Uint32 i = 0; i < instances.size(); i++)
        result[Str(instances[i], key)] = instances[i];
    return result;
}

// The DeviceID key of a reference value; "<null>" for a null one.
std::string DeviceOf(CIMValue const& reference)
{
    if (reference.isNull())
        return "<null>";
    CIMObjectPath path;
    reference.get(path);
    Array<CIMKeyBinding> const keys = path.getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); i++)
        if (keys[i].getName().equal("DeviceID"))
            return Text(keys[i].getValue());
    return "<no DeviceID>";
}

using DeviceProviderTest = ProviderTest;

TEST_F(DeviceProviderTest, StorageReportsDisksAndFileSystems)
{
    ASSERT_TRUE(Serve("kta_storage"));

    // Disks: the sized block devices other than loop and RAM devices.
    std::map<std::string, CIMInstance> const disks = ByKey(Enumerate("KTA_DiskDrive"), "DeviceID");
    std::set<std::string> expected;
    for (std::string const& name : Entries("/sys/block"))
        if (name.rfind("loop", 0) != 0 && name.rfind("ram", 0) != 0 && name.rfind("zram", 0) != 0 &&
            Number("/sys/block/" + name + "/size") > 0)
            expected.insert(name);
    ASSERT_FALSE(expected.empty()) << "no disk in /sys/block";
    std::set<std::string> reported;
    for (auto const& [name, disk] : disks) {
        reported.insert(name);
        std::string const dir = "/sys/block/" + name;
        EXPECT_EQ(std::to_string(Number(dir + "/size") * 512), Str(disk, "Size")) << name;
        std::string const model = FirstLine(dir + "/device/model");
        EXPECT_EQ(model.empty() ? "<null>" : model, Str(disk, "Model")) << name;
        EXPECT_EQ(FirstLine(dir + "/queue/rotational") == "1" ? "TRUE" : "FALSE",
                  Str(disk, "Rotational"))
            << name;
        EXPECT_EQ(FirstLine("/proc/sys/kernel/hostname"), Str(disk, "SystemName"));
    }
    EXPECT_EQ(expected, reported);
    EXPECT_EQ("Bytes", Qualifier(Class("KTA_DiskDrive"), "Units", "Size"));

    // File systems: one per mount point; "/" with statvfs's figures, on
    // the disk its device number names (a partition names its disk).
    Array<CIMInstance> const fileSystems = Enumerate("KTA_FileSystem");
    std::map<std::string, CIMInstance> const mounted = ByKey(fileSystems, "Root");
    EXPECT_EQ(fileSystems.size(), mounted.size());
    ASSERT_EQ(1u, mounted.count("/"));
    CIMInstance const& root = mounted.at("/");
    struct statvfs vfs;
    ASSERT_EQ(0, statvfs("/", &vfs));
    uint64_t const size = uint64_t(vfs.f_blocks) * vfs.f_frsize;
    EXPECT_EQ(std::to_string(size), Str(root, "FileSystemSize"));
    double const avail = std::strtod(Str(root, "AvailableSpace").c_str(), 0);
    EXPECT_NEAR(double(vfs.f_bavail) * vfs.f_frsize, avail, size / 100.0);
    // The device: the one the source names (btrfs, say, gives "/" a device
    // number of its own), else the one of the root's device number.
    struct stat status;
    ASSERT_EQ(0, stat("/", &status));
    std::string const source = Str(root, "Source");
    std::string disk = "<null>";
    for (std::string const& sys :
         {source.rfind("/dev/", 0) == 0 && fs::exists(source)
              ? "/sys/class/block/" + fs::canonical(source).filename().string()
              : "",
          "/sys/dev/block/" + std::to_string(major(status.st_dev)) + ":" +
              std::to_string(minor(status.st_dev))})
        if (!sys.empty() && fs::exists(sys) && disk == "<null>") {
            fs::path device = fs::canonical(sys);
            if (fs::exists(device / "partition"))
                device = device.parent_path();
            if (expected.count(device.filename()))
                disk = device.filename();
        }
    EXPECT_EQ(disk, DeviceOf(root.getProperty(root.findProperty("Device")).getValue()));

    // No pseudo file system, and the same file systems through the
    // abstract base.
    for (auto const& [at, mount] : mounted)
        for (const char* pseudo : {"proc", "sysfs", "tmpfs", "devtmpfs", "devpts", "cgroup"})
            EXPECT_NE(pseudo, Str(mount, "FileSystemType")) << at;
    std::map<std::string, CIMInstance> const viaBase =
        ByKey(Enumerate("KTA_MountedFileSystem"), "Root");
    ASSERT_EQ(mounted.size(), viaBase.size());
    for (auto const& [at, mount] : viaBase) {
        EXPECT_EQ(1u, mounted.count(at));
        EXPECT_EQ("KTA_FileSystem", Text(mount.getClassName().getString())) << at;
    }
    CIMClass const fsClass = Class("KTA_FileSystem");
    for (const char* property : {"FileSystemSize", "AvailableSpace"})
        EXPECT_EQ("Bytes", Qualifier(fsClass, "Units", property)) << property;
}

TEST_F(DeviceProviderTest, NetworkReportsEveryInterface)
{
    ASSERT_TRUE(Serve("kta_network"));
    std::map<std::string, uint16_t> const states = {
        {"unknown", 0}, {"notpresent", 1}, {"down", 2}, {"lowerlayerdown", 3},
        {"testing", 4}, {"dormant", 5},    {"up", 6}};
    std::map<std::string, uint64_t> rxBefore;
    for (std::string const& name : Entries("/sys/class/net"))
        rxBefore[name] = Number("/sys/class/net/" + name + "/statistics/rx_bytes");

    std::map<std::string, CIMInstance> const ports =
        ByKey(Enumerate("KTA_NetworkPort"), "DeviceID");
    std::vector<std::string> names;
    for (auto const& [name, port] : ports) {
        names.push_back(name);
        std::string const dir = "/sys/class/net/" + name + "/";
        EXPECT_EQ(FirstLine(dir + "mtu"), Str(port, "ActiveMaximumTransmissionUnit")) << name;
        EXPECT_EQ(FirstLine(dir + "address"), Str(port, "PermanentAddress")) << name;
        auto const state = states.find(FirstLine(dir + "operstate"));
        EXPECT_EQ(state == states.end() ? "<null>" : std::to_string(state->second),
                  Str(port, "OperState"))
            << name;
        // The kernel gives Mb/s, -1 or an error when it knows no speed.
        std::string const speed = FirstLine(dir + "speed");
        EXPECT_EQ(speed.empty() || speed[0] == '-' ? "<null>"
                                                   : std::to_string(std::stoull(speed) * 1000000),
                  Str(port, "Speed"))
            << name;
    }
    EXPECT_EQ(Entries("/sys/class/net"), names);
    EXPECT_EQ(1u, ports.count("lo"));
    CIMClass const portClass = Class("KTA_NetworkPort");
    EXPECT_EQ("Bits per Second", Qualifier(portClass, "Units", "Speed"));
    EXPECT_EQ("0 1 2 3 4 5 6 ", Qualifier(portClass, "ValueMap", "OperState"));
    EXPECT_EQ("Unknown Not Present Down Lower Layer Down Testing Dormant Up ",
              Qualifier(portClass, "Values", "OperState"));

    // The statistics class: one instance per interface, counters no
    // smaller than a moment ago.
    std::map<std::string, CIMInstance> const stats =
        ByKey(Enumerate("KTA_NetworkPortStatistics"), "ElementName");
    ASSERT_EQ(rxBefore.size(), stats.size());
    for (auto const& [name, before] : rxBefore) {
        ASSERT_EQ(1u, stats.count(name)) << name;
        EXPECT_EQ("KTA:NetworkPortStatistics:" + name, Str(stats.at(name), "InstanceID"));
        EXPECT_GE(std::stoull(Str(stats.at(name), "BytesReceived")), before) << name;
    }
}

TEST_F(DeviceProviderTest, GetCountersReadsLiveCounters)
{
    ASSERT_TRUE(Serve("kta_network"));
    const char* const files[] = {"rx_bytes", "tx_bytes", "rx_packets", "tx_packets"};
    const char* const outs[] = {"ReceivedBytes", "TransmittedBytes", "ReceivedPackets",
                                "TransmittedPackets"};
    // Counters of `ports` summed, as the kernel has them now.
    auto const counters = [&](std::vector<std::string> const& ports) {
        std::vector<uint64_t> sums(4, 0);
        for (std::string const& port : ports)
            for (int i = 0; i < 4; i++)
                sums[i] += Number("/sys/class/net/" + port + "/statistics/" + files[i]);
        return sums;
    };
    Array<CIMKeyBinding> keys;
    keys.append(
        CIMKeyBinding("SystemCreationClassName", "KTA_ComputerSystem", CIMKeyBinding::STRING));
    keys.append(CIMKeyBinding("SystemName", FirstLine("/proc/sys/kernel/hostname").c_str(),
                              CIMKeyBinding::STRING));
    keys.append(CIMKeyBinding("CreationClassName", "KTA_NetworkPort", CIMKeyBinding::STRING));
    keys.append(CIMKeyBinding("DeviceID", "lo", CIMKeyBinding::STRING));
    CIMObjectPath const lo(String(), CIMNamespaceName(), "KTA_NetworkPort", keys);
    CIMObjectPath const portClass(String(), CIMNamespaceName(), "KTA_NetworkPort");

    // Scale typed, absent, zero, and as a reference whose text ends in
    // the number; on lo (the client's own traffic runs over it) and on
    // the class (every interface summed).
    struct Call {
        CIMObjectPath target;
        CIMValue scale;
        uint64_t divisor;
    };
    for (Call const& c : {Call{lo, CIMValue(Uint16(1)), 1}, Call{lo, CIMValue(), 1},
                          Call{lo, CIMValue(Uint16(0)), 1}, Call{lo, CIMValue(Uint16(1000)), 1000},
                          Call{lo, CIMValue(CIMObjectPath("KTA_Scale.Value=1000")), 1000},
                          Call{portClass, CIMValue(Uint16(1)), 1}}) {
        std::vector<std::string> const ports =
            c.target.getKeyBindings().size() ? std::vector<std::string>{"lo"}
                                             : Entries("/sys/class/net");
        std::vector<uint64_t> const before = counters(ports);
        Array<CIMParamValue> in;
        Array<CIMParamValue> out;
        if (!c.scale.isNull())
            in.append(CIMParamValue("Scale", c.scale));
        CIMValue const result =
            fClient.invokeMethod(fNsp.c_str(), c.target, "GetCounters", in, out);
        std::vector<uint64_t> const after = counters(ports);
        std::string const what = Text(c.target.toString()) + " scale " + Text(c.scale.toString());
        EXPECT_EQ(CIMTYPE_UINT32, result.getType()) << what;
        EXPECT_EQ("0", Text(result.toString())) << what;
        std::map<std::string, uint64_t> got;
        for (Uint32 i = 0; i < out.size(); i++)
            got[Text(out[i].getParameterName())] = std::stoull(Text(out[i].getValue().toString()));
        ASSERT_EQ(4u, got.size()) << what;
        for (int i = 0; i < 4; i++) {
            EXPECT_GE(got[outs[i]], before[i] / c.divisor) << what << " " << outs[i];
            EXPECT_LE(got[outs[i]], after[i] / c.divisor) << what << " " << outs[i];
        }
    }

    // A name the machine has no interface for.
    keys[3] = CIMKeyBinding("DeviceID", "../lo", CIMKeyBinding::STRING);
    Array<CIMParamValue> out;
    CIMStatusCode code = CIM_ERR_SUCCESS;
    try {
        fClient.invokeMethod(fNsp.c_str(),
                             CIMObjectPath(String(), CIMNamespaceName(), "KTA_NetworkPort", keys),
                             "GetCounters", Array<CIMParamValue>(), out);
    } catch (CIMException const& e) {
        code = e.getCode();
    }
    EXPECT_EQ(CIM_ERR_NOT_FOUND, code);
}

TEST_F(DeviceProviderTest, DiagReportsTheLoadAverage)
{
    ASSERT_TRUE(Serve("kta_diag"));
    std::istringstream before(FirstLine("/proc/loadavg"));
    double averages[3] = {};
    unsigned runnable = 0, total = 0;
    char slash = 0;
    ASSERT_TRUE(before >> averages[0] >> averages[1] >> averages[2] >> runnable >> slash >> total);

    Array<CIMInstance> const loads = Enumerate("KTA_LoadAverage");
    ASSERT_EQ(1u, loads.size());
    const char* const names[] = {"OneMinute", "FiveMinutes", "FifteenMinutes"};
    for (int i = 0; i < 3; i++) {
        CIMValue const value = loads[0].getProperty(loads[0].findProperty(names[i])).getValue();
        ASSERT_EQ(CIMTYPE_REAL64, value.getType()) << names[i];
        Real64 average = -1;
        value.get(average);
        EXPECT_NEAR(averages[i], average, 1.0) << names[i];
    }
    double const tasks = std::stod(Str(loads[0], "TotalTasks"));
    EXPECT_NEAR(double(total), tasks, 64.0);
    EXPECT_LE(std::stod(Str(loads[0], "RunnableTasks")), tasks);
}

} // namespace
