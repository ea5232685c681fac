// Report totals and the comparison with a baseline report.
#include <map>
#include <set>

#include "TInmemNames.h"
#include "TInventoryReport.h"

namespace NQRVKTA20 {

std::size_t TInventoryReport::ClassCount() const
{
    std::size_t count = 0;
    for (TInventoryProvider const& provider : fProviders)
        count += provider.fClasses.size();
    return count;
}

std::size_t TInventoryReport::InstanceCount() const
{
    std::size_t count = 0;
    for (TInventoryProvider const& provider : fProviders)
        for (TInventoryClass const& cls : provider.fClasses)
            count += cls.fInstances.size();
    return count;
}

std::size_t TInventoryReport::ErrorCount() const
{
    std::size_t count = fErrors.size();
    for (TInventoryProvider const& provider : fProviders) {
        count += provider.fError.empty() ? 0 : 1;
        for (TInventoryClass const& cls : provider.fClasses)
            count += cls.fError.empty() ? 0 : 1;
    }
    return count;
}

bool TInventoryReport::CollectedAnything() const
{
    for (TInventoryProvider const& provider : fProviders)
        for (TInventoryClass const& cls : provider.fClasses)
            if (cls.fError.empty())
                return true;
    return false;
}

bool ClassMatches(std::string const& className, std::string const& pattern)
{
    return InmemNormalizeName(className).find(InmemNormalizeName(pattern)) != std::string::npos;
}

namespace {

struct TSeenInstance {
    std::string fClass;
    TInventoryInstance const* fInstance;
};

// The instances of the classes that may be compared, by object path (the
// first of equal paths wins), and the names of the classes that failed.
void IndexReport(TInventoryReport const& report, std::string const& filter,
                 std::map<std::string, TSeenInstance>& instances,
                 std::set<std::string>& failedClasses)
{
    for (TInventoryProvider const& provider : report.fProviders)
        for (TInventoryClass const& cls : provider.fClasses) {
            if (!ClassMatches(cls.fName, filter))
                continue;
            if (!cls.fError.empty()) {
                failedClasses.insert(cls.fName);
                continue;
            }
            for (TInventoryInstance const& instance : cls.fInstances)
                instances.insert(
                    std::make_pair(instance.fPath, TSeenInstance{cls.fName, &instance}));
        }
}

} // namespace

void CompareWithBaseline(TInventoryReport& report, TInventoryReport const& baseline,
                         std::string const& baselineFile)
{
    TInventoryChanges& changes = report.fChanges;
    changes = TInventoryChanges();
    changes.fPresent = true;
    changes.fBaselineFile = baselineFile;
    changes.fBaselineStarted = baseline.fStarted;

    std::map<std::string, TSeenInstance> before, after;
    std::set<std::string> failed;
    IndexReport(baseline, report.fClassFilter, before, failed);
    IndexReport(report, report.fClassFilter, after, failed);

    // A class that failed in either run says nothing about its instances.
    for (auto const& entry : after)
        if (failed.count(entry.second.fClass) == 0 && before.count(entry.first) == 0)
            changes.fAdded.push_back({entry.second.fClass, entry.first});
    for (auto const& entry : before) {
        if (failed.count(entry.second.fClass) != 0)
            continue;
        auto const now = after.find(entry.first);
        if (now == after.end()) {
            changes.fRemoved.push_back({entry.second.fClass, entry.first});
            continue;
        }
        std::map<std::string, std::string> oldTexts;
        for (TInventoryProperty const& property : entry.second.fInstance->fProperties)
            oldTexts[property.fName] = property.fDisplay;
        for (TInventoryProperty const& property : now->second.fInstance->fProperties) {
            auto const old = oldTexts.find(property.fName);
            if (old != oldTexts.end() && old->second != property.fDisplay)
                changes.fChanged.push_back({now->second.fClass, entry.first, property.fName,
                                            old->second, property.fDisplay});
        }
    }
}

} // namespace NQRVKTA20
