// TPEGASUSClass: the class object, its declarations, qualifiers and cached
// instances, and its place in the class tree.  Initialisation from the
// server lives in TPEGASUSClassInitialize.cpp.
#include "TPEGASUSClass.h"

#include <Pegasus/Client/CIMClient.h>

#include "TKTAException.h"
#include "TPEGASUSInstance.h"
#include "TPEGASUSMethodDecl.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSProperty.h"
#include "TPEGASUSPropertyDecl.h"
#include "TPEGASUSQualifier.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

void LogLine(int severity, std::string const& text)
{
    TRootObject::GetCoreLogger()->Log(severity, text);
}

// The boolean value of a qualifier; false when it is absent or null.
bool QualifierIsTrue(boost::shared_ptr<TPEGASUSQualifier> const& qualifier)
{
    if (!qualifier)
        return false;
    TCIMValue const& value = qualifier->GetValue(TCIMContext());
    return !value.IsNull() && static_cast<bool>(value);
}

} // namespace

TPEGASUSClass::TPEGASUSClass(boost::shared_ptr<TPEGASUSNamespace> ns, std::string const& name,
                             boost::shared_ptr<TPEGASUSClass>)
    : fNamespace(ns), fName(name), fTimeout(0)
{
}

TPEGASUSClass::~TPEGASUSClass() = default;

boost::shared_ptr<TPEGASUSNamespace> TPEGASUSClass::LockNamespace() const
{
    return fNamespace.lock();
}

boost::shared_ptr<TPEGASUSClass> TPEGASUSClass::RootClassOfNamespace() const
{
    boost::shared_ptr<TPEGASUSNamespace> ns = LockNamespace();
    return ns ? ns->GetRootClass() : boost::shared_ptr<TPEGASUSClass>();
}

void TPEGASUSClass::Validate(TCIMContext) const
{
}

void TPEGASUSClass::AddToNamespace(TCIMContext)
{
    boost::shared_ptr<TPEGASUSClass> self = shared_from_this();
    boost::shared_ptr<TPEGASUSNamespace> ns = LockNamespace();
    if (!ns)
        throw TKTAException(TKTAStatusCode::kNotFound, "the namespace of " + fName + " is gone");
    boost::shared_ptr<TPEGASUSClass> parent = fSuperClass.lock();
    if (!parent)
        throw TKTAException(TKTAStatusCode::kNotFound, "the superclass of " + fName + " is gone");
    ns->AddClass(self);
    parent->AddChildClass(self);
}

void TPEGASUSClass::RemoveFromNamespace(TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kReadOnly, "RemoveFromNamespace");
}

void TPEGASUSClass::ModifyClass(boost::shared_ptr<ICIMClass>, TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kReadOnly, "ModifyClass");
}

std::string const& TPEGASUSClass::GetName(TCIMContext) const
{
    return fName;
}

boost::shared_ptr<ICIMNamespace> TPEGASUSClass::GetNamespace(TCIMContext) const
{
    return LockNamespace();
}

bool TPEGASUSClass::IsAssociation(TCIMContext) const
{
    return QualifierIsTrue(fQualifiers.Find("ASSOCIATION"));
}

bool TPEGASUSClass::IsAbstract(TCIMContext) const
{
    return QualifierIsTrue(fQualifiers.Find("ABSTRACT"));
}

bool TPEGASUSClass::IsRootClass(TCIMContext) const
{
    boost::shared_ptr<TPEGASUSNamespace> ns = LockNamespace();
    boost::shared_ptr<TPEGASUSClass> root = ns ? ns->GetRootClass() : boost::shared_ptr<TPEGASUSClass>();
    if (ns && ns->isConnected()) {
        boost::shared_ptr<ICIMClass> found = ns->GetClass(fName, TCIMContext());
        return found && found.get() == static_cast<ICIMClass*>(root.get());
    }
    boost::shared_ptr<TPEGASUSClass> parent = fSuperClass.lock();
    if (parent)
        return parent == root;
    return !root;
}

boost::shared_ptr<ICIMClass> TPEGASUSClass::GetSuperClass(TCIMContext) const
{
    boost::shared_ptr<TPEGASUSNamespace> ns = LockNamespace();
    if (ns && ns->isConnected() && fPegasusNSP) {
        Pegasus::CIMClass onServer = ns->getPegClient()->getClass(
            *fPegasusNSP, Pegasus::CIMName(fName.c_str()), true, true, false,
            Pegasus::CIMPropertyList());
        std::string const superName =
            TPEGASUSNamespace::PegasusText(onServer.getSuperClassName().getString());
        return ns->GetClass(superName, TCIMContext());
    }
    return fSuperClass.lock();
}

