#include "TPEGASUSNamespaceProvider.h"

#include <dlfcn.h>

#include "ICIMNamespace.h"
#include "INamespaceProviderManager.h"
#include "TPEGASUSNamespace.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

// The default time-out must exist before CmpiInit runs: both are set up by
// this unit's static initialisation, in the order they are defined here.
const std::string strTimeout = "60";

namespace {

struct TLoadTimeInit {
    TLoadTimeInit() { CmpiInit(); }
};

const TLoadTimeInit gLoadTimeInit;

} // namespace

void CmpiInit()
{
    Dl_info info;
    // Any address inside this library identifies it; CmpiInit's own is at
    // hand.
    if (dladdr(reinterpret_cast<void*>(&CmpiInit), &info) != 0 && info.dli_fname != nullptr) {
        std::string file(info.dli_fname);
        std::string::size_type slash = file.rfind('/');
        // A bare file name means the loader found the library relative to
        // the working directory.
        TPEGASUSNamespaceProvider::GetfgModulePathName() =
            slash == std::string::npos ? std::string(".") : file.substr(0, slash);
        return;
    }
    TRootObject::GetCoreLogger()->Log(0, "PEGASUS NSP initialization failed");
}

TPEGASUSNamespaceProvider::TPEGASUSNamespaceProvider()
{
}

TPEGASUSNamespaceProvider::~TPEGASUSNamespaceProvider()
{
}

boost::shared_ptr<TPEGASUSNamespaceProvider> TPEGASUSNamespaceProvider::GetInstance()
{
    static boost::shared_ptr<TPEGASUSNamespaceProvider> fgInstance(
        new TPEGASUSNamespaceProvider);
    return fgInstance;
}

uint32_t TPEGASUSNamespaceProvider::Initialize()
{
    boost::shared_ptr<INamespaceProviderManager> manager =
        TRootObject::GetNamespaceProviderManager();
    manager->RegisterNamespaceProvider(
        boost::shared_ptr<INamespaceProvider>(GetInstance()));
    return 0;
}

boost::shared_ptr<TPEGASUSNamespace> TPEGASUSNamespaceProvider::GetNamespace()
{
    return GetInstance()->fNamespace;
}

void TPEGASUSNamespaceProvider::ClearNamespace()
{
    GetInstance()->fNamespace.reset();
}

std::string& TPEGASUSNamespaceProvider::GetfgModulePathName()
{
    static std::string fgModulePathName;
    return fgModulePathName;
}

std::string const& TPEGASUSNamespaceProvider::GetName(TCIMContext) const
{
    static const std::string nspName = "pegasus";
    return nspName;
}

boost::shared_ptr<ICIMNamespace> TPEGASUSNamespaceProvider::AllocateNamespace(
    TCIMContext context, bool, std::string) const
{
    // Whatever namespace the host names, the plug-in serves root/cimv2.
    TCIMContext copy(context);
    boost::shared_ptr<TPEGASUSNamespace> created(new TPEGASUSNamespace(copy, "root/cimv2"));
    // Stored before start-up, so that a failing start still leaves the
    // namespace reachable through GetNamespace.
    fNamespace = created;
    if (fNamespace) {
        fNamespace->Initialize(TCIMContext(context));
        fNamespace->FindProviders();
    }
    return fNamespace;
}

int TPEGASUSNamespaceProvider::GetType(TCIMContext) const
{
    return 0;
}

bool TPEGASUSNamespaceProvider::IsIndicationsSupported(TCIMContext) const
{
    return false;
}

} // namespace NQRVKTA20
