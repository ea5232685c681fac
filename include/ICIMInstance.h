// ICIMInstance: one instance of a class: property values, its object path
// and the association and method operations on it.
//
// Ownership: held by boost::shared_ptr; an instance holds its class
// strongly; a class that registers the instance (AddInstance) holds it in
// turn until ClearInstances or RemoveInstance.
// Failure: operations that fail throw TKTAException (14: a value of the
// wrong type; 15: an unknown property; others as each implementation
// documents).
// Thread safety: none; callers serialise changes to one instance.
#ifndef NQRVKTA20_ICIMINSTANCE_H
#define NQRVKTA20_ICIMINSTANCE_H

#include <string>

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include "ICIMElement.h"
#include "TCIMContext.h"
#include "TCIMReference.h"
#include "TCIMValue.h"

namespace NQRVKTA20 {

class ICIMClass;
class ICIMProperty;

class ICIMInstance : public ICIMElement {
public:
    // Each callback receives one object; false stops the enumeration.
    typedef boost::function<bool(boost::shared_ptr<ICIMInstance>)> TInstanceCallback;
    typedef boost::function<bool(boost::shared_ptr<ICIMProperty>)> TPropertyCallback;

    virtual ~ICIMInstance() {}

    virtual void Validate(TCIMContext context) = 0;
    // Registers the instance with its class (or namespace).
    virtual void AddToNamespace(TCIMContext context) = 0;
    // Takes over the property values of `modified`.
    virtual void ModifyInstance(boost::shared_ptr<ICIMInstance> modified,
                                TCIMContext context) = 0;
    virtual void Delete(TCIMContext context) = 0;
    // The instance's object path built from its class and key values.
    virtual TCIMReference GetReference(TCIMContext context) = 0;
    // The host's default: GetReference with a copy of the context.
    virtual TCIMReference BuildPath(TCIMContext context) const
    {
        return const_cast<ICIMInstance*>(this)->GetReference(context);
    }
    virtual boost::shared_ptr<ICIMClass> GetClass(TCIMContext context) = 0;
    // The CIM server namespace the instance was read from; empty for
    // instances that did not come from a server.
    virtual std::string GetPegasusNSPStr() const = 0;
    // Instances associated with this one; the four names filter as in
    // CIM's Associators operation. (The host names the two association
    // enumerations without fixing their parameters; these follow CIM's
    // Associators and References operations.)
    virtual void EnumerateAssociatedInstances(TInstanceCallback const& callback,
                                              std::string const& assocClass,
                                              std::string const& resultClass,
                                              std::string const& role,
                                              std::string const& resultRole,
                                              TCIMContext context) = 0;
    // Association instances that refer to this one; the two names filter
    // as in CIM's References operation.
    virtual void EnumerateAssociationInstances(TInstanceCallback const& callback,
                                               std::string const& resultClass,
                                               std::string const& role,
                                               TCIMContext context) = 0;
    // By name, ignoring letter case.
    virtual boost::shared_ptr<ICIMProperty> GetProperty(std::string const& name,
                                                        TCIMContext context) = 0;
    virtual void SetPropertyValue(std::string const& name, TCIMValue const& value,
                                  TCIMContext context) = 0;
    virtual void EnumerateProperties(TPropertyCallback const& callback,
                                     TCIMContext context) = 0;
    // `in` maps argument names to values, `out` receives the output
    // arguments; returns the method's return value.
    virtual TCIMValue InvokeMethod(std::string const& name, TCIMContext& in,
                                   TCIMContext& out, TCIMContext context) = 0;
    virtual bool operator==(ICIMInstance& other) const = 0;
    virtual bool operator<(ICIMInstance& other) const = 0;
    virtual ICIMInstance& operator=(ICIMInstance const& other) = 0;

protected:
    ICIMInstance() = default;
    ICIMInstance(ICIMInstance const&) = default;
};

inline ICIMInstance& ICIMInstance::operator=(ICIMInstance const&)
{
    return *this;
}

} // namespace NQRVKTA20

#endif
