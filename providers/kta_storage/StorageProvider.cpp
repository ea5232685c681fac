// The kta_storage provider: the machine's disks (KTA_DiskDrive, from
// /sys/block) and the file systems mounted on it (KTA_FileSystem, from
// /proc/mounts and statvfs).  Everything is read anew on each request and
// nothing is kept between requests, so requests may run on several threads
// at once.  A value that cannot be read stays null; a disk or file system
// that cannot be read at all is left out, never the whole enumeration.
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <sstream>
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
using ktaprovider::ReadFile;
using ktaprovider::ReadFirstLine;

const char* const kSystemClass = "KTA_ComputerSystem";
const char* const kDiskClass = "KTA_DiskDrive";
const char* const kFileSystemClass = "KTA_FileSystem";

// The kernel's size unit for block devices, whatever their sector size.
const uint64_t kSectorBytes = 512;

// File system types that hold no stored data of their own: kernel
// interfaces and memory-backed file systems.  cgroup file systems are
// recognised by their prefix.
const std::set<std::string> kPseudoTypes = {
    "autofs",   "binfmt_misc", "bpf",       "configfs", "debugfs",   "devpts",
    "devtmpfs", "efivarfs",    "fusectl",   "hugetlbfs", "mqueue",   "nsfs",
    "proc",     "pstore",      "ramfs",     "rpc_pipefs", "securityfs", "selinuxfs",
    "sysfs",    "tmpfs",       "tracefs",   "nfsd"};

// A sysfs flag ("0" or "1"); null for anything else.
CIMValue FlagValue(const std::string& text)
{
    return OptionalValue(text == "0" || text == "1", Boolean(text == "1"));
}

// ---- Disks ----------------------------------------------------------------

// RAM disks, compressed RAM and loop devices are views of memory or files,
// not disks.
bool IsDiskName(const std::string& name)
{
    for (const char* prefix : {"loop", "ram", "zram"})
        if (name.compare(0, std::string(prefix).size(), prefix) == 0)
            return false;
    return true;
}

// The names of the disks reported: the block devices of /sys/block that are
// disks and have a size.
std::vector<std::string> DiskNames()
{
    std::vector<std::string> names;
    for (const std::string& name : ListDirectory("/sys/block")) {
        uint64_t sectors = 0;
        if (IsDiskName(name) &&
            ParseUint64(ReadFirstLine("/sys/block/" + name + "/size"), sectors) && sectors > 0)
            names.push_back(name);
    }
    return names;
}

