// TPEGASUSClass: one CIM class of the plug-in's namespace, built from the
// class definition on the private CIM server (Initialize): its qualifiers,
// property and method declarations, its place in the class tree, the
// instances handed back to it and the provider that serves it.
//
// Names.  The class's own name is kept and compared exactly as given (case
// matters for ==, < and the tree walks).  Every map below is keyed by the
// member's name passed through TPEGASUSNamespace::NormalizeName, so lookups
// by name ignore letter case; an invalid name makes the lookup throw
// TKTAException 25.
//
// Ownership.  Created only by TPEGASUSNamespace::AllocateClass and always
// held by a boost::shared_ptr.  A class owns its subclasses, declarations,
// qualifiers, registered instances and provider; it refers to its
// namespace and its superclass weakly.  Declarations, qualifiers and
// instances refer back to the class, so ClearInstances must run (the
// namespace does it when it goes) to break those cycles.
//
// Failure: TKTAException with the status codes given at each operation.
// Thread safety: none beyond the reference counts; one class must not be
// changed from two threads at once.
#ifndef NQRVKTA20_TPEGASUSCLASS_H
#define NQRVKTA20_TPEGASUSCLASS_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMClass.h"
#include "TPEGASUSQualifierList.h"

namespace Pegasus {
template <class T> class Array;
class CIMClient;
class CIMInstance;
class CIMNamespaceName;
class CIMParamValue;
class CIMValue;
}

namespace NQRVKTA20 {

class TPEGASUSInstance;
class TPEGASUSMethodDecl;
class TPEGASUSNamespace;
class TPEGASUSProperty;
class TPEGASUSPropertyDecl;
class TPEGASUSProvider;

class TPEGASUSClass : public ICIMClass, public boost::enable_shared_from_this<TPEGASUSClass> {
public:
    typedef std::map<std::string, boost::shared_ptr<TPEGASUSPropertyDecl>> TPropertyDeclMap;
    typedef std::map<std::string, boost::shared_ptr<TPEGASUSProperty>> TPropertyMap;
    typedef std::map<std::string, boost::shared_ptr<TPEGASUSMethodDecl>> TMethodDeclMap;
    typedef std::multimap<std::string, boost::shared_ptr<TPEGASUSInstance>> TInstanceMap;

    // Keeps `ns` weakly and `name` as given; everything else starts empty
    // (time-out 0, no Pegasus namespace, no provider).  `parent` is not
    // used: Initialize sets the superclass link.
    TPEGASUSClass(boost::shared_ptr<TPEGASUSNamespace> ns, std::string const& name,
                  boost::shared_ptr<TPEGASUSClass> parent);
    ~TPEGASUSClass() override;
    TPEGASUSClass(TPEGASUSClass const&) = delete;

