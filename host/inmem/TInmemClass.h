// TInmemClass: an in-memory CIM class of a TInmemNamespace (see ICIMClass
// for the contract): property declarations, qualifiers, static properties,
// registered instances and its place in the class tree.
//
// Made by TInmemNamespace::AllocateClass; must be held by a
// boost::shared_ptr (AddToNamespace, AllocateInstance and the Allocate*
// operations use shared_from_this). Refers to its namespace and superclass
// weakly; owns its subclasses, declarations, qualifiers and registered
// instances.
//
// Names: the class name is kept as given; every lookup by name ignores
// letter case, and == and < compare the lower-cased class names.
// Inheritance: property declarations of the superclass chain are visible
// through GetPropertyDecl, EnumeratePropertyDecls and EnumerateKeyNames; a
// declaration of the same name in a subclass hides the inherited one.
// Enumerations stop, on every level, at the first false of the callback.
//
// Not offered in memory (TKTAException 1): AllocateMethodDecl (method
// declarations made elsewhere may still be added) and both forms of
// InvokeMethod. ModifyClass throws 31: classes change only through their
// own add and remove operations.
// Thread safety: none; callers serialise access to one class.
#ifndef NQRVKTA20_TINMEMCLASS_H
#define NQRVKTA20_TINMEMCLASS_H

#include <map>
#include <string>
#include <vector>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMClass.h"
#include "TInmemQualifierList.h"

namespace NQRVKTA20 {

class TInmemClass : public ICIMClass, public boost::enable_shared_from_this<TInmemClass> {
public:
    // `parent` may be empty (a root class). Nothing is registered yet.
    TInmemClass(boost::shared_ptr<ICIMNamespace> nameSpace, std::string const& name,
                boost::shared_ptr<ICIMClass> parent);
    ~TInmemClass() override;

    void Validate(TCIMContext context) const override;
    // Enters the class into its namespace (TInmemNamespace::AddClass: 16 on
    // a duplicate name) and then into its superclass's child list. Throws
    // 15 when the namespace is gone, 1 when it is not a TInmemNamespace.
    void AddToNamespace(TCIMContext context) override;
    // The reverse of AddToNamespace; a class not registered is left alone.
    void RemoveFromNamespace(TCIMContext context) override;
    void ModifyClass(boost::shared_ptr<ICIMClass> modified, TCIMContext context) override;
    std::string const& GetName(TCIMContext context) const override;
    boost::shared_ptr<ICIMNamespace> GetNamespace(TCIMContext context) const override;
    // True when the class carries a true "Association" / "Abstract"
    // qualifier.
    bool IsAssociation(TCIMContext context) const override;
    bool IsAbstract(TCIMContext context) const override;
    // True for a class without superclass.
    bool IsRootClass(TCIMContext context) const override;
    boost::shared_ptr<ICIMClass> GetSuperClass(TCIMContext context) const override;
    void EnumerateSubClasses(TClassCallback const& callback, bool deep,
                             TCIMContext context) override;
    // True for the class itself and every class of its superclass chain,
    // matched by identity or by name ignoring letter case.
    bool IsSubclassOf(boost::shared_ptr<const ICIMClass> other,
                      TCIMContext context) const override;
    // In-memory classes take part in no association: both find nothing.
    void EnumerateAssociatedClasses(TClassCallback const& callback,
                                    std::string const& assocClass,
                                    std::string const& resultClass, std::string const& role,
                                    std::string const& resultRole,
                                    TCIMContext context) override;
    void EnumerateAssociationClasses(TClassCallback const& callback,
                                     std::string const& resultClass, std::string const& role,
                                     TCIMContext context) override;
    // Declarations whose "Key" qualifier is true, in ascending order of
    // the lower-cased names.
    void EnumerateKeyNames(TKeyNameCallback const& callback,
                           TCIMContext context) const override;
    boost::shared_ptr<ICIMPropertyDecl> AllocatePropertyDecl(std::string const& name,
                                                             TCIMValue const& defaultValue,
                                                             TCIMContext context) override;
    // Own or inherited; TKTAException 15 when there is none.
    boost::shared_ptr<ICIMPropertyDecl> GetPropertyDecl(std::string const& name,
                                                        TCIMContext context) const override;
    void EnumeratePropertyDecls(TPropertyDeclCallback const& callback,
                                TCIMContext context) const override;
    // Static properties: GetProperty throws 15 for one never set;
    // SetPropertyValue needs a declaration (15) and a value of its type (14).
    boost::shared_ptr<ICIMProperty> GetProperty(std::string const& name,
                                                TCIMContext context) override;
    void SetPropertyValue(std::string const& name, TCIMValue const& value,
                          TCIMContext context) override;
    void EnumerateStaticProperties(TPropertyCallback const& callback,
                                   TCIMContext context) override;
    // A new TInmemInstance of this class (kind 0); not registered.
    boost::shared_ptr<ICIMInstance> AllocateInstance(TCIMContext context) override;
    // Registered instances in path order; with `deep` then those of the
    // subclasses, depth first.
    void EnumerateInstances(TInstanceCallback const& callback, bool deep,
                            TCIMContext context) override;
    boost::shared_ptr<ICIMMethodDecl> AllocateMethodDecl(std::string const& name,
                                                         TCIMValue::TCIMType returnType,
                                                         TCIMContext context) override;
    boost::shared_ptr<ICIMMethodDecl> GetMethodDecl(std::string const& name,
                                                    TCIMContext context) const override;
    void EnumerateMethodDecls(TMethodDeclCallback const& callback,
                              TCIMContext context) const override;
    TCIMValue InvokeMethod(std::string const& name, TCIMContext& in, TCIMContext& out,
                           TCIMContext context) override;
    bool operator==(ICIMClass& other) const override;
    bool operator<(ICIMClass& other) const override;
    ICIMClass& operator=(ICIMClass const& other) override;

