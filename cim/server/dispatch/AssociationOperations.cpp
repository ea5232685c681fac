#include "AssociationOperations.h"

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMProperty.h>

#include "InstanceRules.h"
#include "NameFolding.h"
#include "OperationExecutor.h"
#include "ProviderManager.h"
#include "Utf8Text.h"

#include <deque>
#include <set>
#include <string>
#include <vector>

namespace Pegasus {

struct AssociationOperations::Schema
{
    // One reference property of an association class.
    struct Reference
    {
        CIMName name;
        CIMName referenceClass;
    };

    // An association class.
    struct Association
    {
        CIMName name;
        std::vector<Reference> references;   // every reference property
    };

    std::vector<Association> classes;   // superclasses first
};

namespace {

bool nameIs(const String& wanted, const CIMName& name)
{
    return wanted.size() == 0 || String::equalNoCase(wanted, name.getString());
}

typedef AssociationOperations::Schema::Reference Reference;
typedef AssociationOperations::Schema::Association AssociationDecl;

// An association class that can refer to the object asked about.
struct AssociationClass
{
    const AssociationDecl* decl = nullptr;
    std::vector<std::size_t> roles;    // references that may point at it
    bool byProvider = false;           // an association provider serves it
};

// The key bindings of a and b name the same values (used when the
// object's class is not in the repository, so no key types are known).
bool sameKeys(const Array<CIMKeyBinding>& a, const Array<CIMKeyBinding>& b)
{
    if (a.size() != b.size())
        return false;
    for (Uint32 i = 0; i < a.size(); i++)
    {
        bool found = false;
        for (Uint32 j = 0; j < b.size() && !found; j++)
            found = a[i] == b[j];
        if (!found)
            return false;
    }
    return true;
}

CIMObjectPath localPath(const CIMObjectPath& path)
{
    return CIMObjectPath(String(), CIMNamespaceName(), path.getClassName(),
                         path.getKeyBindings());
}

// One result: its full path, and the object once it has been read.
struct Pending
{
    CIMObjectPath path;
    CIMObject object;
};

// Everything an operation needs, worked out when it is opened.
class Plan
{
public:
    // Checks the query; schemaOf gives the namespace's association classes.
    template <class SchemaOf>
    Plan(OperationExecutor& executor, const AssociationQuery& query,
         SchemaOf schemaOf)
        : x(executor), repo(executor.repository()), q(query)
    {
        const CIMNamespaceName& ns = q.nameSpace;
        if (!repo.namespaceExists(ns))
            throw CIMException(CIM_ERR_INVALID_NAMESPACE, ns.getString());
        const CIMName& objectClass = q.objectName.getClassName();
        if (objectClass.isNull())
            throw CIMException(CIM_ERR_INVALID_PARAMETER, "ObjectName");
        for (const CIMName* filter : {&q.assocClass, &q.resultClass})
        {
            if (!filter->isNull() && !repo.classExists(ns, *filter))
                throw CIMException(CIM_ERR_INVALID_CLASS, filter->getString());
        }
        classLevel = q.objectName.getKeyBindings().size() == 0;
        known = repo.classExists(ns, objectClass);
        const bool served = x.providerManager().hasProvider(
            ns, objectClass, INSTANCE_PROVIDER);
        if (!known && (classLevel || !served))
        {
            throw CIMException(CIM_ERR_INVALID_PARAMETER,
                               "no such class: " + objectClass.getString());
        }
        if (known)
        {
            objectSchema = repo.getClass(ns, objectClass, false, false, false,
                                         CIMPropertyList());
        }
        if (!classLevel && known)
        {
            // A repository instance must exist; the key text is what
            // references are compared with.
            if (!served)
            {
                repo.getInstance(ns, localPath(q.objectName), false, false,
                                 false, CIMPropertyList(Array<CIMName>()));
            }
            keyed = InstanceRules::canonicalKey(objectSchema, q.objectName,
                                                objectKey);
        }
        schema = schemaOf(ns);
        findAssociationClasses();
    }

