// TInventoryCollector: walks a started namespace as the host's inventory
// does and fills a report: EnumerateProviders with "pluginType" 10 (the
// providers that may run in parallel, possibly each on a thread of its own)
// and then 11 (those that run alone); for every provider the classes it
// provides, for every class its instances, for every instance its
// properties.  A failing provider or class is recorded in the report and
// the walk goes on.
//
// TInventoryProgress: the progress lines on standard error.
#ifndef NQRVKTA20_TINVENTORYCOLLECTOR_H
#define NQRVKTA20_TINVENTORYCOLLECTOR_H

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "ICIMClass.h"
#include "ICIMNamespace.h"
#include "IProvider.h"
#include "TInventoryReport.h"

namespace NQRVKTA20 {

// Writes "kta-inventory: <text>" lines to standard error when enabled;
// callable from any thread.
class TInventoryProgress {
public:
    explicit TInventoryProgress(bool enabled) : fEnabled(enabled) {}
    void Say(std::string const& text);

private:
    bool fEnabled;
    std::mutex fMutex;
};

class TInventoryCollector {
public:
    // Collects the classes whose name contains `classFilter` (ignoring
    // letter case; empty for all).
    TInventoryCollector(boost::shared_ptr<ICIMNamespace> nameSpace, std::string classFilter,
                        TInventoryProgress& progress);

    // The names of the providers of both passes, in order, without
    // collecting anything.
    std::vector<std::string> ListProviders();

    // Both passes; appends a provider record per provider to the report
    // (in the order the providers finished) and sets report.fSeconds.
    void Collect(TInventoryReport& report);

private:
    void Pass(signed char pluginType, TInventoryReport& report);
    // The provider callback; runs on the plug-in's threads in pass 10.
    // Never throws.
    bool VisitProvider(boost::shared_ptr<IProvider> const& provider, int pluginType,
                       TInventoryReport& report);
    void CollectClass(boost::shared_ptr<ICIMClass> const& cls, std::string const& providerName,
                      TInventoryClass& record);
    TInventoryInstance DescribeInstance(boost::shared_ptr<ICIMInstance> const& instance,
                                        std::set<std::string> const& keys,
                                        std::vector<std::string>& errors);

    boost::shared_ptr<ICIMNamespace> fNamespace;
    std::string fClassFilter;
    TInventoryProgress& fProgress;
    // Guards the report while provider callbacks run in parallel.
    std::mutex fReportMutex;
};

// The text of whatever a plug-in call threw, for the report.  Call only
// inside a catch handler.
std::string CurrentExceptionText();

} // namespace NQRVKTA20

#endif
