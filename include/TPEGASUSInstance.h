// TPEGASUSInstance: one CIM instance read from the private CIM server.
// Property storage, comparison and the other ordinary instance operations
// are the host's in-memory instance's; this class adds what reaches the same
// instance on the server again: the server namespace it was read from, in
// text and in OpenPegasus form, and its OpenPegasus object path.
//
// Ownership: held by a boost::shared_ptr; holds its class strongly (through
// the base).  Owns its two OpenPegasus objects.
// Failure: AddToNamespace throws TKTAException 14 when the instance's class
// is not a TPEGASUSClass.
// Thread safety: none; callers serialise access to one instance.
#ifndef NQRVKTA20_TPEGASUSINSTANCE_H
#define NQRVKTA20_TPEGASUSINSTANCE_H

#include <memory>
#include <string>

#include <boost/shared_ptr.hpp>

#include "TInmemInstance.h"

namespace Pegasus {
class CIMNamespaceName;
class CIMObjectPath;
}

namespace NQRVKTA20 {

class TPEGASUSInstance : public TInmemInstance {
public:
    // An empty instance of `cls`; the context is not used.
    TPEGASUSInstance(boost::shared_ptr<ICIMClass> cls, TCIMContext context);
    ~TPEGASUSInstance() override;
    TPEGASUSInstance(TPEGASUSInstance const&) = delete;
    TPEGASUSInstance& operator=(TPEGASUSInstance const&) = delete;

    // Registers the instance with its class (TPEGASUSClass::AddInstance).
    void AddToNamespace(TCIMContext context) override;
    // The property holders of the in-memory instance, handed out as
    // TPEGASUSInstanceProperty objects: the same values, shown through the
    // plug-in's display formatting (ToString and its kin).
    boost::shared_ptr<ICIMProperty> GetProperty(std::string const& name,
                                                TCIMContext context) override;
    void EnumerateProperties(TPropertyCallback const& callback, TCIMContext context) override;
    // The server namespace the instance was read from; empty until set.
    std::string GetPegasusNSPStr() const override;
    // Calls method `name` on this instance's server object, through the
    // namespace's client (time-out 300 s).  Each argument of `in` whose
    // parameter is qualified OUT, IN or both is sent in the matching
    // direction as an object path read from its text; one with neither is
    // not sent.  A method or argument the class does not declare throws the
    // declaration lookup's TKTAException.  A server or transport error is
    // logged and gives a null result, with `out` filled from the arguments
    // sent as outputs.  Output arguments are added to `out` (an entry
    // present already keeps its value).
    TCIMValue InvokeMethod(std::string const& name, TCIMContext& in, TCIMContext& out,
                           TCIMContext context) override;

    void SetPegasusNSPStr(std::string const& nsp) { fPegasusNSPStr = nsp; }
    void setPegNameSpace(Pegasus::CIMNamespaceName const& ns);
    void setPegInstanceName(Pegasus::CIMObjectPath const& path);
    Pegasus::CIMNamespaceName const& getPegNameSpace() const { return *fPegNameSpace; }
    Pegasus::CIMObjectPath const& getPegInstanceName() const { return *fPegInstanceName; }

private:
    std::string fPegasusNSPStr;
    std::unique_ptr<Pegasus::CIMNamespaceName> fPegNameSpace;
    std::unique_ptr<Pegasus::CIMObjectPath> fPegInstanceName;
};

} // namespace NQRVKTA20

#endif
