// The report as one self-contained HTML page: inline style, no scripts, no
// external assets.  A table of contents links the providers and classes;
// every provider and class is a section, every instance a table.  All text
// from the machine is escaped; element ids are built from positions, never
// from names.
#include <ostream>

#include "TInventoryReport.h"

namespace NQRVKTA20 {

std::string HtmlEscape(std::string const& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

namespace {

const char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "h1{margin-bottom:.2em}h2{border-bottom:2px solid #555;margin-top:2em}"
    "h3{border-bottom:1px solid #aaa}"
    "table{border-collapse:collapse;margin:.6em 0 1.2em 0}"
    "caption{text-align:left;font-family:monospace;padding:.2em 0}"
    "th,td{border:1px solid #ccc;padding:.15em .5em;text-align:left;vertical-align:top}"
    "td{white-space:pre-wrap}tr.key th{background:#eef}"
    ".type{color:#777;font-size:smaller}.error{color:#b00;font-weight:bold}"
    ".summary{color:#555}nav#toc ul{margin:.1em 0}";

std::string ProviderId(std::size_t p)
{
    return "provider-" + std::to_string(p + 1);
}

std::string ClassId(std::size_t p, std::size_t c)
{
    return ProviderId(p) + "-class-" + std::to_string(c + 1);
}

void WriteToc(std::ostream& out, TInventoryReport const& report)
{
    out << "<nav id=\"toc\"><h2>Contents</h2><ul>\n";
    for (std::size_t p = 0; p < report.fProviders.size(); ++p) {
        TInventoryProvider const& provider = report.fProviders[p];
        out << "<li><a href=\"#" << ProviderId(p) << "\">" << HtmlEscape(provider.fName)
            << "</a><ul>\n";
        for (std::size_t c = 0; c < provider.fClasses.size(); ++c) {
            TInventoryClass const& cls = provider.fClasses[c];
            out << "<li><a href=\"#" << ClassId(p, c) << "\">" << HtmlEscape(cls.fName) << "</a> ("
                << (cls.fError.empty() ? CountText(cls.fInstances.size(), "instance", "instances")
                                       : std::string("failed"))
                << ")</li>\n";
        }
        out << "</ul></li>\n";
    }
    if (report.fChanges.fPresent)
        out << "<li><a href=\"#changes\">Changes</a></li>\n";
    if (report.ErrorCount() != 0)
        out << "<li><a href=\"#errors\">Errors</a></li>\n";
    out << "</ul></nav>\n";
}

void WriteInstance(std::ostream& out, TInventoryInstance const& instance)
{
    out << "<table class=\"instance\"><caption>" << HtmlEscape(instance.fPath)
        << "</caption>\n<thead><tr><th>Property</th><th>Value</th><th>Type</th></tr></thead>"
           "<tbody>\n";
    for (TInventoryProperty const& property : instance.fProperties) {
        out << (property.fKey ? "<tr class=\"key\">" : "<tr>") << "<th>"
            << HtmlEscape(property.fName) << (property.fKey ? " (key)" : "") << "</th><td>"
            << HtmlEscape(property.fDisplay) << "</td><td class=\"type\">"
            << HtmlEscape(property.fType) << "</td></tr>\n";
    }
    out << "</tbody></table>\n";
}

void WriteProvider(std::ostream& out, TInventoryProvider const& provider, std::size_t p)
{
    out << "<section class=\"provider\" id=\"" << ProviderId(p) << "\">\n<h2>Provider "
        << HtmlEscape(provider.fName) << "</h2>\n<p class=\"summary\">module "
        << HtmlEscape(provider.fModule) << ", "
        << (provider.fPluginType == 11 ? "runs alone" : "runs in parallel") << ", "
        << CountText(provider.fClasses.size(), "class", "classes") << ", "
        << HtmlEscape(SecondsText(provider.fSeconds)) << "</p>\n";
    if (!provider.fError.empty())
        out << "<p class=\"error\">" << HtmlEscape(provider.fError) << "</p>\n";
    for (std::size_t c = 0; c < provider.fClasses.size(); ++c) {
        TInventoryClass const& cls = provider.fClasses[c];
        out << "<section class=\"class\" id=\"" << ClassId(p, c) << "\">\n<h3>"
            << HtmlEscape(cls.fName) << "</h3>\n<p class=\"summary\">"
            << CountText(cls.fInstances.size(), "instance", "instances") << ", "
            << HtmlEscape(SecondsText(cls.fSeconds)) << "</p>\n";
        if (!cls.fError.empty())
            out << "<p class=\"error\">" << HtmlEscape(cls.fError) << "</p>\n";
        for (TInventoryInstance const& instance : cls.fInstances)
            WriteInstance(out, instance);
        out << "</section>\n";
    }
    out << "</section>\n";
}

void WriteReferences(std::ostream& out, char const* title,
                     std::vector<TInventoryChanges::TInstanceRef> const& refs)
{
    out << "<h3>" << title << ": " << refs.size() << "</h3>\n";
    if (refs.empty())
        return;
    out << "<table class=\"changes\"><thead><tr><th>Class</th><th>Object path</th></tr></thead>"
           "<tbody>\n";
    for (auto const& ref : refs)
        out << "<tr><td>" << HtmlEscape(ref.fClass) << "</td><td>" << HtmlEscape(ref.fPath)
            << "</td></tr>\n";
    out << "</tbody></table>\n";
}

void WriteChanges(std::ostream& out, TInventoryChanges const& changes)
{
    out << "<section id=\"changes\">\n<h2>Changes</h2>\n<p class=\"summary\">since "
        << HtmlEscape(changes.fBaselineFile) << " (collected "
        << HtmlEscape(changes.fBaselineStarted) << ")</p>\n";
    WriteReferences(out, "Added instances", changes.fAdded);
    WriteReferences(out, "Removed instances", changes.fRemoved);
    out << "<h3>Changed values: " << changes.fChanged.size() << "</h3>\n";
    if (!changes.fChanged.empty()) {
        out << "<table class=\"changes\"><thead><tr><th>Object path</th><th>Property</th>"
               "<th>Old value</th><th>New value</th></tr></thead><tbody>\n";
        for (auto const& change : changes.fChanged)
            out << "<tr><td>" << HtmlEscape(change.fPath) << "</td><td>"
                << HtmlEscape(change.fProperty) << "</td><td>" << HtmlEscape(change.fOld)
                << "</td><td>" << HtmlEscape(change.fNew) << "</td></tr>\n";
        out << "</tbody></table>\n";
    }
    out << "</section>\n";
}

void WriteErrors(std::ostream& out, TInventoryReport const& report)
{
    out << "<section id=\"errors\">\n<h2>Errors</h2>\n<ul>\n";
    for (std::string const& error : report.fErrors)
        out << "<li class=\"error\">" << HtmlEscape(error) << "</li>\n";
    for (TInventoryProvider const& provider : report.fProviders) {
        if (!provider.fError.empty())
            out << "<li class=\"error\">provider " << HtmlEscape(provider.fName) << ": "
                << HtmlEscape(provider.fError) << "</li>\n";
        for (TInventoryClass const& cls : provider.fClasses)
            if (!cls.fError.empty())
                out << "<li class=\"error\">provider " << HtmlEscape(provider.fName) << ", class "
                    << HtmlEscape(cls.fName) << ": " << HtmlEscape(cls.fError) << "</li>\n";
    }
    out << "</ul>\n</section>\n";
}

} // namespace

void WriteHtmlReport(std::ostream& out, TInventoryReport const& report)
{
    std::string const title = "Inventory of " + report.fHostname;
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
        << HtmlEscape(title) << "</title>\n<style>" << kStyle << "</style>\n</head>\n<body>\n"
        << "<h1>" << HtmlEscape(title) << "</h1>\n<p class=\"summary\">Collected "
        << HtmlEscape(report.fStarted) << " from " << HtmlEscape(report.fRoot) << " in "
        << HtmlEscape(SecondsText(report.fSeconds)) << ": "
        << CountText(report.fProviders.size(), "provider", "providers") << ", "
        << CountText(report.ClassCount(), "class", "classes") << ", "
        << CountText(report.InstanceCount(), "instance", "instances") << ", "
        << CountText(report.ErrorCount(), "error", "errors") << ".</p>\n";
    if (!report.fClassFilter.empty())
        out << "<p class=\"summary\">Only classes whose name contains &quot;"
            << HtmlEscape(report.fClassFilter) << "&quot;.</p>\n";
    WriteToc(out, report);
    for (std::size_t p = 0; p < report.fProviders.size(); ++p)
        WriteProvider(out, report.fProviders[p], p);
    if (report.fChanges.fPresent)
        WriteChanges(out, report.fChanges);
    if (report.ErrorCount() != 0)
        WriteErrors(out, report);
    out << "</body>\n</html>\n";
}

} // namespace NQRVKTA20
