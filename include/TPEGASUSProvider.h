// TPEGASUSProvider: one vendor CIM provider as the host's inventory sees it:
// its names, the classes it serves (fetched from the private CIM server at
// registration) and a CIM client of its own, which the provider's classes
// use for their instance requests, so that providers enumerated on
// different threads never share a client.
//
// One object exists per requested-class file: the namespace's discovery
// fills its settings from the file, registration hands it its classes and
// connects its client.
//
// Ownership: held by boost::shared_ptr by the namespace and by each class it
// serves.  Owns its client for its whole life.
// Failure: TKTAException (1: GetNamespace; 42: the client cannot be created
// or connected).
// Thread safety: one provider is used by one thread at a time; different
// providers may be used at once.  Nothing is locked.
#ifndef NQRVKTA20_TPEGASUSPROVIDER_H
#define NQRVKTA20_TPEGASUSPROVIDER_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "IProvider.h"

namespace Pegasus {
class CIMClient;
class CIMNamespaceName;
}

namespace NQRVKTA20 {

class TPEGASUSProvider : public IProvider {
public:
    // Every text empty, no classes, no client, not connected.
    TPEGASUSProvider();
    ~TPEGASUSProvider() override;
    TPEGASUSProvider(TPEGASUSProvider const&) = delete;

    // --- IProvider ----------------------------------------------------------
    // The requested-class file's "module" setting.
    std::string GetName(TCIMContext context) const override;
    // "lib" followed by the module setting.
    std::string GetModuleName(TCIMContext context) const override;
    std::string GetDescription(TCIMContext context) const override;
    // Not offered: throws TKTAException 1.
    boost::shared_ptr<ICIMNamespace> GetNamespace(TCIMContext context) const override;
    // Hands each collected class to `callback`, in order, except classes
    // tagged "CDM" (logged), abstract classes and classes whose
    // "DONTCOLLECT" qualifier is true; stops at the first false.  A
    // TKTAException of one class is logged (severity 3) and the next class
    // is taken.
    void EnumerateClassesProvided(TClassCallback const& callback, TCIMContext context) override;
    // Changes nothing.
    IProvider& operator=(IProvider const& other) override;

    // --- Settings -----------------------------------------------------------
    void SetType(std::string type) { fType = type; }
    void SetClassVector(std::vector<std::string>& classes) { fClassVector = classes; }
    void SetDefaultTimeoutVal(std::string& timeout) { fDefaultTimeout = timeout; }
    void SetModuleName(std::string name) { fModuleName = name; }
    // Also replaces the OpenPegasus form of the namespace: none (null) for
    // an empty text.  A text that is not a valid CIM namespace name throws
    // TKTAException 25 and leaves the provider unchanged, so discovery logs
    // and skips that one requested-class file.
    void SetNameSpaceName(std::string name);
    void SetPath(std::string path) { fPath = path; }
    void SetName(std::string name) { fName = name; }
    void SetDescription(std::string description) { fDescription = description; }
    void SetDiagnosticOnly(bool diagnosticOnly) { fDiagnosticOnly = diagnosticOnly; }
    void SetCollectedClasses(std::vector<boost::shared_ptr<ICIMClass>> classes)
    {
        fCollectedClasses = classes;
    }

    std::string GetType() { return fType; }
    // The requested-class file; identifies the provider.
    std::string GetPath() const { return fPath; }
    std::string GetDefaultTimeoutVal() const { return fDefaultTimeout; }
    // The server namespace of the provider's classes.
    std::string GetNameSpaceName(TCIMContext context) const;
    // The class entries of the requested-class file, as written.
    std::vector<std::string> GetClassVector() const { return fClassVector; }
    std::vector<boost::shared_ptr<ICIMClass>> const& GetCollectedClasses() const
    {
        return fCollectedClasses;
    }
    bool GetDiagnosticOnly() const { return fDiagnosticOnly; }
    // Always false.
    bool IsInitialized() const { return fInitialized; }
    // Null until a non-empty namespace name is set.
    Pegasus::CIMNamespaceName* GetPegNamespace() { return fPegNamespace.get(); }
    // Null until initPegasusClient.
    Pegasus::CIMClient* getPegClient() { return fPegClient.get(); }
    // Whether a collected class has exactly this name (case matters).
    bool IsClassesProvided(std::string name);

    // --- Client -------------------------------------------------------------
    // Creates the client if there is none and sets its time-out to
    // 10000 ms; a client failure is logged and throws TKTAException 42.
    void initPegasusClient();
    // Keeps the parameters; unless connected already, up to three tries
    // one second apart, then TKTAException 42.
    void connectPegasusClient(std::string const& host, unsigned short port,
                              std::string const& user, std::string const& password);
    bool IsConnected() const { return fConnected; }
    // The parameters last given to connectPegasusClient.
    std::string const& GetHost() const { return fHost; }
    uint16_t GetPort() const { return fPort; }
    std::string const& GetUser() const { return fUser; }
    std::string const& GetPassword() const { return fPassword; }

private:
    std::vector<boost::shared_ptr<ICIMClass>> fCollectedClasses;
    std::string fModuleName;
    std::string fNameSpaceName;
    std::string fPath;
    bool fInitialized;
    std::string fName;
    std::string fDescription;
    std::string fType;
    std::unique_ptr<Pegasus::CIMNamespaceName> fPegNamespace;
    bool fDiagnosticOnly;
    std::vector<std::string> fClassVector;
    std::string fDefaultTimeout;
    std::unique_ptr<Pegasus::CIMClient> fPegClient;
    bool fConnected;
    std::string fHost;
    uint16_t fPort;
    std::string fUser;
    std::string fPassword;
};

} // namespace NQRVKTA20

#endif
