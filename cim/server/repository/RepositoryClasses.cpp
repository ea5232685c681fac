// Class operations of Repository.  Each class is stored twice: as the
// client defined it (the local definition, which a later modification or a
// re-resolution starts from) and resolved (what GetClass serves; the
// classes used lately stay decoded in memory, so that a GetClass of one of
// them costs one copy and no database access).
#include "RepositoryImpl.h"

#include "ObjectCodec.h"

#include <algorithm>

#include <sqlite3.h>

#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/Exception.h>

namespace Pegasus {

namespace {

void removeKey(std::vector<std::string>& keys, const std::string& key)
{
    keys.erase(std::remove(keys.begin(), keys.end(), key), keys.end());
}

// Whether instances stored under `before` still fit `after`: every
// property keeps its type and the keys stay the same.
bool instancesStillFit(const CIMConstClass& before, const CIMConstClass& after)
{
    for (Uint32 i = 0; i < before.getPropertyCount(); i++)
    {
        CIMConstProperty p = before.getProperty(i);
        Uint32 j = after.findProperty(p.getName());
        if (j == PEG_NOT_FOUND)
            return false;
        CIMConstProperty q = after.getProperty(j);
        if (q.getType() != p.getType() || q.isArray() != p.isArray())
            return false;
    }
    Array<CIMName> oldKeys;
    Array<CIMName> newKeys;
    before.getKeyNames(oldKeys);
    after.getKeyNames(newKeys);
    if (oldKeys.size() != newKeys.size())
        return false;
    for (Uint32 i = 0; i < oldKeys.size(); i++)
    {
        bool found = false;
        for (Uint32 j = 0; j < newKeys.size() && !found; j++)
            found = oldKeys[i].equal(newKeys[j]);
        if (!found)
            return false;
    }
    return true;
}

}  // namespace

bool Repository::Impl::hasInstances(int64_t nsId, const std::string& classKey)
{
    SqliteStatementUse s(
        writer->statement("SELECT 1 FROM instances WHERE ns = ? AND class = ? LIMIT 1"));
    s->bind(1, nsId).bindText(2, classKey);
    return s->step();
}

CIMClass Repository::getClass(const CIMNamespaceName& nameSpace, const CIMName& className,
                              Boolean localOnly, Boolean includeQualifiers,
                              Boolean includeClassOrigin,
                              const CIMPropertyList& propertyList) const
{
    CIMClass resolved;
    {
        std::shared_lock<std::shared_mutex> lock(_impl->meta);
        const Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
        resolved = Impl::requireClass(ns, className, CIM_ERR_NOT_FOUND).resolved.get();
    }
    return ClassResolver::present(resolved, localOnly, includeQualifiers, includeClassOrigin,
                                  propertyList);
}

Array<CIMClass> Repository::enumerateClasses(const CIMNamespaceName& nameSpace,
                                             const CIMName& className, Boolean deepInheritance,
                                             Boolean localOnly, Boolean includeQualifiers,
                                             Boolean includeClassOrigin) const
{
    std::vector<CIMClass> classes;
    {
        std::shared_lock<std::shared_mutex> lock(_impl->meta);
        const Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
        std::vector<std::string> keys;
        if (className.isNull())
        {
            if (deepInheritance)
            {
                for (const std::string& root : ns.roots)
                    Impl::collectSubclasses(ns, root, true, true, keys);
            }
            else
                keys = ns.roots;
        }
        else
        {
            Impl::requireClass(ns, className, CIM_ERR_INVALID_CLASS);
            Impl::collectSubclasses(ns, Impl::nameKey(className.getString()), false,
                                    deepInheritance, keys);
        }
        for (const std::string& k : keys)
            classes.push_back(ns.findClass(k)->resolved.get());
    }
    Array<CIMClass> result;
    result.reserveCapacity(Uint32(classes.size()));
    for (const CIMClass& c : classes)
    {
        result.append(ClassResolver::present(c, localOnly, includeQualifiers, includeClassOrigin,
                                             CIMPropertyList()));
    }
    return result;
}

Array<CIMName> Repository::enumerateClassNames(const CIMNamespaceName& nameSpace,
                                               const CIMName& className,
                                               Boolean deepInheritance) const
{
    std::shared_lock<std::shared_mutex> lock(_impl->meta);
    const Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    std::vector<std::string> keys;
    if (className.isNull())
    {
        if (deepInheritance)
        {
            for (const std::string& root : ns.roots)
                Impl::collectSubclasses(ns, root, true, true, keys);
        }
        else
            keys = ns.roots;
    }
    else
    {
        Impl::requireClass(ns, className, CIM_ERR_INVALID_CLASS);
        Impl::collectSubclasses(ns, Impl::nameKey(className.getString()), false, deepInheritance,
                                keys);
    }
    Array<CIMName> result;
    for (const std::string& k : keys)
        result.append(ns.findClass(k)->name);
    return result;
}

void Repository::createClass(const CIMNamespaceName& nameSpace, const CIMClass& newClass)
{
    if (newClass.isUninitialized())
        throw CIMException(CIM_ERR_INVALID_PARAMETER, "no class given");
    CIMClass local = ClassResolver::localDefinition(newClass);
    const CIMName& className = local.getClassName();
    const CIMName& superName = local.getSuperClassName();
    std::string key = Impl::newNameKey(className.getString(), "class");

    std::lock_guard<std::mutex> write(_impl->writeMutex);
    std::shared_ptr<Impl::NamespaceEntry> ns = _impl->namespaceForWrite(nameSpace);
    bool fresh = ns->id == 0;
    if (ns->findClass(key))
        throw CIMException(CIM_ERR_ALREADY_EXISTS, className.getString());
    std::string superKey;
    CIMConstClass superResolved;
    if (!superName.isNull())
    {
        superKey = Impl::nameKey(superName.getString());
        const Impl::ClassEntry* super = ns->findClass(superKey);
        if (!super)
            throw CIMException(CIM_ERR_INVALID_SUPERCLASS,
                               Impl::quotedName(superName.getString()));
        superResolved = super->resolved.get();
    }
    CIMClass resolved = ClassResolver::resolve(local, superResolved, Impl::Lookup(*ns));
    std::string resolvedBlob = ObjectCodec::encodeClass(resolved);

    SqliteTransaction t(*_impl->writer);
    if (fresh)
        _impl->insertNamespaceRow(*ns);
    _impl->writer->statement("INSERT INTO classes(ns, key, super, name) VALUES(?, ?, ?, ?)")
        .bind(1, ns->id)
        .bindText(2, key)
        .bindText(3, superKey)
        .bindText(4, std::string(className.getString().getCString()))
        .run();
    std::shared_ptr<Impl::ClassEntry> entry = _impl->newClassEntry();
    entry->id = sqlite3_last_insert_rowid(_impl->writer->handle());
    entry->name = className;
    entry->superKey = superKey;
    _impl->writer->statement("INSERT INTO class_bodies(id, local, resolved) VALUES(?, ?, ?)")
        .bind(1, entry->id)
        .bindBlob(2, ObjectCodec::encodeClass(local))
        .bindBlob(3, resolvedBlob)
        .run();
    t.commit();

    // Subclasses and instances of a new class usually follow soon.
    _impl->cacheClass(*entry, resolved, resolvedBlob.size());
    std::unique_lock<std::shared_mutex> lock(_impl->meta);
    if (fresh)
        _impl->publishNamespace(ns);
    ns->classes[key] = entry;
    if (superKey.empty())
        ns->roots.push_back(key);
    else
        ns->classes[superKey]->children.push_back(key);
    ++_impl->schemaGeneration;
}

void Repository::modifyClass(const CIMNamespaceName& nameSpace, const CIMClass& modifiedClass)
{
    if (modifiedClass.isUninitialized())
        throw CIMException(CIM_ERR_INVALID_PARAMETER, "no class given");
    CIMClass local = ClassResolver::localDefinition(modifiedClass);
    const CIMName& className = local.getClassName();
    const CIMName& superName = local.getSuperClassName();
    std::string key = Impl::nameKey(className.getString());

    std::lock_guard<std::mutex> write(_impl->writeMutex);
    Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    Impl::requireClass(ns, className, CIM_ERR_NOT_FOUND);
    Impl::ClassEntry& entry = *ns.classes[key];
    if (!entry.children.empty())
        throw CIMException(CIM_ERR_CLASS_HAS_CHILDREN, className.getString());
    std::string superKey;
    CIMConstClass superResolved;
    if (!superName.isNull())
    {
        superKey = Impl::nameKey(superName.getString());
        const Impl::ClassEntry* super = ns.findClass(superKey);
        if (!super || superKey == key)
            throw CIMException(CIM_ERR_INVALID_SUPERCLASS,
                               Impl::quotedName(superName.getString()));
        superResolved = super->resolved.get();
    }
    CIMClass resolved = ClassResolver::resolve(local, superResolved, Impl::Lookup(ns));
    if (!instancesStillFit(entry.resolved.get(), resolved) && _impl->hasInstances(ns.id, key))
        throw CIMException(CIM_ERR_CLASS_HAS_INSTANCES, className.getString());
    std::string resolvedBlob = ObjectCodec::encodeClass(resolved);

    SqliteTransaction t(*_impl->writer);
    _impl->writer->statement("UPDATE classes SET super = ?, name = ? WHERE id = ?")
        .bindText(1, superKey)
        .bindText(2, std::string(className.getString().getCString()))
        .bind(3, entry.id)
        .run();
    _impl->writer->statement("UPDATE class_bodies SET local = ?, resolved = ? WHERE id = ?")
        .bindBlob(1, ObjectCodec::encodeClass(local))
        .bindBlob(2, resolvedBlob)
        .bind(3, entry.id)
        .run();
    t.commit();

    std::unique_lock<std::shared_mutex> lock(_impl->meta);
    _impl->cacheClass(entry, resolved, resolvedBlob.size());
    entry.name = className;
    if (superKey != entry.superKey)
    {
        if (entry.superKey.empty())
            removeKey(ns.roots, key);
        else
            removeKey(ns.classes[entry.superKey]->children, key);
        if (superKey.empty())
            ns.roots.push_back(key);
        else
            ns.classes[superKey]->children.push_back(key);
        entry.superKey = superKey;
    }
    ++_impl->schemaGeneration;
}

void Repository::deleteClass(const CIMNamespaceName& nameSpace, const CIMName& className)
{
    std::lock_guard<std::mutex> write(_impl->writeMutex);
    Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    Impl::requireClass(ns, className, CIM_ERR_NOT_FOUND);
    std::string key = Impl::nameKey(className.getString());
    Impl::ClassEntry& entry = *ns.classes[key];
    // Subclasses are checked first: their instances are instances of this
    // class too, and removing the subclasses is what the client must do
    // before anything else.
    if (!entry.children.empty())
        throw CIMException(CIM_ERR_CLASS_HAS_CHILDREN, className.getString());
    // Instances are never deleted with their class: the client deletes them
    // one by one first.
    if (_impl->hasInstances(ns.id, key))
        throw CIMException(CIM_ERR_CLASS_HAS_INSTANCES, className.getString());

    SqliteTransaction t(*_impl->writer);
    _impl->writer->statement("DELETE FROM classes WHERE id = ?").bind(1, entry.id).run();
    _impl->writer->statement("DELETE FROM class_bodies WHERE id = ?").bind(1, entry.id).run();
    t.commit();

    std::unique_lock<std::shared_mutex> lock(_impl->meta);
    _impl->uncacheClass(entry);
    if (entry.superKey.empty())
        removeKey(ns.roots, key);
    else
        removeKey(ns.classes[entry.superKey]->children, key);
    ns.classes.erase(key);
    ++_impl->schemaGeneration;
}

Array<CIMName> Repository::enumerateSubclassNames(const CIMNamespaceName& nameSpace,
                                                  const CIMName& className) const
{
    std::shared_lock<std::shared_mutex> lock(_impl->meta);
    const Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    Impl::requireClass(ns, className, CIM_ERR_INVALID_CLASS);
    std::vector<std::string> keys;
    Impl::collectSubclasses(ns, Impl::nameKey(className.getString()), true, true, keys);
    Array<CIMName> result;
    for (const std::string& k : keys)
        result.append(ns.findClass(k)->name);
    return result;
}

Boolean Repository::classExists(const CIMNamespaceName& nameSpace, const CIMName& className) const
{
    std::shared_lock<std::shared_mutex> lock(_impl->meta);
    const Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    return !className.isNull() && ns.findClass(Impl::nameKey(className.getString())) != nullptr;
}

Boolean Repository::isSubclass(const CIMNamespaceName& nameSpace, const CIMName& className,
                               const CIMName& superClassName) const
{
    std::shared_lock<std::shared_mutex> lock(_impl->meta);
    const Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    if (className.isNull() || superClassName.isNull())
        return false;
    std::string target = Impl::nameKey(superClassName.getString());
    std::string key = Impl::nameKey(className.getString());
    // The chain is at most as long as the namespace has classes.
    for (std::size_t steps = 0; steps <= ns.classes.size(); steps++)
    {
        const Impl::ClassEntry* entry = ns.findClass(key);
        if (!entry)
            return false;
        if (key == target)
            return true;
        if (entry->superKey.empty())
            return false;
        key = entry->superKey;
    }
    return false;
}

}  // namespace Pegasus