CIMObjectPath DiskPath(const std::string& host, const std::string& disk)
{
    Array<CIMKeyBinding> keys;
    keys.append(
        CIMKeyBinding(CIMName("SystemCreationClassName"), kSystemClass, CIMKeyBinding::STRING));
    keys.append(CIMKeyBinding(CIMName("SystemName"), host.c_str(), CIMKeyBinding::STRING));
    keys.append(CIMKeyBinding(CIMName("CreationClassName"), kDiskClass, CIMKeyBinding::STRING));
    keys.append(CIMKeyBinding(CIMName("DeviceID"), disk.c_str(), CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(), CIMName(kDiskClass), keys);
}

CIMInstance DiskInstance(const std::string& host, const std::string& name)
{
    std::string const dir = "/sys/block/" + name;
    uint64_t sectors = 0;
    bool const sized = ParseUint64(ReadFirstLine(dir + "/size"), sectors);
    return InstanceBuilder(kDiskClass)
        .AddText("SystemCreationClassName", kSystemClass)
        .AddText("SystemName", host)
        .AddText("CreationClassName", kDiskClass)
        .AddText("DeviceID", name)
        .AddText("Name", "/dev/" + name)
        .AddText("ElementName", name)
        .Add("Size", OptionalValue(sized, Uint64(sectors * kSectorBytes)))
        .AddText("Model", ReadFirstLine(dir + "/device/model"))
        .AddText("Vendor", ReadFirstLine(dir + "/device/vendor"))
        .Add("Rotational", FlagValue(ReadFirstLine(dir + "/queue/rotational")))
        .Add("Removable", FlagValue(ReadFirstLine(dir + "/removable")))
        .Finish({"SystemCreationClassName", "SystemName", "CreationClassName", "DeviceID"});
}

// ---- File systems ---------------------------------------------------------

struct Mount {
    std::string source;
    std::string root;
    std::string type;
};

// A field of /proc/mounts with its octal escapes (\040 for a blank, ...)
// decoded.
std::string Unescape(const std::string& field)
{
    std::string text;
    for (std::string::size_type i = 0; i < field.size(); i++) {
        bool const octal =
            field[i] == '\\' && i + 3 < field.size() &&
            field.substr(i + 1, 3).find_first_not_of("01234567") == std::string::npos;
        if (octal) {
            text += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

// The mounts of real file systems, one per mount point in mount order; a
// mount point mounted over keeps the later (visible) mount.
std::vector<Mount> RealMounts()
{
    std::string text;
    std::vector<Mount> mounts;
    if (!ReadFile("/proc/mounts", text))
        return mounts;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        Mount mount;
        if (!(fields >> mount.source >> mount.root >> mount.type) ||
            kPseudoTypes.count(mount.type) != 0 || mount.type.compare(0, 6, "cgroup") == 0)
            continue;
        mount.source = Unescape(mount.source);
        mount.root = Unescape(mount.root);
        for (auto it = mounts.begin(); it != mounts.end(); ++it)
            if (it->root == mount.root) {
                mounts.erase(it);
                break;
            }
        mounts.push_back(mount);
    }
    return mounts;
}

// The disk a mounted file system lives on: the block device its source
// names (links such as /dev/mapper/... or /dev/disk/by-uuid/... followed),
// else the device number of its root; a partition gives its disk.  Empty
// when there is none.
std::string DiskOf(const Mount& mount, dev_t device)
{
    char resolved[PATH_MAX];
    std::string sys;
    if (mount.source.compare(0, 5, "/dev/") == 0 && realpath(mount.source.c_str(), resolved)) {
        std::string const node = resolved;
        sys = "/sys/class/block/" + node.substr(node.rfind('/') + 1);
    }
    if (sys.empty() || access(sys.c_str(), F_OK) != 0)
        sys = "/sys/dev/block/" + std::to_string(major(device)) + ":" +
              std::to_string(minor(device));
    if (!realpath(sys.c_str(), resolved))
        return std::string();
    std::string path = resolved;
    if (access((path + "/partition").c_str(), F_OK) == 0)
        path.erase(path.rfind('/'));
    return path.substr(path.rfind('/') + 1);
}

// The file system mounted at `mount`; false when it is no directory (a file
// mounted onto a file), cannot be asked, or holds no blocks (a pseudo file
// system not in the list).
bool FileSystemInstance(const std::string& host, const Mount& mount,
                        const std::vector<std::string>& disks, CIMInstance& result)
{
    struct stat status;
    struct statvfs vfs;
    if (stat(mount.root.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        statvfs(mount.root.c_str(), &vfs) != 0 || vfs.f_blocks == 0)
        return false;
    uint64_t const block = vfs.f_frsize;
    std::string const disk = DiskOf(mount, status.st_dev);
    bool const known = !disk.empty() && std::find(disks.begin(), disks.end(), disk) != disks.end();
    result = InstanceBuilder(kFileSystemClass)
                 .AddText("CSCreationClassName", kSystemClass)
                 .AddText("CSName", host)
                 .AddText("CreationClassName", kFileSystemClass)
                 .AddText("Name", mount.root)
                 .AddText("Root", mount.root)
                 .AddText("Source", mount.source)
                 .AddText("FileSystemType", mount.type)
                 .Add("BlockSize", CIMValue(Uint64(block)))
                 .Add("FileSystemSize", CIMValue(Uint64(vfs.f_blocks * block)))
                 .Add("AvailableSpace", CIMValue(Uint64(vfs.f_bavail * block)))
                 .Add("ReadOnly", CIMValue(Boolean((vfs.f_flag & ST_RDONLY) != 0)))
                 .Add("MaxFileNameLength", CIMValue(Uint32(vfs.f_namemax)))
                 // File systems without an inode table report no files.
                 .Add("NumberOfFiles",
                      OptionalValue(vfs.f_files > 0, Uint64(vfs.f_files - vfs.f_ffree)))
                 .Finish({"CSCreationClassName", "CSName", "CreationClassName", "Name"});
    // A reference property carries the class it refers to, null or not.
    result.addProperty(CIMProperty(CIMName("Device"),
                                   known ? CIMValue(DiskPath(host, disk))
                                         : CIMValue(CIMTYPE_REFERENCE, false),
                                   0, CIMName(kDiskClass)));
    return true;
}

// ---- The provider ---------------------------------------------------------

class StorageProvider : public ktaprovider::ReadOnlyInstanceProvider
{
protected:
    // The instances of `className` as the machine is now.  One that cannot
    // be built (a name that is not UTF-8, say) is left out.
    Array<CIMInstance> Collect(const CIMName& className) override
    {
        Array<CIMInstance> instances;
        std::string const host = HostName();
        std::vector<std::string> const disks = DiskNames();
        if (className.equal(CIMName(kDiskClass))) {
            for (const std::string& disk : disks)
                try {
                    instances.append(DiskInstance(host, disk));
                } catch (const Exception&) {
                }
        } else if (className.equal(CIMName(kFileSystemClass))) {
            for (const Mount& mount : RealMounts())
                try {
                    CIMInstance fs;
                    if (FileSystemInstance(host, mount, disks, fs))
                        instances.append(fs);
                } catch (const Exception&) {
                }
        }
        return instances;
    }
};

} // namespace

extern "C" PEGASUS_EXPORT CIMProvider* PegasusCreateProvider(const String& providerName)
{
    if (providerName == "KTA_StorageProvider")
        return new StorageProvider();
    return 0;
}