    // True when className is the object's class, or (instance level) one
    // of the two derives from the other; at class level only the object's
    // class or its superclasses.
    bool mayHoldObject(const CIMName& className) const
    {
        const CIMName& objectClass = q.objectName.getClassName();
        if (className.equal(objectClass))
            return true;
        if (!known)
            return !classLevel;
        if (repo.isSubclass(q.nameSpace, objectClass, className))
            return true;
        return !classLevel && repo.isSubclass(q.nameSpace, className, objectClass);
    }

    // True when a reference value names the object.
    bool refersToObject(const CIMObjectPath& ref) const
    {
        if (!ref.getNameSpace().isNull() &&
            !ref.getNameSpace().equal(q.nameSpace))
            return false;
        if (!mayHoldObject(ref.getClassName()))
            return false;
        if (keyed)
        {
            std::string key;
            return InstanceRules::canonicalKey(objectSchema, ref, key) &&
                   key == objectKey;
        }
        return sameKeys(ref.getKeyBindings(), q.objectName.getKeyBindings());
    }

    // True when className passes the resultClass filter.
    bool resultClassAllows(const CIMName& className) const
    {
        return q.resultClass.isNull() ||
               repo.isSubclass(q.nameSpace, className, q.resultClass);
    }

    // path with this server's host and, when it names none, the namespace.
    CIMObjectPath fullPath(const CIMObjectPath& path) const
    {
        CIMNamespaceName ns = path.getNameSpace();
        return x.providerCalls().qualify(path, ns.isNull() ? q.nameSpace : ns);
    }

    // A text that is equal for two paths of the same object.
    std::string identity(const CIMObjectPath& path) const
    {
        CIMObjectPath full = fullPath(path);
        std::string text = foldedName(full.getNameSpace().getString()) + ":" +
                           foldedName(full.getClassName().getString()) + ".";
        const CIMName& className = full.getClassName();
        std::string key;
        if (repo.namespaceExists(full.getNameSpace()) &&
            repo.classExists(full.getNameSpace(), className))
        {
            CIMClass schema = repo.getClass(full.getNameSpace(), className,
                                            false, false, false,
                                            CIMPropertyList());
            if (InstanceRules::canonicalKey(schema, full, key))
                return text + key;
        }
        return text + utf8Text(localPath(full).toString());
    }

    OperationExecutor& x;
    Repository& repo;
    AssociationQuery q;
    bool classLevel = false;
    bool known = false;
    CIMClass objectSchema;
    bool keyed = false;
    std::string objectKey;
    std::shared_ptr<const AssociationOperations::Schema> schema;
    std::vector<AssociationClass> classes;

private:
    void findAssociationClasses()
    {
        const CIMName& filter = q.kind == AssociationQuery::ASSOCIATORS
                                    ? q.assocClass
                                    : q.resultClass;
        for (const AssociationDecl& decl : schema->classes)
        {
            if (!filter.isNull() &&
                !repo.isSubclass(q.nameSpace, decl.name, filter))
                continue;
            AssociationClass entry;
            entry.decl = &decl;
            for (std::size_t r = 0; r < decl.references.size(); r++)
            {
                const Reference& ref = decl.references[r];
                if (nameIs(q.role, ref.name) && mayHoldObject(ref.referenceClass))
                    entry.roles.push_back(r);
            }
            if (entry.roles.empty())
                continue;
            entry.byProvider = x.providerManager().hasProvider(
                q.nameSpace, decl.name, ASSOCIATION_PROVIDER);
            classes.push_back(entry);
        }
    }
};

// The association classes of a namespace, read from the schema.
std::shared_ptr<const AssociationOperations::Schema> readSchema(
    Repository& repo, const CIMNamespaceName& nameSpace)
{
    auto schema = std::make_shared<AssociationOperations::Schema>();
    Array<CIMName> names = repo.enumerateClassNames(nameSpace, CIMName(), true);
    for (Uint32 i = 0; i < names.size(); i++)
    {
        CIMClass cimClass = repo.getClass(nameSpace, names[i], false, true,
                                          false, CIMPropertyList());
        if (!cimClass.isAssociation())
            continue;
        AssociationDecl decl;
        decl.name = cimClass.getClassName();
        for (Uint32 p = 0; p < cimClass.getPropertyCount(); p++)
        {
            CIMConstProperty property =
                static_cast<const CIMClass&>(cimClass).getProperty(p);
            if (property.getType() == CIMTYPE_REFERENCE)
                decl.references.push_back(
                    Reference{property.getName(), property.getReferenceClassName()});
        }
        schema->classes.push_back(decl);
    }
    return schema;
}

// Walks the results of one operation.  next() reads the object of a result
// only when asked to (withObjects).
class Walk
{
public:
    template <class SchemaOf>
    Walk(OperationExecutor& executor, const AssociationQuery& query,
         SchemaOf schemaOf, bool withObjects)
        : _plan(executor, query, schemaOf), _withObjects(withObjects)
    {
        if (_plan.classLevel)
            collectClasses();
    }

