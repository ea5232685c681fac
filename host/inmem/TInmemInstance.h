// TInmemInstance: the host's in-memory instance: property values of one
// instance of a class, kept in memory. Base class of the plug-in's
// instance type, which relies on everything below except AddToNamespace,
// GetPegasusNSPStr and InvokeMethod (it overrides those).
//
// Properties. Values are kept by lower-cased property name; every name is
// checked against the class's property declarations (GetPropertyDecl):
// an undeclared name throws TKTAException 15, a value whose type differs
// from the declaration's throws 14 (see TInmemProperty for the exact type
// rule). A declared property that was never set reports the declaration's
// default value.
//
// Identity. GetReference builds the object path from the class name and
// the key properties (the class's EnumerateKeyNames) in the text form of
// TInmemObjectPath.h, in the class's namespace. == and < compare those
// path texts byte by byte, so two instances are equal exactly when their
// paths are, and < is a strict weak ordering consistent with ==.
//
// Ownership: must be held by a boost::shared_ptr when AddToNamespace or
// Delete is called (they use shared_from_this). Holds its class strongly;
// a class that registers the instance holds it in turn until its
// ClearInstances or RemoveInstance.
// Thread safety: none; callers serialise access to one instance.
#ifndef NQRVKTA20_TINMEMINSTANCE_H
#define NQRVKTA20_TINMEMINSTANCE_H

#include <string>
#include <vector>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>

#include "ICIMInstance.h"
#include "TInmemProperty.h"

namespace NQRVKTA20 {

class TInmemInstance : public ICIMInstance,
                       public boost::enable_shared_from_this<TInmemInstance> {
public:
    // `kind` is an integer the host attaches to the instance; it is kept
    // unchanged (GetKind) and not interpreted here. Throws TKTAException 15
    // when `cls` is empty.
    TInmemInstance(boost::shared_ptr<ICIMClass> cls, int kind);
    // Deep copies: the copy has its own property holders.
    TInmemInstance(TInmemInstance const& other);
    TInmemInstance& operator=(TInmemInstance const& other);
    ~TInmemInstance() override;

    // Throws TKTAException 15 naming the first key property (in path
    // order) whose value is null.
    void Validate(TCIMContext context) override;
    // Registers the instance with its class (ICIMClass::AddInstance).
    void AddToNamespace(TCIMContext context) override;
    // Takes over every property value `modified` holds of its own (not its
    // defaults), all or nothing: on 14 or 15 this instance is unchanged.
    // Throws TKTAException 1 for an empty pointer.
    void ModifyInstance(boost::shared_ptr<ICIMInstance> modified, TCIMContext context) override;
    // Removes the instance from its class (ICIMClass::RemoveInstance).
    void Delete(TCIMContext context) override;
    TCIMReference GetReference(TCIMContext context) override;
    boost::shared_ptr<ICIMClass> GetClass(TCIMContext context) override;
    // Always empty: in-memory instances come from no server.
    std::string GetPegasusNSPStr() const override;
    // In-memory instances take part in no association: both find nothing
    // and never call the callback.
    void EnumerateAssociatedInstances(TInstanceCallback const& callback,
                                      std::string const& assocClass,
                                      std::string const& resultClass, std::string const& role,
                                      std::string const& resultRole,
                                      TCIMContext context) override;
    void EnumerateAssociationInstances(TInstanceCallback const& callback,
                                       std::string const& resultClass,
                                       std::string const& role, TCIMContext context) override;
    // The holder of a declared property (any letter case); the same object
    // on every call, so changes through it are the instance's.
    boost::shared_ptr<ICIMProperty> GetProperty(std::string const& name,
                                                TCIMContext context) override;
    void SetPropertyValue(std::string const& name, TCIMValue const& value,
                          TCIMContext context) override;
    // Every declared property (and every one set), in ascending order of
    // the lower-cased names; stops at the first false.
    void EnumerateProperties(TPropertyCallback const& callback, TCIMContext context) override;
    // Not offered in memory: throws TKTAException 1.
    TCIMValue InvokeMethod(std::string const& name, TCIMContext& in, TCIMContext& out,
                           TCIMContext context) override;
    bool operator==(ICIMInstance& other) const override;
    bool operator<(ICIMInstance& other) const override;
    // Copies class, kind and property values of another TInmemInstance;
    // throws TKTAException 1 for any other instance type.
    ICIMInstance& operator=(ICIMInstance const& other) override;

    int GetKind() const { return fKind; }
    // The object path text GetReference would put into its reference.
    std::string GetPathText() const;

    // One property holder and its lower-cased name.
    struct TSlot {
        std::string key;
        boost::shared_ptr<TInmemProperty> holder;
    };
    // Holders in ascending order of their keys.
    typedef std::vector<TSlot> TPropertySlots;

private:
    boost::shared_ptr<TInmemProperty> Holder(std::string const& name);
    void CopyFrom(TInmemInstance const& other);
    static std::string PathOf(ICIMInstance& instance);

    boost::shared_ptr<ICIMClass> fClass;
    int fKind;
    // Empty until a property is first asked for; then a holder for every
    // property the class declares (see Holder).
    TPropertySlots fProperties;
};

} // namespace NQRVKTA20

#endif
