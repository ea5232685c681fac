// The kta_software provider (PG_Provider KTA_SoftwareProvider): one
// KTA_SoftwareIdentity per installed Debian package and one
// KTA_SoftwareFile per package file list.  A system holds thousands of
// packages, so each request reads /var/lib/dpkg/status once, in one piece,
// and picks the few fields it reports without copying the rest.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "ProviderSupport.h"

PEGASUS_USING_PEGASUS;

namespace {

using ktaprovider::InstanceBuilder;
using ktaprovider::OptionalValue;

const char* const kStatusFile = "/var/lib/dpkg/status";
const char* const kInfoDir = "/var/lib/dpkg/info";

// The fields of one package paragraph that the provider reports; views
// into the status file's text.
struct Package {
    std::string_view name, status, version, maintainer, architecture, installedSize, section,
        source, summary;

    void Set(std::string_view field, std::string_view value)
    {
        static const struct {
            const char* field;
            std::string_view Package::*member;
        } kFields[] = {{"Package", &Package::name},
                       {"Status", &Package::status},
                       {"Version", &Package::version},
                       {"Maintainer", &Package::maintainer},
                       {"Architecture", &Package::architecture},
                       {"Installed-Size", &Package::installedSize},
                       {"Section", &Package::section},
                       {"Source", &Package::source},
                       {"Description", &Package::summary}};
        for (auto const& f : kFields)
            if (field == f.field) {
                this->*f.member = value;
                return;
            }
    }
};

std::string_view TrimView(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string Str(std::string_view text) { return std::string(text.data(), text.size()); }

CIMInstance IdentityOf(Package const& p)
{
    // "Source: bash (5.2.15-2)" names the source and its version; without
    // the field the source package has the binary package's name.
    std::string_view source = p.source.empty() ? p.name : p.source;
    source = TrimView(source.substr(0, source.find(" (")));
    uint64_t size = 0;
    bool const haveSize = ktaprovider::ParseUint64(Str(p.installedSize), size);

    InstanceBuilder identity("KTA_SoftwareIdentity");
    identity.AddText("InstanceID", "KTA:" + Str(p.name) + ":" + Str(p.architecture))
        .AddText("Name", Str(p.name))
        .AddText("ElementName", Str(p.name))
        .AddText("VersionString", Str(p.version))
        .AddText("Manufacturer", Str(p.maintainer))
        .AddText("Architecture", Str(p.architecture))
        .Add("InstalledSize", OptionalValue(haveSize, Uint64(size)))
        .AddText("Section", Str(p.section))
        .AddText("SourcePackage", Str(source))
        .AddText("Description", Str(p.summary))
        .Add("IsEntity", CIMValue(Boolean(true)));
    return identity.Finish({"InstanceID"});
}

// Every package of the status file whose Status is "install ok installed".
void CollectPackages(Array<CIMInstance>& out)
{
    std::string text;
    if (!ktaprovider::ReadFile(kStatusFile, text))
        return;
    std::string_view const all(text);
    Package package;
    std::string_view::size_type at = 0;
    while (at <= all.size()) {
        std::string_view::size_type end = all.find('\n', at);
        if (end == std::string_view::npos)
            end = all.size();
        std::string_view const line = all.substr(at, end - at);
        at = end + 1;
        if (TrimView(line).empty()) {
            // A paragraph ends at a blank line (or the end of the file).
            if (!package.name.empty() && package.status == "install ok installed")
                out.append(IdentityOf(package));
            package = Package();
            continue;
        }
        // Continuation lines (multi-line fields) start with a blank.
        if (line.front() == ' ' || line.front() == '\t')
            continue;
        std::string_view::size_type const colon = line.find(':');
        if (colon != std::string_view::npos)
            package.Set(line.substr(0, colon), TrimView(line.substr(colon + 1)));
    }
}

// Lines in a file, counted in blocks; -1 when it cannot be read.
long CountLines(std::string const& path)
{
    int const fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    char buffer[65536];
    long lines = 0;
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0)
        lines += std::count(buffer, buffer + got, '\n');
    close(fd);
    return got < 0 ? -1 : lines;
}

void CollectFileLists(Array<CIMInstance>& out)
{
    std::string const suffix = ".list";
    for (std::string const& name : ktaprovider::ListDirectory(kInfoDir)) {
        if (name.size() <= suffix.size() ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        std::string const stem = name.substr(0, name.size() - suffix.size());
        std::string const path = std::string(kInfoDir) + "/" + name;
        long const lines = CountLines(path);
        InstanceBuilder list("KTA_SoftwareFile");
        list.AddText("InstanceID", "KTA:" + stem)
            .AddText("Name", stem.substr(0, stem.find(':')))
            .AddText("ListFile", path)
            .Add("FileCount", OptionalValue(lines >= 0, Uint32(lines < 0 ? 0 : lines)));
        out.append(list.Finish({"InstanceID"}));
    }
}

class SoftwareProvider : public ktaprovider::ReadOnlyInstanceProvider {
protected:
    Array<CIMInstance> Collect(const CIMName& className) override
    {
        Array<CIMInstance> out;
        if (className.equal(CIMName("KTA_SoftwareIdentity")))
            CollectPackages(out);
        else if (className.equal(CIMName("KTA_SoftwareFile")))
            CollectFileLists(out);
        return out;
    }
};

} // namespace

extern "C" PEGASUS_EXPORT CIMProvider* PegasusCreateProvider(const String& providerName)
{
    if (providerName == "KTA_SoftwareProvider")
        return new SoftwareProvider();
    return 0;
}
