// TRootObject: the host's process-wide services.
//
// Both objects are created on first use (thread-safe) and are never
// destroyed, so they stay usable from static destructors and from libraries
// unloaded late.  The returned pointers are never empty.
#ifndef NQRVKTA20_TROOTOBJECT_H
#define NQRVKTA20_TROOTOBJECT_H

#include <boost/shared_ptr.hpp>

#include "ILogger.h"
#include "INamespaceProviderManager.h"

namespace NQRVKTA20 {

class TRootObject {
public:
    // The core logger.  Before the host program configures it (see
    // TCoreLogger: log file, severity limits) it writes severities 0..3 to
    // standard error and keeps no file.
    static boost::shared_ptr<ILogger> GetCoreLogger();

    // The namespace-provider manager, empty until providers register.
    static boost::shared_ptr<INamespaceProviderManager>
    GetNamespaceProviderManager();

private:
    TRootObject();
};

} // namespace NQRVKTA20

#endif
