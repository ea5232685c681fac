// TInventoryHost: kta-inventory's side of the host contract.  Loads the
// namespace plug-in from an installation root the way the host framework
// does (dlopen, then the plug-in's TPEGASUSNamespaceProvider::Initialize
// found by its symbol, which registers the "pegasus" namespace provider with
// the namespace-provider manager), allocates the namespace through the
// provider and releases it again, which stops the private CIM server.
//
// The program links only the host libraries; everything of the plug-in is
// reached through the manager, the interfaces and two symbols.
//
// The plug-in takes its root from the working directory: the caller must
// have made the installation root the working directory before Start.
// Failures are thrown as std::runtime_error with a text for the user.
#ifndef NQRVKTA20_TINVENTORYHOST_H
#define NQRVKTA20_TINVENTORYHOST_H

#include <cstdint>
#include <string>

#include <boost/shared_ptr.hpp>

#include "ICIMNamespace.h"
#include "INamespaceProvider.h"

namespace NQRVKTA20 {

class TInventoryHost {
public:
    // The plug-in library and the server program below a root.
    static const char kPluginFile[];    // "libpegasus.nsp.so"
    static const char kServerProgram[]; // "pegasus/bin/cimserver"
    static const char kProviderName[];  // "pegasus"

    // Empty when `root` holds an installation; otherwise the user's text
    // naming what is missing.
    static std::string CheckInstallation(std::string const& root);

    // Makes the server's planned configuration below `root` name the start
    // file in which the plug-in looks for a server left over by an earlier
    // run of `consumer`, so that a run that was interrupted is cleaned up by
    // the next one.  Other settings of the file are kept.  Returns false
    // (and leaves the file as it was) when it cannot be rewritten.
    static bool PointStartFileAtConsumer(std::string const& root, std::string const& consumer);

    // Loads `root`/libpegasus.nsp.so and registers its namespace provider.
    explicit TInventoryHost(std::string const& root);
    // Release().  The library stays loaded: its code is still referenced by
    // static objects until the process ends.
    ~TInventoryHost();

    TInventoryHost(TInventoryHost const&) = delete;
    TInventoryHost& operator=(TInventoryHost const&) = delete;

    // Allocates the namespace with a fresh in-memory repository namespace
    // and `consumer` in the call context; this starts the private CIM server
    // and registers the vendor providers (several seconds).  Exceptions of
    // the plug-in become std::runtime_error.
    boost::shared_ptr<ICIMNamespace> Start(std::string const& consumer);

    // Whether the namespace is connected to its server: only then does it
    // serve its root class.
    bool IsConnected() const;

    // Drops every reference to the namespace (the provider's included), so
    // that it stops its server, and unregisters the provider.  Idempotent.
    void Release();

private:
    void* fLibrary;
    uint32_t (*fInitialize)();
    void (*fClearNamespace)();
    boost::shared_ptr<INamespaceProvider> fProvider;
    // Handed to the plug-in by address: it must live as long as the call.
    boost::shared_ptr<ICIMNamespace> fRepository;
    boost::shared_ptr<ICIMNamespace> fNamespace;
};

} // namespace NQRVKTA20

#endif
