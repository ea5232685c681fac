// The inventory report of kta-inventory: what one run collected through the
// plug-in (providers, their classes, the instances with their property
// values), what failed, and optionally what changed since an earlier
// report.  Plain data; the collector fills it, the writers print it.
//
// The JSON form written by WriteJsonReport is also what ReadJsonReport reads
// back as a baseline, so the field names below are a file format: change
// them only together with kReportFormatVersion.
#ifndef NQRVKTA20_TINVENTORYREPORT_H
#define NQRVKTA20_TINVENTORYREPORT_H

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace NQRVKTA20 {

// One property of an instance: its name, CIM type name ("uint32",
// "string[]"), the raw value text (base 10), the display text the plug-in
// formats from the property's qualifiers, and whether it is a key.
struct TInventoryProperty {
    std::string fName;
    std::string fType;
    std::string fValue;
    std::string fDisplay;
    bool fKey = false;
    bool fNull = false;
};

struct TInventoryInstance {
    std::string fPath;
    std::vector<TInventoryProperty> fProperties;
};

// One class as collected from one provider.  fError is empty when the
// enumeration succeeded (the instances are then complete).
struct TInventoryClass {
    std::string fName;
    double fSeconds = 0;
    std::string fError;
    std::vector<TInventoryInstance> fInstances;
};

// One provider.  fPluginType is the enumeration pass that handed it over:
// 10 for the providers that may run in parallel, 11 for those that run alone.
struct TInventoryProvider {
    std::string fName;
    std::string fModule;
    std::string fDescription;
    int fPluginType = 10;
    double fSeconds = 0;
    std::string fError;
    std::vector<TInventoryClass> fClasses;
};

// What changed between a baseline report and this one.  Instances are
// matched by object path; values are compared by their display text.
struct TInventoryChanges {
    struct TInstanceRef {
        std::string fClass;
        std::string fPath;
    };
    struct TValueChange {
        std::string fClass;
        std::string fPath;
        std::string fProperty;
        std::string fOld;
        std::string fNew;
    };
    bool fPresent = false; // a baseline was given
    std::string fBaselineFile;
    std::string fBaselineStarted;
    std::vector<TInstanceRef> fAdded;
    std::vector<TInstanceRef> fRemoved;
    std::vector<TValueChange> fChanged;
};

struct TInventoryReport {
    std::string fHostname;
    std::string fStarted; // UTC, ISO 8601 ("2024-05-01T12:34:56Z")
    std::string fRoot;    // the installation root
    std::string fConsumer;
    std::string fClassFilter;         // --class, empty for all classes
    double fSeconds = 0;              // collection time
    std::vector<std::string> fErrors; // failures outside any provider
    std::vector<TInventoryProvider> fProviders;
    TInventoryChanges fChanges;

    std::size_t ClassCount() const;
    std::size_t InstanceCount() const;
    // Providers and classes that failed, plus fErrors.
    std::size_t ErrorCount() const;
    // Whether at least one class was collected without error.
    bool CollectedAnything() const;
};

// Version of the JSON layout; ReadJsonReport refuses other versions.
extern const int kReportFormatVersion;

// Whether `className` contains `pattern`, ignoring ASCII letter case (an
// empty pattern matches every class).
bool ClassMatches(std::string const& className, std::string const& pattern);

// Fills report.fChanges from `baseline` (read from `baselineFile`).  Only
// classes collected without error in both reports and matching the
// report's class filter are compared; properties present in both instances
// are compared by display text.
void CompareWithBaseline(TInventoryReport& report, TInventoryReport const& baseline,
                         std::string const& baselineFile);

nlohmann::json ReportToJson(TInventoryReport const& report);
// Throws std::runtime_error naming what is wrong with the document.
TInventoryReport ReportFromJson(nlohmann::json const& document);
// Reads a report written by WriteJsonReport; at most kMaxReportBytes and a
// nesting depth of kMaxReportDepth.  Throws std::runtime_error with the
// file's name and the reason.
TInventoryReport ReadJsonReport(std::string const& path);
extern const std::size_t kMaxReportBytes;
extern const int kMaxReportDepth;

void WriteJsonReport(std::ostream& out, TInventoryReport const& report);
void WriteTextReport(std::ostream& out, TInventoryReport const& report);
void WriteHtmlReport(std::ostream& out, TInventoryReport const& report);

// `text` with &, <, >, " and ' replaced by character references.
std::string HtmlEscape(std::string const& text);

// "0.25 s" style duration text used by the text and HTML writers.
std::string SecondsText(double seconds);

// "1 class", "2 classes": the count and the word in the right number.
std::string CountText(std::size_t count, char const* one, char const* many);

} // namespace NQRVKTA20

#endif
