// The report's JSON form: written as the --format json output and read back
// as a --baseline.
#include <fstream>
#include <iterator>
#include <ostream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "TInventoryReport.h"

namespace NQRVKTA20 {

using nlohmann::json;

const int kReportFormatVersion = 1;
const std::size_t kMaxReportBytes = 256u * 1024u * 1024u;
const int kMaxReportDepth = 32;

namespace {

const char kFormatName[] = "kta-inventory report";

// An error text as JSON: null when there is none.
json ErrorJson(std::string const& error)
{
    return error.empty() ? json() : json(error);
}

std::string ErrorFrom(json const& value)
{
    return value.is_null() ? std::string() : value.get<std::string>();
}

json ChangesJson(TInventoryChanges const& changes)
{
    if (!changes.fPresent)
        return json();
    json added = json::array();
    for (auto const& ref : changes.fAdded)
        added.push_back({{"class", ref.fClass}, {"path", ref.fPath}});
    json removed = json::array();
    for (auto const& ref : changes.fRemoved)
        removed.push_back({{"class", ref.fClass}, {"path", ref.fPath}});
    json changed = json::array();
    for (auto const& change : changes.fChanged)
        changed.push_back({{"class", change.fClass},
                           {"path", change.fPath},
                           {"property", change.fProperty},
                           {"old", change.fOld},
                           {"new", change.fNew}});
    return {{"baseline", changes.fBaselineFile},
            {"baselineStarted", changes.fBaselineStarted},
            {"added", added},
            {"removed", removed},
            {"changed", changed}};
}

json InstanceJson(TInventoryInstance const& instance)
{
    json properties = json::array();
    for (TInventoryProperty const& property : instance.fProperties)
        properties.push_back({{"name", property.fName},
                              {"type", property.fType},
                              {"value", property.fValue},
                              {"display", property.fDisplay},
                              {"key", property.fKey},
                              {"null", property.fNull}});
    return {{"path", instance.fPath}, {"properties", properties}};
}

TInventoryInstance InstanceFrom(json const& value)
{
    TInventoryInstance instance;
    instance.fPath = value.at("path").get<std::string>();
    for (json const& item : value.at("properties")) {
        TInventoryProperty property;
        property.fName = item.at("name").get<std::string>();
        property.fType = item.at("type").get<std::string>();
        property.fValue = item.at("value").get<std::string>();
        property.fDisplay = item.at("display").get<std::string>();
        property.fKey = item.at("key").get<bool>();
        property.fNull = item.at("null").get<bool>();
        instance.fProperties.push_back(property);
    }
    return instance;
}

} // namespace

namespace {

// The report's own members, every provider left out.
json HeadJson(TInventoryReport const& report)
{
    return {{"format", kFormatName},
            {"version", kReportFormatVersion},
            {"hostname", report.fHostname},
            {"started", report.fStarted},
            {"root", report.fRoot},
            {"consumer", report.fConsumer},
            {"classFilter", report.fClassFilter},
            {"seconds", report.fSeconds},
            {"summary",
             {{"providers", report.fProviders.size()},
              {"classes", report.ClassCount()},
              {"instances", report.InstanceCount()},
              {"errors", report.ErrorCount()}}},
            {"errors", report.fErrors},
            {"changes", ChangesJson(report.fChanges)}};
}

json ProviderHeadJson(TInventoryProvider const& provider)
{
    return {{"name", provider.fName},
            {"module", provider.fModule},
            {"description", provider.fDescription},
            {"pluginType", provider.fPluginType},
            {"seconds", provider.fSeconds},
            {"error", ErrorJson(provider.fError)}};
}

json ClassHeadJson(TInventoryClass const& cls)
{
    return {{"name", cls.fName},
            {"seconds", cls.fSeconds},
            {"error", ErrorJson(cls.fError)},
            {"instanceCount", cls.fInstances.size()}};
}

} // namespace

json ReportToJson(TInventoryReport const& report)
{
    json providers = json::array();
    for (TInventoryProvider const& provider : report.fProviders) {
        json classes = json::array();
        for (TInventoryClass const& cls : provider.fClasses) {
            json instances = json::array();
            for (TInventoryInstance const& instance : cls.fInstances)
                instances.push_back(InstanceJson(instance));
            json entry = ClassHeadJson(cls);
            entry["instances"] = instances;
            classes.push_back(entry);
        }
        json entry = ProviderHeadJson(provider);
        entry["classes"] = classes;
        providers.push_back(entry);
    }
    json document = HeadJson(report);
    document["providers"] = providers;
    return document;
}

TInventoryReport ReportFromJson(json const& document)
{
    try {
        if (!document.is_object() || document.value("format", std::string()) != kFormatName)
            throw std::runtime_error("not a kta-inventory JSON report");
        int const version = document.at("version").get<int>();
        if (version != kReportFormatVersion)
            throw std::runtime_error("report format version " + std::to_string(version) +
                                     " is not supported (expected " +
                                     std::to_string(kReportFormatVersion) + ")");
        TInventoryReport report;
        report.fHostname = document.at("hostname").get<std::string>();
        report.fStarted = document.at("started").get<std::string>();
        report.fRoot = document.at("root").get<std::string>();
        report.fConsumer = document.at("consumer").get<std::string>();
        report.fClassFilter = document.at("classFilter").get<std::string>();
        report.fSeconds = document.at("seconds").get<double>();
        report.fErrors = document.at("errors").get<std::vector<std::string>>();
        for (json const& item : document.at("providers")) {
            TInventoryProvider provider;
            provider.fName = item.at("name").get<std::string>();
            provider.fModule = item.at("module").get<std::string>();
            provider.fDescription = item.at("description").get<std::string>();
            provider.fPluginType = item.at("pluginType").get<int>();
            provider.fSeconds = item.at("seconds").get<double>();
            provider.fError = ErrorFrom(item.at("error"));
            for (json const& classItem : item.at("classes")) {
                TInventoryClass cls;
                cls.fName = classItem.at("name").get<std::string>();
                cls.fSeconds = classItem.at("seconds").get<double>();
                cls.fError = ErrorFrom(classItem.at("error"));
                for (json const& instance : classItem.at("instances"))
                    cls.fInstances.push_back(InstanceFrom(instance));
                provider.fClasses.push_back(cls);
            }
            report.fProviders.push_back(provider);
        }
        return report;
    } catch (json::exception const& e) {
        throw std::runtime_error(std::string("malformed report: ") + e.what());
    }
}

TInventoryReport ReadJsonReport(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(path + ": cannot be opened");
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxReportBytes)
            throw std::runtime_error(path + ": larger than " + std::to_string(kMaxReportBytes) +
                                     " bytes");
    }
    if (in.bad())
        throw std::runtime_error(path + ": cannot be read");
    try {
        // The callback sees every element with its depth; deeper documents
        // are refused before the recursive parser gets there.
        json const document = json::parse(text, [](int depth, json::parse_event_t, json&) {
            if (depth > kMaxReportDepth)
                throw std::runtime_error("nested deeper than " + std::to_string(kMaxReportDepth) +
                                         " levels");
            return true;
        });
        return ReportFromJson(document);
    } catch (std::exception const& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

namespace {

// Property texts come from the machine and need not be valid UTF-8; invalid
// bytes are replaced rather than failing the whole report.
std::string Dumped(json const& value)
{
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

// Writes the members of `object` (without its braces), each on a line of
// its own, followed by a comma when `more` members follow.
void WriteMembers(std::ostream& out, json const& object, std::string const& indent, bool more)
{
    std::size_t left = object.size();
    for (auto const& member : object.items()) {
        out << indent << Dumped(json(member.key())) << ": " << Dumped(member.value());
        out << (--left > 0 || more ? ",\n" : "\n");
    }
}

} // namespace

void WriteJsonReport(std::ostream& out, TInventoryReport const& report)
{
    // The same document ReportToJson gives, written piece by piece: a large
    // inventory (thousands of packages) is never held twice in memory.
    out << "{\n";
    WriteMembers(out, HeadJson(report), "  ", true);
    out << "  \"providers\": [";
    for (std::size_t p = 0; p < report.fProviders.size(); ++p) {
        TInventoryProvider const& provider = report.fProviders[p];
        out << (p ? ",\n" : "\n") << "    {\n";
        WriteMembers(out, ProviderHeadJson(provider), "      ", true);
        out << "      \"classes\": [";
        for (std::size_t c = 0; c < provider.fClasses.size(); ++c) {
            TInventoryClass const& cls = provider.fClasses[c];
            out << (c ? ",\n" : "\n") << "        {\n";
            WriteMembers(out, ClassHeadJson(cls), "          ", true);
            out << "          \"instances\": [";
            for (std::size_t i = 0; i < cls.fInstances.size(); ++i)
                out << (i ? ",\n" : "\n") << "            " << Dumped(InstanceJson(cls.fInstances[i]));
            out << (cls.fInstances.empty() ? "]\n" : "\n          ]\n") << "        }";
        }
        out << (provider.fClasses.empty() ? "]\n" : "\n      ]\n") << "    }";
    }
    out << (report.fProviders.empty() ? "]\n" : "\n  ]\n") << "}\n";
}

} // namespace NQRVKTA20