    // --- ICIMClass, in slot order ----------------------------------------
    // Does nothing.
    void Validate(TCIMContext context) const override;
    // Enters the class into its namespace (AddClass, which throws
    // TKTAException 16 for a name registered already) and into its
    // superclass's child list.  Throws TKTAException 15 when the namespace
    // or the superclass no longer exists.
    void AddToNamespace(TCIMContext context) override;
    // Both throw TKTAException 31: classes cannot be changed through the
    // host.
    void RemoveFromNamespace(TCIMContext context) override;
    void ModifyClass(boost::shared_ptr<ICIMClass> modified, TCIMContext context) override;
    std::string const& GetName(TCIMContext context) const override;
    // Empty once the namespace is gone.
    boost::shared_ptr<ICIMNamespace> GetNamespace(TCIMContext context) const override;
    // The boolean value of the class qualifier "ASSOCIATION" (respectively
    // "ABSTRACT"); false when it is absent or null.
    bool IsAssociation(TCIMContext context) const override;
    bool IsAbstract(TCIMContext context) const override;
    // Connected namespace: whether the namespace's GetClass for this name
    // gives the root class "<root>".  Otherwise: whether the superclass link
    // is the root class (with no link: whether the namespace has no root
    // class).
    bool IsRootClass(TCIMContext context) const override;
    // Connected namespace: asks the server for the superclass name and
    // returns the namespace's GetClass for it (the root class for none);
    // client exceptions pass through.  Otherwise the superclass link.
    boost::shared_ptr<ICIMClass> GetSuperClass(TCIMContext context) const override;
    // Children in the order they were added; with `deep` each child's
    // subtree right after it.  A callback returning false ends the walk of
    // that level only.  Exceptions of the callback are logged (severity 3)
    // and the walk goes on.
    void EnumerateSubClasses(TClassCallback const& callback, bool deep,
                             TCIMContext context) override;
    // True for the class itself and every ancestor below the root (by
    // name, case matters) and for the root class object.  Throws
    // TKTAException 15 when a superclass link has expired before the root
    // is reached (the root class itself has none).
    bool IsSubclassOf(boost::shared_ptr<const ICIMClass> other,
                      TCIMContext context) const override;
    // Association walks are not offered: the callback is never called.
    void EnumerateAssociatedClasses(TClassCallback const& callback, std::string const& assocClass,
                                    std::string const& resultClass, std::string const& role,
                                    std::string const& resultRole, TCIMContext context) override;
    void EnumerateAssociationClasses(TClassCallback const& callback,
                                     std::string const& resultClass, std::string const& role,
                                     TCIMContext context) override;
    // The names of the properties whose "KEY" qualifier is set and true, in
    // map order; stops at the first false.
    void EnumerateKeyNames(TKeyNameCallback const& callback, TCIMContext context) const override;
    // A new TPEGASUSPropertyDecl of this class; not entered in the class.
    boost::shared_ptr<ICIMPropertyDecl> AllocatePropertyDecl(std::string const& name,
                                                             TCIMValue const& defaultValue,
                                                             TCIMContext context) override;
    // By name; an absent "DateTimeOfCollection" (exact case) gives an empty
    // pointer, any other absent name throws TKTAException 15.
    boost::shared_ptr<ICIMPropertyDecl> GetPropertyDecl(std::string const& name,
                                                        TCIMContext context) const override;
    // Map order; stops at the first false.
    void EnumeratePropertyDecls(TPropertyDeclCallback const& callback,
                                TCIMContext context) const override;
    // A static property by name; TKTAException 15 when absent.
    boost::shared_ptr<ICIMProperty> GetProperty(std::string const& name,
                                                TCIMContext context) override;
    // Throws TKTAException 31.
    void SetPropertyValue(std::string const& name, TCIMValue const& value,
                          TCIMContext context) override;
    // Every static property, whatever the callback returns.
    void EnumerateStaticProperties(TPropertyCallback const& callback,
                                   TCIMContext context) override;
    // A new TPEGASUSInstance of this class (the context is copied into
    // it); not registered.
    boost::shared_ptr<ICIMInstance> AllocateInstance(TCIMContext context) override;
    // Empties the instance cache, then asks the server namespace of every
    // provider in turn for the instances of this class (deep as asked) and
    // hands each, built as a TPEGASUSInstance with host values and cached,
    // to `callback`; false ends the whole enumeration.  The client is the
    // class's provider's (else the namespace's), its time-out 199 s for
    // "AvailableDiagnosticService" classes, 301 s for "SoftwareIdentity"
    // classes, else the class's own.  A failure is logged and confined to
    // its property, instance or provider; a time-out is logged at
    // severity 0 with a hint of what the user will miss.
    void EnumerateInstances(TInstanceCallback const& callback, bool deep,
                            TCIMContext context) override;
    // A new TPEGASUSMethodDecl of this class; not entered in the class.
    boost::shared_ptr<ICIMMethodDecl> AllocateMethodDecl(std::string const& name,
                                                         TCIMValue::TCIMType returnType,
                                                         TCIMContext context) override;
    // By name; empty when absent.
    boost::shared_ptr<ICIMMethodDecl> GetMethodDecl(std::string const& name,
                                                    TCIMContext context) const override;
    // Map order; stops at the first false.
    void EnumerateMethodDecls(TMethodDeclCallback const& callback,
                              TCIMContext context) const override;
    // Does nothing and returns a null value.
    TCIMValue InvokeMethod(std::string const& name, TCIMContext& in, TCIMContext& out,
                           TCIMContext context) override;
    // By the stored names, byte by byte (case matters).
    bool operator==(ICIMClass& other) const override;
    bool operator<(ICIMClass& other) const override;
    // Changes nothing.
    ICIMClass& operator=(ICIMClass const& other) override;
    // Appends `child` (a TPEGASUSClass); a child of the same name (case
    // matters) is replaced, and the new one takes over its superclass.
    void AddChildClass(boost::shared_ptr<ICIMClass> child) override;
    // Does nothing.
    void RemoveChildClass(boost::shared_ptr<ICIMClass> child) override;
    // Keeps `instance` (a TPEGASUSInstance) under the text of its path;
    // several instances of one path are all kept.
    void AddInstance(boost::shared_ptr<ICIMInstance> instance) override;
    // Drops every instance kept under the path of `instance`.
    void RemoveInstance(boost::shared_ptr<ICIMInstance> instance) override;
    // Do nothing.
    void AddAssociationClass(boost::shared_ptr<ICIMClass> association) override;
    void RemoveAssociationClass(boost::shared_ptr<ICIMClass> association) override;
    // Adds a TPEGASUSPropertyDecl, overriding an inherited one of the same
    // name.  Throws (after a severity-0 log line) TKTAException 22 for a
    // reference property of a class that is no association, 14 for an
    // override of another type, 16 for a name this class declared itself.
    void AddPropertyDecl(boost::shared_ptr<ICIMPropertyDecl> decl) override;
    // Do nothing.
    void RemovePropertyDecl(boost::shared_ptr<ICIMPropertyDecl> decl) override;
    void AddMethodDecl(boost::shared_ptr<ICIMMethodDecl> decl) override;
    void RemoveMethodDecl(boost::shared_ptr<ICIMMethodDecl> decl) override;
    // Adds a TPEGASUSQualifier.  A stored qualifier of the same name is
    // replaced when its flavor allows overriding; otherwise a different
    // value or flavor throws TKTAException 28 and an equal one is dropped.
    void AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier, TCIMContext context) override;
    // A new TPEGASUSQualifier of this class with the declaration's flavor
    // (the flavor argument of the second form is not applied); not added.
    boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        TCIMContext context) const override;
    boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        ICIMQualifierDecl::EFlavor flavor, TCIMContext context) const override;
    // By name; empty when absent.
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name,
                                                  TCIMContext context) const override;
    // Not offered: throws TKTAException 1.
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name, bool& found,
                                                  TCIMContext context) const override;
    // Map order; stops at the first false.
    void EnumerateQualifiers(TQualifierCallback const& callback,
                             TCIMContext context) const override;
    // Calls method `name` on the server object at `reference` in the
    // class's server namespace, with the arguments of `in` converted by
    // their own types; output arguments are added to `out` (an entry
    // present already keeps its value).  Server and transport exceptions
    // reach the caller.
    TCIMValue InvokeMethod(TCIMReference const& reference, std::string const& name,
                           TCIMContext const& in, TCIMContext& out, TCIMContext context) override;
    // Empties the subtree (each child's ClearInstances, then the child
    // list) and the qualifier, declaration, static-property, instance and
    // method maps.  Name, links, provider and Pegasus namespace stay.
    void ClearInstances() override;

    // --- Initialisation from the server ----------------------------------
    // Sets the Pegasus namespace (from `nsp`) and the time-out (`timeout`
    // read as decimal seconds, times 1000; 0 when it is not a number).  A
    // class whose superclass link is alive stops there.  Otherwise links
    // `parent`, and unless the class is "<root>" reads the class from the
    // server and builds its qualifiers (declarations fetched and
    // registered in the namespace when it has none), property declarations
    // (null defaults of their types; unsupported types become strings, with
    // a severity-3 line) and method declarations with their parameters.  A
    // failure on one qualifier is logged (severity 3) and skipped; every
    // other exception (the class fetch included) passes through.
    void Initialize(std::string const& nsp, std::string const& timeout,
                    boost::shared_ptr<ICIMClass> parent);

    // --- Instances --------------------------------------------------------
    // The instance whose server path text equals the reference's path
    // (byte for byte), built as in enumeration but neither cached nor
    // handed to a callback; empty when none matches.  With a context entry
    // "nsp", GetInstanceWithNsp; otherwise the class's own server namespace
    // is read, and of several matches the last is returned.
    boost::shared_ptr<ICIMInstance> GetInstance(TCIMReference const& reference,
                                                TCIMContext context);
    // Reads only the providers whose namespace text equals the context's
    // "nsp"; the first match is returned.
    boost::shared_ptr<ICIMInstance> GetInstanceWithNsp(TCIMReference const& reference,
                                                       TCIMContext context);

    // --- Method results ---------------------------------------------------
    // A method's return or output value as a host value; null for a null
    // server value.
    static TCIMValue MethodValue(std::string const& name, Pegasus::CIMValue const& value,
                                 boost::shared_ptr<ICIMClass> const& cls);
    // Adds each output argument to `out` (an entry present already keeps
    // its value); with `logEach`, logs "adding output param : <name>".
    static void AddMethodOutputs(Pegasus::Array<Pegasus::CIMParamValue> const& outParams,
                                 TCIMContext& out, boost::shared_ptr<ICIMClass> const& cls,
                                 bool logEach);

    // --- Accessors --------------------------------------------------------
    // Null before Initialize.
    Pegasus::CIMNamespaceName* GetPegasusNSP() const { return fPegasusNSP.get(); }
    std::string GetPegasusNSPStr() const { return fPegasusNSPStr; }
    // Milliseconds; 0 before Initialize.
    int32_t GetTimeout() const { return fTimeout; }
    void SetProvider(boost::shared_ptr<TPEGASUSProvider> provider) { fProvider = provider; }
    boost::shared_ptr<TPEGASUSProvider> GetProvider() const { return fProvider; }
    // "CDM" when the class was bound to its provider by an entry carrying
    // that tag; empty otherwise.
    std::string const& GetTag() const { return fTag; }
    void SetTag(std::string const& tag) { fTag = tag; }
    // The superclass link (empty when there is none or it is gone).
    boost::shared_ptr<TPEGASUSClass> GetParentLink() const { return fSuperClass.lock(); }
    // The containers, for the plug-in's own readers.
    std::vector<boost::shared_ptr<TPEGASUSClass>> const& GetChildClasses() const
    {
        return fChildClasses;
    }
    TInstanceMap const& GetInstances() const { return fInstances; }

