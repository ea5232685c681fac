#include "TInmemNamespaceProvider.h"

#include "TInmemNamespace.h"

namespace NQRVKTA20 {

TInmemNamespaceProvider::TInmemNamespaceProvider() {}

TInmemNamespaceProvider::~TInmemNamespaceProvider() {}

boost::shared_ptr<TInmemNamespaceProvider> TInmemNamespaceProvider::GetInstance()
{
    static boost::shared_ptr<TInmemNamespaceProvider> instance(new TInmemNamespaceProvider());
    return instance;
}

std::string const& TInmemNamespaceProvider::GetName(TCIMContext) const
{
    static std::string const name("inmem");
    return name;
}

boost::shared_ptr<ICIMNamespace> TInmemNamespaceProvider::AllocateNamespace(TCIMContext, bool,
                                                                            std::string name) const
{
    return boost::shared_ptr<ICIMNamespace>(new TInmemNamespace(name));
}

int TInmemNamespaceProvider::GetType(TCIMContext) const
{
    return 0;
}

bool TInmemNamespaceProvider::IsIndicationsSupported(TCIMContext) const
{
    return false;
}

} // namespace NQRVKTA20
