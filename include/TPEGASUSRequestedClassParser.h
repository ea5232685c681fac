// TPEGASUSRequestedClassParser: reads one requested-class file of a vendor
// provider: the classes the plug-in asks the provider for, and the
// provider's settings.
//
// Grammar (element names in any letter case, attribute names exact):
//   <kta>
//     <timeout value="SECONDS"/>        settings "timeout"
//     <nsp name="SERVER NAMESPACE"/>    "nsp"
//     <module name="NAME"/>             "module"
//     <functionality diagnosticonly="YES|NO"/>   "diagnosticonly"
//     <class name="ENTRY"/>             one class entry, in document order
//   </kta>
// A class entry is a class name, optionally followed by a time-out between
// "[" and "]" and a tag between "%^" and "^%" (the namespace splits it).
// A later setting element overrides an earlier one.
//
// Grammar errors (an unknown element or attribute, a missing attribute) are
// logged at severity 0 as "Performance Data RDD Parser line N:<message>" and
// the parse goes on with the next element; malformed XML is reported the
// same way by the base parser, which then stops.
//
// Stands at global scope.  One object parses one file on one thread.
#ifndef TPEGASUSREQUESTEDCLASSPARSER_H
#define TPEGASUSREQUESTEDCLASSPARSER_H

#include <map>
#include <string>
#include <vector>

#include "ILogger.h"
#include "TXmlParser.h"

class TPEGASUSRequestedClassParser : public NQRVKTA20::TXmlParser {
public:
    TPEGASUSRequestedClassParser();
    ~TPEGASUSRequestedClassParser() override;

    void StartElement(const char* name, std::map<std::string, std::string>& attributes) override;
    void EndElement(const char* name) override;
    // The next three do nothing.
    void processingInstruction(const char* target, const char* data) override;
    void characters(const char* text, unsigned int length) override;
    void notationDecl(const char* name, const char* systemId, const char* publicId) override;
    // Logs the message with the current line (severity 0); the parse goes
    // on.
    void FatalError(const char* message) override;

    std::vector<std::string> GetRequestedClassData() { return fRequestedClasses; }
    std::map<std::string, std::string> GetRequestedProInfoData() { return fProviderInfo; }
    // Logs `message` as FatalError does, at `severity`.
    void DebugOutput(NQRVKTA20::ILogger::EKTALogSeverity severity, std::string message);

private:
    std::map<std::string, std::string> fProviderInfo;
    std::vector<std::string> fRequestedClasses;
    std::string fCurrentElement;
};

#endif
