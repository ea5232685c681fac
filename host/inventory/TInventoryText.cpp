// The readable text form of the report: a summary, then per provider and
// class the instances as aligned "name : displayed value" lines, then the
// changes since the baseline and the errors.
#include <algorithm>
#include <cstdio>
#include <ostream>

#include "TInventoryReport.h"

namespace NQRVKTA20 {

std::string SecondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, seconds < 10 ? "%.2f s" : "%.1f s", seconds);
    return text;
}

std::string CountText(std::size_t count, char const* one, char const* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

namespace {

// The title and a line of `mark` under it, both indented by `indent`.
std::string Underline(std::string const& title, char mark, std::size_t indent = 0)
{
    std::string const margin(indent, ' ');
    return margin + title + "\n" + margin + std::string(title.size(), mark) + "\n";
}

// `text` with its second and further lines indented by `indent` blanks, so
// that multi-line values stay in their column.
std::string Indented(std::string const& text, std::size_t indent)
{
    std::string result;
    for (char c : text) {
        result += c;
        if (c == '\n')
            result += std::string(indent, ' ');
    }
    return result;
}

void WriteInstance(std::ostream& out, TInventoryInstance const& instance)
{
    out << "    " << instance.fPath << "\n";
    std::size_t width = 0;
    for (TInventoryProperty const& property : instance.fProperties)
        width = std::max(width, property.fName.size());
    for (TInventoryProperty const& property : instance.fProperties) {
        std::string name = property.fName;
        name.resize(width, ' ');
        out << "      " << (property.fKey ? "* " : "  ") << name << " : "
            << Indented(property.fDisplay, 6 + 2 + width + 3) << "\n";
    }
}

void WriteClass(std::ostream& out, TInventoryClass const& cls)
{
    std::string title = "Class " + cls.fName + " - ";
    title += cls.fError.empty() ? CountText(cls.fInstances.size(), "instance", "instances")
                                : std::string("FAILED");
    title += " (" + SecondsText(cls.fSeconds) + ")";
    out << "\n" << Underline(title, '-', 2);
    if (!cls.fError.empty())
        out << "    error: " << cls.fError << "\n";
    for (TInventoryInstance const& instance : cls.fInstances) {
        out << "\n";
        WriteInstance(out, instance);
    }
}

void WriteChanges(std::ostream& out, TInventoryChanges const& changes)
{
    out << "\n"
        << Underline("Changes since " + changes.fBaselineFile + " (collected " +
                         changes.fBaselineStarted + ")",
                     '=');
    if (changes.fAdded.empty() && changes.fRemoved.empty() && changes.fChanged.empty()) {
        out << "no changes\n";
        return;
    }
    out << "Added instances: " << changes.fAdded.size() << "\n";
    for (auto const& ref : changes.fAdded)
        out << "  + " << ref.fPath << "\n";
    out << "Removed instances: " << changes.fRemoved.size() << "\n";
    for (auto const& ref : changes.fRemoved)
        out << "  - " << ref.fPath << "\n";
    out << "Changed values: " << changes.fChanged.size() << "\n";
    for (auto const& change : changes.fChanged)
        out << "  ~ " << change.fPath << " " << change.fProperty << ": \"" << change.fOld
            << "\" -> \"" << change.fNew << "\"\n";
}

} // namespace

void WriteTextReport(std::ostream& out, TInventoryReport const& report)
{
    out << Underline("Inventory of " + report.fHostname, '=');
    out << "Collected " << report.fStarted << " from " << report.fRoot << " in "
        << SecondsText(report.fSeconds) << "\n";
    if (!report.fClassFilter.empty())
        out << "Only classes whose name contains \"" << report.fClassFilter << "\"\n";
    out << CountText(report.fProviders.size(), "provider", "providers") << ", "
        << CountText(report.ClassCount(), "class", "classes") << ", "
        << CountText(report.InstanceCount(), "instance", "instances") << ", "
        << CountText(report.ErrorCount(), "error", "errors") << "\n";
    out << "(* marks key properties)\n";

    for (TInventoryProvider const& provider : report.fProviders) {
        std::string title = "Provider " + provider.fName + " (module " + provider.fModule + ", " +
                            (provider.fPluginType == 11 ? "runs alone" : "runs in parallel") +
                            ") - " + CountText(provider.fClasses.size(), "class", "classes") +
                            " (" + SecondsText(provider.fSeconds) + ")";
        out << "\n\n" << Underline(title, '=');
        if (!provider.fDescription.empty() && provider.fDescription != provider.fName)
            out << provider.fDescription << "\n";
        if (!provider.fError.empty())
            out << "error: " << provider.fError << "\n";
        for (TInventoryClass const& cls : provider.fClasses)
            WriteClass(out, cls);
    }

    if (report.fChanges.fPresent)
        WriteChanges(out, report.fChanges);

    if (report.ErrorCount() != 0) {
        out << "\n" << Underline("Errors: " + std::to_string(report.ErrorCount()), '=');
        for (std::string const& error : report.fErrors)
            out << "  " << error << "\n";
        for (TInventoryProvider const& provider : report.fProviders) {
            if (!provider.fError.empty())
                out << "  provider " << provider.fName << ": " << provider.fError << "\n";
            for (TInventoryClass const& cls : provider.fClasses)
                if (!cls.fError.empty())
                    out << "  provider " << provider.fName << ", class " << cls.fName << ": "
                        << cls.fError << "\n";
        }
    }
}

} // namespace NQRVKTA20
