// INamespaceProvider: a factory for one kind of namespace, registered with the
// host's namespace-provider manager.
//
// Ownership: providers are held by boost::shared_ptr; the namespaces they
// allocate are returned as shared pointers and owned by whoever keeps them.
// Thread safety: none promised; the host calls a provider from one thread.
#ifndef NQRVKTA20_INAMESPACEPROVIDER_H
#define NQRVKTA20_INAMESPACEPROVIDER_H

#include <string>

#include <boost/shared_ptr.hpp>

#include "TCIMContext.h"

namespace NQRVKTA20 {

class ICIMNamespace;

class INamespaceProvider {
public:
    virtual ~INamespaceProvider() {}

    // The provider's name; the reference stays valid for the provider's life.
    virtual std::string const& GetName(TCIMContext context) const = 0;

    // Builds (and starts) a namespace from the call context. The flag and the
    // name are the host's; providers may ignore them. Failures are thrown as
    // TKTAException.
    virtual boost::shared_ptr<ICIMNamespace> AllocateNamespace(
        TCIMContext context, bool flag, std::string name) const = 0;

    // The provider's kind as a host-defined integer.
    virtual int GetType(TCIMContext context) const = 0;

    // Whether the namespaces of this provider can deliver indications.
    virtual bool IsIndicationsSupported(TCIMContext context) const = 0;
};

} // namespace NQRVKTA20

#endif