    bool next(Pending& result)
    {
        for (;;)
        {
            while (!_pending.empty())
            {
                result = _pending.front();
                _pending.pop_front();
                if (!_withObjects || !result.object.isUninitialized() ||
                    read(result))
                    return true;
            }
            if (_plan.classLevel)
                return false;
            CIMInstance association;
            if (nextAssociation(association))
            {
                examine(_plan.classes[_class - 1], association);
                continue;
            }
            if (_class >= _plan.classes.size())
                return false;
            openClass(_class++);
        }
    }

private:
    const AssociationQuery& q() const { return _plan.q; }
    bool associators() const
    {
        return q().kind == AssociationQuery::ASSOCIATORS;
    }

    // Queues a result unless one for the same object is queued already.
    void add(const CIMObjectPath& path, const CIMObject& object = CIMObject())
    {
        if (!_seen.insert(_plan.identity(path)).second)
            return;
        Pending item;
        item.path = _plan.fullPath(path);
        item.object = object;
        if (!object.isUninitialized())
            item.object.setPath(item.path);
        _pending.push_back(item);
    }

    // ---- class level ----

    void collectClasses()
    {
        for (const AssociationClass& entry : _plan.classes)
        {
            const CIMName& name = entry.decl->name;
            if (!associators())
            {
                addClass(name);
                continue;
            }
            for (std::size_t r : entry.roles)
            {
                for (std::size_t s = 0; s < entry.decl->references.size(); s++)
                {
                    const Reference& other = entry.decl->references[s];
                    if (s != r && nameIs(q().resultRole, other.name) &&
                        _plan.resultClassAllows(other.referenceClass))
                        addClass(other.referenceClass);
                }
            }
        }
    }

    void addClass(const CIMName& className)
    {
        add(CIMObjectPath(String(), q().nameSpace, className));
    }

    // ---- instance level ----

    void openClass(std::size_t c)
    {
        const AssociationClass& entry = _plan.classes[c];
        const CIMName& name = entry.decl->name;
        _cursor.reset();
        _part.clear();
        _pos = 0;
        if (entry.byProvider)
        {
            askProvider(name);
            return;
        }
        const Boolean qualifiers = !associators() && q().includeQualifiers;
        const Boolean origins = !associators() && q().includeClassOrigin;
        if (_plan.x.providerManager().hasProvider(q().nameSpace, name,
                                                  INSTANCE_PROVIDER))
        {
            _part = _plan.x.providerCalls().enumerateInstances(
                q().nameSpace, name, qualifiers, origins, CIMPropertyList());
        }
        else
        {
            _cursor = _plan.repo.openInstancesForClass(
                q().nameSpace, name, false, qualifiers, origins,
                CIMPropertyList());
        }
    }