void TPEGASUSClass::EnumerateSubClasses(TClassCallback const& callback, bool deep, TCIMContext)
{
    // A copy: a callback may add classes to this one while the walk runs.
    std::vector<boost::shared_ptr<TPEGASUSClass>> const children = fChildClasses;
    for (boost::shared_ptr<TPEGASUSClass> const& child : children) {
        try {
            bool goOn = true;
            try {
                goOn = callback(child);
            } catch (TKTAException const& e) {
                LogLine(3, "TPEGASUSClass::EnumerateSubClasses : " + child->GetName(TCIMContext()) +
                               "  " + e.what());
            }
            if (!goOn)
                return;
            if (deep)
                child->EnumerateSubClasses(callback, true, TCIMContext());
        } catch (...) {
            LogLine(3, "TPEGASUSClass::EnumerateSubClasses : " + child->GetName(TCIMContext()) +
                           "  Execption occurred");
        }
    }
}

bool TPEGASUSClass::IsSubclassOf(boost::shared_ptr<const ICIMClass> other, TCIMContext) const
{
    boost::shared_ptr<TPEGASUSClass> const root = RootClassOfNamespace();
    std::string const& otherName = other->GetName(TCIMContext());
    boost::shared_ptr<const TPEGASUSClass> current = shared_from_this();
    // The root class has no superclass: it is a subclass of itself only.
    if (current == root)
        return otherName == fName;
    while (true) {
        if (otherName == current->fName)
            return true;
        current = current->fSuperClass.lock();
        if (!current)
            throw TKTAException(TKTAStatusCode::kNotFound,
                                "a superclass of " + fName + " is gone");
        if (current == root)
            break;
    }
    return other.get() == static_cast<const ICIMClass*>(root.get());
}

void TPEGASUSClass::EnumerateAssociatedClasses(TClassCallback const&, std::string const&,
                                               std::string const&, std::string const&,
                                               std::string const&, TCIMContext)
{
}

void TPEGASUSClass::EnumerateAssociationClasses(TClassCallback const&, std::string const&,
                                                std::string const&, TCIMContext)
{
}

void TPEGASUSClass::EnumerateKeyNames(TKeyNameCallback const& callback, TCIMContext) const
{
    for (TPropertyDeclMap::value_type const& entry : fPropertyDecls) {
        // A property without a Key qualifier is simply no key: look the
        // qualifier up without the throwing accessor.  Instance paths are
        // built from this for every instance, so the name is given
        // lower-cased already.
        if (!QualifierIsTrue(entry.second->FindQualifierNormalized("key")))
            continue;
        if (!callback(&entry.second->GetName(TCIMContext())))
            return;
    }
}

boost::shared_ptr<ICIMPropertyDecl> TPEGASUSClass::AllocatePropertyDecl(
    std::string const& name, TCIMValue const& defaultValue, TCIMContext)
{
    return boost::shared_ptr<ICIMPropertyDecl>(
        new TPEGASUSPropertyDecl(shared_from_this(), name, defaultValue));
}

boost::shared_ptr<ICIMPropertyDecl> TPEGASUSClass::GetPropertyDecl(std::string const& name,
                                                                   TCIMContext) const
{
    TPropertyDeclMap::const_iterator found =
        fPropertyDecls.find(TPEGASUSNamespace::NormalizeName(name));
    if (found != fPropertyDecls.end())
        return found->second;
    // Hosts ask every class for the collection time stamp; its absence is
    // no error.
    if (name == "DateTimeOfCollection")
        return boost::shared_ptr<ICIMPropertyDecl>();
    throw TKTAException(TKTAStatusCode::kNotFound, "property " + name + " of class " + fName);
}

void TPEGASUSClass::EnumeratePropertyDecls(TPropertyDeclCallback const& callback,
                                           TCIMContext) const
{
    for (TPropertyDeclMap::value_type const& entry : fPropertyDecls)
        if (!callback(entry.second))
            return;
}

boost::shared_ptr<ICIMProperty> TPEGASUSClass::GetProperty(std::string const& name, TCIMContext)
{
    TPropertyMap::const_iterator found =
        fStaticProperties.find(TPEGASUSNamespace::NormalizeName(name));
    if (found == fStaticProperties.end())
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "static property " + name + " of class " + fName);
    return found->second;
}

