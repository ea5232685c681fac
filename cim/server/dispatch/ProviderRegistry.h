// The provider registrations of root/PG_InterOp: the checks a registration
// instance must pass before it is stored, and the routing table built from
// the stored instances.
//
// Not thread-safe: ProviderManager serialises access.
#ifndef KTA_CIM_DISPATCH_PROVIDERREGISTRY_H
#define KTA_CIM_DISPATCH_PROVIDERREGISTRY_H

#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/String.h>

#include "NameFolding.h"

#include <map>
#include <string>

namespace Pegasus {

// Values of PG_ProviderCapabilities.ProviderType.
enum ProviderType
{
    INSTANCE_PROVIDER = 2,
    ASSOCIATION_PROVIDER = 3,
    INDICATION_PROVIDER = 4,
    METHOD_PROVIDER = 5,
    CONSUMER_PROVIDER = 6
};

// Where requests for one class and provider type go.
struct ProviderRoute
{
    String moduleName;
    String providerName;   // passed to PegasusCreateProvider
    String location;       // library base name: lib<location>.so
};

class ProviderRegistry
{
public:
    enum RegistrationClass
    {
        NOT_REGISTRATION,
        PROVIDER_MODULE,
        PROVIDER,
        PROVIDER_CAPABILITIES,
        CONSUMER_CAPABILITIES
    };

    // Which registration class className is (case-insensitive);
    // NOT_REGISTRATION for any other class.
    static RegistrationClass classify(const CIMName& className);

    // Checks an instance about to be created against the registration
    // rules and the registrations already known (a provider needs its
    // module, capabilities need their provider).  Throws CIMException with
    // the code and text a client is to see.  A PG_ProviderModule instance
    // gets OperationalStatus {2} (OK), as the server reports a new module.
    void validateNew(CIMInstance& instance) const;

    // Rebuilds the table from all stored registration instances.  Instances
    // that are incomplete are skipped.
    void rebuild(const Array<CIMInstance>& modules,
                 const Array<CIMInstance>& providers,
                 const Array<CIMInstance>& capabilities);

    // Adds one registration instance just stored (module, provider or
    // capabilities; other instances are ignored), as rebuild() would have
    // taken it.  Registrations arrive module first, then provider, then
    // capabilities, so a new one never completes an earlier one.
    void add(const CIMInstance& instance);
    // The route for (namespace, class, type), or 0.  Names compare
    // case-insensitively.  The pointer is valid until the next rebuild().
    const ProviderRoute* find(const CIMNamespaceName& nameSpace,
                              const CIMName& className,
                              ProviderType type) const;

private:
    void addModule(const CIMInstance& instance);
    void addProvider(const CIMInstance& instance);
    void addCapabilities(const CIMInstance& capability);

    struct Module
    {
        String name;
        String location;
    };

    std::map<std::string, Module> _modules;   // by lower-case name
    std::map<std::string, bool> _providers;   // lower-case "module\nprovider"
    std::map<std::string, ProviderRoute> _routes;  // see routeKey()
};

}  // namespace Pegasus

#endif
