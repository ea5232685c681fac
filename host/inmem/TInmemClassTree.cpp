// TInmemClass: the class tree (namespace entry, superclass, subclasses) and
// the registry of instances.
#include "TInmemClass.h"

#include <algorithm>

#include "ICIMInstance.h"
#include "TInmemInstance.h"
#include "TInmemNames.h"
#include "TInmemNamespace.h"
#include "TKTAException.h"

namespace NQRVKTA20 {

void TInmemClass::AddToNamespace(TCIMContext)
{
    boost::shared_ptr<ICIMNamespace> ns = fNamespace.lock();
    if (!ns)
        throw TKTAException(TKTAStatusCode::kNotFound, "class " + fName + ": namespace is gone");
    TInmemNamespace* inmem = dynamic_cast<TInmemNamespace*>(ns.get());
    if (!inmem)
        throw TKTAException(TKTAStatusCode::kNotSupported,
                            "class " + fName + ": not an in-memory namespace");
    boost::shared_ptr<ICIMClass> self = shared_from_this();
    // The namespace first: it refuses a duplicate before the tree changes.
    inmem->AddClass(self);
    boost::shared_ptr<ICIMClass> parent = fParent.lock();
    if (parent)
        parent->AddChildClass(self);
}

void TInmemClass::RemoveFromNamespace(TCIMContext)
{
    boost::shared_ptr<ICIMClass> self = shared_from_this();
    boost::shared_ptr<ICIMClass> parent = fParent.lock();
    if (parent)
        parent->RemoveChildClass(self);
    boost::shared_ptr<ICIMNamespace> ns = fNamespace.lock();
    TInmemNamespace* inmem = dynamic_cast<TInmemNamespace*>(ns.get());
    if (inmem)
        inmem->RemoveClass(self);
}

bool TInmemClass::IsRootClass(TCIMContext) const
{
    return !fParent.lock();
}

boost::shared_ptr<ICIMClass> TInmemClass::GetSuperClass(TCIMContext) const
{
    return fParent.lock();
}

bool TInmemClass::IsSubclassOf(boost::shared_ptr<const ICIMClass> other, TCIMContext) const
{
    if (!other)
        return false;
    TCIMContext none;
    std::string otherKey = InmemNormalizeName(other->GetName(none));
    if (other.get() == this || InmemNormalizeName(fName) == otherKey)
        return true;
    // Walk up through the interface so that foreign superclasses work too.
    for (boost::shared_ptr<ICIMClass> current = fParent.lock(); current;
         current = current->GetSuperClass(none)) {
        if (current.get() == other.get() ||
            InmemNormalizeName(current->GetName(none)) == otherKey)
            return true;
    }
    return false;
}

bool TInmemClass::WalkSubClasses(TClassCallback const& callback, bool deep)
{
    std::vector<boost::shared_ptr<ICIMClass>> children(fChildren);
    for (boost::shared_ptr<ICIMClass> const& child : children) {
        if (!callback(child))
            return false;
        if (!deep)
            continue;
        TInmemClass* inmem = dynamic_cast<TInmemClass*>(child.get());
        if (inmem) {
            if (!inmem->WalkSubClasses(callback, true))
                return false;
            continue;
        }
        bool stopped = false;
        child->EnumerateSubClasses(
            [&callback, &stopped](boost::shared_ptr<ICIMClass> cls) {
                if (!callback(cls))
                    stopped = true;
                return !stopped;
            },
            true, TCIMContext());
        if (stopped)
            return false;
    }
    return true;
}

void TInmemClass::EnumerateSubClasses(TClassCallback const& callback, bool deep, TCIMContext)
{
    WalkSubClasses(callback, deep);
}

boost::shared_ptr<ICIMInstance> TInmemClass::AllocateInstance(TCIMContext)
{
    return boost::shared_ptr<ICIMInstance>(new TInmemInstance(shared_from_this(), 0));
}

bool TInmemClass::WalkInstances(TInstanceCallback const& callback, bool deep)
{
    std::multimap<std::string, boost::shared_ptr<ICIMInstance>> snapshot(fInstances);
    for (auto const& entry : snapshot)
        if (!callback(entry.second))
            return false;
    if (!deep)
        return true;
    std::vector<boost::shared_ptr<ICIMClass>> children(fChildren);
    for (boost::shared_ptr<ICIMClass> const& child : children) {
        TInmemClass* inmem = dynamic_cast<TInmemClass*>(child.get());
        if (inmem) {
            if (!inmem->WalkInstances(callback, true))
                return false;
            continue;
        }
        bool stopped = false;
        child->EnumerateInstances(
            [&callback, &stopped](boost::shared_ptr<ICIMInstance> instance) {
                if (!callback(instance))
                    stopped = true;
                return !stopped;
            },
            true, TCIMContext());
        if (stopped)
            return false;
    }
    return true;
}

void TInmemClass::EnumerateInstances(TInstanceCallback const& callback, bool deep, TCIMContext)
{
    WalkInstances(callback, deep);
}

void TInmemClass::AddChildClass(boost::shared_ptr<ICIMClass> child)
{
    if (!child)
        throw TKTAException(TKTAStatusCode::kNotSupported, "empty class pointer");
    std::string key = InmemNormalizeName(child->GetName(TCIMContext()));
    fChildren.erase(std::remove_if(fChildren.begin(), fChildren.end(),
                                   [&key](boost::shared_ptr<ICIMClass> const& present) {
                                       return InmemNormalizeName(
                                                  present->GetName(TCIMContext())) == key;
                                   }),
                    fChildren.end());
    fChildren.push_back(child);
}

void TInmemClass::RemoveChildClass(boost::shared_ptr<ICIMClass> child)
{
    fChildren.erase(std::remove(fChildren.begin(), fChildren.end(), child), fChildren.end());
}

void TInmemClass::AddInstance(boost::shared_ptr<ICIMInstance> instance)
{
    if (!instance)
        throw TKTAException(TKTAStatusCode::kNotSupported, "empty instance pointer");
    std::string path = instance->BuildPath(TCIMContext()).GetPath();
    fInstances.insert(std::make_pair(path, instance));
}

void TInmemClass::RemoveInstance(boost::shared_ptr<ICIMInstance> instance)
{
    if (!instance)
        return;
    fInstances.erase(instance->BuildPath(TCIMContext()).GetPath());
}

void TInmemClass::AddAssociationClass(boost::shared_ptr<ICIMClass>) {}

void TInmemClass::RemoveAssociationClass(boost::shared_ptr<ICIMClass>) {}

void TInmemClass::ClearInstances()
{
    std::vector<boost::shared_ptr<ICIMClass>> children(fChildren);
    for (boost::shared_ptr<ICIMClass> const& child : children)
        child->ClearInstances();
    // Swap out first: releasing an instance may release the last holder of
    // objects that call back into this class.
    std::multimap<std::string, boost::shared_ptr<ICIMInstance>> dropped;
    dropped.swap(fInstances);
}

boost::shared_ptr<ICIMInstance> TInmemClass::FindInstance(std::string const& path) const
{
    auto found = fInstances.find(path);
    return found == fInstances.end() ? boost::shared_ptr<ICIMInstance>() : found->second;
}

} // namespace NQRVKTA20