void TPEGASUSClass::SetPropertyValue(std::string const&, TCIMValue const&, TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kReadOnly, "SetPropertyValue");
}

void TPEGASUSClass::EnumerateStaticProperties(TPropertyCallback const& callback, TCIMContext)
{
    for (TPropertyMap::value_type const& entry : fStaticProperties)
        callback(entry.second);
}

boost::shared_ptr<ICIMInstance> TPEGASUSClass::AllocateInstance(TCIMContext context)
{
    return boost::shared_ptr<ICIMInstance>(new TPEGASUSInstance(shared_from_this(), context));
}

boost::shared_ptr<ICIMMethodDecl> TPEGASUSClass::AllocateMethodDecl(
    std::string const& name, TCIMValue::TCIMType returnType, TCIMContext)
{
    return boost::shared_ptr<ICIMMethodDecl>(
        new TPEGASUSMethodDecl(shared_from_this(), name, returnType));
}

boost::shared_ptr<ICIMMethodDecl> TPEGASUSClass::GetMethodDecl(std::string const& name,
                                                               TCIMContext) const
{
    TMethodDeclMap::const_iterator found =
        fMethodDecls.find(TPEGASUSNamespace::NormalizeName(name));
    if (found == fMethodDecls.end())
        return boost::shared_ptr<ICIMMethodDecl>();
    return found->second;
}

void TPEGASUSClass::EnumerateMethodDecls(TMethodDeclCallback const& callback, TCIMContext) const
{
    for (TMethodDeclMap::value_type const& entry : fMethodDecls)
        if (!callback(entry.second))
            return;
}

TCIMValue TPEGASUSClass::InvokeMethod(std::string const&, TCIMContext&, TCIMContext&, TCIMContext)
{
    return TCIMValue();
}

bool TPEGASUSClass::operator==(ICIMClass& other) const
{
    return fName == other.GetName(TCIMContext());
}

bool TPEGASUSClass::operator<(ICIMClass& other) const
{
    return fName < other.GetName(TCIMContext());
}

ICIMClass& TPEGASUSClass::operator=(ICIMClass const&)
{
    return *this;
}

void TPEGASUSClass::AddChildClass(boost::shared_ptr<ICIMClass> child)
{
    boost::shared_ptr<TPEGASUSClass> newChild = boost::dynamic_pointer_cast<TPEGASUSClass>(child);
    if (!newChild)
        throw TKTAException(TKTAStatusCode::kWrongType, "a child class of another kind");
    std::string const& name = newChild->GetName(TCIMContext());
    for (std::vector<boost::shared_ptr<TPEGASUSClass>>::iterator it = fChildClasses.begin();
         it != fChildClasses.end(); ++it) {
        if ((*it)->GetName(TCIMContext()) != name)
            continue;
        // The replacement keeps the place of the old object in the tree.
        newChild->fSuperClass = (*it)->fSuperClass;
        fChildClasses.erase(it);
        break;
    }
    fChildClasses.push_back(newChild);
}

void TPEGASUSClass::RemoveChildClass(boost::shared_ptr<ICIMClass>)
{
}

void TPEGASUSClass::AddInstance(boost::shared_ptr<ICIMInstance> instance)
{
    boost::shared_ptr<TPEGASUSInstance> own = boost::dynamic_pointer_cast<TPEGASUSInstance>(instance);
    if (!own)
        throw TKTAException(TKTAStatusCode::kWrongType, "an instance of another kind");
    std::string const key = instance->BuildPath(TCIMContext()).GetPath();
    fInstances.insert(TInstanceMap::value_type(key, own));
}

void TPEGASUSClass::RemoveInstance(boost::shared_ptr<ICIMInstance> instance)
{
    fInstances.erase(instance->BuildPath(TCIMContext()).GetPath());
}

void TPEGASUSClass::AddAssociationClass(boost::shared_ptr<ICIMClass>)
{
}

void TPEGASUSClass::RemoveAssociationClass(boost::shared_ptr<ICIMClass>)
{
}

