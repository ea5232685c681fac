// TPEGASUSNamespaceProvider: the plug-in's namespace provider, named
// "pegasus", through which the host obtains the one TPEGASUSNamespace of this
// plug-in.  Also declares the library's load-time pieces: the default
// time-out text strTimeout and the initialiser CmpiInit.
//
// Ownership: one process-wide provider (GetInstance), held by a
// boost::shared_ptr and released at library unload.  The provider keeps the
// namespace it allocated last until ClearNamespace or the next allocation;
// the namespace stops its CIM server when its last holder lets it go.
// Thread safety: none.  GetInstance may be called from any thread (it relies
// on thread-safe static initialisation); AllocateNamespace, GetNamespace and
// ClearNamespace must not run concurrently.
#ifndef NQRVKTA20_TPEGASUSNAMESPACEPROVIDER_H
#define NQRVKTA20_TPEGASUSNAMESPACEPROVIDER_H

#include <cstdint>
#include <string>

#include <boost/shared_ptr.hpp>

#include "INamespaceProvider.h"
#include "TCIMContext.h"

namespace NQRVKTA20 {

class ICIMNamespace;
class TPEGASUSNamespace;

// Default CIM-operation time-out, in seconds, as text ("60"): used when a
// call context carries no "timeout" entry.
extern const std::string strTimeout;

// Load-time initialiser, run once when the library is loaded: records the
// directory holding the library in GetfgModulePathName().  When the loader
// cannot say which file holds the library it logs
// "PEGASUS NSP initialization failed" (severity 0) and leaves the directory
// empty.  Never throws.
void CmpiInit();

class TPEGASUSNamespaceProvider : public INamespaceProvider {
public:
    // The singleton, created on the first call.
    static boost::shared_ptr<TPEGASUSNamespaceProvider> GetInstance();

    // Registers the singleton with the host's namespace-provider manager.
    // Called by the host after loading the library.  Returns the host status
    // code 0.
    static uint32_t Initialize();

    // The namespace allocated last; empty before the first allocation and
    // after ClearNamespace.
    static boost::shared_ptr<TPEGASUSNamespace> GetNamespace();

    // Drops the provider's reference to its namespace.  The namespace (and
    // with it the private CIM server) goes when its last holder releases it.
    static void ClearNamespace();

    // The directory holding this library, without a trailing "/"; empty when
    // it could not be determined.  Written only by CmpiInit.
    static std::string& GetfgModulePathName();

    ~TPEGASUSNamespaceProvider() override;

    TPEGASUSNamespaceProvider(TPEGASUSNamespaceProvider const&) = delete;
    TPEGASUSNamespaceProvider& operator=(TPEGASUSNamespaceProvider const&) = delete;

    // "pegasus", whatever the context.
    std::string const& GetName(TCIMContext context) const override;

    // Builds a new TPEGASUSNamespace from `context` (which must hold the
    // host's "repository" namespace, else TKTAException 38), keeps it in
    // place of any earlier one, starts its CIM server (Initialize) and
    // registers the vendor providers (FindProviders).  `flag` and `name` are
    // not used.  Exceptions of those steps pass through; when start-up or
    // provider registration throws, the provider already holds the new
    // namespace.
    boost::shared_ptr<ICIMNamespace> AllocateNamespace(TCIMContext context, bool flag,
                                                       std::string name) const override;

    // 0.
    int GetType(TCIMContext context) const override;

    // false: the namespace delivers no indications.
    bool IsIndicationsSupported(TCIMContext context) const override;

private:
    TPEGASUSNamespaceProvider();

    // Set by AllocateNamespace, which the interface declares const.
    mutable boost::shared_ptr<TPEGASUSNamespace> fNamespace;
};

} // namespace NQRVKTA20

#endif