    // Appends `child`, replacing a child of the same name (any case).
    void AddChildClass(boost::shared_ptr<ICIMClass> child) override;
    void RemoveChildClass(boost::shared_ptr<ICIMClass> child) override;
    // Keyed by the instance's path text (BuildPath); several instances of
    // one path are all kept. RemoveInstance drops every instance of the
    // given one's path.
    void AddInstance(boost::shared_ptr<ICIMInstance> instance) override;
    void RemoveInstance(boost::shared_ptr<ICIMInstance> instance) override;
    void AddAssociationClass(boost::shared_ptr<ICIMClass> association) override;
    void RemoveAssociationClass(boost::shared_ptr<ICIMClass> association) override;
    // 25 for an invalid name, 22 for a reference property of a class that
    // is no association, 16 when the class itself already declares the name.
    void AddPropertyDecl(boost::shared_ptr<ICIMPropertyDecl> decl) override;
    // 15 when the class itself does not declare the name.
    void RemovePropertyDecl(boost::shared_ptr<ICIMPropertyDecl> decl) override;
    // 16 when the name is taken; 15 on removing an absent one.
    void AddMethodDecl(boost::shared_ptr<ICIMMethodDecl> decl) override;
    void RemoveMethodDecl(boost::shared_ptr<ICIMMethodDecl> decl) override;

    // Qualifiers follow TInmemQualifierList's rules; GetQualifier of an
    // absent name gives an empty pointer.
    void AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier, TCIMContext context) override;
    boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        TCIMContext context) const override;
    boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        ICIMQualifierDecl::EFlavor flavor, TCIMContext context) const override;
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name,
                                                  TCIMContext context) const override;
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name, bool& found,
                                                  TCIMContext context) const override;
    void EnumerateQualifiers(TQualifierCallback const& callback,
                             TCIMContext context) const override;

    TCIMValue InvokeMethod(TCIMReference const& reference, std::string const& name,
                           TCIMContext const& in, TCIMContext& out,
                           TCIMContext context) override;
    // Drops the registered instances of this class and its subclasses;
    // declarations, qualifiers and the tree stay.
    void ClearInstances() override;

    // The first registered instance whose path text is `path`, or empty.
    boost::shared_ptr<ICIMInstance> FindInstance(std::string const& path) const;
    std::size_t GetInstanceCount() const { return fInstances.size(); }

private:
    typedef std::map<std::string, boost::shared_ptr<ICIMPropertyDecl>> TDeclMap;

    boost::shared_ptr<ICIMPropertyDecl> FindPropertyDecl(std::string const& name) const;
    void CollectPropertyDecls(TDeclMap& decls) const;
    bool WalkSubClasses(TClassCallback const& callback, bool deep);
    bool WalkInstances(TInstanceCallback const& callback, bool deep);

    std::string fName;
    boost::weak_ptr<ICIMNamespace> fNamespace;
    boost::weak_ptr<ICIMClass> fParent;
    std::vector<boost::shared_ptr<ICIMClass>> fChildren;
    TDeclMap fPropertyDecls;
    std::map<std::string, boost::shared_ptr<ICIMMethodDecl>> fMethodDecls;
    std::map<std::string, boost::shared_ptr<ICIMProperty>> fStaticProperties;
    TInmemQualifierList fQualifiers;
    std::multimap<std::string, boost::shared_ptr<ICIMInstance>> fInstances;
};

} // namespace NQRVKTA20

#endif
