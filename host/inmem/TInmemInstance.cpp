#include "TInmemInstance.h"

#include <utility>
#include <vector>

#include <boost/make_shared.hpp>

#include "ICIMClass.h"
#include "ICIMPropertyDecl.h"
#include "TInmemNames.h"
#include "TInmemObjectPath.h"
#include "TKTAException.h"

namespace NQRVKTA20 {

namespace {

typedef std::map<std::string, boost::shared_ptr<TInmemProperty>> TPropertyMap;

// The holder for `name` in `properties`, made from the class's declaration
// when missing. Shared by the live map and the staging copy of
// ModifyInstance so that both apply the same checks.
boost::shared_ptr<TInmemProperty> HolderIn(TPropertyMap& properties, ICIMClass& cls,
                                           std::string const& name)
{
    std::string key = InmemNormalizeName(name);
    // One search serves both the lookup and the insertion of a new holder.
    TPropertyMap::iterator found = properties.lower_bound(key);
    if (found != properties.end() && found->first == key)
        return found->second;
    boost::shared_ptr<ICIMPropertyDecl> decl = cls.GetPropertyDecl(name, TCIMContext());
    if (!decl)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "class " + cls.GetName(TCIMContext()) + " has no property " + name);
    // The holder and its reference count in one allocation.
    boost::shared_ptr<TInmemProperty> holder = boost::make_shared<TInmemProperty>(decl);
    properties.emplace_hint(found, std::move(key), holder);
    return holder;
}

TPropertyMap DeepCopy(TPropertyMap const& properties)
{
    TPropertyMap copy;
    for (auto const& entry : properties)
        copy[entry.first].reset(new TInmemProperty(*entry.second));
    return copy;
}

std::vector<std::string> KeyNames(ICIMClass& cls)
{
    std::vector<std::string> names;
    cls.EnumerateKeyNames(
        [&names](const std::string* name) {
            if (name)
                names.push_back(*name);
            return true;
        },
        TCIMContext());
    return names;
}

} // namespace

TInmemInstance::TInmemInstance(boost::shared_ptr<ICIMClass> cls, int kind)
    : fClass(cls), fKind(kind)
{
    if (!fClass)
        throw TKTAException(TKTAStatusCode::kNotFound, "instance without class");
}

TInmemInstance::TInmemInstance(TInmemInstance const& other)
    : ICIMInstance(other), boost::enable_shared_from_this<TInmemInstance>(other),
      fClass(other.fClass), fKind(other.fKind), fProperties(DeepCopy(other.fProperties))
{
}

TInmemInstance& TInmemInstance::operator=(TInmemInstance const& other)
{
    CopyFrom(other);
    return *this;
}

TInmemInstance::~TInmemInstance() {}

void TInmemInstance::CopyFrom(TInmemInstance const& other)
{
    if (this == &other)
        return;
    TPropertyMap copy = DeepCopy(other.fProperties);
    fClass = other.fClass;
    fKind = other.fKind;
    fProperties.swap(copy);
}

boost::shared_ptr<TInmemProperty> TInmemInstance::Holder(std::string const& name)
{
    return HolderIn(fProperties, *fClass, name);
}

void TInmemInstance::Validate(TCIMContext)
{
    for (std::string const& name : KeyNames(*fClass)) {
        if (Holder(name)->GetValue(TCIMContext()).IsNull())
            throw TKTAException(TKTAStatusCode::kNotFound,
                                "key property " + name + " of " +
                                    fClass->GetName(TCIMContext()) + " has no value");
    }
}

void TInmemInstance::AddToNamespace(TCIMContext)
{
    fClass->AddInstance(shared_from_this());
}

void TInmemInstance::ModifyInstance(boost::shared_ptr<ICIMInstance> modified, TCIMContext)
{
    if (!modified)
        throw TKTAException(TKTAStatusCode::kNotSupported, "empty instance pointer");
    // Gather first: `modified` may be this very instance.
    std::vector<std::pair<std::string, TCIMValue>> changes;
    modified->EnumerateProperties(
        [&changes](boost::shared_ptr<ICIMProperty> property) {
            TCIMContext none;
            if (property && !property->IsDefaultValue(none)) {
                boost::shared_ptr<const ICIMPropertyDecl> decl = property->GetDeclaration(none);
                if (decl)
                    changes.push_back(std::make_pair(decl->GetName(none),
                                                     property->GetValue(none)));
            }
            return true;
        },
        TCIMContext());
    TPropertyMap staged = DeepCopy(fProperties);
    for (auto const& change : changes)
        HolderIn(staged, *fClass, change.first)->SetValue(change.second, TCIMContext());
    fProperties.swap(staged);
}