    bool nextAssociation(CIMInstance& association)
    {
        if (_cursor)
        {
            if (_cursor->next(association))
                return true;
            _cursor.reset();
            return false;
        }
        if (_pos < _part.size())
        {
            association = _part[_pos++];
            return true;
        }
        return false;
    }

    void examine(const AssociationClass& entry, CIMInstance& association)
    {
        for (std::size_t r : entry.roles)
        {
            CIMObjectPath ref;
            if (!referenceValue(association, entry.decl->references[r].name, ref) ||
                !_plan.refersToObject(ref))
                continue;
            if (!associators())
            {
                addAssociation(entry, association);
                return;
            }
            for (std::size_t s = 0; s < entry.decl->references.size(); s++)
            {
                CIMObjectPath target;
                if (s == r || !nameIs(q().resultRole, entry.decl->references[s].name) ||
                    !referenceValue(association, entry.decl->references[s].name, target) ||
                    !_plan.resultClassAllows(target.getClassName()))
                    continue;
                add(target);
            }
        }
    }

    static bool referenceValue(const CIMInstance& instance, const CIMName& name,
                               CIMObjectPath& path)
    {
        Uint32 pos = instance.findProperty(name);
        if (pos == PEG_NOT_FOUND)
            return false;
        CIMValue value = instance.getProperty(pos).getValue();
        if (value.isNull() || value.isArray() ||
            value.getType() != CIMTYPE_REFERENCE)
            return false;
        value.get(path);
        return true;
    }

    void addAssociation(const AssociationClass& entry, CIMInstance& association)
    {
        CIMObjectPath path = association.getPath();
        if (path.getKeyBindings().size() == 0)
        {
            path = association.buildPath(_plan.repo.getClass(
                q().nameSpace, entry.decl->name, false, true, false,
                CIMPropertyList()));
        }
        if (!_withObjects)
        {
            add(path);
            return;
        }
        association.instanceFilter(q().includeQualifiers,
                                   q().includeClassOrigin, q().propertyList);
        add(path, CIMObject(association));
    }

    void askProvider(const CIMName& associationClass)
    {
        ProviderCalls& providers = _plan.x.providerCalls();
        const CIMObjectPath object = localPath(q().objectName);
        if (_withObjects)
        {
            Array<CIMObject> objects =
                associators()
                    ? providers.associators(
                          q().nameSpace, object, associationClass,
                          q().resultClass, q().role, q().resultRole,
                          q().includeQualifiers, q().includeClassOrigin,
                          q().propertyList)
                    : providers.references(
                          q().nameSpace, object, associationClass, q().role,
                          q().includeQualifiers, q().includeClassOrigin,
                          q().propertyList);
            for (Uint32 i = 0; i < objects.size(); i++)
                add(providedPath(objects[i]), objects[i]);
            return;
        }
        Array<CIMObjectPath> names =
            associators()
                ? providers.associatorNames(q().nameSpace, object,
                                            associationClass, q().resultClass,
                                            q().role, q().resultRole)
                : providers.referenceNames(q().nameSpace, object,
                                           associationClass, q().role);
        for (Uint32 i = 0; i < names.size(); i++)
            add(names[i]);
    }

    // The path of an object a provider delivered; for an instance without
    // keys in its path, the path its key properties give.
    CIMObjectPath providedPath(const CIMObject& object) const
    {
        CIMObjectPath path = object.getPath();
        if (path.getClassName().isNull())
            path.setClassName(object.getClassName());
        if (!object.isInstance() || path.getKeyBindings().size() != 0 ||
            !_plan.repo.classExists(q().nameSpace, object.getClassName()))
            return path;
        try
        {
            CIMObjectPath built = CIMInstance(object).buildPath(_plan.repo.getClass(
                q().nameSpace, object.getClassName(), false, true, false,
                CIMPropertyList()));
            built.setHost(path.getHost());
            built.setNameSpace(path.getNameSpace());
            return built;
        }
        catch (const Exception&)
        {
            return path;   // key properties missing: left as delivered
        }
    }

