// What the provider test programs share: a staged server in a root of its
// own serving one staged provider folder, registered as the plug-in does,
// our client connected to it, and readers of the machine's files and of the
// values and qualifiers the client got.
#ifndef KTA_TESTS_PROVIDERS_PROVIDERTESTSUPPORT_H
#define KTA_TESTS_PROVIDERS_PROVIDERTESTSUPPORT_H

#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include <Pegasus/Client/CIMClient.h>

#include "../src/namespace/integration/StagedServer.h"

namespace providertest {

using namespace Pegasus;

inline std::string Text(String const& s) { return static_cast<const char*>(s.getCString()); }

// The first line of a file without its line end and trailing blanks (the
// providers trim what they read); "" when unreadable.
inline std::string FirstLine(std::string const& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line.substr(0, line.find_last_not_of(" \t\n") + 1);
}

// A property's value as text; "<null>" for a null one.
inline std::string Str(CIMInstance const& instance, const char* name)
{
    Uint32 const at = instance.findProperty(name);
    if (at == PEG_NOT_FOUND)
        return "<no property>";
    CIMValue const v = instance.getProperty(at).getValue();
    return v.isNull() ? "<null>" : Text(v.toString());
}

// A qualifier's value as text, of the class (no property) or of a property.
inline std::string Qualifier(CIMClass const& cls, const char* qualifier,
                             const char* property = nullptr)
{
    if (property == nullptr) {
        Uint32 const q = cls.findQualifier(qualifier);
        return q == PEG_NOT_FOUND ? "<none>" : Text(cls.getQualifier(q).getValue().toString());
    }
    Uint32 const p = cls.findProperty(property);
    if (p == PEG_NOT_FOUND)
        return "<no property>";
    CIMConstProperty const prop = cls.getProperty(p);
    Uint32 const q = prop.findQualifier(qualifier);
    return q == PEG_NOT_FOUND ? "<none>" : Text(prop.getQualifier(q).getValue().toString());
}

class ProviderTest : public ::testing::Test {
protected:
    // Registers the staged provider `name` as the plug-in does and connects
    // the client; every requested class is then known in the namespace.
    ::testing::AssertionResult Serve(std::string const& name)
    {
        nsptest::RequestedClasses requested;
        ::testing::AssertionResult served = fServer.ServeStagedProvider(name, requested);
        if (!served)
            return served;
        fNsp = requested.nsp;
        fClient.setTimeout(60000);
        fClient.connect("127.0.0.1", fServer.Port(), "", "");
        for (std::string const& cls : requested.classes)
            Class(cls.c_str());
        return ::testing::AssertionSuccess();
    }

    Array<CIMInstance> Enumerate(const char* cls)
    {
        return fClient.enumerateInstances(fNsp.c_str(), cls);
    }
    CIMClass Class(const char* cls) { return fClient.getClass(fNsp.c_str(), cls, false); }

    nsptest::StagedServer fServer;
    CIMClient fClient;
    std::string fNsp;
};

} // namespace providertest

#endif
