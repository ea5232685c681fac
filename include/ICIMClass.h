// ICIMClass: one CIM class of a namespace: its place in the class tree, its
// property and method declarations, qualifiers, static properties and the
// instances registered with it.
//
// The virtual operations below are declared in the host's slot order; the
// qualifier operations of ICIMNamedElement are declared again here (in the
// order the host gives them for classes) because ICIMNamedElement is the
// second base.
//
// Ownership: held by boost::shared_ptr. A class owns its subclasses,
// declarations, qualifiers and registered instances; it refers to its
// namespace and superclass weakly. Instances hold their class strongly, so
// ClearInstances must be called to break that cycle.
// Failure: operations that fail throw TKTAException (1: not offered; 14:
// wrong type; 15: not found; 16: already defined; 22: a property may not be
// added; 28: a qualifier may not be added; 31: the class may not be changed
// through the host). Each implementation documents which it raises.
// Thread safety: none beyond the reference counts; one class must not be
// changed from two threads at once.
#ifndef NQRVKTA20_ICIMCLASS_H
#define NQRVKTA20_ICIMCLASS_H

#include <string>

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include "ICIMElement.h"
#include "ICIMNamedElement.h"
#include "ICIMQualifierDecl.h"
#include "TCIMContext.h"
#include "TCIMReference.h"
#include "TCIMValue.h"

namespace NQRVKTA20 {

class ICIMInstance;
class ICIMMethodDecl;
class ICIMNamespace;
class ICIMProperty;
class ICIMPropertyDecl;
class ICIMQualifier;

class ICIMClass : public ICIMElement, public ICIMNamedElement {
public:
    // Each callback receives one object; returning false asks the
    // enumeration to stop (each operation says whether it honours that).
    typedef boost::function<bool(boost::shared_ptr<ICIMClass>)> TClassCallback;
    typedef boost::function<bool(boost::shared_ptr<ICIMInstance>)> TInstanceCallback;
    typedef boost::function<bool(boost::shared_ptr<ICIMPropertyDecl>)> TPropertyDeclCallback;
    typedef boost::function<bool(boost::shared_ptr<ICIMProperty>)> TPropertyCallback;
    typedef boost::function<bool(boost::shared_ptr<ICIMMethodDecl>)> TMethodDeclCallback;
    // Receives a pointer to the name of one key property; valid only
    // during the call.
    typedef boost::function<bool(const std::string*)> TKeyNameCallback;

    virtual ~ICIMClass() {}

    virtual void Validate(TCIMContext context) const = 0;
    // Enters the class into its namespace and its superclass's child list.
    virtual void AddToNamespace(TCIMContext context) = 0;
    virtual void RemoveFromNamespace(TCIMContext context) = 0;
    virtual void ModifyClass(boost::shared_ptr<ICIMClass> modified, TCIMContext context) = 0;
    // The class name as given at creation (letter case kept).
    virtual std::string const& GetName(TCIMContext context) const = 0;
    // Empty when the namespace no longer exists.
    virtual boost::shared_ptr<ICIMNamespace> GetNamespace(TCIMContext context) const = 0;
    virtual bool IsAssociation(TCIMContext context) const = 0;
    virtual bool IsAbstract(TCIMContext context) const = 0;
    virtual bool IsRootClass(TCIMContext context) const = 0;
    // Possibly empty.
    virtual boost::shared_ptr<ICIMClass> GetSuperClass(TCIMContext context) const = 0;
    // Direct subclasses in order; with `deep` also their subclasses,
    // depth first.
    virtual void EnumerateSubClasses(TClassCallback const& callback, bool deep,
                                     TCIMContext context) = 0;
    virtual bool IsSubclassOf(boost::shared_ptr<const ICIMClass> other,
                              TCIMContext context) const = 0;
    // Classes associated with this one through association classes; the
    // four names filter as in CIM's Associators operation.
    virtual void EnumerateAssociatedClasses(TClassCallback const& callback,
                                            std::string const& assocClass,
                                            std::string const& resultClass,
                                            std::string const& role,
                                            std::string const& resultRole,
                                            TCIMContext context) = 0;
    // Association classes that refer to this one; the two names filter as
    // in CIM's References operation.
    virtual void EnumerateAssociationClasses(TClassCallback const& callback,
                                             std::string const& resultClass,
                                             std::string const& role,
                                             TCIMContext context) = 0;
    // Names of the properties whose declaration carries a true Key qualifier.
    virtual void EnumerateKeyNames(TKeyNameCallback const& callback,
                                   TCIMContext context) const = 0;
    // A new declaration of this class; not yet part of it (see AddToClass).
    virtual boost::shared_ptr<ICIMPropertyDecl> AllocatePropertyDecl(
        std::string const& name, TCIMValue const& defaultValue, TCIMContext context) = 0;
    // By name, ignoring letter case.
    virtual boost::shared_ptr<ICIMPropertyDecl> GetPropertyDecl(
        std::string const& name, TCIMContext context) const = 0;
    virtual void EnumeratePropertyDecls(TPropertyDeclCallback const& callback,
                                        TCIMContext context) const = 0;
    // Static (class-level) properties.
    virtual boost::shared_ptr<ICIMProperty> GetProperty(std::string const& name,
                                                        TCIMContext context) = 0;
    virtual void SetPropertyValue(std::string const& name, TCIMValue const& value,
                                  TCIMContext context) = 0;
    virtual void EnumerateStaticProperties(TPropertyCallback const& callback,
                                           TCIMContext context) = 0;
    // A new, empty instance of this class; not registered with it.
    virtual boost::shared_ptr<ICIMInstance> AllocateInstance(TCIMContext context) = 0;
    virtual void EnumerateInstances(TInstanceCallback const& callback, bool deep,
                                    TCIMContext context) = 0;
    virtual boost::shared_ptr<ICIMMethodDecl> AllocateMethodDecl(
        std::string const& name, TCIMValue::TCIMType returnType, TCIMContext context) = 0;
    // By name, ignoring letter case; empty when absent.
    virtual boost::shared_ptr<ICIMMethodDecl> GetMethodDecl(
        std::string const& name, TCIMContext context) const = 0;
    virtual void EnumerateMethodDecls(TMethodDeclCallback const& callback,
                                      TCIMContext context) const = 0;
    // Static method call: `in` maps argument names to values, `out`
    // receives output arguments; returns the method's return value.
    virtual TCIMValue InvokeMethod(std::string const& name, TCIMContext& in,
                                   TCIMContext& out, TCIMContext context) = 0;
    virtual bool operator==(ICIMClass& other) const = 0;
    virtual bool operator<(ICIMClass& other) const = 0;
    virtual ICIMClass& operator=(ICIMClass const& other) = 0;

