// TPEGASUSRequestedClassParser: the grammar of requested-class files on top
// of the host's SAX-style parser.
#include "TPEGASUSRequestedClassParser.h"

#include <cctype>

#include "TRootObject.h"

using NQRVKTA20::ILogger;
using NQRVKTA20::TRootObject;

namespace {

std::string LowerCase(const char* name)
{
    std::string lower(name ? name : "");
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return lower;
}

// One setting element: the attribute it takes, where the value goes
// (information key; empty for "class", whose value is a class entry) and
// what is reported when the attribute is missing.
struct TElementRule {
    const char* element;
    const char* attribute;
    const char* informationKey;
    const char* missingMessage;
};

const TElementRule kRules[] = {
    {"timeout", "value", "timeout", "No Version Specified for value identifier"},
    {"nsp", "name", "nsp", "No Name Specified for name identifier"},
    {"module", "name", "module", "No Name Specified for name identifier"},
    {"functionality", "diagnosticonly", "diagnosticonly",
     "No Name Specified for diagnosticonly identifier"},
    {"class", "name", "", "No Name Specified for Counter identifier"},
};

const TElementRule* FindRule(const std::string& element)
{
    for (const TElementRule& rule : kRules)
        if (element == rule.element)
            return &rule;
    return nullptr;
}

} // namespace

TPEGASUSRequestedClassParser::TPEGASUSRequestedClassParser()
{
}

TPEGASUSRequestedClassParser::~TPEGASUSRequestedClassParser()
{
}

void TPEGASUSRequestedClassParser::StartElement(const char* name,
                                                std::map<std::string, std::string>& attributes)
{
    fCurrentElement = LowerCase(name);
    const TElementRule* rule = FindRule(fCurrentElement);
    if (rule == nullptr) {
        FatalError(("Unrecognized identifier:" + fCurrentElement).c_str());
        return;
    }
    // The first attribute the element takes wins; the ones sorting after it
    // are not looked at, the ones before it are reported.
    for (const auto& attribute : attributes) {
        if (attribute.first != rule->attribute) {
            FatalError(("Unrecognized Attribute:" + attribute.first).c_str());
            continue;
        }
        if (*rule->informationKey == '\0')
            fRequestedClasses.push_back(attribute.second);
        else
            fProviderInfo[rule->informationKey] = attribute.second;
        return;
    }
    FatalError(rule->missingMessage);
}

void TPEGASUSRequestedClassParser::EndElement(const char* name)
{
    fCurrentElement = LowerCase(name);
    if (fCurrentElement == "kta")
        return;
    if (fCurrentElement != "class")
        FatalError("Unrecognized identifier");
    fCurrentElement.clear();
}

void TPEGASUSRequestedClassParser::processingInstruction(const char*, const char*)
{
}

void TPEGASUSRequestedClassParser::characters(const char*, unsigned int)
{
}

void TPEGASUSRequestedClassParser::notationDecl(const char*, const char*, const char*)
{
}

void TPEGASUSRequestedClassParser::FatalError(const char* message)
{
    DebugOutput(ILogger::kLogError, message ? message : "");
}

void TPEGASUSRequestedClassParser::DebugOutput(ILogger::EKTALogSeverity severity,
                                               std::string message)
{
    TRootObject::GetCoreLogger()->Log(
        severity, "Performance Data RDD Parser line " + std::to_string(GetCurLine()) + ":" +
                      message);
}