private:
    boost::shared_ptr<TPEGASUSNamespace> LockNamespace() const;
    // The provider's client when the class has a provider, else the
    // namespace's (TKTAException 42 when there is none).
    Pegasus::CIMClient* ChooseClient() const;
    boost::shared_ptr<TPEGASUSInstance> NewServerInstance();
    // Converts and sets every property of `onServer` on `instance`; a
    // property that fails is logged (naming `operation`) and skipped.
    void FillInstance(TPEGASUSInstance& instance, Pegasus::CIMInstance const& onServer,
                      std::string const& operation);
    boost::shared_ptr<TPEGASUSClass> RootClassOfNamespace() const;

    boost::weak_ptr<TPEGASUSClass> fSuperClass;
    std::vector<boost::shared_ptr<TPEGASUSClass>> fChildClasses;
    TInstanceMap fInstances;
    TPEGASUSQualifierList fQualifiers;
    TPropertyDeclMap fPropertyDecls;
    TPropertyMap fStaticProperties;
    TMethodDeclMap fMethodDecls;
    boost::weak_ptr<TPEGASUSNamespace> fNamespace;
    std::string fPegasusNSPStr;
    std::string fName;
    int32_t fTimeout;
    std::unique_ptr<Pegasus::CIMNamespaceName> fPegasusNSP;
    boost::shared_ptr<TPEGASUSProvider> fProvider;
    std::string fTag;
};

} // namespace NQRVKTA20

#endif