    // Reads the object of a result; false when it does not exist.
    bool read(Pending& result)
    {
        const CIMObjectPath& path = result.path;
        if (_plan.classLevel)
        {
            result.object = CIMObject(_plan.repo.getClass(
                path.getNameSpace(), path.getClassName(), false,
                q().includeQualifiers, q().includeClassOrigin,
                q().propertyList));
            result.object.setPath(path);
            return true;
        }
        try
        {
            CIMInstance instance = _plan.x.getInstance(
                path.getNameSpace(), localPath(path), false,
                q().includeQualifiers, q().includeClassOrigin,
                q().propertyList);
            result.object = CIMObject(instance);
        }
        catch (const CIMException& e)
        {
            // A reference to an object that is gone, or of a class or in a
            // namespace that is: the association is stale, the object is
            // left out.
            if (e.getCode() == CIM_ERR_NOT_FOUND ||
                e.getCode() == CIM_ERR_INVALID_CLASS ||
                e.getCode() == CIM_ERR_INVALID_NAMESPACE)
                return false;
            throw;
        }
        result.object.setPath(path);
        return true;
    }

    Plan _plan;
    bool _withObjects;
    std::deque<Pending> _pending;
    std::set<std::string> _seen;
    std::size_t _class = 0;
    std::unique_ptr<InstanceCursor> _cursor;
    Array<CIMInstance> _part;
    Uint32 _pos = 0;
};

class ObjectsCursor : public AssociationObjectCursor
{
public:
    template <class SchemaOf>
    ObjectsCursor(OperationExecutor& executor, const AssociationQuery& query,
          SchemaOf schemaOf)
        : _walk(executor, query, schemaOf, true)
    {
    }

    bool next(CIMObject& object) override
    {
        Pending result;
        if (!_walk.next(result))
            return false;
        object = result.object;
        return true;
    }

private:
    Walk _walk;
};

class NamesCursor : public AssociationNameCursor
{
public:
    template <class SchemaOf>
    NamesCursor(OperationExecutor& executor, const AssociationQuery& query,
          SchemaOf schemaOf)
        : _walk(executor, query, schemaOf, false)
    {
    }

    bool next(CIMObjectPath& path) override
    {
        Pending result;
        if (!_walk.next(result))
            return false;
        path = result.path;
        return true;
    }

private:
    Walk _walk;
};

}  // namespace

AssociationOperations::AssociationOperations(OperationExecutor& executor)
    : _executor(executor)
{
}

std::shared_ptr<const AssociationOperations::Schema>
AssociationOperations::schemaOf(const CIMNamespaceName& nameSpace)
{
    Repository& repo = _executor.repository();
    const std::string key = foldedName(nameSpace.getString());
    const std::uint64_t generation = repo.schemaGeneration();
    {
        std::lock_guard<std::mutex> lock(_mutex);
        if (_generation != generation)
        {
            _schemas.clear();
            _generation = generation;
        }
        auto it = _schemas.find(key);
        if (it != _schemas.end())
            return it->second;
    }
    std::shared_ptr<const Schema> schema = readSchema(repo, nameSpace);
    // Kept only when no class changed while it was read.
    std::lock_guard<std::mutex> lock(_mutex);
    if (repo.schemaGeneration() == generation && _generation == generation)
        _schemas[key] = schema;
    return schema;
}

std::unique_ptr<AssociationObjectCursor> AssociationOperations::openObjects(
    const AssociationQuery& query)
{
    return std::unique_ptr<AssociationObjectCursor>(new ObjectsCursor(
        _executor, query,
        [this](const CIMNamespaceName& ns) { return schemaOf(ns); }));
}

std::unique_ptr<AssociationNameCursor> AssociationOperations::openNames(
    const AssociationQuery& query)
{
    return std::unique_ptr<AssociationNameCursor>(new NamesCursor(
        _executor, query,
        [this](const CIMNamespaceName& ns) { return schemaOf(ns); }));
}

}  // namespace Pegasus
