// Instance operations of Repository.  Instances live only in the database,
// one row per instance keyed by namespace, folded class name and canonical
// key (InstanceRules::canonicalKey), so that a lookup is one index probe and
// a duplicate is caught by the UNIQUE constraint inside the transaction.
#include "RepositoryImpl.h"

#include "ObjectCodec.h"

#include <sqlite3.h>

#include <Pegasus/Common/Exception.h>

namespace Pegasus {

namespace {

// The text of CIM_ERR_NOT_FOUND / CIM_ERR_ALREADY_EXISTS for an instance:
// its name without host and namespace.
String instanceText(const CIMObjectPath& path)
{
    return CIMObjectPath(String(), CIMNamespaceName(), path.getClassName(),
                         path.getKeyBindings())
        .toString();
}

}  // namespace

Repository::Impl::ClassView Repository::Impl::viewClass(const CIMNamespaceName& nameSpace,
                                                        const CIMName& className) const
{
    std::shared_lock<std::shared_mutex> lock(meta);
    const NamespaceEntry& ns = requireNamespace(nameSpace);
    ClassView view;
    view.nsId = ns.id;
    CIMClass resolved = requireClass(ns, className, CIM_ERR_INVALID_CLASS).resolved;
    view.resolved = resolved;
    view.key = Impl::nameKey(className.getString());
    return view;
}

std::vector<CIMInstance> Repository::Impl::readInstances(int64_t nsId,
                                                         const std::string& classKey) const
{
    Reader reader(*this);
    SqliteStatementUse s(reader->statement(
        "SELECT data FROM instances WHERE ns = ? AND class = ? ORDER BY id"));
    s->bind(1, nsId).bindText(2, classKey);
    std::vector<CIMInstance> result;
    while (s->step())
        result.push_back(ObjectCodec::decodeInstance(s->columnBlob(0), s->columnBytes(0)));
    return result;
}

// Reads the instances (or only their names) of the classes in `keys`, one
// class after the other, each in creation order, through one statement on
// a pooled reader connection; each is decoded (and an instance filtered)
// as it is asked for.
template <class T>
class Repository::Impl::Cursor : public ObjectCursor<T>
{
public:
    // restrictTo: when initialized, instances of every class after the first
    // keep only the properties it has (enumeration without deep
    // inheritance).
    Cursor(const Impl& impl, int64_t nsId, std::vector<std::string> keys,
           const CIMConstClass& restrictTo = CIMConstClass(),
           Boolean includeQualifiers = false, Boolean includeClassOrigin = false,
           const CIMPropertyList& propertyList = CIMPropertyList())
        : _reader(impl),
          _nsId(nsId),
          _keys(std::move(keys)),
          _restrictTo(restrictTo),
          _includeQualifiers(includeQualifiers),
          _includeClassOrigin(includeClassOrigin),
          _propertyList(propertyList)
    {
    }

    ~Cursor() override
    {
        // The statement is cached by the connection: rewind it so that it
        // holds no read transaction open once the connection is back in
        // the pool.
        if (_statement)
            _statement->reset();
    }

    bool next(T& object) override
    {
        for (;;)
        {
            if (!_statement)
            {
                if (_index >= _keys.size())
                    return false;
                _statement = &_reader->statement(
                    "SELECT data FROM instances WHERE ns = ? AND class = ? ORDER BY id");
                _statement->bind(1, _nsId).bindText(2, _keys[_index]);
            }
            bool row;
            try
            {
                row = _statement->step();
            }
            catch (...)
            {
                _statement = nullptr;  // step() has reset it
                throw;
            }
            if (row)
            {
                decode(object);
                return true;
            }
            _statement->reset();
            _statement = nullptr;
            ++_index;
        }
    }

private:
    void decode(CIMInstance& instance)
    {
        instance = ObjectCodec::decodeInstance(_statement->columnBlob(0),
                                               _statement->columnBytes(0));
        InstanceRules::filter(instance, _includeQualifiers, _includeClassOrigin, _propertyList,
                              _index > 0 ? _restrictTo : CIMConstClass());
    }

