// TPEGASUSNamespace: provider files, discovery, MOF loading, registration
// and the enumeration of the providers for the host.
#include "TPEGASUSNamespace.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <sstream>

#include <boost/thread/thread.hpp>

#include "ICIMClass.h"
#include "TConfig.h"
#include "TKTAException.h"
#include "TOSSpecific.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSNamespaceProvider.h"
#include "TPEGASUSProvider.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

void LogLine(int severity, std::string const& text)
{
    TRootObject::GetCoreLogger()->Log(severity, text);
}

// A directory listing that is closed however the caller leaves.
class TListing {
public:
    explicit TListing(std::string const& dir) : fDir(opendir(dir.c_str()))
    {
        if (fDir == nullptr)
            throw TKTAException(TKTAStatusCode::kCannotOpenDirectory, dir);
    }
    ~TListing() { closedir(fDir); }
    TListing(TListing const&) = delete;
    TListing& operator=(TListing const&) = delete;
    // The next entry's name; false at the end.
    bool Next(std::string& name)
    {
        dirent* entry = readdir(fDir);
        if (entry == nullptr)
            return false;
        name = entry->d_name;
        return true;
    }

private:
    DIR* fDir;
};

// A subdirectory entry of `dir` other than "." and "..".
bool IsSubDirectory(std::string const& dir, std::string const& name)
{
    if (name == "." || name == "..")
        return false;
    struct stat info;
    return stat((dir + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MultiThreaded()
{
    return TConfig::GetInstance().getValue("pegasus_multi_thread") == "on";
}

} // namespace

void TPEGASUSNamespace::callCimmof(std::string const& ns, std::string const& mofFile)
{
    std::vector<std::string> args;
    args.push_back("-n");
    args.push_back(ns);
    args.push_back("-aE");
    args.push_back(mofFile);
    std::string output;
    TOSSpecific::SpawnProcess("cimmof", args, fRootPath + "/pegasus/bin/cimmof", fEnvironment,
                              output, 32767);
    LogLine(3, output);
}

std::vector<std::string> TPEGASUSNamespace::FindSubDirs(std::string const& dir)
{
    TListing listing(dir);
    std::vector<std::string> names;
    std::string name;
    while (listing.Next(name))
        if (IsSubDirectory(dir, name))
            names.push_back(name);
    return names;
}

std::vector<std::string> TPEGASUSNamespace::FindXmlFiles(std::string const& root,
                                                         std::string const& pattern)
{
    TListing listing(root);
    std::vector<std::string> paths;
    std::string name;
    while (listing.Next(name)) {
        if (!IsSubDirectory(root, name))
            continue;
        // One level down only; the entries there are not tested for being
        // files.
        std::string const dir = root + "/" + name;
        TListing inner(dir);
        std::string entry;
        while (inner.Next(entry))
            if (entry.find(pattern) != std::string::npos)
                paths.push_back(dir + "/" + entry);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> TPEGASUSNamespace::FindMofFiles(std::string const& dir,
                                                         std::string const& pattern)
{
    TListing listing(dir);
    std::vector<std::string> paths;
    std::string name;
    while (listing.Next(name))
        if (name.find(pattern) != std::string::npos)
            paths.push_back(dir + "/" + name);
    return paths;
}

std::vector<std::string> TPEGASUSNamespace::BuildMofPath(std::string const& file,
                                                         std::string const& pattern)
{
    std::string::size_type const slash = file.rfind('/');
    if (slash == std::string::npos)
        throw TKTAException(TKTAStatusCode::kInvalidPath, file);
    return FindMofFiles(file.substr(0, slash), pattern);
}

void TPEGASUSNamespace::prepareRegProvider(std::string const& xmlPath)
{
    for (boost::shared_ptr<TPEGASUSProvider> const& known : fProviders)
        if (known->GetPath() == xmlPath)
            return;
    LogLine(3, "Loading... " + xmlPath);
    boost::shared_ptr<TPEGASUSProvider> provider(new TPEGASUSProvider);
    provider->SetType("pegasus");

    std::vector<std::string> classes;
    std::map<std::string, std::string> information;
    parseProvider(xmlPath, classes, information);

    provider->SetClassVector(classes);
    provider->SetDefaultTimeoutVal(information["timeout"]);
    provider->SetModuleName("lib" + information["module"]);
    provider->SetNameSpaceName(information["nsp"]);
    provider->SetPath(xmlPath);
    provider->SetName(information["module"]);
    provider->SetDescription(information["module"]);
    std::map<std::string, std::string>::const_iterator diagnostic =
        information.find("diagnosticonly");
    provider->SetDiagnosticOnly(diagnostic != information.end() && diagnostic->second == "YES");
    fProviders.push_back(provider);
    LogLine(3, "TPEGASUSNamespace created Provider " + xmlPath + "\n");
}

void TPEGASUSNamespace::FindProviders()
{
    std::vector<std::string> files =
        FindXmlFiles(TPEGASUSNamespaceProvider::GetfgModulePathName() + "/pegasus/provider",
                     kClassesExtension);
    LogLine(3, "TPEGASUSNamespace::Prefilter: " + std::to_string(files.size()) + " providers.");
    filterProviders(files);
    LogLine(3, "TPEGASUSNamespace::Postfilter: " + std::to_string(files.size()) + " providers.");
    for (std::string const& file : files) {
        try {
            prepareRegProvider(file);
        } catch (TKTAException const& e) {
            LogLine(0, e.what());
        }
    }

    LogLine(3, "before reg...");
    if (MultiThreaded()) {
        boost::thread_group threads;
        for (boost::shared_ptr<TPEGASUSProvider> const& provider : fProviders) {
            threads.create_thread([this, provider]() {
                // A provider that cannot be registered must not end the
                // process or keep the others from registering.
                try {
                    regProvider(provider->GetPath(), provider);
                } catch (std::exception const& e) {
                    LogLine(0, "TPEGASUSNamespace::regProvider " + provider->GetPath() +
                                   " failed: " + e.what());
                } catch (...) {
                    LogLine(0, "TPEGASUSNamespace::regProvider " + provider->GetPath() +
                                   " failed");
                }
            });
        }
        threads.join_all();
    } else {
        for (boost::shared_ptr<TPEGASUSProvider> const& provider : fProviders)
            regProvider(provider->GetPath(), provider);
    }
    LogLine(3, "after reg...");

    for (boost::shared_ptr<TPEGASUSProvider> const& provider : fProviders)
        finishRegProvider(provider->GetPath(), provider);
}

void TPEGASUSNamespace::regProvider(std::string const& path,
                                    boost::shared_ptr<TPEGASUSProvider> provider)
{
    LogLine(3, "Entering TPEGASUSNamespace::regProvider: " + path);
    std::vector<std::string> const properties = BuildMofPath(path, kSpecificationExtension);
    std::vector<std::string> const registrations = BuildMofPath(path, kRegistrationExtension);
    // Every class definition of the provider before its registration.
    for (std::string const& file : properties)
        callCimmof(provider->GetNameSpaceName(TCIMContext()), file);
    for (std::string const& file : registrations)
        callCimmof("root/PG_InterOp", file);
}

void TPEGASUSNamespace::finishRegProvider(std::string const& path,
                                          boost::shared_ptr<TPEGASUSProvider> provider)
{
    LogLine(3, "Entering TPEGASUSNamespace::ffinishRegProvider: " + path);
    std::vector<std::string> entries = provider->GetClassVector();
    std::string const defaultTimeout = provider->GetDefaultTimeoutVal();
    std::vector<boost::shared_ptr<ICIMClass>> collected;
    for (std::string& entry : entries) {
        std::map<std::string, std::string> tags;
        tags["TimeOut"] = defaultTimeout;
        std::string const name = filterTag4classes(entry, tags);
        TCIMContext context;
        context["nsp"] = TCIMValue(provider->GetNameSpaceName(TCIMContext()));
        context["timeout"] = TCIMValue(tags["TimeOut"]);
        boost::shared_ptr<TPEGASUSClass> cls =
            boost::dynamic_pointer_cast<TPEGASUSClass>(GetClass(name, context));
        if (!cls) {
            // The provider keeps its other classes.
            LogLine(0, "TPEGASUSNamespace::finishRegProvider: class " + name + " of provider " +
                           path + " cannot be had from the CIM server; it is left out");
            continue;
        }
        std::map<std::string, std::string>::const_iterator tag = tags.find("Tag");
        if (tag != tags.end() && tag->second == "CDM")
            cls->SetTag("CDM");
        cls->SetProvider(provider);
        collected.push_back(cls);
        LogLine(3, "TPEGASUSNamespace::Getting class: " + name + " from Pegasus CIMOM");
    }
    provider->SetCollectedClasses(collected);
    provider->initPegasusClient();
    provider->connectPegasusClient(fHost, fPort, "", "");
    LogLine(3, "TPEGASUSNamespace finished adding Provider " + path);
}

void TPEGASUSNamespace::EnumerateProviders(TProviderCallback const& callback, TCIMContext context)
{
    int pluginType = -1;
    TCIMContext::const_iterator entry = context.find("pluginType");
    if (entry != context.end()) {
        if (entry->second.GetType() != kSint8) {
            LogLine(0, "Invalid context pluginType datatype provided to "
                       "TPluginManagerNamespace::EnumerateProviders(), must be of type kSint8.");
            throw TKTAException(TKTAStatusCode::kWrongType, "pluginType");
        }
        pluginType = static_cast<signed char>(entry->second);
    }
    std::string const group = TConfig::GetInstance().getValue("single_thread_pegasus_group");
    auto inGroup = [&group](boost::shared_ptr<TPEGASUSProvider> const& provider) {
        return group.find(provider->GetName(TCIMContext())) != std::string::npos;
    };

    if (pluginType == 10) {
        std::ostringstream size;
        size << "TPEGASUSNamespace::EnumerateProviders: fProviders.size() = " << fProviders.size()
             << std::endl;
        LogLine(3, size.str());
        if (MultiThreaded()) {
            LogLine(3, "before inventory pegasus NSP");
            boost::thread_group threads;
            for (boost::shared_ptr<TPEGASUSProvider> const& provider : fProviders) {
                if (!inGroup(provider)) {
                    threads.create_thread([callback, provider]() {
                        // An exception of the host's callback ends only
                        // that provider's pass.
                        try {
                            callback(provider);
                        } catch (std::exception const& e) {
                            LogLine(0, "TPEGASUSNamespace::EnumerateProviders: provider " +
                                           provider->GetName(TCIMContext()) +
                                           " failed: " + e.what());
                        } catch (...) {
                            LogLine(0, "TPEGASUSNamespace::EnumerateProviders: provider " +
                                           provider->GetName(TCIMContext()) + " failed");
                        }
                    });
                }
                LogLine(3, "after inventory pegasus NSP");
            }
            threads.join_all();
            return;
        }
        LogLine(3, "before inventory pegasus NSP");
        for (boost::shared_ptr<TPEGASUSProvider> const& provider : fProviders)
            if (!inGroup(provider) && !callback(provider))
                break;
        LogLine(3, "after inventory pegasus NSP");
    } else if (pluginType == 11) {
        LogLine(3, "before inventory pegasus NSP");
        for (boost::shared_ptr<TPEGASUSProvider> const& provider : fProviders)
            if (inGroup(provider) && !callback(provider))
                break;
        LogLine(3, "after inventory pegasus NSP");
    }
}

} // namespace NQRVKTA20