    // Whether the host's inventory has collected this class. Implemented
    // here, as the host's default: a flag, false at construction and not
    // copied. Not synchronised. (Signatures our choice.)
    virtual bool hasCollected() const { return fCollected; }
    virtual void SetCollected() { fCollected = true; }

    virtual void AddChildClass(boost::shared_ptr<ICIMClass> child) = 0;
    virtual void RemoveChildClass(boost::shared_ptr<ICIMClass> child) = 0;
    virtual void AddInstance(boost::shared_ptr<ICIMInstance> instance) = 0;
    virtual void RemoveInstance(boost::shared_ptr<ICIMInstance> instance) = 0;
    virtual void AddAssociationClass(boost::shared_ptr<ICIMClass> association) = 0;
    virtual void RemoveAssociationClass(boost::shared_ptr<ICIMClass> association) = 0;
    virtual void AddPropertyDecl(boost::shared_ptr<ICIMPropertyDecl> decl) = 0;
    virtual void RemovePropertyDecl(boost::shared_ptr<ICIMPropertyDecl> decl) = 0;
    virtual void AddMethodDecl(boost::shared_ptr<ICIMMethodDecl> decl) = 0;
    virtual void RemoveMethodDecl(boost::shared_ptr<ICIMMethodDecl> decl) = 0;

    // ICIMNamedElement, in the class's slot order.
    void AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier,
                      TCIMContext context) override = 0;
    boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        TCIMContext context) const override = 0;
    boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        ICIMQualifierDecl::EFlavor flavor, TCIMContext context) const override = 0;
    boost::shared_ptr<ICIMQualifier> GetQualifier(
        std::string const& name, TCIMContext context) const override = 0;
    boost::shared_ptr<ICIMQualifier> GetQualifier(
        std::string const& name, bool& found, TCIMContext context) const override = 0;
    void EnumerateQualifiers(TQualifierCallback const& callback,
                             TCIMContext context) const override = 0;

    // Method call on the instance (or class) named by `reference`.
    virtual TCIMValue InvokeMethod(TCIMReference const& reference, std::string const& name,
                                   TCIMContext const& in, TCIMContext& out,
                                   TCIMContext context) = 0;
    // Drops the registered instances (and whatever else the implementation
    // documents), breaking the ownership cycles through the class.
    virtual void ClearInstances() = 0;

protected:
    ICIMClass() : fCollected(false) {}
    ICIMClass(ICIMClass const& other)
        : ICIMElement(other), ICIMNamedElement(other), fCollected(false) {}

private:
    bool fCollected;
};

inline ICIMClass& ICIMClass::operator=(ICIMClass const&)
{
    return *this;
}

} // namespace NQRVKTA20

#endif