    void decode(CIMObjectPath& path)
    {
        path = ObjectCodec::decodeInstancePath(_statement->columnBlob(0),
                                               _statement->columnBytes(0));
    }

    Reader _reader;
    int64_t _nsId;
    std::vector<std::string> _keys;
    CIMConstClass _restrictTo;
    Boolean _includeQualifiers;
    Boolean _includeClassOrigin;
    CIMPropertyList _propertyList;
    std::size_t _index = 0;
    SqliteStatement* _statement = nullptr;
};

CIMInstance Repository::getInstance(const CIMNamespaceName& nameSpace,
                                    const CIMObjectPath& instanceName, Boolean localOnly,
                                    Boolean includeQualifiers, Boolean includeClassOrigin,
                                    const CIMPropertyList& propertyList) const
{
    (void)localOnly;
    Impl::ClassView view = _impl->viewClass(nameSpace, instanceName.getClassName());
    std::string key;
    if (!InstanceRules::canonicalKey(view.resolved, instanceName, key))
        throw CIMException(CIM_ERR_NOT_FOUND, instanceText(instanceName));
    CIMInstance instance;
    {
        Impl::Reader reader(*_impl);
        SqliteStatementUse s(reader->statement(
            "SELECT data FROM instances WHERE ns = ? AND class = ? AND key = ?"));
        s->bind(1, view.nsId).bindText(2, view.key).bindText(3, key);
        if (!s->step())
            throw CIMException(CIM_ERR_NOT_FOUND, instanceText(instanceName));
        instance = ObjectCodec::decodeInstance(s->columnBlob(0), s->columnBytes(0));
    }
    InstanceRules::filter(instance, includeQualifiers, includeClassOrigin, propertyList,
                          CIMConstClass());
    return instance;
}

Array<CIMInstance> Repository::enumerateInstances(const CIMNamespaceName& nameSpace,
                                                  const CIMName& className,
                                                  Boolean deepInheritance, Boolean localOnly,
                                                  Boolean includeQualifiers,
                                                  Boolean includeClassOrigin,
                                                  const CIMPropertyList& propertyList) const
{
    std::unique_ptr<InstanceCursor> cursor =
        openInstances(nameSpace, className, deepInheritance, localOnly, includeQualifiers,
                      includeClassOrigin, propertyList);
    Array<CIMInstance> result;
    CIMInstance instance;
    while (cursor->next(instance))
        result.append(instance);
    return result;
}

std::unique_ptr<InstanceCursor> Repository::openInstances(const CIMNamespaceName& nameSpace,
                                                          const CIMName& className,
                                                          Boolean deepInheritance,
                                                          Boolean localOnly,
                                                          Boolean includeQualifiers,
                                                          Boolean includeClassOrigin,
                                                          const CIMPropertyList& propertyList) const
{
    (void)localOnly;
    int64_t nsId;
    CIMConstClass restrictTo;
    std::vector<std::string> keys;
    {
        std::shared_lock<std::shared_mutex> lock(_impl->meta);
        const Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
        nsId = ns.id;
        const Impl::ClassEntry& requested =
            Impl::requireClass(ns, className, CIM_ERR_INVALID_CLASS);
        // Without deep inheritance, subclass instances show only the
        // requested class's properties.
        if (!deepInheritance)
        {
            CIMConstClass resolved = requested.resolved;
            restrictTo = resolved;
        }
        Impl::collectSubclasses(ns, Impl::nameKey(className.getString()), true, true, keys);
    }
    return std::unique_ptr<InstanceCursor>(
        new Impl::Cursor<CIMInstance>(*_impl, nsId, std::move(keys), restrictTo,
                                      includeQualifiers, includeClassOrigin, propertyList));
}

std::unique_ptr<InstanceNameCursor> Repository::openInstanceNames(
    const CIMNamespaceName& nameSpace, const CIMName& className) const
{
    int64_t nsId;
    std::vector<std::string> keys;
    {
        std::shared_lock<std::shared_mutex> lock(_impl->meta);
        const Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
        nsId = ns.id;
        Impl::requireClass(ns, className, CIM_ERR_INVALID_CLASS);
        Impl::collectSubclasses(ns, Impl::nameKey(className.getString()), true, true, keys);
    }
    return std::unique_ptr<InstanceNameCursor>(
        new Impl::Cursor<CIMObjectPath>(*_impl, nsId, std::move(keys)));
}

Array<CIMObjectPath> Repository::enumerateInstanceNames(const CIMNamespaceName& nameSpace,
                                                        const CIMName& className) const
{
    std::unique_ptr<InstanceNameCursor> cursor = openInstanceNames(nameSpace, className);
    Array<CIMObjectPath> result;
    CIMObjectPath name;
    while (cursor->next(name))
        result.append(name);
    return result;
}

Array<CIMInstance> Repository::enumerateInstancesForClass(const CIMNamespaceName& nameSpace,
                                                          const CIMName& className,
                                                          Boolean localOnly,
                                                          Boolean includeQualifiers,
                                                          Boolean includeClassOrigin,
                                                          const CIMPropertyList& propertyList) const
{
    (void)localOnly;
    Impl::ClassView view = _impl->viewClass(nameSpace, className);
    std::vector<CIMInstance> instances = _impl->readInstances(view.nsId, view.key);
    Array<CIMInstance> result;
    result.reserveCapacity(Uint32(instances.size()));
    for (CIMInstance& instance : instances)
    {
        InstanceRules::filter(instance, includeQualifiers, includeClassOrigin, propertyList,
                              CIMConstClass());
        result.append(instance);
    }
    return result;
}

std::unique_ptr<InstanceCursor> Repository::openInstancesForClass(
    const CIMNamespaceName& nameSpace, const CIMName& className, Boolean localOnly,
    Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList) const
{
    (void)localOnly;
    Impl::ClassView view = _impl->viewClass(nameSpace, className);
    std::vector<std::string> keys(1, view.key);
    return std::unique_ptr<InstanceCursor>(
        new Impl::Cursor<CIMInstance>(*_impl, view.nsId, std::move(keys), CIMConstClass(),
                                      includeQualifiers, includeClassOrigin, propertyList));
}

std::unique_ptr<InstanceNameCursor> Repository::openInstanceNamesForClass(
    const CIMNamespaceName& nameSpace, const CIMName& className) const
{
    Impl::ClassView view = _impl->viewClass(nameSpace, className);
    std::vector<std::string> keys(1, view.key);
    return std::unique_ptr<InstanceNameCursor>(
        new Impl::Cursor<CIMObjectPath>(*_impl, view.nsId, std::move(keys)));
}

Array<CIMObjectPath> Repository::enumerateInstanceNamesForClass(
    const CIMNamespaceName& nameSpace, const CIMName& className) const
{
    Impl::ClassView view = _impl->viewClass(nameSpace, className);
    Impl::Reader reader(*_impl);
    SqliteStatementUse s(reader->statement(
        "SELECT data FROM instances WHERE ns = ? AND class = ? ORDER BY id"));
    s->bind(1, view.nsId).bindText(2, view.key);
    Array<CIMObjectPath> result;
    while (s->step())
        result.append(ObjectCodec::decodeInstancePath(s->columnBlob(0), s->columnBytes(0)));
    return result;
}

CIMObjectPath Repository::createInstance(const CIMNamespaceName& nameSpace,
                                         const CIMInstance& newInstance)
{
    if (newInstance.isUninitialized())
        throw CIMException(CIM_ERR_INVALID_PARAMETER, "no instance given");
    const CIMName& className = newInstance.getClassName();

    std::lock_guard<std::mutex> write(_impl->writeMutex);
    // A namespace that does not exist yet holds no classes: the instance's
    // class cannot exist either, so that is the error to report.
    Impl::NamespaceEntry* ns = _impl->findNamespace(nameSpace);
    if (!ns || !ns->findClass(Impl::nameKey(className.getString())))
        throw CIMException(CIM_ERR_INVALID_CLASS, Impl::quotedName(className.getString()));
    CIMConstClass resolved = ns->findClass(Impl::nameKey(className.getString()))->resolved;

    CIMInstance instance = InstanceRules::build(resolved, newInstance);
    CIMObjectPath path = instance.getPath();
    std::string key;
    if (!InstanceRules::canonicalKey(resolved, path, key))
    {
        throw CIMException(CIM_ERR_INVALID_PARAMETER,
                           String("key values do not fit their types: ") + instanceText(path));
    }
    SqliteTransaction t(*_impl->writer);
    try
    {
        _impl->writer->statement("INSERT INTO instances(ns, class, key, data) VALUES(?, ?, ?, ?)")
            .bind(1, ns->id)
            .bindText(2, Impl::nameKey(className.getString()))
            .bindText(3, key)
            .bindBlob(4, ObjectCodec::encodeInstance(instance))
            .run();
    }
    catch (const SqliteConstraintError&)
    {
        throw CIMException(CIM_ERR_ALREADY_EXISTS, instanceText(path));
    }
    t.commit();
    return path;
}

void Repository::modifyInstance(const CIMNamespaceName& nameSpace,
                                const CIMInstance& modifiedInstance, Boolean includeQualifiers,
                                const CIMPropertyList& propertyList)
{
    if (modifiedInstance.isUninitialized())
        throw CIMException(CIM_ERR_INVALID_PARAMETER, "no instance given");
    CIMObjectPath path = modifiedInstance.getPath();
    if (path.getClassName().isNull())
        path.setClassName(modifiedInstance.getClassName());

    std::lock_guard<std::mutex> write(_impl->writeMutex);
    Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    CIMConstClass resolved =
        Impl::requireClass(ns, path.getClassName(), CIM_ERR_INVALID_CLASS).resolved;
    if (path.getKeyBindings().size() == 0 && resolved.hasKeys())
        path = InstanceRules::pathOf(resolved, modifiedInstance);
    std::string key;
    if (!InstanceRules::canonicalKey(resolved, path, key))
        throw CIMException(CIM_ERR_NOT_FOUND, instanceText(path));

    int64_t id;
    CIMInstance stored;
    {
        SqliteStatementUse s(_impl->writer->statement(
            "SELECT id, data FROM instances WHERE ns = ? AND class = ? AND key = ?"));
        s->bind(1, ns.id)
            .bindText(2, Impl::nameKey(path.getClassName().getString()))
            .bindText(3, key);
        if (!s->step())
            throw CIMException(CIM_ERR_NOT_FOUND, instanceText(path));
        id = s->columnInt(0);
        stored = ObjectCodec::decodeInstance(s->columnBlob(1), s->columnBytes(1));
    }
    InstanceRules::modify(resolved, stored, modifiedInstance, includeQualifiers, propertyList);

    SqliteTransaction t(*_impl->writer);
    _impl->writer->statement("UPDATE instances SET data = ? WHERE id = ?")
        .bindBlob(1, ObjectCodec::encodeInstance(stored))
        .bind(2, id)
        .run();
    t.commit();
}

void Repository::deleteInstance(const CIMNamespaceName& nameSpace,
                                const CIMObjectPath& instanceName)
{
    std::lock_guard<std::mutex> write(_impl->writeMutex);
    Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    CIMConstClass resolved =
        Impl::requireClass(ns, instanceName.getClassName(), CIM_ERR_INVALID_CLASS).resolved;
    std::string key;
    if (!InstanceRules::canonicalKey(resolved, instanceName, key))
        throw CIMException(CIM_ERR_NOT_FOUND, instanceText(instanceName));

    SqliteTransaction t(*_impl->writer);
    _impl->writer->statement("DELETE FROM instances WHERE ns = ? AND class = ? AND key = ?")
        .bind(1, ns.id)
        .bindText(2, Impl::nameKey(instanceName.getClassName().getString()))
        .bindText(3, key)
        .run();
    if (sqlite3_changes(_impl->writer->handle()) == 0)
        throw CIMException(CIM_ERR_NOT_FOUND, instanceText(instanceName));
    t.commit();
}

}  // namespace Pegasus