void TPEGASUSClass::AddPropertyDecl(boost::shared_ptr<ICIMPropertyDecl> decl)
{
    boost::shared_ptr<TPEGASUSPropertyDecl> own =
        boost::dynamic_pointer_cast<TPEGASUSPropertyDecl>(decl);
    if (!own)
        throw TKTAException(TKTAStatusCode::kWrongType, "a property declaration of another kind");
    std::string const& name = own->GetName(TCIMContext());
    if (own->GetType(TCIMContext()) == kReference && !IsAssociation(TCIMContext())) {
        LogLine(0, "TPEGASUS: Attempt to add reference property " + name +
                       " to non-association class " + fName);
        throw TKTAException(TKTAStatusCode::kPropertyNotAllowed, name);
    }

    std::string const key = TPEGASUSNamespace::NormalizeName(name);
    TPropertyDeclMap::iterator stored = fPropertyDecls.find(key);
    std::string const overrideText = "TPEGASUS: Attempt to override property " + name +
                                     " in class " + fName;
    if (stored == fPropertyDecls.end()) {
        if (own->LookupQualifier("OVERRIDE").second)
            LogLine(0, overrideText + ": property doesn't exist in base class");
        fPropertyDecls[key] = own;
        return;
    }

    try {
        // A declaration that does not say it overrides makes this throw 15:
        // the name is taken already.
        own->GetQualifier("OVERRIDE", TCIMContext());
        if (stored->second->GetType(TCIMContext()) != own->GetType(TCIMContext())) {
            LogLine(0, overrideText + ": different types");
            throw TKTAException(TKTAStatusCode::kWrongType, name);
        }
        boost::shared_ptr<ICIMClass> storedClass = stored->second->GetClass(TCIMContext());
        if (storedClass.get() == static_cast<ICIMClass*>(this)) {
            LogLine(0, overrideText + ": original was defined in this class");
            throw TKTAException(TKTAStatusCode::kAlreadyDefined, name);
        }
    } catch (TKTAException const& e) {
        if (e.GetStatusCode() == TKTAStatusCode::kNotFound) {
            // Port types are redefined freely by vendor schemas.
            if (name.find("PortType") != std::string::npos) {
                fPropertyDecls[key] = own;
                return;
            }
            LogLine(0, "TPEGASUS: Attempt to add property " + name + " to class " + fName +
                           ": already exists");
            throw TKTAException(TKTAStatusCode::kAlreadyDefined, name);
        }
        LogLine(0, "TPEGASUS: Attempt define property " + name + " in class " + fName +
                       "failed. Reason = " + e.what());
        throw TKTAException(e.GetStatusCode(), name);
    }
    // An inherited declaration is overridden.
    fPropertyDecls[key] = own;
}

void TPEGASUSClass::RemovePropertyDecl(boost::shared_ptr<ICIMPropertyDecl>)
{
}

void TPEGASUSClass::AddMethodDecl(boost::shared_ptr<ICIMMethodDecl>)
{
}

void TPEGASUSClass::RemoveMethodDecl(boost::shared_ptr<ICIMMethodDecl>)
{
}

void TPEGASUSClass::AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier, TCIMContext)
{
    fQualifiers.Add(qualifier);
}

boost::shared_ptr<ICIMQualifier> TPEGASUSClass::AllocateQualifier(
    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value, TCIMContext) const
{
    return boost::shared_ptr<ICIMQualifier>(new TPEGASUSQualifier(shared_from_this(), decl, value));
}

boost::shared_ptr<ICIMQualifier> TPEGASUSClass::AllocateQualifier(
    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
    ICIMQualifierDecl::EFlavor, TCIMContext context) const
{
    return AllocateQualifier(decl, value, context);
}

boost::shared_ptr<ICIMQualifier> TPEGASUSClass::GetQualifier(std::string const& name,
                                                             TCIMContext) const
{
    return fQualifiers.Find(name);
}

boost::shared_ptr<ICIMQualifier> TPEGASUSClass::GetQualifier(std::string const&, bool&,
                                                             TCIMContext) const
{
    throw TKTAException(TKTAStatusCode::kNotSupported, "GetQualifier with a found flag");
}

void TPEGASUSClass::EnumerateQualifiers(TQualifierCallback const& callback, TCIMContext) const
{
    fQualifiers.Enumerate(callback);
}

void TPEGASUSClass::ClearInstances()
{
    for (boost::shared_ptr<TPEGASUSClass> const& child : fChildClasses)
        child->ClearInstances();
    fChildClasses.clear();
    // Declarations and qualifiers are released with their own contents, so
    // that nothing still held from outside keeps a chain of them alive.
    for (TPropertyDeclMap::value_type const& entry : fPropertyDecls)
        entry.second->ClearQualifiers();
    for (TMethodDeclMap::value_type const& entry : fMethodDecls)
        entry.second->Clear();
    fQualifiers.Clear();
    fPropertyDecls.clear();
    fStaticProperties.clear();
    fInstances.clear();
    fMethodDecls.clear();
}

} // namespace NQRVKTA20
