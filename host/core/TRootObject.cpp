#include "TRootObject.h"

#include "TCoreLogger.h"
#include "TNamespaceProviderManager.h"

namespace NQRVKTA20 {

boost::shared_ptr<ILogger> TRootObject::GetCoreLogger()
{
    return TCoreLogger::Instance();
}

boost::shared_ptr<INamespaceProviderManager>
TRootObject::GetNamespaceProviderManager()
{
    // Leaked on purpose, like the logger: providers may be looked up or
    // removed while other statics are being destroyed.
    static boost::shared_ptr<INamespaceProviderManager>* manager =
        new boost::shared_ptr<INamespaceProviderManager>(
            new TNamespaceProviderManager);
    return *manager;
}

} // namespace NQRVKTA20
