// TInmemNamespaceProvider: the namespace provider of the in-memory
// namespace, named "inmem"; it allocates TInmemNamespace objects.
//
// One process-wide instance (GetInstance), created on first use
// (thread-safe). The host registers it with its namespace-provider manager
// if it wants in-memory namespaces allocated by name.
#ifndef NQRVKTA20_TINMEMNAMESPACEPROVIDER_H
#define NQRVKTA20_TINMEMNAMESPACEPROVIDER_H

#include <string>

#include <boost/shared_ptr.hpp>

#include "INamespaceProvider.h"

namespace NQRVKTA20 {

class TInmemNamespaceProvider : public INamespaceProvider {
public:
    static boost::shared_ptr<TInmemNamespaceProvider> GetInstance();

    ~TInmemNamespaceProvider() override;

    // "inmem".
    std::string const& GetName(TCIMContext context) const override;
    // A new, empty TInmemNamespace named `name`; the flag is not used.
    boost::shared_ptr<ICIMNamespace> AllocateNamespace(TCIMContext context, bool flag,
                                                       std::string name) const override;
    // 0.
    int GetType(TCIMContext context) const override;
    // false.
    bool IsIndicationsSupported(TCIMContext context) const override;

private:
    TInmemNamespaceProvider();
};

} // namespace NQRVKTA20

#endif
