#include "TInventoryHost.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "ICIMClass.h"
#include "INamespaceProviderManager.h"
#include "TCIMContext.h"
#include "TInmemNamespace.h"
#include "TKTAException.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

const char TInventoryHost::kPluginFile[] = "libpegasus.nsp.so";
const char TInventoryHost::kServerProgram[] = "pegasus/bin/cimserver";
const char TInventoryHost::kProviderName[] = "pegasus";

namespace {

// The plug-in's static members the host calls, by their symbols.
const char kInitializeSymbol[] = "_ZN9NQRVKTA2025TPEGASUSNamespaceProvider10InitializeEv";
const char kClearNamespaceSymbol[] = "_ZN9NQRVKTA2025TPEGASUSNamespaceProvider14ClearNamespaceEv";

const char kPlannedConfig[] = "pegasus/cimserver_planned.conf";
const std::size_t kMaxPlannedConfigBytes = 1024 * 1024;

void Log(int severity, std::string const& text)
{
    TRootObject::GetCoreLogger()->Log(severity, "kta-inventory: " + text);
}

bool IsFile(std::string const& path, bool executable)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           (!executable || access(path.c_str(), X_OK) == 0);
}

std::string Trimmed(std::string const& text)
{
    std::string::size_type const first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Described(TKTAException const& e)
{
    return e.GetDetail().empty() ? std::string(e.what())
                                 : std::string(e.what()) + " (" + e.GetDetail() + ")";
}

} // namespace

std::string TInventoryHost::CheckInstallation(std::string const& root)
{
    std::string const plugin = root + "/" + kPluginFile;
    std::string const server = root + "/" + kServerProgram;
    if (!IsFile(plugin, false))
        return "no installation in " + root + ": " + plugin + " is missing";
    if (!IsFile(server, true))
        return "no installation in " + root + ": " + server + " is missing or not executable";
    return std::string();
}

bool TInventoryHost::PointStartFileAtConsumer(std::string const& root, std::string const& consumer)
{
    std::string const path = root + "/" + kPlannedConfig;
    // The server takes the first value of a name: ours goes first, and
    // other start-file lines go.
    std::string wanted = "startFile=/var/tmp/cimserverqrv_tc_" + consumer + "_start.conf\n";
    std::string old;
    std::ifstream in(path);
    if (in) {
        std::string line;
        while (std::getline(in, line)) {
            old += line + "\n";
            if (old.size() > kMaxPlannedConfigBytes) {
                Log(1, path + " is too large; its start file is left as it is");
                return false;
            }
            std::string::size_type const equals = line.find('=');
            if (equals == std::string::npos || Trimmed(line.substr(0, equals)) != "startFile")
                wanted += line + "\n";
        }
    }
    if (old == wanted)
        return true;

    std::string const temporary = path + ".kta-inventory.tmp";
    std::ofstream out(temporary, std::ios::trunc);
    out << wanted;
    out.close();
    if (!out || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        Log(1, "cannot rewrite " + path + "; its start file is left as it is");
        return false;
    }
    return true;
}

TInventoryHost::TInventoryHost(std::string const& root)
    : fLibrary(nullptr), fInitialize(nullptr), fClearNamespace(nullptr)
{
    std::string const plugin = root + "/" + kPluginFile;
    // Loaded as the host framework loads its plug-ins.  The plug-in's
    // load-time initialiser records the directory of this very file as its
    // module directory, where it looks for the server schema and providers.
    fLibrary = dlopen(plugin.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (fLibrary == nullptr) {
        char const* reason = dlerror();
        throw std::runtime_error("cannot load the plug-in " + plugin + ": " +
                                 (reason != nullptr ? reason : "unknown reason"));
    }
    fInitialize = reinterpret_cast<uint32_t (*)()>(dlsym(fLibrary, kInitializeSymbol));
    fClearNamespace = reinterpret_cast<void (*)()>(dlsym(fLibrary, kClearNamespaceSymbol));
    if (fInitialize == nullptr || fClearNamespace == nullptr)
        throw std::runtime_error(plugin + " is not a namespace plug-in of this host "
                                          "(TPEGASUSNamespaceProvider::Initialize or "
                                          "ClearNamespace is missing)");
    uint32_t const status = fInitialize();
    if (status != 0)
        throw std::runtime_error("the plug-in's initialisation failed with status " +
                                 std::to_string(status));
    fProvider = TRootObject::GetNamespaceProviderManager()->FindNamespaceProvider(kProviderName);
    if (!fProvider)
        throw std::runtime_error(std::string("the plug-in registered no \"") + kProviderName +
                                 "\" namespace provider");
    Log(2, "loaded " + plugin);
}

TInventoryHost::~TInventoryHost()
{
    Release();
}

boost::shared_ptr<ICIMNamespace> TInventoryHost::Start(std::string const& consumer)
{
    if (!fProvider)
        throw std::runtime_error("the namespace provider has been released");
    fRepository.reset(new TInmemNamespace("repository"));
    TCIMContext context;
    context["repository"] =
        TCIMValue(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(&fRepository)));
    context["consumer"] = TCIMValue(consumer);
    try {
        fNamespace = fProvider->AllocateNamespace(context, false, "");
    } catch (TKTAException const& e) {
        throw std::runtime_error("the plug-in could not start its namespace: " + Described(e));
    } catch (std::exception const& e) {
        throw std::runtime_error(std::string("the plug-in could not start its namespace: ") +
                                 e.what());
    } catch (...) {
        throw std::runtime_error("the plug-in could not start its namespace (unexpected "
                                 "exception)");
    }
    if (!fNamespace)
        throw std::runtime_error("the plug-in gave no namespace");
    return fNamespace;
}

bool TInventoryHost::IsConnected() const
{
    return fNamespace && fNamespace->GetClass("", TCIMContext());
}

void TInventoryHost::Release()
{
    bool const hadNamespace = static_cast<bool>(fNamespace);
    fNamespace.reset();
    if (fClearNamespace != nullptr && fProvider) {
        if (hadNamespace)
            Log(2, "releasing the namespace; its CIM server stops");
        // The provider's reference is the last: the namespace's destructor
        // stops the server here.
        fClearNamespace();
    }
    fRepository.reset();
    if (fProvider) {
        TRootObject::GetNamespaceProviderManager()->UnregisterNamespaceProvider(kProviderName);
        fProvider.reset();
    }
}

} // namespace NQRVKTA20