void TInmemInstance::Delete(TCIMContext)
{
    fClass->RemoveInstance(shared_from_this());
}

TCIMReference TInmemInstance::GetReference(TCIMContext context)
{
    TCIMReference reference(fClass->GetNamespace(context), context);
    reference.SetPath(GetPathText());
    return reference;
}

std::string TInmemInstance::GetPathText() const
{
    TCIMContext none;
    TInmemKeyBindings keys;
    for (std::string const& name : KeyNames(*fClass)) {
        TPropertyMap::const_iterator found = fProperties.find(InmemNormalizeName(name));
        if (found != fProperties.end()) {
            keys.push_back(std::make_pair(name, found->second->GetValue(none)));
            continue;
        }
        boost::shared_ptr<ICIMPropertyDecl> decl = fClass->GetPropertyDecl(name, none);
        keys.push_back(std::make_pair(name, decl ? decl->GetDefaultValue(none) : TCIMValue()));
    }
    return InmemFormatObjectPath(fClass->GetName(none), keys);
}

boost::shared_ptr<ICIMClass> TInmemInstance::GetClass(TCIMContext)
{
    return fClass;
}

std::string TInmemInstance::GetPegasusNSPStr() const
{
    return std::string();
}

void TInmemInstance::EnumerateAssociatedInstances(TInstanceCallback const&, std::string const&,
                                                  std::string const&, std::string const&,
                                                  std::string const&, TCIMContext)
{
}

void TInmemInstance::EnumerateAssociationInstances(TInstanceCallback const&, std::string const&,
                                                   std::string const&, TCIMContext)
{
}

boost::shared_ptr<ICIMProperty> TInmemInstance::GetProperty(std::string const& name,
                                                            TCIMContext)
{
    return Holder(name);
}

void TInmemInstance::SetPropertyValue(std::string const& name, TCIMValue const& value,
                                      TCIMContext context)
{
    Holder(name)->SetValue(value, context);
}

void TInmemInstance::EnumerateProperties(TPropertyCallback const& callback, TCIMContext context)
{
    std::vector<std::string> declared;
    fClass->EnumeratePropertyDecls(
        [&declared](boost::shared_ptr<ICIMPropertyDecl> decl) {
            if (decl)
                declared.push_back(decl->GetName(TCIMContext()));
            return true;
        },
        context);
    for (std::string const& name : declared)
        Holder(name);
    // Walk a copy: the callback may set properties of this instance.
    TPropertyMap snapshot(fProperties);
    for (auto const& entry : snapshot)
        if (!callback(entry.second))
            return;
}

TCIMValue TInmemInstance::InvokeMethod(std::string const& name, TCIMContext&, TCIMContext&,
                                       TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kNotSupported,
                        "method " + name + ": in-memory instances have no methods");
}

std::string TInmemInstance::PathOf(ICIMInstance& instance)
{
    TInmemInstance* inmem = dynamic_cast<TInmemInstance*>(&instance);
    if (inmem)
        return inmem->GetPathText();
    return instance.GetReference(TCIMContext()).GetPath();
}

bool TInmemInstance::operator==(ICIMInstance& other) const
{
    return GetPathText() == PathOf(other);
}

bool TInmemInstance::operator<(ICIMInstance& other) const
{
    return GetPathText() < PathOf(other);
}

ICIMInstance& TInmemInstance::operator=(ICIMInstance const& other)
{
    TInmemInstance const* inmem = dynamic_cast<TInmemInstance const*>(&other);
    if (!inmem)
        throw TKTAException(TKTAStatusCode::kNotSupported,
                            "cannot assign an instance of another kind");
    CopyFrom(*inmem);
    return *this;
}

} // namespace NQRVKTA20
