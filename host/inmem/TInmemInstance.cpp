#include "TInmemInstance.h"

#include <algorithm>
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

typedef TInmemInstance::TPropertySlots TSlots;

// Slot order against a name in any letter case (keys are lower-cased).
bool KeyBefore(TInmemInstance::TSlot const& slot, std::string const& name)
{
    return InmemCompareNoCase(slot.key, name) < 0;
}

bool KeyIs(TInmemInstance::TSlot const& slot, std::string const& name)
{
    return InmemCompareNoCase(slot.key, name) == 0;
}

// Holders for every property `cls` declares, made in one allocation: an
// instance costs one block of holders instead of one allocation (with its
// own reference count) per property, and a lookup is a binary search.
void LoadDeclared(TSlots& slots, ICIMClass& cls)
{
    std::vector<boost::shared_ptr<ICIMPropertyDecl>> decls;
    decls.reserve(16);
    cls.EnumeratePropertyDecls(
        [&decls](boost::shared_ptr<ICIMPropertyDecl> decl) {
            if (decl)
                decls.push_back(decl);
            return true;
        },
        TCIMContext());
    if (decls.empty())
        return;
    boost::shared_ptr<std::vector<TInmemProperty>> block =
        boost::make_shared<std::vector<TInmemProperty>>();
    block->reserve(decls.size());
    slots.reserve(decls.size());
    for (boost::shared_ptr<ICIMPropertyDecl> const& decl : decls) {
        block->emplace_back(decl);
        // The holder shares the block's reference count.
        slots.push_back(TInmemInstance::TSlot{InmemNormalizeName(decl->GetName(TCIMContext())),
                                              boost::shared_ptr<TInmemProperty>(block,
                                                                                &block->back())});
    }
    // Classes usually hand out their declarations in name order already.
    auto const byKey = [](TInmemInstance::TSlot const& a, TInmemInstance::TSlot const& b) {
        return a.key < b.key;
    };
    if (!std::is_sorted(slots.begin(), slots.end(), byKey))
        std::sort(slots.begin(), slots.end(), byKey);
}

// The holder for `name` in `slots`; the class's declarations give every
// holder on the first call, and one declared later is added on its own.
// Shared by the live holders and the staging copy of ModifyInstance so
// that both apply the same checks.
boost::shared_ptr<TInmemProperty> HolderIn(TSlots& slots, ICIMClass& cls, std::string const& name)
{
    if (slots.empty())
        LoadDeclared(slots, cls);
    TSlots::iterator found = std::lower_bound(slots.begin(), slots.end(), name, KeyBefore);
    if (found != slots.end() && KeyIs(*found, name))
        return found->holder;
    boost::shared_ptr<ICIMPropertyDecl> decl = cls.GetPropertyDecl(name, TCIMContext());
    if (!decl)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "class " + cls.GetName(TCIMContext()) + " has no property " + name);
    boost::shared_ptr<TInmemProperty> holder = boost::make_shared<TInmemProperty>(decl);
    slots.insert(found, TInmemInstance::TSlot{InmemNormalizeName(name), holder});
    return holder;
}

TSlots DeepCopy(TSlots const& slots)
{
    TSlots copy;
    copy.reserve(slots.size());
    for (TInmemInstance::TSlot const& slot : slots)
        copy.push_back(
            TInmemInstance::TSlot{slot.key, boost::make_shared<TInmemProperty>(*slot.holder)});
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
    TSlots copy = DeepCopy(other.fProperties);
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
    TSlots staged = DeepCopy(fProperties);
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
        TSlots::const_iterator found =
            std::lower_bound(fProperties.begin(), fProperties.end(), name, KeyBefore);
        if (found != fProperties.end() && KeyIs(*found, name)) {
            keys.push_back(std::make_pair(name, found->holder->GetValue(none)));
            continue;
        }
        boost::shared_ptr<ICIMPropertyDecl> decl = fClass->GetPropertyDecl(name, none);
        keys.push_back(std::make_pair(name, decl ? decl->GetDefaultValue(none) : TCIMValue()));
    }
    return InmemFormatObjectPath(fClass->GetName(none), std::move(keys));
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
    TSlots snapshot(fProperties);
    for (TSlot const& slot : snapshot)
        if (!callback(slot.holder))
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
