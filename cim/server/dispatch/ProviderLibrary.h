// Finding and loading a provider library and creating a provider from it.
#ifndef KTA_CIM_DISPATCH_PROVIDERLIBRARY_H
#define KTA_CIM_DISPATCH_PROVIDERLIBRARY_H

#include <Pegasus/Common/String.h>
#include <Pegasus/Provider/CIMProvider.h>

#include <string>
#include <vector>

namespace Pegasus {

class ProviderLibrary
{
public:
    // The path of lib<location>.so in the first of dirs that holds it, or
    // an empty string.
    static std::string find(const std::vector<std::string>& dirs,
                            const String& location);

    // Finds lib<location>.so along dirs, loads it (once per process; the
    // library stays loaded) and returns PegasusCreateProvider(providerName).
    // Throws CIMException(CIM_ERR_FAILED) with the texts clients see:
    //   File "lib<location>.so" was not found for provider module "<module>".
    //   ProviderLoadFailure (<path>:<provider>):Cannot load library, error: <loader message>
    //   ProviderLoadFailure (<path>:<provider>):entry point not found.
    //   ProviderLoadFailure (<path>:<provider>):provider is not a CIMProvider.
    // Thread-safe.
    static CIMProvider* createProvider(const std::vector<std::string>& dirs,
                                       const String& location,
                                       const String& moduleName,
                                       const String& providerName);
};

}  // namespace Pegasus

#endif
